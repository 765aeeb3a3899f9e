#include "session/serverlink.h"

#include "protocol/tsock.h"

#include <QTimer>

namespace glyphon {

ServerLink::ServerLink(QObject *parent)
    : QObject(parent)
    , m_sock(new TSock(this))
    , m_lobby(new TSock(this))
    , m_pump(new MessagePump(TickMs, MaxQueuedMessages, FrameBuffer::DefaultMaxPending, this))
    , m_joinLimit(new QTimer(this))
{
    m_sock->OnRead = [this](TSock *, int) { read(); };
    m_sock->OnInfo = [this](TSock *, TSocketInfo what, const QString &text) { emit info(what, text); };
    m_lobby->setHostName(QStringLiteral("127.0.0.1"));
    m_lobby->setPortName(QStringLiteral("9001"));
    m_pump->timer()->setTimerType(Qt::PreciseTimer);
    m_pump->setMaxQueuedBytes(MaxQueuedBytes);
    m_pump->setHandler([this](MessagePump::ConnectionId, const QByteArray &m) {
        m_readAt = m_pump->readAt();
        emit message(m);
        m_readAt = -1;
    });
    m_joinLimit->setSingleShot(true);
    m_joinLimit->setInterval(JoinTimeLimitMs);
    connect(m_joinLimit, &QTimer::timeout, this, &ServerLink::joinTimedOut);
}

ServerLink::~ServerLink()
{
    shutDown();
}

void ServerLink::shutDown()
{
    for (TSock *s : {m_sock, m_lobby}) {
        s->OnInfo = nullptr;
        s->OnRead = nullptr;
        s->Close();
    }
}

void ServerLink::open(const QString &host, const QString &port, bool keepAlive)
{
    m_pump->closed(m_line);
    ++m_line;
    m_sock->setHostName(host);
    m_sock->setPortName(port);
    m_sock->Open();
    if (keepAlive)
        m_sock->setKeepAlive(10, 5, 4);
}

void ServerLink::read()
{
    // A peer that sends an endless message is not a host of ours.
    const MessagePump::Fed fed = m_pump->feed(m_line, m_sock->Text());
    if (fed == MessagePump::Fed::Overfull)
        emit overflowed();
    if (fed != MessagePump::Fed::Ok)
        m_sock->Close();
}

void ServerLink::send(const QByteArray &message)
{
    if (m_sock->Connected())
        m_sock->Send(message);
}

void ServerLink::startJoinLimit()
{
    m_joinLimit->start();
}

void ServerLink::stopJoinLimit()
{
    m_joinLimit->stop();
}

bool ServerLink::awaitingSeat() const
{
    return m_joinLimit->isActive();
}

void ServerLink::setJoinTimeLimitMs(int ms)
{
    m_joinLimit->setInterval(ms);
}

} // namespace glyphon
