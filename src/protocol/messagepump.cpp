#include "protocol/messagepump.h"

#include "protocol/monotonic.h"

#include <QMetaObject>
#include <algorithm>

namespace glyphon {

MessagePump::MessagePump(int intervalMs, int maxQueued, qsizetype maxPending, QObject *parent)
    : QObject(parent)
    , m_clock(monotonicMs)
    , m_maxQueued(maxQueued)
    , m_maxPending(maxPending)
{
    // A coarse timer wanders by up to 5 % of the interval, which a quiet line
    // queued behind a busy one would wait on top of the tick.
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(std::max(1, intervalMs));
    connect(&m_timer, &QTimer::timeout, this, &MessagePump::tick);
    m_sinceDispatch.start();
}

MessagePump::Fed MessagePump::feed(ConnectionId from, const QByteArray &bytes)
{
    auto it = m_queues.find(from);
    // A newcomer counts as served when it appears: it has waited for
    // nothing yet, so it must not go before those quiet for longer (a
    // flooder that reconnects would otherwise jump the line each time).
    if (it == m_queues.end())
        it = m_queues.insert(from, Queue{FrameBuffer(m_maxPending), {}, 0, false, false, m_served});
    Queue &q = *it;
    QList<QByteArray> messages;
    if (!q.frames.append(bytes, messages)) {
        forget(from);
        return Fed::Overlong;
    }
    const qint64 now = messages.isEmpty() ? 0 : m_clock();
    for (QByteArray &m : messages) {
        q.bytes += m.size();
        q.messages.push_back({std::move(m), now});
    }
    if ((m_maxQueued > 0 && q.messages.size() > size_t(m_maxQueued))
        || (m_maxQueuedBytes > 0 && q.bytes > m_maxQueuedBytes)) {
        forget(from);
        return Fed::Overfull;
    }
    if (!q.messages.empty() && !q.ready) {
        q.ready = true;
        m_ready.push_back(from);
    }
    wake();
    return Fed::Ok;
}

void MessagePump::wake()
{
    if (m_paused || m_ready.empty() || m_dispatchNow)
        return;
    // Nothing handed out for a whole tick (the pump rests, or its tick is
    // merely late): this message goes at once, after the current event has
    // returned, and the next one a tick later.
    const bool tickPassed = !m_timer.isActive() || m_sinceDispatch.elapsed() >= m_timer.interval();
    if (!tickPassed)
        return;
    m_timer.start();
    m_dispatchNow = true;
    QMetaObject::invokeMethod(this, [this] {
        if (m_dispatchNow && !m_paused)
            dispatchOne();
    }, Qt::QueuedConnection);
}

void MessagePump::closed(ConnectionId from)
{
    const auto it = m_queues.find(from);
    if (it == m_queues.end())
        return;
    if (it->messages.empty())
        m_queues.erase(it);
    else
        it->closed = true;
}

void MessagePump::forget(ConnectionId from)
{
    m_queues.remove(from);
    m_ready.erase(std::remove(m_ready.begin(), m_ready.end(), from), m_ready.end());
}

int MessagePump::queued() const
{
    int n = 0;
    for (const Queue &q : m_queues)
        n += int(q.messages.size());
    return n;
}

int MessagePump::queued(ConnectionId from) const
{
    const auto it = m_queues.constFind(from);
    return it == m_queues.cend() ? 0 : int(it->messages.size());
}

void MessagePump::setPaused(bool paused)
{
    m_paused = paused;
    if (paused) {
        m_timer.stop();
        m_dispatchNow = false;
    } else if (!m_ready.empty()) {
        m_timer.start();
    }
}

void MessagePump::tick()
{
    // Only a tick that finds nothing to do lets the pump rest.
    if (m_paused || m_ready.empty()) {
        m_timer.stop();
        if (!m_paused)
            emit rested();
        return;
    }
    dispatchOne();
}

// The connection served longest ago goes next: busy connections take turns,
// and one that was quiet goes before them instead of queueing behind a
// flooder whose turn is always under way.
MessagePump::ConnectionId MessagePump::nextConnection()
{
    auto next = m_ready.begin();
    for (auto it = m_ready.begin(); it != m_ready.end(); ++it) {
        if (m_queues[*it].lastServed < m_queues[*next].lastServed)
            next = it;
    }
    const ConnectionId id = *next;
    m_ready.erase(next);
    return id;
}

void MessagePump::dispatchOne()
{
    m_dispatchNow = false;
    if (m_ready.empty())
        return;
    m_sinceDispatch.start();
    const ConnectionId from = nextConnection();
    Queue &q = m_queues[from];
    q.lastServed = ++m_served;
    const QByteArray message = std::move(q.messages.front().message);
    m_readAt = q.messages.front().readAt;
    q.messages.pop_front();
    q.bytes -= message.size();
    if (!q.messages.empty())
        m_ready.push_back(from);
    else if (q.closed)
        m_queues.remove(from);
    else
        q.ready = false;
    if (m_handler)
        m_handler(from, message);
}

} // namespace glyphon
