#include "client/hintcontrol.h"

#include "core/clientgame.h"
#include "server/tserver.h"
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

void HintControl::attach(TServer *server)
{
    if (m_server == server)
        return;
    m_server = server;
    m_taken = 0;
    const auto refreshed = [this] { refresh(); };
    connect(server, &TServer::gameStarted, this, [this] {
        m_taken = 0;
        refresh();
    });
    connect(server, &TServer::turnStarted, this, refreshed);
    connect(server, &TServer::timeUp, this, refreshed);
    connect(server, &TServer::wordAccepted, this, refreshed);
    connect(server, &TServer::roundEnded, this, refreshed);
    connect(server, &TServer::gameWon, this, refreshed);
    connect(server, &TServer::playerArrived, this, refreshed);
    connect(server, &TServer::seatFreed, this, refreshed);
    connect(server, &TServer::strongIndexBuilt, this, [this] {
        if (std::exchange(m_waiting, false))
            Hint1Click();
    });
    refresh();
}

bool HintControl::available() const
{
    if (!m_server)
        return false;
    const int seat = m_session.game()->mySeat();
    if (seat != 1 && seat != 2)
        return false;
    const TSeat &other = m_server->seats[seat == 1 ? 2 : 1];
    // Somebody else plays: a hint would be help against a person.
    if (other.connected && !other.watching)
        return false;
    return m_server->game().inTurn() && m_server->game().currentPlayer() == seat
        && !m_server->seats[seat].watching;
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
    if (!m_server->strongIndex() && m_server->prepareStrong()) {
        m_waiting = true;
        return;
    }
    const std::optional<RiziMove> move = m_server->strongMove(m_session.game()->mySeat());
    if (!move) {
        emit statusLine(QStringLiteral("No word fits the board."));
        return;
    }
    m_session.clearWord();
    for (int position : move->positions)
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
