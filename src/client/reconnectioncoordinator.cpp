#include "client/reconnectioncoordinator.h"

#include "client/reconnector.h"
#include "protocol/tsock.h"

namespace glyphon {

ReconnectionCoordinator::ReconnectionCoordinator(Hooks hooks, QObject *parent)
    : QObject(parent)
    , m_hooks(std::move(hooks))
{
    Reconnector::Hooks pace;
    pace.closeSocket = m_hooks.closeSocket;
    pace.openSocket = m_hooks.openSocket;
    pace.status = m_hooks.status;
    m_reconnector = new Reconnector(std::move(pace), this);
    connect(m_reconnector, &Reconnector::gaveUp, this, [this] { m_hooks.gaveUp(); });
}

bool ReconnectionCoordinator::active() const
{
    return m_reconnector->active();
}

bool ReconnectionCoordinator::socketReported(TSocketInfo info)
{
    if (m_reconnector->active()) {
        // Whatever the socket reports during an attempt ends that attempt,
        // except the news that it is connected.
        if (info == TSocketInfo::Error || info == TSocketInfo::Close)
            m_reconnector->attemptFailed();
        return true;
    }
    if (info != TSocketInfo::Error || !m_hooks.mayReconnect())
        return false;
    // The host sends the board and the turn again when the seat is back.
    m_hooks.pauseTurn();
    m_reconnector->connectionLost();
    return true;
}

bool ReconnectionCoordinator::seatGiven(int seat)
{
    if (!m_reconnector->active())
        return true;
    if (seat != m_hooks.mySeat()) {
        // Another seat (a spectator's, while the host still holds ours):
        // give it back and try again later.
        m_hooks.closeSocket();
        return false;
    }
    m_reconnector->succeeded();
    m_rejoined = true;
    return true;
}

bool ReconnectionCoordinator::refuseInput()
{
    if (!m_reconnector->active())
        return false;
    m_hooks.status(QStringLiteral("Not connected to the host: reconnecting, please wait."));
    return true;
}

} // namespace glyphon
