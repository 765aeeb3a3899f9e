#pragma once
// LobbyServer: the lobby's HTTP side. libmicrohttpd serves on a thread of its
// own, made for facing strangers: per-address and total connection caps, a
// connection time-out and a memory cap per connection (which also caps the
// headers). Its handler only parses, checks and asks the store, which
// guards itself; probing the hosts and expiry run on this object's Qt
// thread, so nothing of Qt's event loop is touched from the server's thread.

#include "lobby/lobbystorage.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>

#include <memory>

struct MHD_Daemon;
struct MHD_Connection;
class QTimer;

namespace glyphon {

class HostProbe;
class LogThrottle;

struct LobbyConfig
{
    quint16 port = 7780;
    QList<QHostAddress> trustedProxies;
    LobbyLimits limits;
    int renewSeconds = 30; // told to hosts: how often to renew
    qint64 maxBodyBytes = 4096;
    int maxConnections = 1000;
    int connectionsPerAddress = 8; // none with a trusted proxy: it has its own
    int connectionTimeoutSeconds = 15;
    int memoryPerConnection = 16 * 1024; // request line and headers must fit
    int maxProbes = 32;                  // probes running at once
    int probeTimeoutMs = 5000;
    // With a port, the list lives in Redis there, shared with other nodes.
    QString redisHost = QStringLiteral("127.0.0.1");
    quint16 redisPort = 0;
    int redisTimeoutMs = 500;
};

struct LobbyReply
{
    unsigned status = 200;
    QByteArray contentType = "application/json";
    QByteArray body;
    QByteArray etag;
};

class LobbyServer : public QObject
{
    Q_OBJECT
public:
    explicit LobbyServer(const LobbyConfig &config, QObject *parent = nullptr);
    ~LobbyServer() override;

    // Listens on the configured port (0: one the system picks); false when
    // the port cannot be had.
    bool start();
    void stop();
    quint16 port() const { return m_port; }
    LobbyStorage &store() { return *m_store; }
    qint64 maxBodyBytes() const { return m_config.maxBodyBytes; }
    int probesRunning() const { return m_probesRunning; }

    // Called on the server's thread; public only for the C callback.
    LobbyReply handle(MHD_Connection *connection, const QByteArray &method, const QByteArray &path,
                 const QByteArray &body, bool bodyTooLarge);

private:
    qint64 now() const { return m_clock.elapsed(); }
    QString peerAddress(MHD_Connection *connection, bool *ipv6) const;
    LobbyReply listGames(MHD_Connection *connection);
    LobbyReply page();
    // The list's JSON or page as rendered for its tag, rendered once per tag.
    QByteArray rendered(const LobbyStorage::List &list, bool page);
    LobbyReply unavailable();
    LobbyReply store(MHD_Connection *connection, const QByteArray &method, const QString &id, const QByteArray &body);
    void log(const QString &subject, const QString &line);
    void tick();
    void startProbes();

    LobbyConfig m_config;
    std::unique_ptr<LobbyStorage> m_store;
    QElapsedTimer m_clock;
    MHD_Daemon *m_daemon = nullptr;
    quint16 m_port = 0;
    QTimer *m_ticker;
    int m_probesRunning = 0;
    bool m_probesQueued = false; // startProbes is due on the event loop
    QMutex m_renderMutex;
    QByteArray m_renderedTag;
    QByteArray m_renderedJson; // empty: not rendered for this tag yet
    QByteArray m_renderedPage;
    QMutex m_logMutex;
    std::unique_ptr<LogThrottle> m_throttle;
};

} // namespace glyphon
