#include "client/seatcontrol.h"

#include "session/clientsession.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace glyphon {

SeatControl::SeatControl(ClientSession &session, QWidget *parent)
    : QObject(parent)
    , m_session(session)
{
    JustWatch1 = new QAction(QStringLiteral("Just Watch"), this);
    JustWatch1->setObjectName(QStringLiteral("JustWatch1"));
    JustWatch1->setCheckable(true);
    // A click must not flip the check by itself: it follows the server.
    connect(JustWatch1, &QAction::triggered, this, [this] {
        JustWatch1->setChecked(!JustWatch1->isChecked());
        JustWatch1Click();
    });

    popup_kick = new QMenu(parent);
    popup_kick->setObjectName(QStringLiteral("popup_kick"));
    RemoveFromGame1 = popup_kick->addAction(QStringLiteral("Remove From Game"));
    RemoveFromGame1->setObjectName(QStringLiteral("RemoveFromGame1"));
    SettoJustWatch1 = popup_kick->addAction(QStringLiteral("Set to Just Watch"));
    SettoJustWatch1->setObjectName(QStringLiteral("SettoJustWatch1"));
    UnsetJustWatch1 = popup_kick->addAction(QStringLiteral("Unset Just Watch"));
    UnsetJustWatch1->setObjectName(QStringLiteral("UnsetJustWatch1"));
    connect(RemoveFromGame1, &QAction::triggered, this, &SeatControl::RemoveFromGame1Click);
    connect(SettoJustWatch1, &QAction::triggered, this, &SeatControl::SettoJustWatch1Click);
    connect(UnsetJustWatch1, &QAction::triggered, this, &SeatControl::UnsetJustWatch1Click);
}

void SeatControl::attachNameLabel(QLabel *label, int seat)
{
    label->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(label, &QWidget::customContextMenuRequested, this, [this, label, seat](const QPoint &pos) {
        label_playername1ContextPopup(label, seat);
        popup_kick->popup(label->mapToGlobal(pos));
    });
}

void SeatControl::JustWatch1Click()
{
    m_session.justWatch(m_session.game()->mySeat(), !JustWatch1->isChecked());
}

void SeatControl::label_playername1ContextPopup(const QLabel *label, int seat)
{
    const bool host = m_session.ishost();
    for (QAction *item : {RemoveFromGame1, SettoJustWatch1, UnsetJustWatch1})
        item->setEnabled(host);
    if (label->text() == QLatin1String(Waiting))
        RemoveFromGame1->setEnabled(false);
    m_popupSeat = seat;
}

void SeatControl::RemoveFromGame1Click()
{
    kicking(m_popupSeat);
}

void SeatControl::SettoJustWatch1Click()
{
    m_session.justWatch(m_popupSeat, true);
}

void SeatControl::UnsetJustWatch1Click()
{
    m_session.justWatch(m_popupSeat, false);
}

void SeatControl::kicking(int seat)
{
    m_session.removeFromGame(seat);
}

void SeatControl::setOwnJustWatching(bool watching)
{
    JustWatch1->setChecked(watching);
}

} // namespace glyphon
