// Seats: accepting connections, login, relays, removal, just-watch, leaving.

#include "server/tserver.h"

using namespace glyphon;

namespace {
const QString SocketClosed = QStringLiteral("Socket Closed");
}

void TServer::Sock1Accept(TSock *)
{
    TSock *sock = nullptr;
    try {
        if (!Sock1->Accept(sock) || !sock)
            return;
    } catch (const ESockException &) {
        return;
    }
    // The peer's address, as the accept wrote it into the new socket.
    const QString address = sock->HostName();
    if (waitingFrom(address) >= MaxWaitingPerAddress) {
        refuse(sock, QStringLiteral("%1 connections from this address are waiting for their login")
                         .arg(MaxWaitingPerAddress));
        return;
    }

    int seat = 0;
    if (slotsused == 0) {
        seat = 1;
    } else {
        int i = 1;
        while (i < slotsused && seats[i].connected)
            ++i;
        if (!seats[i].connected) {
            seat = i;
        } else if (i >= MaxSeats) {
            // Every seat is taken: say so and let the connection go at once.
            sock->setTag(i + 1);
            try {
                sock->Send(msg::Full{}.encode());
            } catch (const ESockException &) {
            }
            refuse(sock, QStringLiteral("all %1 seats are taken").arg(MaxSeats));
            return;
        } else {
            seat = slotsused + 1;
        }
    }

    slotsused = std::max(slotsused, seat);
    // A peer whose link died without a word would hold its seat for hours;
    // probes find it within about half a minute (10 s quiet, 4 x 5 s), so a
    // player who comes back finds the seat free.
    sock->setKeepAlive(10, 5, 4);
    sock->setTag(seat);
    sock->OnRead = Sock1->OnRead;
    sock->OnDisconnect = tempsock->OnDisconnect;
    sock->OnInfo = tempsock->OnInfo;

    forgetQueued(seat);
    auto conn = std::make_shared<Connection>();
    conn->sock = sock;
    conn->seat = seat;
    conn->id = ++m_lastConnectionId;
    m_connections.insert(sock, conn);
    m_byId.insert(conn->id, conn);
    conn->address = address;
    conn->acceptedAt = m_clock.elapsed();
    // Deadlines fall in the order of the accepts, so a running watch is due first.
    if (!m_loginWatch->isActive())
        m_loginWatch->start(m_loginTimeoutMs);

    TSeat &s = seats[seat];
    s.sock = sock;
    s.connected = true;
    // score stays: a newcomer on a player seat carries on with its points.
    sendTo(seat, msg::SendLoginInfo{seat}.encode());
}

// Closes a connection that is given no seat; nobody else hears of it.
void TServer::refuse(TSock *sock, const QString &why)
{
    sock->OnInfo = nullptr;
    sock->OnRead = nullptr;
    sock->OnDisconnect = nullptr;
    const QString address = sock->HostName();
    delete sock;
    emit connectionDropped(0, address, why);
}

// Connections from address that have a seat but no login yet.
int TServer::waitingFrom(const QString &address) const
{
    int n = 0;
    for (int i = 1; i <= MaxSeats; ++i) {
        const TSeat &s = seats[i];
        if (!s.connected || s.loggedin || !s.sock)
            continue;
        const ConnectionPtr conn = connectionOf(s.sock);
        if (conn && !conn->closing && conn->address == address)
            ++n;
    }
    return n;
}

void TServer::expireLogins()
{
    const qint64 now = m_clock.elapsed();
    qint64 next = -1;
    for (int i = 1; i <= MaxSeats; ++i) {
        const TSeat &s = seats[i];
        if (!s.connected || s.loggedin || !s.sock)
            continue;
        const ConnectionPtr conn = connectionOf(s.sock);
        if (!conn || conn->closing)
            continue;
        const qint64 due = conn->acceptedAt + m_loginTimeoutMs;
        if (due <= now)
            drop(conn, QStringLiteral("no login within %1 s").arg(m_loginTimeoutMs / 1000.0));
        else if (next < 0 || due < next)
            next = due;
    }
    if (next >= 0)
        m_loginWatch->start(int(next - now));
    else
        m_loginWatch->stop();
}

void TServer::receivedlogininfo(int fromSeat, const QByteArray &data)
{
    const std::optional<msg::LoginInfo> login = msg::LoginInfo::decode(data);
    if (!login || login->seat != fromSeat || fromSeat < 1 || fromSeat > MaxSeats)
        return;
    TSeat &s = seats[fromSeat];
    // A login queued by a connection that has gone must not bring its seat back.
    if (!s.connected)
        return;
    // Made safe once, here, so every later list and relay carries one field
    // and the same name.
    s.name = loginName(login->name);
    s.loggedin = true;
    // A just-watch set on the empty seat was meant for nobody: the newcomer
    // plays its own turns, and every list says so.
    s.watching = false;
    const QByteArray &name = s.name;
    emit playerArrived(fromSeat, fromWire(name));

    broadcast(msg::NewPlayerInfo{fromSeat, name, false}.encode());

    msg::ExistingPlayers others;
    for (int i = 1; i <= slotsused; ++i) {
        if (i == fromSeat || !seats[i].connected || !seats[i].loggedin)
            continue;
        others.players << msg::SeatEntry{i, seats[i].name, seats[i].watching};
    }
    if (!others.players.isEmpty())
        sendTo(fromSeat, others.encode());

    if (login->version != VersionText) {
        sendTo(1, msg::HaveWrongVersion{name}.encode());
        sendTo(fromSeat, msg::WrongVersion{}.encode());
    }

    if (m_game.isOn())
        sendTo(fromSeat, loadstatsMessage(fromSeat));
}

void TServer::chat(int fromSeat, const QByteArray &data)
{
    const std::optional<msg::ChatRequest> request = msg::ChatRequest::decode(data);
    if (!request || request->seat != fromSeat)
        return;
    broadcast(msg::Chat{fromSeat, seats[fromSeat].name + " chats: " + request->text}.encode());
}

void TServer::action(int fromSeat, const QByteArray &data)
{
    const std::optional<msg::ActionRequest> request = msg::ActionRequest::decode(data);
    if (!request || request->seat != fromSeat)
        return;
    broadcast(msg::Action{fromSeat, seats[fromSeat].name + ' ' + request->text}.encode());
}

void TServer::playasound(int fromSeat, const QByteArray &data)
{
    const std::optional<msg::PlayASoundRequest> request = msg::PlayASoundRequest::decode(data);
    if (!request || request->seat != fromSeat)
        return;
    broadcast(msg::PlayASound{fromSeat, request->rest}.encode());
}

void TServer::kickhim(int fromSeat, const QByteArray &data)
{
    const std::optional<msg::KickHim> request = msg::KickHim::decode(data);
    if (fromSeat != 1 || !request || request->seat != fromSeat)
        return;
    if (request->target >= 1 && request->target <= MaxSeats)
        disconnectsock(request->target);
}

void TServer::justwatch(int fromSeat, const QByteArray &data)
{
    const std::optional<msg::JustWatch> request = msg::JustWatch::decode(data);
    if (!request || request->seat < 1 || request->seat > playercount)
        return;
    const int seat = request->seat;
    // A player decides for itself; the host may decide for either player.
    if (seat != fromSeat && fromSeat != 1)
        return;
    if (!request->watch) {
        seats[seat].watching = false;
        broadcast(msg::JustWatching{seat, false}.encode());
    } else if (m_game.isOn()) {
        seats[seat].watching = true;
        broadcast(msg::JustWatching{seat, true}.encode());
        // Only a running turn is passed on; a pause keeps its action, or a
        // full board would lose its winner test.
        m_game.playerGone(seat);
    }
}

void TServer::tempsockDisconnect(TSock *sender)
{
    const int seat = sender->Tag();
    if (seat >= 1 && seat <= SeatCount && seats[seat].sock == sender && seats[seat].connected)
        disconnectsock(seat);
}

void TServer::tempsockInfo(TSock *sender, TSocketInfo, const QString &msg)
{
    if (msg != SocketClosed)
        return;
    // A socket may report its close more than once (closed by us while the
    // peer's close is being handled); only the first report frees the seat.
    const ConnectionPtr conn = m_connections.take(sender);
    if (!conn)
        return;
    conn->sock = nullptr;
    conn->closing = true;
    sender->deleteLater();
    // What it sent before it went is still handled.
    m_pump->closed(conn->id);
    if (m_pump->queued(conn->id) == 0)
        m_byId.remove(conn->id);

    const int seat = conn->seat;
    TSeat &s = seats[seat];
    if (s.sock != sender)
        return;
    const QByteArray name = s.name;
    const bool announced = s.loggedin;
    if (s.connected) {
        s.connected = false; // before sending, so the leaver gets nothing more
        // Nobody was told of a seat that never logged in.
        if (announced)
            broadcast(msg::PlayerDisconnected{seat, name}.encode());
    }
    s.name.clear();
    s.loggedin = false;
    s.watching = false;
    s.sock = nullptr;
    emit seatFreed(seat, fromWire(name), conn->address);
    if (seat != 1)
        m_game.playerGone(seat);
}
