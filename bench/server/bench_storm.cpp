// A connection storm against the real glyphon-server on loopback: a game in
// progress, two players and some spectators chatting, while one loopback
// address connects hundreds of times a second and closes each connection at
// once. Reports the chat relay latency before and during the storm, the
// host's CPU in both phases (from /proc), the connects done, and the log
// lines the host wrote meanwhile.

#include "core/messages.h"
#include "hostclient.h"
#include "protocol/wire.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using glyphon::bench::cpuSeconds;
using glyphon::bench::summarise;
using glyphon::bench::waitUntil;
using Client = glyphon::bench::HostClient;

namespace {

// Hard bounds, whatever the options say: a storm stays a short test.
constexpr int MaxRate = 2000;
constexpr int MaxSeconds = 60;
constexpr int MaxInFlight = 512;
constexpr int ConnectTimeoutMs = 5000;

QElapsedTimer g_clock;

QByteArray loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().split(' ').mid(0, 3).join(' ') : QByteArray("?");
}

struct StormCounts
{
    std::atomic<long> started{0}, done{0}, failed{0}, timedOut{0};
    std::vector<double> connectMs; // read once the storm has ended
};

// Connects from `from` to 127.0.0.1:port at `rate` a second for `seconds`,
// closing each connection as soon as it is made. Runs on a thread of its own
// with plain sockets, so the players' event loop measures only the host.
// With reset, each close is abortive (a reset instead of an orderly end).
void storm(quint32 from, quint16 port, int rate, int seconds, bool reset, StormCounts &counts)
{
    using Clock = std::chrono::steady_clock;
    struct Pending
    {
        int fd;
        Clock::time_point since;
    };
    std::vector<Pending> pending;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = from;

    const auto start = Clock::now();
    const auto end = start + std::chrono::seconds(seconds);
    const auto step = std::chrono::nanoseconds(1000000000LL / rate);
    auto due = start;
    auto finish = [&](size_t i, bool ok) {
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - pending[i].since).count();
        if (reset) {
            const linger abort{1, 0};
            ::setsockopt(pending[i].fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        }
        ::close(pending[i].fd);
        pending[i] = pending.back();
        pending.pop_back();
        if (ok) {
            ++counts.done;
            counts.connectMs.push_back(ms);
        } else {
            ++counts.failed;
        }
    };
    while (Clock::now() < end || !pending.empty()) {
        const auto now = Clock::now();
        if (now < end && now >= due && int(pending.size()) < MaxInFlight) {
            due += step;
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            const int one = 1;
            // The port is chosen at connect, by the whole address pair.
            ::setsockopt(fd, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &one, sizeof one);
            ++counts.started;
            if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0) {
                ++counts.failed;
                if (fd >= 0)
                    ::close(fd);
                continue;
            }
            pending.push_back({fd, Clock::now()});
            if (::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to) == 0)
                finish(pending.size() - 1, true);
            else if (errno != EINPROGRESS)
                finish(pending.size() - 1, false);
            continue;
        }
        for (size_t i = 0; i < pending.size();) {
            if (Clock::now() - pending[i].since > std::chrono::milliseconds(ConnectTimeoutMs)) {
                ::close(pending[i].fd);
                pending[i] = pending.back();
                pending.pop_back();
                ++counts.timedOut;
            } else {
                ++i;
            }
        }
        std::vector<pollfd> fds;
        for (const Pending &p : pending)
            fds.push_back({p.fd, POLLOUT, 0});
        // To the next connect, to the nanosecond: a millisecond poll would
        // spin at high rates and take the host's CPU.
        const long long waitNs = now < end
            ? std::max<long long>(0, std::chrono::duration_cast<std::chrono::nanoseconds>(due - now).count())
            : 10000000;
        const timespec wait{time_t(waitNs / 1000000000), long(waitNs % 1000000000)};
        if (::ppoll(fds.data(), nfds_t(fds.size()), &wait, nullptr) <= 0)
            continue;
        // Backwards, since finish() moves the last one into the gap.
        for (size_t i = fds.size(); i-- > 0;) {
            if (!fds[i].revents)
                continue;
            int error = 0;
            socklen_t len = sizeof error;
            ::getsockopt(fds[i].fd, SOL_SOCKET, SO_ERROR, &error, &len);
            finish(i, error == 0);
        }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption rateOption("rate", "Connects a second (at most 2000).", "N", "500");
    const QCommandLineOption secondsOption("seconds", "Length of the storm (at most 60).", "S", "10");
    const QCommandLineOption fromOption("from", "Loopback address the storm comes from.", "ADDRESS", "127.0.0.2");
    const QCommandLineOption spectatorsOption("spectators", "Spectators beside the two players (0 to 7).", "N", "3");
    const QCommandLineOption samplesOption("samples", "Chat probes before the storm.", "N", "300");
    const QCommandLineOption resetOption("reset", "Close each storm connection with a reset.");
    const QCommandLineOption programOption("server", "The glyphon-server program.", "PATH", GLYPHON_SERVER_PROGRAM);
    parser.addOptions({rateOption, secondsOption, fromOption, spectatorsOption, samplesOption, resetOption,
                       programOption});
    parser.process(app);
    const int rate = std::clamp(parser.value(rateOption).toInt(), 1, MaxRate);
    const int seconds = std::clamp(parser.value(secondsOption).toInt(), 1, MaxSeconds);
    const int spectators = std::clamp(parser.value(spectatorsOption).toInt(), 0, 7);
    const int samples = std::max(10, parser.value(samplesOption).toInt());
    const QHostAddress from(parser.value(fromOption));
    if (from.protocol() != QAbstractSocket::IPv4Protocol || !from.isLoopback()) {
        std::fprintf(stderr, "bench_storm: --from must be a loopback address (127.x.y.z)\n");
        return 2;
    }
    g_clock.start();

    QTemporaryDir dir;
    QProcess server;
    const quint16 port = glyphon::bench::startHost(server, parser.value(programOption), dir.path(),
                                                       // The players and spectators share 127.0.0.1.
                                                       {"--per-address", "9", "--chat-limit", "0"});
    if (port == 0) {
        std::fprintf(stderr, "bench_storm: glyphon-server did not start\n");
        return 1;
    }
    // The host's log, line by line; read all along so that it never blocks.
    QList<QByteArray> log;
    QObject::connect(&server, &QProcess::readyReadStandardOutput, &app, [&] {
        while (server.canReadLine())
            log << server.readLine().trimmed();
    });

    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 2 + spectators; ++i) {
        clients.push_back(std::make_unique<Client>());
        clients.back()->name = (i < 2 ? "player" : "spectator") + QByteArray::number(i + 1);
        clients.back()->start(port);
        if (!waitUntil([&] { return clients.back()->loggedIn(); }, 5000)) {
            std::fprintf(stderr, "bench_storm: client %d could not log in\n", i + 1);
            return 1;
        }
    }
    int turns = 0;
    int departures = 0;
    QByteArray marker;
    qint64 lastArrival = 0;
    int waiting = 0;
    for (auto &c : clients) {
        c->onMessage = [&](Client *, const QByteArray &m) {
            const QByteArray name = glyphon::splitCommand(m).name;
            if (name == glyphon::msg::NextPlayer::Name)
                ++turns;
            else if (name == glyphon::msg::PlayerDisconnected::Name)
                ++departures;
            else if (waiting > 0 && name == glyphon::msg::Chat::Name && m.endsWith(marker)) {
                lastArrival = g_clock.nsecsElapsed();
                --waiting;
            }
        };
    }
    // Short turns, so that the game moves on during the storm.
    clients[0]->send(glyphon::msg::StartGame{"player1", 200, 5}.encode());
    if (!waitUntil([&] { return turns >= int(clients.size()); }, 5000)) {
        std::fprintf(stderr, "bench_storm: the game did not start\n");
        return 1;
    }

    // One chat line at a time, from each client in turn, timed until every
    // client has its relay; a rest of more than one dispatch tick between
    // lines, varied so that they do not start in step with the tick.
    int k = 0;
    auto probe = [&]() -> double {
        Client *sender = clients[size_t(k % int(clients.size()))].get();
        marker = "probe " + QByteArray::number(k) + "|clBlack";
        ++k;
        waiting = int(clients.size());
        const qint64 sentAt = g_clock.nsecsElapsed();
        sender->send(glyphon::msg::ChatRequest{sender->seat, marker}.encode());
        const bool ok = waitUntil([&] { return waiting == 0; }, 5000);
        waitUntil([] { return false; }, 11 + k % 7);
        return ok ? double(lastArrival - sentAt) / 1e6 : -1;
    };

    std::vector<double> quiet;
    const double quietCpu0 = cpuSeconds(server.processId());
    QElapsedTimer phase;
    phase.start();
    while (int(quiet.size()) < samples) {
        const double ms = probe();
        if (ms < 0) {
            std::fprintf(stderr, "bench_storm: a chat line was never relayed\n");
            return 1;
        }
        quiet.push_back(ms);
    }
    const double quietWall = double(phase.elapsed()) / 1000.0;
    const double quietCpu = cpuSeconds(server.processId()) - quietCpu0;

    const qsizetype logBefore = log.size();
    const int turnsBefore = turns;
    StormCounts counts;
    std::atomic<bool> stormOver{false};
    const double stormCpu0 = cpuSeconds(server.processId());
    phase.restart();
    std::thread stormer([&] {
        storm(htonl(from.toIPv4Address()), port, rate, seconds, parser.isSet(resetOption), counts);
        stormOver = true;
    });
    std::vector<double> stormed;
    int lost = 0;
    while (!stormOver) {
        const double ms = probe();
        if (ms < 0)
            ++lost;
        else
            stormed.push_back(ms);
    }
    stormer.join();
    const double stormWall = double(phase.elapsed()) / 1000.0;
    const double stormCpu = cpuSeconds(server.processId()) - stormCpu0;
    const QByteArray load = loadAverage();
    // The host's notes of the storm, up to now.
    waitUntil([] { return false; }, 200);
    const QList<QByteArray> stormLog = log.mid(logBefore);
    int stillOn = 0;
    for (auto &c : clients)
        stillOn += c->socket.state() == QAbstractSocket::ConnectedState ? 1 : 0;

    const auto q = summarise(quiet);
    const auto s = summarise(stormed);
    const auto c = summarise(counts.connectMs);
    // A connect that took a second or more had its first try dropped: the
    // host's queue of connections not yet accepted was full.
    const long resent = long(std::count_if(counts.connectMs.begin(), counts.connectMs.end(),
                                           [](double ms) { return ms >= 900; }));
    std::printf("glyphon-server under a connection storm: %d connects/s from %s for %d s; game on, 2 players "
                "and %d spectators chatting\n",
                rate, qPrintable(from.toString()), seconds, spectators);
    std::printf("  chat relay to all %zu, before:  n=%zu  median %.2f ms  p99 %.2f ms  max %.2f ms\n",
                clients.size(), q.n, q.median, q.p99, q.max);
    std::printf("  chat relay to all %zu, storm:   n=%zu  median %.2f ms  p99 %.2f ms  max %.2f ms  lost %d\n",
                clients.size(), s.n, s.median, s.p99, s.max, lost);
    std::printf("  host CPU: before %.1f%% of a core, during the storm %.1f%% (%.2f s in %.1f s)\n",
                100.0 * quietCpu / quietWall, 100.0 * stormCpu / stormWall, stormCpu, stormWall);
    std::printf("  connects%s: %ld started, %ld done (%.0f/s), %ld failed, %ld timed out\n",
                parser.isSet(resetOption) ? " (each reset)" : "", counts.started.load(), counts.done.load(),
                double(counts.done) / stormWall, counts.failed.load(), counts.timedOut.load());
    std::printf("  connect time: median %.2f ms, p99 %.2f ms, max %.2f ms; %ld tried again after a drop\n",
                c.median, c.p99, c.max, resent);
    std::printf("  game: %d turns began during the storm; %d of %zu clients still connected, %d departures seen\n",
                (turns - turnsBefore) / int(clients.size()), stillOn, clients.size(), departures);
    std::printf("  host log during the storm: %lld lines\n", static_cast<long long>(stormLog.size()));
    for (const QByteArray &line : stormLog.mid(0, 6))
        std::printf("    %s\n", line.constData());
    std::printf("  load average at the end: %s\n", load.constData());

    ::kill(pid_t(server.processId()), SIGTERM);
    server.waitForFinished(5000);
    return 0;
}
