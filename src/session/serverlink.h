#pragma once
// The session's line to the host: the socket, the message pump that frames
// what arrives and hands it out one message per tick (at once after a rest),
// the time a joiner waits for its seat, and the lobby's idle line. What the
// messages and the socket's news mean is the session's business.

#include "protocol/messagepump.h"

#include <QObject>
#include <QString>

class QTimer;
class TSock;
enum class TSocketInfo;

namespace glyphon {

class ServerLink : public QObject
{
    Q_OBJECT
public:
    static constexpr int TickMs = 1;
    static constexpr int JoinTimeLimitMs = 20000;
    // What may wait to be handed out: a host that sends more (a flood no
    // honest host sends, since it keeps every sender to a person's pace)
    // would take the window's memory and bury real messages behind it.
    static constexpr int MaxQueuedMessages = 10000;
    static constexpr qsizetype MaxQueuedBytes = 4 * 1024 * 1024;

    explicit ServerLink(QObject *parent = nullptr);
    // Closes both lines without a word to anybody.
    ~ServerLink() override;

    TSock *socket() const { return m_sock; }
    // Opened in multi-player mode, never used.
    TSock *lobbySocket() const { return m_lobby; }
    MessagePump *pump() const { return m_pump; }
    // While message() is handled: the monotonic time its bytes were read,
    // however long the pump held it; -1 otherwise.
    qint64 readAt() const { return m_readAt; }

    // A line of its own from here on: what the old one queued is still
    // handed out, a half message of it is dropped. keepAlive notices a link
    // that dies in silence.
    void open(const QString &host, const QString &port, bool keepAlive);
    // Frames what the socket has; a message without end closes the line,
    // and so does more than may wait (said by overflowed first).
    void read();
    // Sent only while connected.
    void send(const QByteArray &message);
    // Stops reporting to the session and closes both lines.
    void shutDown();

    // A host that takes the connection but never gives a seat (or a link
    // whose packets vanish) would otherwise keep a joiner waiting for good.
    void startJoinLimit();
    void stopJoinLimit();
    bool awaitingSeat() const;
    void setJoinTimeLimitMs(int ms);

signals:
    void message(const QByteArray &message);
    void info(TSocketInfo info, const QString &text);
    void joinTimedOut();
    void overflowed();

private:
    TSock *m_sock;
    TSock *m_lobby;
    MessagePump *m_pump;
    QTimer *m_joinLimit;
    MessagePump::ConnectionId m_line = 0;
    qint64 m_readAt = -1;
};

} // namespace glyphon
