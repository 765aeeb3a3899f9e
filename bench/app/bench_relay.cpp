// Measures the real glyphon-server with nine clients on loopback:
//  1. the time from a chat request to its relay having reached every client;
//  2. the same while one spectator floods 2,000 messages a second (it is
//     dropped by the server's queue limit and comes straight back, so the
//     flood never stops);
//  3. the server's CPU time and wake-ups while nine connections sit idle.

#include "core/messages.h"
#include "hostclient.h"
#include "protocol/wire.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <unistd.h>
#include <vector>

using glyphon::bench::cpuSeconds;
using glyphon::bench::summarise;
using glyphon::bench::waitUntil;
using Client = glyphon::bench::HostClient;

namespace {

QElapsedTimer g_clock;

struct ProcessCost
{
    double cpuSeconds = 0;
    qint64 switches = 0;
};

ProcessCost processCost(qint64 pid)
{
    ProcessCost cost;
    cost.cpuSeconds = cpuSeconds(pid);
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.contains("ctxt_switches:"))
                cost.switches += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
        }
    }
    return cost;
}

// VmRSS of a process, in kB, as the kernel reports it.
QByteArray residentMemoryKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return "?";
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0);
    }
    return "?";
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption samplesOption("samples", "Chat probes per phase.", "N", "500");
    const QCommandLineOption idleOption("idle-seconds", "Length of the idle measurement.", "S", "10");
    const QCommandLineOption programOption("server", "The glyphon-server program.", "PATH", GLYPHON_SERVER_PROGRAM);
    parser.addOptions({samplesOption, idleOption, programOption});
    parser.process(app);
    const int samples = std::max(10, parser.value(samplesOption).toInt());
    const int idleSeconds = std::max(1, parser.value(idleOption).toInt());
    g_clock.start();

    QTemporaryDir dir;
    QProcess server;
    const quint16 port = glyphon::bench::startHost(server, parser.value(programOption), dir.path(),
                                                       // Every client is on loopback, and the relay is
                                                       // measured past a person's pace.
                                                       {"--per-address", "9", "--chat-limit", "0"});
    if (port == 0) {
        std::fprintf(stderr, "bench_relay: glyphon-server did not start\n");
        return 1;
    }

    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 9; ++i) {
        clients.push_back(std::make_unique<Client>());
        clients.back()->name = "p" + QByteArray::number(i + 1);
        clients.back()->start(port);
        if (!waitUntil([&] { return clients.back()->loggedIn(); }, 5000)) {
            std::fprintf(stderr, "bench_relay: client %d could not log in\n", i + 1);
            return 1;
        }
    }

    // One probe at a time: a marked chat line, timed until every measured
    // client has its relay.
    QByteArray marker;
    qint64 sentAt = 0;
    qint64 lastArrival = 0;
    int waiting = 0;
    std::vector<bool> measured(clients.size(), true);
    for (size_t i = 0; i < clients.size(); ++i) {
        Client *c = clients[i].get();
        c->onMessage = [&, i](Client *, const QByteArray &m) {
            if (waiting > 0 && measured[i] && glyphon::splitCommand(m).name == glyphon::msg::Chat::Name && m.endsWith(marker)) {
                lastArrival = g_clock.nsecsElapsed();
                --waiting;
            }
        };
    }
    auto probe = [&](int k, int senders) -> double {
        Client *from = clients[size_t(k % senders)].get();
        marker = "probe " + QByteArray::number(k) + "|clBlack";
        waiting = int(std::count(measured.begin(), measured.end(), true));
        sentAt = g_clock.nsecsElapsed();
        from->send(glyphon::msg::ChatRequest{from->seat, marker}.encode());
        if (!waitUntil([&] { return waiting == 0; }, 5000))
            return -1;
        const double ms = double(lastArrival - sentAt) / 1e6;
        // A rest longer than the 10 ms dispatch tick, so the host is quiet
        // (the pace allows one message per tick, a faster sender waits by
        // design), varied so that probes do not start in step with the tick.
        waitUntil([] { return false; }, 11 + k % 7);
        return ms;
    };

    std::vector<double> quiet;
    for (int k = 0; k < samples; ++k) {
        const double ms = probe(k, 9);
        if (ms >= 0)
            quiet.push_back(ms);
    }

    // The flood: seat 9 sends 10 lines every 5 ms and reconnects whenever
    // the server drops it.
    Client *flooder = clients.back().get();
    measured.back() = false;
    int drops = 0;
    qint64 floodSent = 0;
    QObject::connect(&flooder->socket, &QTcpSocket::disconnected, &app, [&] {
        ++drops;
        flooder->start(port);
    });
    QTimer flood;
    QObject::connect(&flood, &QTimer::timeout, &app, [&] {
        if (!flooder->loggedIn() || flooder->socket.state() != QAbstractSocket::ConnectedState)
            return;
        QByteArray burst;
        for (int i = 0; i < 10; ++i)
            burst += glyphon::msg::ChatRequest{flooder->seat, "flood|clBlack"}.encode();
        flooder->send(burst);
        floodSent += 10;
    });
    flood.setTimerType(Qt::PreciseTimer);
    flood.start(5);
    const qint64 floodStart = g_clock.elapsed();
    std::vector<double> flooded;
    for (int k = 0; k < samples; ++k) {
        const double ms = probe(k, 8);
        if (ms >= 0)
            flooded.push_back(ms);
    }
    const double floodSeconds = double(g_clock.elapsed() - floodStart) / 1000.0;
    flood.stop();
    QObject::disconnect(&flooder->socket, &QTcpSocket::disconnected, &app, nullptr);
    if (flooder->socket.state() != QAbstractSocket::ConnectedState || !flooder->loggedIn()) {
        flooder->start(port);
        waitUntil([&] { return flooder->loggedIn(); }, 5000);
    }

    // Idle: nine connections, nobody says anything.
    waitUntil([] { return false; }, 2000);
    const ProcessCost before = processCost(server.processId());
    QElapsedTimer idle;
    idle.start();
    waitUntil([] { return false; }, idleSeconds * 1000);
    const ProcessCost after = processCost(server.processId());
    const double idleWall = double(idle.elapsed()) / 1000.0;
    const QByteArray residentKb = residentMemoryKb(server.processId());

    const auto q = summarise(quiet);
    const auto fl = summarise(flooded);
    std::printf("glyphon-server relay, 9 clients on loopback (dispatch tick 10 ms)\n");
    std::printf("  chat to all 9, quiet:      n=%zu  median %.2f ms  p99 %.2f ms  max %.2f ms\n", q.n, q.median,
                q.p99, q.max);
    std::printf("  chat to 8, spy flooding:   n=%zu  median %.2f ms  p99 %.2f ms  max %.2f ms\n", fl.n,
                fl.median, fl.p99, fl.max);
    std::printf("    flood: %lld lines in %.1f s (%.0f/s); the server dropped the flooder %d times\n",
                static_cast<long long>(floodSent), floodSeconds, double(floodSent) / floodSeconds, drops);
    std::printf("  idle, 9 connections, %.1f s: CPU %.3f s (%.3f%% of a core), %lld context switches (%.1f/s)\n",
                idleWall, after.cpuSeconds - before.cpuSeconds,
                100.0 * (after.cpuSeconds - before.cpuSeconds) / idleWall,
                static_cast<long long>(after.switches - before.switches),
                double(after.switches - before.switches) / idleWall);
    std::printf("  resident memory of the server with 9 connections: %s kB\n", residentKb.constData());

    ::kill(pid_t(server.processId()), SIGTERM);
    server.waitForFinished(5000);
    return 0;
}
