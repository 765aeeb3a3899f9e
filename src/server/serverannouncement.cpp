#include "server/serverannouncement.h"

#include "server/tserver.h"

namespace glyphon {

LanGame describeGame(const TServer &server)
{
    LanGame game;
    const TSeat &host = server.seats[1];
    game.hostName = host.loggedin ? fromWire(host.name) : QString();
    for (int seat = 1; seat <= TServer::MaxSeats; ++seat) {
        if (!server.seats[seat].loggedin)
            continue;
        if (seat <= server.playercount)
            ++game.seatsTaken;
        else
            ++game.watchers;
    }
    game.running = server.game().isOn();
    game.port = server.Sock1->localPort();
    return game;
}

ServerAnnouncement::ServerAnnouncement(TServer &server, const lan::DiscoveryConfig &discovery, QObject *parent)
    : QObject(parent)
    , m_server(server)
    , m_announcer(discovery)
{
    // Queued: a signal comes from inside the server's handler, before it has
    // finished changing the seat or the game.
    const auto later = Qt::QueuedConnection;
    connect(&server, &TServer::playerArrived, this, &ServerAnnouncement::refresh, later);
    connect(&server, &TServer::seatFreed, this, &ServerAnnouncement::refresh, later);
    connect(&server, &TServer::gameStarted, this, &ServerAnnouncement::refresh, later);
    connect(&server, &TServer::gameWon, this, &ServerAnnouncement::refresh, later);
}

void ServerAnnouncement::start()
{
    m_started = true;
    refresh();
}

void ServerAnnouncement::stop()
{
    m_started = false;
    m_announcer.stop();
}

void ServerAnnouncement::refresh()
{
    if (m_started && m_server.Sock1->localPort() != 0)
        m_announcer.announce(describeGame(m_server));
}

} // namespace glyphon
