// Tchat: coming back to the game after the connection to the host ended
// with an error. Only a joining player's window does this; the host's own
// window, a spectator and an orderly close by the host end as before.

#include "client/tchat.h"

#include "chat/chatinput.h"
#include "client/closingcoordinator.h"
#include "client/glyphoncontext.h"
#include "client/reconnector.h"
#include "client/serverlink.h"
#include "board/tilewidget.h"
#include "protocol/tsock.h"

#include <QLabel>
#include <QTimer>

void Tchat::createReconnector()
{
    glyphon::Reconnector::Hooks hooks;
    hooks.closeSocket = [this] { sock->Close(); };
    hooks.openSocket = [this] { m_link->open(hostaddress, m_context.config.gamePort, true); };
    hooks.status = [this](const QString &text) { statusLine(text); };
    m_reconnector = new glyphon::Reconnector(std::move(hooks), this);
    connect(m_reconnector, &glyphon::Reconnector::gaveUp, this, &Tchat::reconnectGaveUp);
}

bool Tchat::reconnecting() const
{
    return m_reconnector->active();
}

bool Tchat::startReconnecting(TSocketInfo info)
{
    if (m_reconnector->active()) {
        // Whatever the socket reports during an attempt ends that attempt,
        // except the news that it is connected.
        if (info == TSocketInfo::Error || info == TSocketInfo::Close)
            m_reconnector->attemptFailed();
        return true;
    }
    const bool player = m_game->iPlay();
    if (info != TSocketInfo::Error || ishost || !isconnected || !player || m_closer->closing())
        return false;
    // The turn in progress is no longer this window's to play; the host
    // sends the board and the turn again when the seat is back.
    putBackChosenTiles();
    label_word->clear();
    m_game->closeInput();
    turntime->stop();
    m_reconnector->connectionLost();
    return true;
}

bool Tchat::reconnectSeat(int seat)
{
    if (!m_reconnector->active())
        return true;
    if (seat != m_game->mySeat()) {
        // Another seat (a spectator's, while the host still holds ours):
        // give it back and try again later.
        sock->Close();
        return false;
    }
    m_reconnector->succeeded();
    m_rejoined = true;
    return true;
}

bool Tchat::refuseWhileReconnecting()
{
    if (!m_reconnector->active())
        return false;
    statusLine(QStringLiteral("Not connected to the host: reconnecting, please wait."));
    return true;
}

void Tchat::reconnectGaveUp()
{
    // Not logged in and failed: the close that follows is not the host's.
    isconnected = false;
    m_closer->connectionFailed();
    showMessageBox(QStringLiteral("The connection to the host could not be restored. The window will close."));
    sock->Close();
    m_closer->scheduleClose();
}
