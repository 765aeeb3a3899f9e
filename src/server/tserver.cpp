// Construction, the sockets' read path, the dispatch tick and sending.

#include "server/tserver.h"

#include "dictionary/random.h"
#include "dictionary/tdictn.h"

#include <QFile>
#include <QTimer>
#include <algorithm>

using namespace glyphon;

namespace {

using Handler = void (TServer::*)(int, const QByteArray &);
struct Route
{
    const char *name;
    Handler handler;
};
// The only requests a client may make.
const Route routes[] = {
    {msg::LoginInfo::Name, &TServer::receivedlogininfo},
    {msg::KickHim::Name, &TServer::kickhim},
    {msg::ChatRequest::Name, &TServer::chat},
    {msg::ActionRequest::Name, &TServer::action},
    {msg::PlayASoundRequest::Name, &TServer::playasound},
    {msg::StartGameRequest::Name, &TServer::startgame},
    {msg::JustWatch::Name, &TServer::justwatch},
    {msg::SubmitIt::Name, &TServer::submitit},
};

} // namespace

TServer::TServer(const HostConfig &config, QObject *parent)
    : QObject(parent)
{
    m_random.seed(config.seed.value_or(clockSeed()));
    Sock1 = new TSock(this);
    Sock1->setPortName(QString::number(config.port));
    Sock1->OnAccept = [this](TSock *s) { Sock1Accept(s); };
    Sock1->OnRead = [this](TSock *s, int count) { Sock1Read(s, count); };

    tempsock = new TSock(this);
    tempsock->OnDisconnect = [this](TSock *s) { tempsockDisconnect(s); };
    tempsock->OnInfo = [this](TSock *s, TSocketInfo info, const QString &msg) { tempsockInfo(s, info, msg); };

    // Dispatch rests while nothing is queued; an arrival wakes it.
    m_pump = new MessagePump(DispatchIntervalMs, MaxQueuedPerConnection, FrameBuffer::DefaultMaxPending, this);
    m_pump->setHandler([this](MessagePump::ConnectionId from, const QByteArray &message) { dispatch(from, message); });
    socktimer = m_pump->timer();
    m_clock.start();

    m_loginWatch = new QTimer(this);
    m_loginWatch->setSingleShot(true);
    connect(m_loginWatch, &QTimer::timeout, this, &TServer::expireLogins);

    timer_breaks = new QTimer(this);
    timer_breaks->setInterval(m_tickMs);
    connect(timer_breaks, &QTimer::timeout, this, &TServer::timer_breaksTimer);

    computertimer = new QTimer(this);
    connect(computertimer, &QTimer::timeout, this, &TServer::computertimerTimer);

    setTickMs(config.tickMs);
    setBotSpeed(config.botSpeed);
    setLoginTimeoutMs(config.loginTimeoutMs);

    spell = new TDictn(this, config.wordFile, config.builtInList, config.onMissingWordFile);
    loadCandidates();

    seats[2].botname = QByteArrayLiteral("Rizi");
    playercount = 2;
}

TServer::~TServer()
{
    // Nothing may call back into this object while its members go: stop
    // the timers, unhook every accepted socket, then close them all by
    // deleting the listener that owns them.
    socktimer->stop();
    timer_breaks->stop();
    computertimer->stop();
    m_loginWatch->stop();
    Sock1->OnAccept = nullptr;
    Sock1->OnRead = nullptr;
    // Every accepted socket, open or closed but not yet deleted, is a child
    // of Sock1.
    for (TSock *child : Sock1->findChildren<TSock *>()) {
        child->OnRead = nullptr;
        child->OnWrite = nullptr;
        child->OnDisconnect = nullptr;
        child->OnInfo = nullptr;
    }
    delete Sock1;
    Sock1 = nullptr;
    for (TSeat &seat : seats)
        seat.sock = nullptr;
    m_connections.clear();
    m_byId.clear();
}

void TServer::loadCandidates()
{
    QFile file(QStringLiteral(":/words/candidates.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return;
    QStringList words;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QByteArray word = line.trimmed();
        if (!word.isEmpty())
            words.append(QString::fromLatin1(word));
    }
    words.sort();
    listbox_words.setWords(words);
    m_gentle.setWords(words);
}

void TServer::setTickMs(int ms)
{
    m_tickMs = std::max(1, ms);
    timer_breaks->setInterval(m_tickMs);
}

void TServer::setBotSpeed(int ms)
{
    m_botSpeed = (ms == 2000 || ms == 500) ? ms : 1000;
}

int TServer::botDelayMs() const
{
    return std::max(1, int(qint64(m_botSpeed) * m_tickMs / 1000));
}

void TServer::setLoginTimeoutMs(int ms)
{
    m_loginTimeoutMs = std::max(1, ms);
    if (m_loginWatch->isActive())
        expireLogins();
}

void TServer::Sock1Read(TSock *sender, int)
{
    QByteArray bytes;
    try {
        bytes = sender->Text();
    } catch (const ESockException &) {
        return;
    }
    const ConnectionPtr conn = connectionOf(sender);
    if (!conn || conn->closing)
        return;
    switch (m_pump->feed(conn->id, bytes)) {
    case MessagePump::Fed::Ok:
        break;
    case MessagePump::Fed::Overlong:
        drop(conn, QStringLiteral("more than %1 bytes without a terminator").arg(FrameBuffer::DefaultMaxPending));
        break;
    case MessagePump::Fed::Overfull:
        drop(conn, QStringLiteral("more than %1 messages waiting").arg(MaxQueuedPerConnection));
        break;
    }
}

void TServer::setDispatchMs(int ms)
{
    m_pump->setInterval(ms);
}

void TServer::socktimerTimer()
{
    m_pump->tick();
}

void TServer::dispatch(MessagePump::ConnectionId from, const QByteArray &message)
{
    const ConnectionPtr conn = m_byId.value(from);
    if (!conn)
        return;
    // A closed connection is forgotten once its last message is handled.
    if (!conn->sock && m_pump->queued(from) == 0)
        m_byId.remove(from);

    const Command command = splitCommand(message);
    if (command.name.isEmpty())
        return;
    for (const Route &route : routes) {
        if (command.name == route.name) {
            (this->*route.handler)(conn->seat, command.data);
            return;
        }
    }
}

int TServer::queuedMessages() const
{
    return m_pump->queued();
}

qsizetype TServer::pendingOutput() const
{
    qsizetype n = 0;
    for (auto it = m_connections.cbegin(); it != m_connections.cend(); ++it) {
        if (it.value()->sock)
            n += it.value()->sock->pendingSendBytes();
    }
    return n;
}

// Closes a connection that misbehaves. The close waits for the event loop, so
// that it never happens inside the socket's own event or in the middle of a
// broadcast; until then nothing more is read from it or sent to it.
void TServer::drop(const ConnectionPtr &conn, const QString &why)
{
    if (conn->closing)
        return;
    conn->closing = true;
    m_pump->forget(conn->id);
    emit connectionDropped(conn->seat, conn->address, why);
    QMetaObject::invokeMethod(this, [this, conn] {
        if (conn->sock && seats[conn->seat].sock == conn->sock)
            disconnectsock(conn->seat);
        else if (conn->sock)
            conn->sock->Close();
    }, Qt::QueuedConnection);
}

// Messages still queued from an earlier occupant of the seat must not be
// taken for requests of the newcomer.
void TServer::forgetQueued(int seat)
{
    for (auto it = m_byId.begin(); it != m_byId.end();) {
        if ((*it)->seat == seat && !(*it)->sock) {
            m_pump->forget(it.key());
            it = m_byId.erase(it);
        } else {
            ++it;
        }
    }
}

bool TServer::isSendable(int seat) const
{
    if (seat < 1 || seat > SeatCount)
        return false;
    const TSeat &s = seats[seat];
    if (!s.connected || !s.sock)
        return false;
    const ConnectionPtr conn = connectionOf(s.sock);
    return !conn || !conn->closing;
}

void TServer::sendTo(int seat, const QByteArray &message)
{
    if (!isSendable(seat))
        return;
    TSock *sock = seats[seat].sock;
    try {
        sock->Send(message);
    } catch (const ESockException &) {
        return;
    }
    // A peer that stops reading must not make our memory grow.
    if (sock->pendingSendBytes() > MaxUnsentBytes) {
        if (const ConnectionPtr conn = connectionOf(sock))
            drop(conn, QStringLiteral("more than %1 bytes unsent").arg(MaxUnsentBytes));
    }
}

void TServer::broadcast(const QByteArray &message)
{
    for (int seat = 1; seat <= slotsused && seat <= SeatCount; ++seat) {
        if (seats[seat].connected)
            sendTo(seat, message);
    }
}

void TServer::disconnectsock(int seat)
{
    if (seat < 1 || seat > SeatCount)
        return;
    if (seats[seat].connected && seats[seat].sock)
        seats[seat].sock->Close();
}
