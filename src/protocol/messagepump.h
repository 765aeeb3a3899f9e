#pragma once
// The message pump: bytes from each connection are cut into messages at the
// terminator, queued per connection, and handed to the owner one per tick.
// A message that arrives after a whole tick without one is handed out at
// once (after the socket event that brought it has returned), and the next a
// tick later, so the pace stays one message per tick while a lone request is
// answered without waiting. The timer rests while nothing is queued.
//
// Which connection goes next is decided in one place, nextConnection(): the
// one served longest ago, so a quiet line goes at the next tick however busy
// the others are, and a newcomer waits behind those already waiting.

#include "protocol/wire.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>

namespace glyphon {

class MessagePump : public QObject
{
    Q_OBJECT
public:
    using ConnectionId = quint64;
    using Handler = std::function<void(ConnectionId from, const QByteArray &message)>;
    // Milliseconds of a monotonic clock; tests inject their own.
    using Clock = std::function<qint64()>;

    // maxQueued: messages one connection may have waiting; 0 for no bound.
    explicit MessagePump(int intervalMs, int maxQueued = 0,
                         qsizetype maxPending = FrameBuffer::DefaultMaxPending, QObject *parent = nullptr);

    void setHandler(Handler handler) { m_handler = std::move(handler); }
    // Bytes of messages one connection may have waiting; 0 for no bound.
    void setMaxQueuedBytes(qsizetype bytes) { m_maxQueuedBytes = bytes; }
    void setClock(Clock clock) { m_clock = std::move(clock); }
    // While a handler runs: when its message was read (by the clock).
    qint64 readAt() const { return m_readAt; }

    enum class Fed { Ok, Overlong, Overfull };
    // Frames bytes from a connection and queues its messages; on Overlong or
    // Overfull the connection's messages are dropped and it should be closed.
    Fed feed(ConnectionId from, const QByteArray &bytes);
    // The connection has closed: what it has queued is still handed out,
    // then it is forgotten.
    void closed(ConnectionId from);
    // Drops whatever the connection still has queued or half framed.
    void forget(ConnectionId from);

    int queued() const;
    int queued(ConnectionId from) const;
    QTimer *timer() { return &m_timer; }
    // One tick of the timer: hands out one message, or rests.
    void tick();
    void setInterval(int ms) { m_timer.setInterval(std::max(1, ms)); }
    // A paused pump hands out nothing and rests; on resume it wakes if
    // messages wait.
    void setPaused(bool paused);

signals:
    // A tick found nothing queued and the pump went to rest.
    void rested();

private:
    struct Stamped
    {
        QByteArray message;
        qint64 readAt = 0;
    };
    struct Queue
    {
        FrameBuffer frames;
        std::deque<Stamped> messages;
        qsizetype bytes = 0; // of the messages
        bool ready = false;  // waiting in m_ready
        bool closed = false; // forgotten once its last message is out
        quint64 lastServed = 0; // m_served when its last message went, or when it appeared
    };

    void dispatchOne();
    ConnectionId nextConnection();
    void wake();

    Handler m_handler;
    Clock m_clock;
    qint64 m_readAt = 0;
    QHash<ConnectionId, Queue> m_queues;
    std::deque<ConnectionId> m_ready; // connections with messages
    quint64 m_served = 0;             // counts the messages handed out
    int m_maxQueued;
    qsizetype m_maxQueuedBytes = 0;
    qsizetype m_maxPending;
    QTimer m_timer;
    QElapsedTimer m_sinceDispatch; // since the last message was handed out
    bool m_dispatchNow = false;    // an arrival at rest goes at once
    bool m_paused = false;
};

} // namespace glyphon
