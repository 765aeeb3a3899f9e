#pragma once
// ConnectionHub: the connections of anything that accepts them. It accepts
// on its listening socket, refuses an address whose connections already
// wait for their login, closes a connection that is not admitted by its
// deadline, frames what each one sends and hands the messages out through
// the pump, caps what a peer may leave unsent, and closes a connection that
// breaks a bound. It knows nothing of what the connections are for: its
// owner hears of each new connection, each message and each close by the
// connection's id, and tags a connection with whatever it needs (a seat).

#include "protocol/linepace.h"
#include "protocol/messagepump.h"
#include "protocol/tsock.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

namespace glyphon {

class ConnectionHub : public QObject
{
    Q_OBJECT
public:
    using ConnectionId = MessagePump::ConnectionId;

    static constexpr int DefaultMaxQueued = 256;
    static constexpr qsizetype DefaultMaxUnsentBytes = 1024 * 1024;
    static constexpr int DefaultDispatchMs = 10;
    static constexpr int DefaultMaxWaitingPerAddress = 2;
    static constexpr int DefaultLoginTimeoutMs = 20000;
    static constexpr int DefaultMaxPerAddress = 4;
    static constexpr int DefaultLineBurst = LineBurst;
    static constexpr int DefaultLinesPerSecond = LinesPerSecond;
    static constexpr int DefaultMaxDroppedLines = 30;
    static constexpr qint64 DroppedLinesWindowMs = 60000;

    struct Limits
    {
        // Messages one connection may have waiting.
        int maxQueued = DefaultMaxQueued;
        // Bytes a peer that stops reading may leave unsent.
        qsizetype maxUnsentBytes = DefaultMaxUnsentBytes;
        // Connections from one address that may wait for their admission at
        // once; admitted ones are not counted.
        int maxWaitingPerAddress = DefaultMaxWaitingPerAddress;
        // Connections from one address in all, waiting or admitted, so that
        // one address cannot fill the table; 0: no such limit.
        int maxPerAddress = DefaultMaxPerAddress;
        // Lines (chat, actions, sounds) of one connection: a burst, then a
        // sustained rate (0: no limit); a connection that had maxDroppedLines
        // dropped within a minute is closed.
        int lineBurst = DefaultLineBurst;
        int linesPerSecond = DefaultLinesPerSecond;
        int maxDroppedLines = DefaultMaxDroppedLines;
        int dispatchMs = DefaultDispatchMs;
    };

    explicit ConnectionHub(QObject *parent = nullptr);
    ConnectionHub(const Limits &limits, QObject *parent);
    ~ConnectionHub() override;

    // The listening socket; the owner sets its port and Listen.
    TSock *listener() const { return m_listener; }
    // Never opened: carries the handlers that every accepted socket gets.
    TSock *handlers() const { return m_handlers; }
    // The dispatch tick.
    QTimer *dispatchTimer() { return m_pump->timer(); }
    void setDispatchMs(int ms) { m_pump->setInterval(ms); }
    const Limits &limits() const { return m_limits; }

    // A connection must be admitted this soon after its accept, or it goes:
    // otherwise silent connections could hold every place. Applies to the
    // connections already waiting too.
    void setLoginTimeoutMs(int ms);
    int loginTimeoutMs() const { return m_loginTimeoutMs; }

    // Called at each accept, after the address's waiting count was checked;
    // the owner tags the connection, or refuses it with refuse().
    std::function<void(ConnectionId id)> onAccepted;
    // Called with each message, one per dispatch tick, with the connection's
    // tag; also for what a connection sent before it closed.
    std::function<void(ConnectionId id, int tag, const QByteArray &message)> onMessage;

    // The socket handlers, as the listener and the accepted sockets call them.
    void accept();
    void read(TSock *sender);
    void peerClosed(TSock *sender);
    void info(TSock *sender, TSocketInfo info, const QString &msg);
    // One dispatch tick.
    void tick() { m_pump->tick(); }

    // Sends to a live connection that is not being dropped; a peer past the
    // unsent cap is dropped.
    void send(ConnectionId id, const QByteArray &message);
    // Closes the connection now (it reports its close as any other).
    void close(ConnectionId id);
    // Closes a connection for what it did: nothing more is read from it or
    // sent to it, and the close itself waits for the event loop, so that it
    // never happens inside the socket's own event or in a broadcast.
    void drop(ConnectionId id, const QString &why);
    // Closes a connection at once and forgets it, as if it had never been
    // accepted, after sending farewell; only from onAccepted.
    void refuse(ConnectionId id, const QByteArray &farewell, const QString &why);
    // The connection may stay: it no longer counts as waiting.
    void admit(ConnectionId id);
    // True when the connection may send one more line now (its bucket had a
    // token); a line refused is counted, and a connection with too many
    // refused within a minute is dropped.
    bool takeLine(ConnectionId id);
    // Connections from address are refused for ms (a spectator the host
    // removed must not come straight back).
    void ban(const QString &address, int ms);
    // The monotonic clock of the line limits and bans, in ms; tests drive it.
    void setClock(std::function<qint64()> nowMs);
    // Forgets what closed connections with tag still have queued: it must not
    // be taken for a request of the tag's next connection.
    void forgetClosed(int tag);

    void setTag(ConnectionId id, int tag);
    int tag(ConnectionId id) const;
    bool isAdmitted(ConnectionId id) const;
    QString address(ConnectionId id) const; // the peer's, as accepted
    TSock *socket(ConnectionId id) const;   // null once closed

    int queuedMessages() const { return m_pump->queued(); }
    qsizetype pendingOutput() const;

signals:
    // Closed by the hub for what it sent or failed to read, or for a
    // missing admission.
    void dropped(ConnectionId id, int tag, const QString &address, const QString &why);
    // Closed at its accept: by the hub, or by the owner through refuse().
    void refused(const QString &address, const QString &why);
    // The connection's socket has closed; its queued messages still come.
    void closed(ConnectionId id, int tag, const QString &address);

private:
    struct Connection
    {
        TSock *sock = nullptr; // cleared once the socket has closed
        ConnectionId id = 0;
        int tag = 0;
        QString address;
        qint64 acceptedAt = 0; // on m_clock
        bool admitted = false;
        bool closing = false; // being dropped: nothing more goes to or comes from it
        bool refused = false;
        LineBucket lines; // a full burst at the accept
        QList<qint64> droppedLines; // the latest refused lines, at most maxDroppedLines
    };
    using ConnectionPtr = std::shared_ptr<Connection>;

    ConnectionPtr find(ConnectionId id) const;
    void dispatch(ConnectionId from, const QByteArray &message);
    void dropConnection(const ConnectionPtr &conn, const QString &why);
    int waitingFrom(const QString &address) const;
    int liveFrom(const QString &address) const;
    qint64 now() const { return m_now ? m_now() : m_clock.elapsed(); }
    void expireLogins();

    Limits m_limits;
    TSock *m_listener = nullptr;
    TSock *m_handlers = nullptr;
    MessagePump *m_pump = nullptr;
    QHash<const TSock *, ConnectionPtr> m_bySock; // live sockets only
    // Every connection that is live or still has messages queued, in the
    // order of their accepts.
    std::map<ConnectionId, ConnectionPtr> m_byId;
    ConnectionId m_lastId = 0;
    QElapsedTimer m_clock;
    QTimer *m_loginWatch = nullptr; // runs while a connection waits for its admission
    int m_loginTimeoutMs = DefaultLoginTimeoutMs;
    std::function<qint64()> m_now;
    QHash<QString, qint64> m_bannedUntil;
};

} // namespace glyphon
