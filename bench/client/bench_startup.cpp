// Start-up time of glyphon: from process start until the solo game's own
// client has logged in, which is when its window writes "You are Connected."
// (the host's server announces the login to everybody in seat order, the own
// window first). A watcher logs in as a spectator and waits for that
// announcement. Runs the real program several times and prints the median.

#include "core/messages.h"
#include "protocol/wire.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::Any, 0);
    return probe.serverPort();
}

// Milliseconds until "You" is announced, or -1.
double oneRun(const QString &folder)
{
    const quint16 port = freePort();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("GLYPHON_PORT"), QString::number(port));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(folder);
    program.setStandardOutputFile(QProcess::nullDevice());
    program.setStandardErrorFile(QProcess::nullDevice());

    QElapsedTimer clock;
    clock.start();
    program.start(QStringLiteral(GLYPHON_PROGRAM), {});
    if (!program.waitForStarted(10000))
        return -1;

    QTcpSocket watcher;
    while (clock.elapsed() < 20000) {
        watcher.connectToHost(QHostAddress::LocalHost, port);
        if (watcher.waitForConnected(100))
            break;
        watcher.abort();
        QThread::usleep(500);
    }
    QByteArray buffer;
    double result = -1;
    while (result < 0 && clock.elapsed() < 20000 && watcher.waitForReadyRead(1000)) {
        buffer += watcher.readAll();
        qsizetype end;
        while ((end = buffer.indexOf(glyphon::Terminator)) >= 0) {
            const QByteArray message = buffer.left(end);
            buffer.remove(0, end + 1);
            const glyphon::Command command = glyphon::splitCommand(message);
            if (const auto seat = command.name == glyphon::msg::SendLoginInfo::Name
                    ? glyphon::msg::SendLoginInfo::decode(command.data) : std::nullopt) {
                watcher.write(glyphon::msg::LoginInfo{seat->seat, glyphon::VersionText, "watch"}.encode());
            } else if ((command.name == glyphon::msg::NewPlayerInfo::Name
                        || command.name == glyphon::msg::ExistingPlayers::Name)
                       && message.contains("+You+")) {
                // The watcher may even have been first in, so "You" can sit on any seat.
                result = clock.nsecsElapsed() / 1e6;
                break;
            }
        }
    }
    program.terminate();
    if (!program.waitForFinished(5000))
        program.kill();
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        // A fresh working folder each time: the word file is written anew,
        // as on every normal start.
        QTemporaryDir folder;
        const double ms = oneRun(folder.path());
        std::printf("run %d: %.1f ms\n", i + 1, ms);
        if (ms >= 0)
            times.push_back(ms);
    }
    if (times.empty())
        return 1;
    std::sort(times.begin(), times.end());
    std::printf("median start-up to \"You are Connected.\": %.1f ms over %zu runs\n", times[times.size() / 2],
                times.size());
    return 0;
}
