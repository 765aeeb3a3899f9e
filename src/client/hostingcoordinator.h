#pragma once
// What a window that hosts for others does besides running the server: it
// announces the game on the local network, asks the home router to forward
// the port (when Options > Open Port on Router is checked), and tells the
// host in the chat pane what friends should use, or plainly why they cannot.
// With a lobby set it also lists the game there, once players on the
// internet can reach it, and says when it is listed or why not.

#include "net/lanannouncement.h"
#include "net/portmapper.h"

#include <QObject>
#include <QUrl>
#include <memory>
#include <optional>

class TServer;

namespace glyphon {

class LobbyRegistration;
class ServerAnnouncement;

class HostingCoordinator : public QObject
{
    Q_OBJECT
public:
    // mapper: the one that asks the router; none, the real one (tests hand in
    // one of their own, which loopback-only mode then does not hold back).
    HostingCoordinator(TServer &server, const lan::DiscoveryConfig &discovery, QObject *parent = nullptr,
                       std::unique_ptr<PortMapper> mapper = {});
    ~HostingCoordinator() override;

    // The server listens: announce it and, if wanted, open the port.
    void start(bool openPort);
    // Hosting ends: the closing datagram, and the forwarding removed.
    void stop();
    void setOpenPort(bool on);
    // The internet lobby to list the game on (before start); empty: none.
    void setLobby(const QUrl &lobby) { m_lobby = lobby; }
    bool listedOnLobby() const;
    // Whether players on the internet can reach the game: empty when they
    // can, the reason in words when not, nothing while the router is asked.
    static std::optional<QString> whyNotReachable(const QString &localAddress, PortMapper::State state,
                                                  const QString &publicAddress);

    PortMapper &mapper() { return *m_mapper; }
    // This computer's first network address, for players on the same network.
    static QString localAddress();

signals:
    void statusLine(const QString &text);

private:
    void mappingChanged(PortMapper::State state);
    QString withPort(const QString &address) const;
    void listWhenReachable();
    void withdrawWhenUnreachable();
    void refreshLobby();

    TServer &m_server;
    const lan::DiscoveryConfig m_discovery;
    std::unique_ptr<ServerAnnouncement> m_announcement;
    const bool m_realRouter; // the mapper asks the network's own router
    std::unique_ptr<PortMapper> m_mapper;
    QUrl m_lobby;
    std::unique_ptr<LobbyRegistration> m_registration;
    QString m_lobbyWhyNot; // said once per reason
    bool m_started = false;
    quint16 m_port = 0; // the listening port when hosting started
};

} // namespace glyphon
