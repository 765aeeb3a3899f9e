// Seats: seating new connections, login, relays, removal, just-watch,
// leaving.

#include "server/tserver.h"

#include "protocol/linepace.h"
#include "protocol/peertext.h"
#include "server/seatnames.h"

using namespace glyphon;

void TServer::seatConnection(ConnectionId id)
{
    const int seat = seatFor(id);
    if (seat == 0) {
        // Every seat is taken: say so and let the connection go at once.
        m_hub->setTag(id, slotsused + 1);
        m_hub->refuse(id, msg::Full{}.encode(), QStringLiteral("all %1 seats are taken").arg(MaxSeats));
        return;
    }

    slotsused = std::max(slotsused, seat);
    // Messages still queued from an earlier occupant of the seat must not be
    // taken for requests of the newcomer.
    m_hub->forgetClosed(seat);
    m_hub->setTag(id, seat);

    TSeat &s = seats[seat];
    s.conn = id;
    s.connected = true;
    // score stays: a newcomer on a player seat carries on with its points.
    sendTo(seat, msg::SendLoginInfo{seat}.encode());
}

void TServer::receivedlogininfo(int fromSeat, const QByteArray &data)
{
    const std::optional<msg::LoginInfo> login = msg::LoginInfo::decode(data);
    if (!login || login->seat != fromSeat || fromSeat < 1 || fromSeat > MaxSeats)
        return;
    TSeat &s = seats[fromSeat];
    // A login queued by a connection that has gone must not bring its seat
    // back; a seat logs in once, so nobody can take another name later.
    if (!s.connected || s.loggedin)
        return;
    // Made safe once, here, so every later list and relay carries one field
    // and the same name; an empty one is no login and its deadline runs on.
    const QByteArray asked = cleanLoginName(login->name);
    if (asked.isEmpty())
        return;
    // Every name at the table is its own, so nobody passes for another seat
    // or for the computer player.
    s.name = uniqueName(asked, [&](const QByteArray &candidate) {
        if (sameName(candidate, RiziName))
            return true;
        for (int i = 1; i <= SeatCount; ++i) {
            if (i != fromSeat && seats[i].connected && seats[i].loggedin && sameName(candidate, seats[i].name))
                return true;
        }
        return false;
    });
    s.loggedin = true;
    m_hub->admit(s.conn);
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

    if (m_game.isOn()) {
        // The round's words first, as they were broadcast, so the newcomer's
        // word lists are whole; then the board as it stands now.
        for (const QByteArray &word : m_game.roundWords())
            sendTo(fromSeat, word);
        sendTo(fromSeat, loadstatsMessage(fromSeat));
    }
}

// Every relayed line goes to everybody: each connection keeps to its own
// pace, or its lines are dropped (see ConnectionHub::takeLine).
bool TServer::mayRelay(int fromSeat)
{
    return fromSeat >= 1 && fromSeat <= SeatCount && seats[fromSeat].connected && m_hub->takeLine(seats[fromSeat].conn);
}

void TServer::chat(int fromSeat, const QByteArray &data)
{
    const std::optional<msg::ChatRequest> request = msg::ChatRequest::decode(data);
    if (!request || request->seat != fromSeat || !mayRelay(fromSeat))
        return;
    msg::ChatRequest line = *request;
    line.text = cutLine(line.text);
    broadcast(msg::Chat::relay(line, seats[fromSeat].name).encode());
}

void TServer::action(int fromSeat, const QByteArray &data)
{
    const std::optional<msg::ActionRequest> request = msg::ActionRequest::decode(data);
    if (!request || request->seat != fromSeat || !mayRelay(fromSeat))
        return;
    msg::ActionRequest line = *request;
    line.text = cutLine(line.text);
    broadcast(msg::Action::relay(line, seats[fromSeat].name).encode());
}

void TServer::playasound(int fromSeat, const QByteArray &data)
{
    const std::optional<msg::PlayASoundRequest> request = msg::PlayASoundRequest::decode(data);
    if (!request || request->seat != fromSeat || !mayRelay(fromSeat))
        return;
    broadcast(msg::PlayASound{fromSeat, cutLine(request->rest)}.encode());
}

void TServer::kickhim(int fromSeat, const QByteArray &data)
{
    const std::optional<msg::KickHim> request = msg::KickHim::decode(data);
    if (fromSeat != 1 || !m_seatOneHosts || !request || request->seat != fromSeat)
        return;
    const int target = request->target;
    if (target < 1 || target > MaxSeats)
        return;
    // A removed spectator's address may not come straight back.
    if (target > playercount && seats[target].connected)
        m_hub->ban(m_hub->address(seats[target].conn), RemovedSpectatorBanMs);
    disconnectsock(target);
}

void TServer::justwatch(int fromSeat, const QByteArray &data)
{
    const std::optional<msg::JustWatch> request = msg::JustWatch::decode(data);
    if (!request || request->seat < 1 || request->seat > playercount)
        return;
    const int seat = request->seat;
    // A player decides for itself; the host may decide for either player.
    if (seat != fromSeat && (fromSeat != 1 || !m_seatOneHosts))
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

// The connection's socket has closed; what it sent before is still handled.
void TServer::freeSeat(ConnectionId id, int seat, const QString &address)
{
    if (seat < 1 || seat > SeatCount)
        return;
    TSeat &s = seats[seat];
    if (s.conn != id)
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
    s.conn = 0;
    emit seatFreed(seat, fromWire(name), address);
    // Rizi played on for a seat nobody had logged in to.
    if (seat != 1 && announced)
        m_game.playerGone(seat);
}
