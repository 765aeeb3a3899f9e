// ClientSession: coming back to the game after the connection to the host
// ended with an error. A joining player's or a spectator's session does
// this; the host's own window and an orderly close by the host end as before.
// The Reconnector keeps the pace of the attempts.

#include "session/clientsession.h"

#include "protocol/tsock.h"
#include "session/reconnector.h"
#include "session/serverlink.h"

namespace glyphon {

void ClientSession::createReconnector()
{
    Reconnector::Hooks pace;
    pace.closeSocket = [this] { m_link->socket()->Close(); };
    pace.openSocket = [this] { m_link->open(m_hostAddress, m_gamePort, true); };
    pace.status = [this](const QString &text) { emit statusLine(text); };
    m_reconnector = new Reconnector(std::move(pace), this);
    connect(m_reconnector, &Reconnector::gaveUp, this, [this] {
        // Not logged in and failed: the close that follows is not the host's.
        m_connected = false;
        emit reconnectionGaveUp();
    });
}

bool ClientSession::reconnecting() const
{
    return m_reconnector->active();
}

bool ClientSession::refuseWhileReconnecting()
{
    if (!m_reconnector->active())
        return false;
    emit statusLine(QStringLiteral("Not connected to the host: reconnecting, please wait."));
    return true;
}

bool ClientSession::reconnectionTook(TSocketInfo info)
{
    if (m_reconnector->active()) {
        // Whatever the socket reports during an attempt ends that attempt,
        // except the news that it is connected.
        if (info == TSocketInfo::Error || info == TSocketInfo::Close)
            m_reconnector->attemptFailed();
        return true;
    }
    const bool mayReconnect = !m_host && m_connected && !m_closing;
    if (info != TSocketInfo::Error || !mayReconnect)
        return false;
    // The host sends the board and the turn again when the seat is back.
    dropWord();
    m_game->closeInput();
    emit turnNews(TurnNews::of(TurnNews::Paused));
    m_reconnector->connectionLost();
    return true;
}

void ClientSession::socketReported(TSocketInfo info, const QString &text)
{
    if (reconnectionTook(info))
        return;
    // A joiner that never got a seat is told, rather than see the window go.
    if (info == TSocketInfo::Error && !m_host && !m_connected && m_link->awaitingSeat()) {
        m_link->stopJoinLimit();
        emit sessionEnded(unreachableText());
        return;
    }
    emit socketInfo(info, text);
}

bool ClientSession::logIn(const msg::SendLoginInfo &m)
{
    if (m_reconnector->active()) {
        // A player wants its own seat back; a spectator takes the seat a
        // newcomer would get, since one watcher's seat is as good as another.
        if (m_game->iPlay() && m.seat != m_game->mySeat()) {
            // Another seat (a spectator's, while the host still holds ours):
            // give it back and try again later.
            m_link->socket()->Close();
            return false;
        }
        m_reconnector->succeeded();
        m_rejoined = true;
        // The host lists everybody again; who came and went meanwhile was missed.
        m_game->forgetSpectators();
    }
    m_game->loggedIn(m);
    m_connected = true;
    m_link->stopJoinLimit();
    send(msg::LoginInfo{m.seat, VersionText, toWire(m_name)}.encode());
    emit seatNews({SeatNews::LoggedIn, {m.seat, toWire(m_name), false}, true});
    return true;
}

} // namespace glyphon
