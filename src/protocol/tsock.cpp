#include "protocol/tsock.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QList>
#include <QPointer>
#include <QSocketNotifier>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <exception>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

// The most one receive call takes; the rest waits for the next Read event.
constexpr int ReadBlockSize = 32768;

struct HostEntry
{
    QString name;
    quint32 address; // network byte order
};

QList<HostEntry> &hostCache()
{
    static QList<HostEntry> cache;
    return cache;
}

bool startsWithDigit(const QString &text)
{
    return !text.isEmpty() && text.front() >= u'0' && text.front() <= u'9';
}

bool isTransient(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

int newStreamSocket()
{
    return ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

// The game's messages are small and each one matters at once: without this,
// a message can wait for the peer's delayed acknowledgement of the one before.
void sendAtOnce(int fd)
{
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

} // namespace

TSock::TSock(QObject *owner)
    : QObject(owner)
{
}

TSock::~TSock()
{
    stopLookup();
    if (m_listen || m_connected) {
        Close();
    } else if (m_handle >= 0) {
        // Still connecting, or left half-made by a failed Listen: nobody was
        // told of a connection, so nobody is told of its end.
        releaseNotifiers();
        ::close(m_handle);
        m_handle = -1;
    }
    // Accepted sockets are QObject children and go next, each with its report.
}

void TSock::setHostName(const QString &name)
{
    m_hostName = name;
    if (m_connected)
        report(TSocketInfo::Lookup, QStringLiteral("Setting HostName While Connected Has No Effect"));
}

void TSock::setPortName(const QString &name)
{
    m_portName = name;
    if (m_connected)
        report(TSocketInfo::Lookup, QStringLiteral("Setting PortName While Connected Has No Effect"));
}

quint16 TSock::localPort() const
{
    if (m_handle < 0)
        return 0;
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    if (::getsockname(m_handle, reinterpret_cast<sockaddr *>(&addr), &len) != 0)
        return 0;
    return ntohs(addr.sin_port);
}

quint16 TSock::peerPort() const
{
    if (m_handle < 0)
        return 0;
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    if (::getpeername(m_handle, reinterpret_cast<sockaddr *>(&addr), &len) != 0)
        return 0;
    return ntohs(addr.sin_port);
}

void TSock::report(TSocketInfo info, const QString &msg)
{
    if (!OnInfo)
        return;
    // A copy, so a handler may replace OnInfo while it runs.
    const NotifyInfoEvent handler = OnInfo;
    try {
        handler(this, info, msg);
    } catch (...) {
        throw ESockException(QStringLiteral("Error here"));
    }
}

void TSock::applyBlocking()
{
    // Only the non-blocking mode exists here: register for events.
    releaseNotifiers();
    m_readNotifier = new QSocketNotifier(m_handle, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, [this] { onReadable(); });
    m_writeNotifier = new QSocketNotifier(m_handle, QSocketNotifier::Write, this);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] { onWritable(); });
    // A connecting socket waits for writability (the connect's outcome);
    // reading starts once connected.
    m_readNotifier->setEnabled(m_listen || m_connected);
    updateWriteNotifier();
}

void TSock::updateWriteNotifier()
{
    if (!m_writeNotifier)
        return;
    // Level-triggered: enabled only while there is something to wait for,
    // or a writable socket would wake the loop forever.
    const bool connecting = !m_listen && !m_connected && !m_connectFailed && m_connectError == 0;
    const bool flushing = m_connected && !m_sendBuffer.isEmpty() && m_sendError == 0;
    m_writeNotifier->setEnabled(connecting || flushing);
}

void TSock::releaseNotifiers()
{
    // Disabled at once (the handle may be closed next); deleted later, since
    // this may run inside one of their own signals.
    for (QSocketNotifier *n : {m_readNotifier, m_writeNotifier}) {
        if (n) {
            n->setEnabled(false);
            n->deleteLater();
        }
    }
    m_readNotifier = nullptr;
    m_writeNotifier = nullptr;
}

quint16 TSock::resolvePort()
{
    report(TSocketInfo::Lookup, QStringLiteral("Lookup Of Port ") + m_portName);
    if (startsWithDigit(m_portName)) {
        bool ok = false;
        const uint port = m_portName.toUInt(&ok, 10);
        if (!ok || port > 65535)
            throw ESockException(QStringLiteral("'%1' is not a valid integer value").arg(m_portName));
        return quint16(port);
    }
    const QByteArray service = m_portName.toLocal8Bit();
    const servent *entry = ::getservbyname(service.constData(), "tcp");
    if (!entry)
        throw ESockException(QStringLiteral("Port Lookup - Could Not Find Service Entry"));
    return ntohs(quint16(entry->s_port));
}

std::optional<quint32> TSock::knownHost()
{
    if (m_hostName.isEmpty())
        throw ESockException(QStringLiteral("Host Lookup - Could Not Find Host Entry"));
    report(TSocketInfo::Lookup, QStringLiteral("Lookup Of Host ") + m_hostName);
    if (startsWithDigit(m_hostName)) {
        // Never looked up by name; unreadable text gives 255.255.255.255,
        // whose connection attempt then fails.
        return ::inet_addr(m_hostName.toLatin1().constData());
    }
    for (const HostEntry &e : std::as_const(hostCache())) {
        if (e.name.compare(m_hostName, Qt::CaseInsensitive) == 0)
            return e.address;
    }
    return std::nullopt;
}

void TSock::lookedUp(const QHostInfo &info, quint16 port)
{
    if (info.lookupId() != m_lookupId)
        return; // closed, or opened again, since
    m_lookupId = -1;
    const QList<QHostAddress> found = info.addresses();
    const auto v4 = std::find_if(found.begin(), found.end(), [](const QHostAddress &a) {
        return a.protocol() == QAbstractSocket::IPv4Protocol;
    });
    if (info.error() != QHostInfo::NoError || v4 == found.end())
        throw ESockException(QStringLiteral("Host Lookup - Could Not Find Host Entry"));
    const quint32 address = htonl(v4->toIPv4Address());
    if (!std::any_of(hostCache().cbegin(), hostCache().cend(), [&](const HostEntry &e) {
            return e.name.compare(info.hostName(), Qt::CaseInsensitive) == 0;
        }))
        hostCache().append({info.hostName(), address});
    connectTo(address, port);
}

void TSock::stopLookup()
{
    if (m_lookupId >= 0)
        QHostInfo::abortHostLookup(std::exchange(m_lookupId, -1));
}

void TSock::clearHostCache()
{
    hostCache().clear();
}

int TSock::hostCacheSize()
{
    return int(hostCache().size());
}

bool TSock::setKeepAlive(int idleSeconds, int intervalSeconds, int count)
{
    if (m_handle < 0)
        return false;
    const int on = 1;
    return ::setsockopt(m_handle, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) == 0
        && ::setsockopt(m_handle, IPPROTO_TCP, TCP_KEEPIDLE, &idleSeconds, sizeof idleSeconds) == 0
        && ::setsockopt(m_handle, IPPROTO_TCP, TCP_KEEPINTVL, &intervalSeconds, sizeof intervalSeconds) == 0
        && ::setsockopt(m_handle, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count) == 0;
}

bool TSock::Open()
{
    if (m_handle >= 0)
        return m_connected;
    const int fd = newStreamSocket();
    if (fd < 0) {
        report(TSocketInfo::Error, glyphon::socketErrorText(errno));
        return false;
    }
    m_handle = fd;
    sendAtOnce(fd);
    m_connected = false;
    m_connectFailed = false;
    m_connectError = 0;
    m_sendError = 0;

    const quint16 port = resolvePort();
    if (const std::optional<quint32> address = knownHost()) {
        connectTo(*address, port);
        return m_connected;
    }
    // The system's lookup may wait seconds for a name server: not on this
    // thread. A lookup that fails raises from the event loop, with the text
    // a failed lookup always had.
    const QString name = m_hostName;
    m_lookupId = QHostInfo::lookupHost(name, this, [this, port, name](const QHostInfo &info) {
        QHostInfo answer = info;
        answer.setHostName(name);
        // Raised from an event of this socket's own, so that the lookup's
        // machinery is never unwound by it.
        QMetaObject::invokeMethod(this, [this, answer, port] { lookedUp(answer, port); }, Qt::QueuedConnection);
    });
    return m_connected;
}

void TSock::connectTo(quint32 address, quint16 port)
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = address;

    applyBlocking();
    if (::connect(m_handle, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) != 0
        && errno != EINPROGRESS && errno != EINTR) {
        // Failed at once: reported as the Connect event's error all the same,
        // from the event loop like any other.
        m_connectError = errno;
        updateWriteNotifier();
        QMetaObject::invokeMethod(this, [this] {
            if (m_connectError != 0 && !m_connected && !m_connectFailed)
                onWritable();
        }, Qt::QueuedConnection);
    }
}

void TSock::setListen(bool on)
{
    if (!on) {
        if (!m_listen)
            return;
        m_listen = false;
        Close();
        report(TSocketInfo::Listen, QStringLiteral("Listening Stopped"));
        return;
    }
    if (m_listen) {
        report(TSocketInfo::Listen, QStringLiteral("Listening Already Running"));
        return;
    }
    if (m_handle >= 0)
        throw ESockException(QStringLiteral("Listen - Socket Already In Use"));

    const int fd = newStreamSocket();
    if (fd < 0)
        throw ESockException(QStringLiteral("Listen - Error Starting Listen"));
    m_handle = fd;
    m_connected = false;
    m_sendError = 0;

    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(m_loopbackOnly ? INADDR_LOOPBACK : INADDR_ANY);
    addr.sin_port = htons(resolvePort());

    // A host restarted at once must not wait for the old connections'
    // TIME_WAIT to pass.
    const int one = 1;
    ::setsockopt(m_handle, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(m_handle, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) != 0)
        throw ESockException(QStringLiteral("Listen - Error Binding Socket"));
    // A deep queue of connections not yet accepted: with a short one, a burst
    // of connects (a storm, or many players at once while the host is busy)
    // has some dropped, and each of those tries again only a second later.
    if (::listen(m_handle, SOMAXCONN) != 0)
        throw ESockException(QStringLiteral("Listen - Error Starting Listen"));

    // Registered only now: an unbound socket would look readable at once.
    m_listen = true;
    applyBlocking();
    report(TSocketInfo::Listen, QStringLiteral("Listening Started"));
}

bool TSock::Accept(TSock *&newSock)
{
    if (!m_listen)
        throw ESockException(QStringLiteral("Accept - Socket Not In Listening Mode"));

    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    const int fd = ::accept4(m_handle, reinterpret_cast<sockaddr *>(&peer), &len,
                             SOCK_NONBLOCK | SOCK_CLOEXEC);
    // Accept events resume once a connection has been taken (or tried for).
    if (m_readNotifier)
        m_readNotifier->setEnabled(true);
    if (fd < 0) {
        report(TSocketInfo::Accept, QStringLiteral("Could Not Accept Connection"));
        return false;
    }

    sendAtOnce(fd);
    auto *sock = new TSock(this);
    sock->m_handle = fd;
    sock->m_blocking = m_blocking;
    sock->m_connected = true;
    sock->applyBlocking();
    sock->m_blockingTimeout = m_blockingTimeout;
    sock->OnRead = OnRead;
    sock->OnWrite = OnWrite;
    sock->OnDisconnect = OnDisconnect;
    sock->OnInfo = OnInfo;
    sock->setPortName(m_portName);
    sock->setHostName(QString::fromLatin1(::inet_ntoa(peer.sin_addr)));
    newSock = sock;
    report(TSocketInfo::Accept, QStringLiteral("Created New TSock Structure"));
    return true;
}

bool TSock::Send(const QByteArray &text)
{
    if (m_handle < 0)
        throw ESockException(QStringLiteral("Send - Socket Not Connected"));
    if (m_listen)
        throw ESockException(QStringLiteral("Send - Cannot Send On A Listener Socket"));
    m_sendBuffer += text;
    if (m_sendBuffer.isEmpty())
        return true;

    report(TSocketInfo::Send, QStringLiteral("Non-Blocking Outgoing Data"));
    // MSG_NOSIGNAL: a peer that is gone must not end the program with SIGPIPE.
    const ssize_t n = ::send(m_handle, m_sendBuffer.constData(), size_t(m_sendBuffer.size()),
                             MSG_NOSIGNAL);
    if (n > 0) {
        m_sendBuffer.remove(0, qsizetype(n));
    } else if (n < 0 && !isTransient(errno) && m_connected && m_sendError == 0) {
        // The connection is broken; its end shows on the read side, which
        // reports this error then.
        m_sendError = errno;
    }
    updateWriteNotifier();
    return true;
}

QByteArray TSock::Text()
{
    if (m_handle < 0 && m_receiveBuffer.isEmpty())
        throw ESockException(QStringLiteral("Receive - Socket Not Connected"));
    if (m_listen)
        throw ESockException(QStringLiteral("Receive - Cannot Receive On A Listener Socket"));
    return std::exchange(m_receiveBuffer, QByteArray());
}

bool TSock::Close()
{
    stopLookup();
    releaseNotifiers();
    // Closed also when invalid already: that call fails and makes the result.
    const bool ok = ::close(m_handle) == 0;
    m_handle = -1;
    m_connected = false;
    m_connectFailed = false;
    m_connectError = 0;
    m_sendError = 0;
    // What the network never took cannot go anywhere any more.
    m_sendBuffer.clear();
    if (!m_listen) {
        try {
            report(TSocketInfo::Close, QStringLiteral("Socket Closed"));
        } catch (...) {
        }
    }
    m_listen = false;
    return ok;
}

void TSock::onReadable()
{
    if (m_listen) {
        // Like an accept event: no further one until Accept has been called,
        // so a handler that does not accept cannot make the loop spin.
        m_readNotifier->setEnabled(false);
        if (OnAccept) {
            const NotifyEvent handler = OnAccept;
            handler(this);
        }
        return;
    }

    char block[ReadBlockSize];
    const ssize_t n = ::recv(m_handle, block, sizeof block, 0);
    if (n > 0) {
        m_receiveBuffer.append(block, qsizetype(n));
        deliverRead();
    } else if (n == 0) {
        connectionEnded(m_sendError);
    } else if (isTransient(errno)) {
        deliverRead();
    } else {
        connectionEnded(errno);
    }
}

void TSock::deliverRead()
{
    QPointer<TSock> self(this);
    report(TSocketInfo::Receive, QStringLiteral("Non-Blocking Incoming Data"));
    if (self && OnRead) {
        const NotifyReadEvent handler = OnRead;
        handler(this, int(m_receiveBuffer.size()));
    }
}

void TSock::connectionEnded(int error)
{
    // An orderly close is OnDisconnect then Close. A connection reset or
    // aborted by the network is reported as the error first and then ends the
    // same way, so its owner frees what it holds for it. Close runs even when
    // a handler throws, or the dead socket would keep waking the loop.
    QPointer<TSock> self(this);
    std::exception_ptr failure;
    if (error != 0) {
        try {
            report(TSocketInfo::Error, glyphon::socketErrorText(error));
        } catch (...) {
            failure = std::current_exception();
        }
    }
    if (self && OnDisconnect) {
        const NotifyEvent handler = OnDisconnect;
        try {
            handler(this);
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    if (self)
        Close();
    if (failure)
        std::rethrow_exception(failure);
}

void TSock::onWritable()
{
    if (m_connected) {
        deliverWrite();
        return;
    }

    int error = m_connectError;
    if (error == 0) {
        socklen_t len = sizeof error;
        if (::getsockopt(m_handle, SOL_SOCKET, SO_ERROR, &error, &len) != 0)
            error = errno;
    }
    if (error != 0) {
        // Refused or timed out: reported, and the socket stays unconnected
        // with nothing more to wait for.
        m_connectFailed = true;
        if (m_readNotifier)
            m_readNotifier->setEnabled(false);
        updateWriteNotifier();
        report(TSocketInfo::Error, glyphon::socketErrorText(error));
        return;
    }

    m_connected = true;
    if (m_readNotifier)
        m_readNotifier->setEnabled(true);
    updateWriteNotifier();
    QPointer<TSock> self(this);
    report(TSocketInfo::Connect, QStringLiteral("Non-Blocking Socket Connected"));
    if (self && OnConnect) {
        const NotifyEvent handler = OnConnect;
        handler(this);
    }
    // The Write event that follows a connect sends what was queued before.
    if (self && m_connected)
        deliverWrite();
}

void TSock::deliverWrite()
{
    QPointer<TSock> self(this);
    if (!m_sendBuffer.isEmpty())
        Send(QByteArray());
    if (!self)
        return;
    report(TSocketInfo::Send, QStringLiteral("Non-Blocking Outgoing Data"));
    if (self && OnWrite) {
        const NotifyEvent handler = OnWrite;
        handler(this);
    }
    if (self)
        updateWriteNotifier();
}
