#include "client/hintcontrol.h"

#include "core/clientgame.h"
#include "server/hosting.h"
#include "session/clientsession.h"

#include <QAction>
#include <QMenu>
#include <utility>

namespace glyphon {

HintControl::HintControl(QMenu *view, ClientSession &session, QObject *parent)
    : QObject(parent)
    , m_session(session)
{
    Hint1 = view->addAction(QStringLiteral("Hint"));
    Hint1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    Hint1->setEnabled(false);
    connect(Hint1, &QAction::triggered, this, &HintControl::Hint1Click);
    connect(view, &QMenu::aboutToShow, this, &HintControl::refresh);
    // The other seat's person stepping aside to watch frees the hint at once.
    connect(session.game(), &ClientGame::seatChanged, this, &HintControl::refresh);
}

void HintControl::attach(Hosting *hosting)
{
    if (m_hosting == hosting)
        return;
    m_hosting = hosting;
    m_taken = 0;
    connect(hosting, &Hosting::gameStarted, this, [this] { m_taken = 0; });
    connect(hosting, &Hosting::hintChanged, this, &HintControl::refresh);
    connect(hosting, &Hosting::hintReady, this, [this] {
        if (std::exchange(m_waiting, false))
            Hint1Click();
    });
    refresh();
}

bool HintControl::available() const
{
    return m_hosting && m_hosting->hintAvailable(m_session.game()->mySeat());
}

void HintControl::refresh()
{
    Hint1->setEnabled(available());
}

void HintControl::Hint1Click()
{
    refresh();
    if (!available() || !m_session.game()->myTurn())
        return;
    // Asked before the strong index is in place: answered once it is.
    if (m_hosting->hintPending()) {
        m_waiting = true;
        return;
    }
    const std::optional<QList<int>> tiles = m_hosting->hintTiles(m_session.game()->mySeat());
    if (!tiles) {
        emit statusLine(QStringLiteral("No word fits the board."));
        return;
    }
    m_session.clearWord();
    for (int position : *tiles)
        m_session.chooseTile(position);
    ++m_taken;
}

QString HintControl::takenLine() const
{
    if (m_taken == 0)
        return {};
    return m_taken == 1 ? QStringLiteral("You took 1 hint.") : QStringLiteral("You took %1 hints.").arg(m_taken);
}

} // namespace glyphon
