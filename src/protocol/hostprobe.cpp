#include "protocol/hostprobe.h"

#include "protocol/wire.h"

#include <QTcpSocket>
#include <QTimer>

namespace glyphon {

namespace {

// A host's first message is a few bytes; more without a terminator is no host.
constexpr qsizetype MaxGreeting = 256;

} // namespace

HostProbe::HostProbe(QObject *parent)
    : QObject(parent)
    , m_limit(new QTimer(this))
{
    m_limit->setSingleShot(true);
    connect(m_limit, &QTimer::timeout, this, [this] { finish(Result::Silent); });
}

HostProbe::~HostProbe()
{
    abort();
}

void HostProbe::start(const QString &host, quint16 port, int timeoutMs)
{
    abort();
    m_buffer.clear();
    m_socket = new QTcpSocket(this);
    connect(m_socket, &QTcpSocket::readyRead, this, &HostProbe::read);
    // Refused, unknown name, reset, or closed before a word.
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this] { finish(Result::Unreachable); });
    m_limit->start(timeoutMs);
    m_socket->connectToHost(host, port, QIODevice::ReadWrite, QAbstractSocket::IPv4Protocol);
}

void HostProbe::abort()
{
    ++m_serial; // a result on its way is not told
    m_limit->stop();
    if (QTcpSocket *socket = std::exchange(m_socket, nullptr)) {
        socket->disconnect(this);
        // Everything sent was read: the host sees an orderly close.
        socket->abort();
        socket->deleteLater();
    }
}

void HostProbe::read()
{
    m_buffer += m_socket->read(MaxGreeting + 1 - m_buffer.size());
    const qsizetype end = m_buffer.indexOf(Terminator);
    if (end < 0) {
        if (m_buffer.size() > MaxGreeting)
            finish(Result::Unreachable);
        return;
    }
    const QByteArray name = splitCommand(m_buffer.left(end)).name;
    if (name == greeting::SeatOffered)
        finish(Result::Greeted);
    else if (name == greeting::Full)
        finish(Result::Full);
    else
        finish(Result::Unreachable); // something else speaks on that port
}

void HostProbe::finish(Result result)
{
    if (!m_socket)
        return;
    abort();
    // Told from the event loop, not from inside the socket's own signal: a
    // receiver may run an event loop of its own, in which the socket goes.
    const quint64 serial = m_serial;
    QMetaObject::invokeMethod(this, [this, serial, result] {
        if (serial == m_serial)
            emit finished(result);
    }, Qt::QueuedConnection);
}

} // namespace glyphon
