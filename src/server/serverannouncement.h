#pragma once
// Tells the local network about this server's game while it listens: who
// hosts, how many play and watch, whether a game runs. It follows the
// server's own signals, so the announcement changes the moment a seat does.

#include "net/lanannouncer.h"

#include <QObject>

class TServer;

namespace glyphon {

// The game as others should see it: seat 1's name, the player seats and
// spectator seats logged in, whether a game runs, the listening port.
LanGame describeGame(const TServer &server);

class ServerAnnouncement : public QObject
{
    Q_OBJECT
public:
    ServerAnnouncement(TServer &server, const lan::DiscoveryConfig &discovery, QObject *parent = nullptr);

    void start();
    // Sends the closing datagram.
    void stop();
    LanAnnouncer &announcer() { return m_announcer; }

private:
    void refresh();

    TServer &m_server;
    LanAnnouncer m_announcer;
    bool m_started = false;
};

} // namespace glyphon
