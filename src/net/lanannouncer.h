#pragma once
// Announces one hosted game on the local network: a datagram every two
// seconds and at once when the game changes, to the broadcast address of
// every IPv4 interface that has one and to this computer (127.0.0.1 for one
// listener, 127.255.255.255 for all of them). stop() sends a last "bye" so
// the game's rows go at once.

#include "net/lanannouncement.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

namespace glyphon {

class LanAnnouncer : public QObject
{
    Q_OBJECT
public:
    static constexpr int IntervalMs = 2000;

    explicit LanAnnouncer(const lan::DiscoveryConfig &config, QObject *parent = nullptr);
    ~LanAnnouncer() override;

    // Starts announcing (or announces the change at once); the ID is this
    // announcer's, whatever game.id says.
    void announce(LanGame game);
    void stop();
    bool active() const { return m_timer.isActive(); }
    const LanGame &game() const { return m_game; }
    // The ID every datagram of this announcer carries.
    QByteArray id() const { return m_id; }

    // Where each datagram goes, asked anew each time (interfaces come and go).
    QList<QHostAddress> targets() const;

private:
    void send();

    QUdpSocket m_socket;
    QTimer m_timer;
    LanGame m_game;
    QByteArray m_id;
    const lan::DiscoveryConfig m_config;
};

} // namespace glyphon
