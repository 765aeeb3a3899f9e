#include "session/clientsession.h"

#include "protocol/tsock.h"
#include "session/reconnector.h"
#include "session/serverlink.h"

namespace glyphon {

ClientSession::ClientSession(const QString &gamePort, QObject *parent)
    : QObject(parent)
    , m_link(new ServerLink(this))
    , m_game(new ClientGame(this))
    , m_gamePort(gamePort)
{
    m_clock.start();
    m_link->socket()->setPortName(gamePort);
    connect(m_link, &ServerLink::message, this, &ClientSession::dispatch);
    connect(m_link, &ServerLink::info, this, &ClientSession::socketReported);
    createReconnector();
    connect(m_link, &ServerLink::overflowed, this, [this] {
        // Before the line closes: its close is part of this end, not news.
        m_connected = false;
        m_closing = true;
        m_reconnector->stop();
        m_link->stopJoinLimit();
        emit sessionEnded(QStringLiteral("The host sent more than this window can take."));
    });
    connect(m_link, &ServerLink::joinTimedOut, this, [this] {
        if (!m_connected)
            emit sessionEnded(unreachableText());
    });
    connect(this, &ClientSession::seatOffered, this, &ClientSession::logIn);
    // Waiting lines go within a fraction of a second of the pace allowing.
    m_waitingTimer = new QTimer(this);
    m_waitingTimer->setInterval(100);
    connect(m_waitingTimer, &QTimer::timeout, this, &ClientSession::sendWaitingLines);
}

ClientSession::~ClientSession()
{
    // The sockets report their close to their owner; the session is going,
    // so nobody may hear it.
    m_link->shutDown();
}

QString ClientSession::unreachableText() const
{
    return QStringLiteral("The host at %1 could not be reached.").arg(m_hostAddress);
}

void ClientSession::setSolo()
{
    m_solo = true;
    m_hostAddress = QStringLiteral("127.0.0.1");
    m_name = QStringLiteral("You");
}

void ClientSession::setPlayer(const QString &name, const QString &hostAddress)
{
    // The host mends and cuts every name it is sent; the session keeps the
    // name as everybody will see it.
    m_name = fromWire(loginName(toWire(name)));
    m_hostAddress = hostAddress;
}

void ClientSession::connectToOwnHost(const QString &port)
{
    m_host = true;
    m_link->open(QStringLiteral("127.0.0.1"), port, false);
}

void ClientSession::join()
{
    // A link that dies in silence is noticed here too, and reconnected.
    m_link->open(m_hostAddress, m_gamePort, true);
    m_link->startJoinLimit();
}

void ClientSession::justWatch(int seat, bool watch)
{
    if (m_connected && ClientGame::isPlayerSeat(seat))
        send(msg::JustWatch{seat, watch}.encode());
}

void ClientSession::removeFromGame(int seat)
{
    if (m_host && m_connected)
        send(msg::KickHim{m_game->mySeat(), seat}.encode());
}

void ClientSession::send(const QByteArray &message)
{
    m_link->send(message);
}

void ClientSession::setClock(std::function<qint64()> nowMs)
{
    m_now = std::move(nowMs);
    m_lines = LineBucket(m_now());
}

qint64 ClientSession::now() const
{
    return m_now ? m_now() : m_clock.elapsed();
}

bool ClientSession::takeLine()
{
    if (!m_connected)
        return false;
    // Nothing passes a line that waits.
    if (m_waiting.isEmpty() && m_lines.take(now()))
        return true;
    emit statusLine(SlowDownText);
    return false;
}

void ClientSession::sendLineNow(bool action, const msg::ChatText &text)
{
    // The seat as it is when the line goes: a spectator back after a lost
    // line may sit elsewhere.
    const int seat = m_game->mySeat();
    const QByteArray line = cutLine(text.encode());
    send(action ? msg::ActionRequest{seat, line}.encode() : msg::ChatRequest{seat, line}.encode());
}

bool ClientSession::sendLine(bool action, const msg::ChatText &text)
{
    if (!m_connected)
        return false;
    if (m_waiting.isEmpty() && m_lines.take(now())) {
        sendLineNow(action, text);
        return true;
    }
    if (m_waiting.size() >= MaxWaitingLines) {
        emit statusLine(SlowDownText);
        return false;
    }
    m_waiting.append({action, text});
    m_waitingTimer->start();
    return true;
}

void ClientSession::sendWaitingLines()
{
    // A line lost meanwhile: they wait for it to come back.
    while (!m_waiting.isEmpty() && m_connected && !reconnecting() && m_lines.take(now())) {
        const auto [action, text] = m_waiting.takeFirst();
        sendLineNow(action, text);
    }
    if (m_waiting.isEmpty())
        m_waitingTimer->stop();
}

bool ClientSession::sendChat(const msg::ChatText &text)
{
    return sendLine(false, text);
}

bool ClientSession::sendAction(const msg::ChatText &text)
{
    return sendLine(true, text);
}

bool ClientSession::sendSound(const QByteArray &sound)
{
    if (!takeLine())
        return false;
    send(msg::PlayASoundRequest::ofSound(m_game->mySeat(), sound).encode());
    return true;
}

} // namespace glyphon
