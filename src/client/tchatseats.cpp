// Tchat: just watching and the host's commands on the players.

#include "client/tchat.h"

#include "client/seatcontrol.h"

#include <QLabel>

void Tchat::JustWatch1Click()
{
    m_seats->JustWatch1Click();
}

void Tchat::label_playername1ContextPopup(int seat)
{
    if (const QLabel *label = playerNameLabel(seat))
        m_seats->label_playername1ContextPopup(label, seat);
}

void Tchat::RemoveFromGame1Click()
{
    m_seats->RemoveFromGame1Click();
}

void Tchat::SettoJustWatch1Click()
{
    m_seats->SettoJustWatch1Click();
}

void Tchat::UnsetJustWatch1Click()
{
    m_seats->UnsetJustWatch1Click();
}
