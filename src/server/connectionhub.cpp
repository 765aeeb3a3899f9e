#include "server/connectionhub.h"

#include <algorithm>

namespace glyphon {

namespace {
const QString SocketClosed = QStringLiteral("Socket Closed");
}

ConnectionHub::ConnectionHub(QObject *parent)
    : ConnectionHub(Limits{}, parent)
{
}

ConnectionHub::ConnectionHub(const Limits &limits, QObject *parent)
    : QObject(parent)
    , m_limits(limits)
{
    m_listener = new TSock(this);
    m_listener->OnAccept = [this](TSock *) { accept(); };
    m_listener->OnRead = [this](TSock *s, int) { read(s); };

    m_handlers = new TSock(this);
    m_handlers->OnDisconnect = [this](TSock *s) { peerClosed(s); };
    m_handlers->OnInfo = [this](TSock *s, TSocketInfo i, const QString &msg) { info(s, i, msg); };

    // Dispatch rests while nothing is queued; an arrival wakes it.
    m_pump = new MessagePump(m_limits.dispatchMs, m_limits.maxQueued, FrameBuffer::DefaultMaxPending, this);
    m_pump->setHandler([this](ConnectionId from, const QByteArray &message) { dispatch(from, message); });
    m_clock.start();

    m_loginWatch = new QTimer(this);
    m_loginWatch->setSingleShot(true);
    connect(m_loginWatch, &QTimer::timeout, this, &ConnectionHub::expireLogins);
}

ConnectionHub::~ConnectionHub()
{
    // Nothing may call back into the owner while the sockets go: stop the
    // timers, unhook every accepted socket, then close them all by deleting
    // the listener that owns them.
    m_pump->timer()->stop();
    m_loginWatch->stop();
    m_listener->OnAccept = nullptr;
    m_listener->OnRead = nullptr;
    // Every accepted socket, open or closed but not yet deleted, is a child
    // of the listener.
    for (TSock *child : m_listener->findChildren<TSock *>()) {
        child->OnRead = nullptr;
        child->OnWrite = nullptr;
        child->OnDisconnect = nullptr;
        child->OnInfo = nullptr;
    }
    delete m_listener;
    m_listener = nullptr;
    m_bySock.clear();
    m_byId.clear();
}

ConnectionHub::ConnectionPtr ConnectionHub::find(ConnectionId id) const
{
    const auto it = m_byId.find(id);
    return it == m_byId.end() ? nullptr : it->second;
}

void ConnectionHub::setLoginTimeoutMs(int ms)
{
    m_loginTimeoutMs = std::max(1, ms);
    if (m_loginWatch->isActive())
        expireLogins();
}

void ConnectionHub::accept()
{
    TSock *sock = nullptr;
    try {
        if (!m_listener->Accept(sock) || !sock)
            return;
    } catch (const ESockException &) {
        return;
    }
    // The peer's address, as the accept wrote it into the new socket.
    const QString address = sock->HostName();
    QString why;
    if (const auto ban = m_bannedUntil.constFind(address); ban != m_bannedUntil.cend()) {
        if (now() < *ban)
            why = QStringLiteral("removed by the host less than a minute ago");
        else
            m_bannedUntil.erase(ban);
    }
    if (!why.isEmpty()) {
    } else if (m_limits.maxPerAddress > 0 && liveFrom(address) >= m_limits.maxPerAddress) {
        why = QStringLiteral("%1 connections from this address already").arg(m_limits.maxPerAddress);
    } else if (waitingFrom(address) >= m_limits.maxWaitingPerAddress) {
        why = QStringLiteral("%1 connections from this address are waiting for their login")
                  .arg(m_limits.maxWaitingPerAddress);
    }
    if (!why.isEmpty()) {
        sock->OnInfo = nullptr;
        sock->OnRead = nullptr;
        sock->OnDisconnect = nullptr;
        delete sock;
        emit refused(address, why);
        return;
    }

    auto conn = std::make_shared<Connection>();
    conn->sock = sock;
    conn->id = ++m_lastId;
    conn->address = address;
    conn->acceptedAt = m_clock.elapsed();
    conn->lines = LineBucket(now(), m_limits.lineBurst, m_limits.linesPerSecond);
    m_bySock.insert(sock, conn);
    m_byId.emplace(conn->id, conn);
    // A peer whose link died without a word would hold its place for hours;
    // probes find it within about half a minute (10 s quiet, 4 x 5 s).
    sock->setKeepAlive(10, 5, 4);
    sock->OnRead = m_listener->OnRead;
    sock->OnDisconnect = m_handlers->OnDisconnect;
    sock->OnInfo = m_handlers->OnInfo;

    if (onAccepted)
        onAccepted(conn->id);
    if (conn->refused)
        return;
    // Deadlines fall in the order of the accepts, so a running watch is due first.
    if (!m_loginWatch->isActive())
        m_loginWatch->start(m_loginTimeoutMs);
}

void ConnectionHub::refuse(ConnectionId id, const QByteArray &farewell, const QString &why)
{
    const ConnectionPtr conn = find(id);
    if (!conn || !conn->sock)
        return;
    TSock *sock = conn->sock;
    if (!farewell.isEmpty()) {
        try {
            sock->Send(farewell);
        } catch (const ESockException &) {
        }
    }
    conn->refused = conn->closing = true;
    conn->sock = nullptr;
    m_bySock.remove(sock);
    m_byId.erase(id);
    m_pump->forget(id);
    sock->OnInfo = nullptr;
    sock->OnRead = nullptr;
    sock->OnDisconnect = nullptr;
    delete sock;
    emit refused(conn->address, why);
}

void ConnectionHub::read(TSock *sender)
{
    QByteArray bytes;
    try {
        bytes = sender->Text();
    } catch (const ESockException &) {
        return;
    }
    const ConnectionPtr conn = m_bySock.value(sender);
    if (!conn || conn->closing)
        return;
    switch (m_pump->feed(conn->id, bytes)) {
    case MessagePump::Fed::Ok:
        break;
    case MessagePump::Fed::Overlong:
        dropConnection(conn, QStringLiteral("more than %1 bytes without a terminator").arg(FrameBuffer::DefaultMaxPending));
        break;
    case MessagePump::Fed::Overfull:
        dropConnection(conn, QStringLiteral("more than %1 messages waiting").arg(m_limits.maxQueued));
        break;
    }
}

void ConnectionHub::dispatch(ConnectionId from, const QByteArray &message)
{
    const ConnectionPtr conn = find(from);
    if (!conn)
        return;
    // A closed connection is forgotten once its last message is handled.
    if (!conn->sock && m_pump->queued(from) == 0)
        m_byId.erase(from);
    if (onMessage)
        onMessage(from, conn->tag, message);
}

void ConnectionHub::peerClosed(TSock *sender)
{
    if (const ConnectionPtr conn = m_bySock.value(sender); conn && conn->sock)
        conn->sock->Close();
}

void ConnectionHub::info(TSock *sender, TSocketInfo, const QString &msg)
{
    if (msg != SocketClosed)
        return;
    // A socket may report its close more than once (closed by us while the
    // peer's close is being handled); only the first report counts.
    const ConnectionPtr conn = m_bySock.take(sender);
    if (!conn)
        return;
    conn->sock = nullptr;
    conn->closing = true;
    sender->deleteLater();
    // What it sent before it went is still handed out.
    m_pump->closed(conn->id);
    if (m_pump->queued(conn->id) == 0)
        m_byId.erase(conn->id);
    emit closed(conn->id, conn->tag, conn->address);
}

void ConnectionHub::send(ConnectionId id, const QByteArray &message)
{
    const ConnectionPtr conn = find(id);
    if (!conn || !conn->sock || conn->closing)
        return;
    TSock *sock = conn->sock;
    try {
        sock->Send(message);
    } catch (const ESockException &) {
        return;
    }
    // A peer that stops reading must not make our memory grow.
    if (sock->pendingSendBytes() > m_limits.maxUnsentBytes)
        dropConnection(conn, QStringLiteral("more than %1 bytes unsent").arg(m_limits.maxUnsentBytes));
}

void ConnectionHub::close(ConnectionId id)
{
    if (const ConnectionPtr conn = find(id); conn && conn->sock)
        conn->sock->Close();
}

void ConnectionHub::drop(ConnectionId id, const QString &why)
{
    if (const ConnectionPtr conn = find(id); conn && conn->sock)
        dropConnection(conn, why);
}

void ConnectionHub::dropConnection(const ConnectionPtr &conn, const QString &why)
{
    if (conn->closing)
        return;
    conn->closing = true;
    m_pump->forget(conn->id);
    emit dropped(conn->id, conn->tag, conn->address, why);
    QMetaObject::invokeMethod(this, [conn] {
        if (conn->sock)
            conn->sock->Close();
    }, Qt::QueuedConnection);
}

void ConnectionHub::admit(ConnectionId id)
{
    if (const ConnectionPtr conn = find(id))
        conn->admitted = true;
}

bool ConnectionHub::takeLine(ConnectionId id)
{
    const ConnectionPtr conn = find(id);
    if (!conn || conn->closing)
        return false;
    const qint64 t = now();
    if (conn->lines.take(t))
        return true;
    // Only the latest refusals matter: the oldest of them tells whether they
    // all fell within the window.
    conn->droppedLines.append(t);
    if (conn->droppedLines.size() > m_limits.maxDroppedLines)
        conn->droppedLines.removeFirst();
    if (m_limits.maxDroppedLines > 0 && conn->droppedLines.size() >= m_limits.maxDroppedLines
        && t - conn->droppedLines.constFirst() < DroppedLinesWindowMs)
        dropConnection(conn, QStringLiteral("%1 lines dropped within a minute").arg(m_limits.maxDroppedLines));
    return false;
}

void ConnectionHub::ban(const QString &address, int ms)
{
    // Old bans go first, so the table stays as small as the bans in force.
    const qint64 t = now();
    m_bannedUntil.removeIf([t](const auto &e) { return e.value() <= t; });
    m_bannedUntil.insert(address, t + ms);
}

void ConnectionHub::setClock(std::function<qint64()> nowMs)
{
    m_now = std::move(nowMs);
}

void ConnectionHub::forgetClosed(int tag)
{
    for (auto it = m_byId.begin(); it != m_byId.end();) {
        if (it->second->tag == tag && !it->second->sock) {
            m_pump->forget(it->first);
            it = m_byId.erase(it);
        } else {
            ++it;
        }
    }
}

void ConnectionHub::setTag(ConnectionId id, int tag)
{
    if (const ConnectionPtr conn = find(id)) {
        conn->tag = tag;
        if (conn->sock)
            conn->sock->setTag(tag);
    }
}

int ConnectionHub::tag(ConnectionId id) const
{
    const ConnectionPtr conn = find(id);
    return conn ? conn->tag : 0;
}

bool ConnectionHub::isAdmitted(ConnectionId id) const
{
    const ConnectionPtr conn = find(id);
    return conn && conn->admitted;
}

QString ConnectionHub::address(ConnectionId id) const
{
    const ConnectionPtr conn = find(id);
    return conn ? conn->address : QString();
}

TSock *ConnectionHub::socket(ConnectionId id) const
{
    const ConnectionPtr conn = find(id);
    return conn ? conn->sock : nullptr;
}

qsizetype ConnectionHub::pendingOutput() const
{
    qsizetype n = 0;
    for (const ConnectionPtr &conn : m_bySock)
        n += conn->sock->pendingSendBytes();
    return n;
}

// Live connections from address that wait for their admission.
int ConnectionHub::waitingFrom(const QString &address) const
{
    int n = 0;
    for (const ConnectionPtr &conn : m_bySock) {
        if (!conn->admitted && !conn->closing && conn->address == address)
            ++n;
    }
    return n;
}

// Live connections from address, waiting or admitted.
int ConnectionHub::liveFrom(const QString &address) const
{
    int n = 0;
    for (const ConnectionPtr &conn : m_bySock) {
        if (!conn->closing && conn->address == address)
            ++n;
    }
    return n;
}

void ConnectionHub::expireLogins()
{
    const qint64 now = m_clock.elapsed();
    qint64 next = -1;
    // In the order of the accepts, so drops are told in that order; told
    // after the walk, as those who hear of them may change the table.
    QList<ConnectionPtr> late;
    for (const auto &[id, conn] : m_byId) {
        if (!conn->sock || conn->closing || conn->admitted)
            continue;
        const qint64 due = conn->acceptedAt + m_loginTimeoutMs;
        if (due <= now)
            late.append(conn);
        else if (next < 0 || due < next)
            next = due;
    }
    for (const ConnectionPtr &conn : late)
        dropConnection(conn, QStringLiteral("no login within %1 s").arg(m_loginTimeoutMs / 1000.0));
    if (next >= 0)
        m_loginWatch->start(int(next - now));
    else
        m_loginWatch->stop();
}

} // namespace glyphon
