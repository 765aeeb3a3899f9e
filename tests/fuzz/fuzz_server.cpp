// The server as a whole, fed by up to six connections on real loopback
// sockets, more than one address may hold: logins, chats, actions, sounds, submissions, game starts,
// just-watch and removal requests, raw bytes and disconnects, interleaved
// with the pace ticks and the computer's moves, which the input calls
// itself. One server serves every input; between inputs all connections go
// and the game is reset, so each input starts from an empty table.

#include "fuzz_support.h"

#include "protocol/wire.h"
#include "core/board.h"
#include "server/seatnames.h"
#include "server/tserver.h"

#include <QCoreApplication>

#include <algorithm>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace glyphon;

namespace {

// More than one address may hold: the host's cap per address is met.
constexpr int Clients = 6;
constexpr int Never = 24 * 3600 * 1000; // timers that only the input ticks

struct Client
{
    int fd = -1;
    int seat = 0;
    QByteArray inbox;
};

TServer *server = nullptr;
// The clock of the host's line limits and bans: the input's ticks move it.
qint64 clockMs = 0;
quint16 port = 0;
Client clients[Clients];

void pump()
{
    // Twice: what the sockets brought, then the dispatch it queued.
    for (int i = 0; i < 2; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Read what the server sent, so its send buffers never fill; learn the seat.
    char buffer[65536];
    for (Client &c : clients) {
        if (c.fd < 0)
            continue;
        for (;;) {
            const ssize_t got = ::recv(c.fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got <= 0)
                break;
            if (c.seat == 0)
                c.inbox.append(buffer, got);
        }
        if (c.seat == 0) {
            const qsizetype at = c.inbox.indexOf("CMD_sendlogininfo+");
            const qsizetype end = at < 0 ? -1 : c.inbox.indexOf(Terminator, at);
            if (end > at) {
                c.seat = parseInt(c.inbox.mid(at + 18, end - at - 18)).value_or(0);
                c.inbox.clear();
            }
        }
    }
}

void connectClient(Client &c)
{
    if (c.fd >= 0)
        return;
    c.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(c.fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        ::close(c.fd);
        c.fd = -1;
        return;
    }
    const int one = 1;
    ::setsockopt(c.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    c.seat = 0;
    c.inbox.clear();
    pump();
}

void closeClient(Client &c)
{
    if (c.fd < 0)
        return;
    ::close(c.fd);
    c.fd = -1;
    c.seat = 0;
    pump();
}

void sendRaw(Client &c, const QByteArray &bytes)
{
    if (c.fd < 0 || bytes.isEmpty())
        return;
    (void)!::send(c.fd, bytes.constData(), size_t(bytes.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
    pump();
}

// Mostly the seat the client was given, sometimes any other.
QByteArray seatField(fuzz::Input &in, const Client &c)
{
    const uint8_t b = in.byte();
    if (b < 200)
        return number(c.seat);
    if (b < 250)
        return number(b % 12);
    return in.bytes(8);
}

void drainQueue()
{
    for (int i = 0; i < 2000 && server->queuedMessages() > 0; ++i)
        server->socktimerTimer();
    pump();
}

void checkInvariants()
{
    const TServer &s = *server;
    FUZZ_CHECK(s.slotsused >= 0 && s.slotsused <= TServer::MaxSeats);
    FUZZ_CHECK(s.game().currentPlayer() >= 0 && s.game().currentPlayer() <= s.playercount);
    if (s.game().isOn())
        FUZZ_CHECK(s.game().round() >= 1);
    for (int seat = 1; seat <= TServer::SeatCount; ++seat) {
        const TSeat &t = s.seats[seat];
        FUZZ_CHECK(!t.connected || seat <= TServer::MaxSeats);
        FUZZ_CHECK(!t.loggedin || t.connected);
        FUZZ_CHECK(!t.name.contains('+') && t.name.size() <= glyphon::MaxNameLength);
        // A login has a name of its own, free of control bytes and blanks around it.
        FUZZ_CHECK(!t.loggedin || (!t.name.isEmpty() && t.name == t.name.trimmed()));
        FUZZ_CHECK(std::none_of(t.name.cbegin(), t.name.cend(),
                                [](char ch) { return uchar(ch) < 0x20 || uchar(ch) == 0x7F; }));
        FUZZ_CHECK(!t.loggedin || !sameName(t.name, glyphon::RiziName));
        for (int other = seat + 1; other <= TServer::SeatCount; ++other)
            FUZZ_CHECK(!t.loggedin || !s.seats[other].loggedin || !sameName(t.name, s.seats[other].name));
    }
    // Every client comes from 127.0.0.1.
    int connected = 0;
    for (int seat = 1; seat <= TServer::SeatCount; ++seat)
        connected += s.seats[seat].connected ? 1 : 0;
    FUZZ_CHECK(connected <= s.hub().limits().maxPerAddress);
    for (int p : tilePositions()) {
        const TCell &cell = s.board().cell(p);
        // -1 only before the first deal.
        FUZZ_CHECK(cell.owner >= (s.game().round() >= 1 ? 0 : -1) && cell.owner <= 2);
        FUZZ_CHECK(cell.locked == 0 || cell.locked == 1);
    }
}

void resetTable()
{
    for (Client &c : clients)
        closeClient(c);
    for (int i = 0; i < 200; ++i) {
        bool anyone = false;
        for (int seat = 1; seat <= TServer::SeatCount; ++seat)
            anyone = anyone || server->seats[seat].connected;
        if (!anyone)
            break;
        pump();
    }
    drainQueue();
    clockMs += 3600 * 1000; // bans and spent lines end with the input
    server->socktimerTimer(); // a tick with nothing to do: dispatch rests
    TServer &s = *server;
    s.resetGame(); // scores too
    for (TSeat &seat : s.seats)
        seat.watching = false;
    bool anyone = false;
    for (int seat = 1; seat <= TServer::SeatCount; ++seat)
        anyone = anyone || s.seats[seat].connected;
    if (!anyone)
        s.slotsused = 0;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static int qtArgc = 1;
    static char *qtArgv[] = {(*argv)[0], nullptr};
    (void)argc;
    new QCoreApplication(qtArgc, qtArgv);
    fuzz::enterTemporaryFolder();
    HostConfig config;
    config.perAddress = HostConfig::DefaultPerAddress;
    server = new TServer(config);
    server->hub().setClock([] { return clockMs; });
    server->setTickMs(Never);
    server->setDispatchMs(Never);
    server->Sock1->setPortName(QStringLiteral("0"));
    server->Sock1->setListen(true);
    port = server->Sock1->localPort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    int steps = 0;
    while (!in.atEnd() && ++steps < 400) {
        const uint8_t op = in.byte();
        Client &c = clients[op % Clients];
        switch ((op / Clients) % 14) {
        case 0:
            connectClient(c);
            break;
        case 1:
            closeClient(c);
            break;
        case 2: {
            const QByteArray version = (in.byte() & 7) ? QByteArray(VersionText) : in.bytes(8);
            sendRaw(c, buildMessage("CMD_logininfo", {seatField(in, c), version, in.bytes(24)}));
            break;
        }
        case 3:
            sendRaw(c, buildMessage((in.byte() & 1) ? "CMD_chat" : "CMD_action", {seatField(in, c), in.bytes(40)}));
            break;
        case 4:
            sendRaw(c, buildMessage("CMD_playasound", {seatField(in, c), "wave" + number(in.byte() % 24), {}}));
            break;
        case 5: {
            // Small targets and turn times, so games end within an input.
            const QByteArray score = (in.byte() & 3) ? number(in.byte() % 40) : in.bytes(12);
            const QByteArray time = (in.byte() & 3) ? number(in.byte() % 8) : in.bytes(12);
            sendRaw(c, buildMessage("CMD_startgame", {in.bytes(10), score, time, {}}));
            break;
        }
        case 6:
        case 7: {
            QList<QByteArray> fields{seatField(in, c)};
            const int tiles = in.byte() % 24;
            for (int i = 0; i < tiles; ++i) {
                const uint8_t b = in.byte();
                fields << (b < 240 ? number(tilePositions()[b % 36]) : number(b));
            }
            sendRaw(c, buildMessage("CMD_submitit", fields));
            break;
        }
        case 8:
            sendRaw(c, buildMessage("CMD_justwatch", {number(in.byte() % 4), (in.byte() & 1) ? "1" : "2"}));
            break;
        case 9:
            sendRaw(c, buildMessage("CMD_kickhim", {seatField(in, c), number(in.byte() % 11), {}}));
            break;
        case 10:
            sendRaw(c, in.bytes(64));
            break;
        case 11: {
            const int n = in.byte() % 40 + 1;
            clockMs += n * 1000;
            for (int i = 0; i < n; ++i)
                server->timer_breaksTimer();
            pump();
            break;
        }
        case 12:
            server->computertimerTimer();
            pump();
            break;
        case 13:
            drainQueue();
            break;
        }
        if (in.byte() & 1)
            drainQueue();
        checkInvariants();
    }
    drainQueue();
    checkInvariants();
    resetTable();
    return 0;
}
