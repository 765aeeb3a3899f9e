// Throughput of the lobby download's HTTP client: a loopback server in the
// same process sends a body of N MiB as fast as it can, the client writes it
// into a file. Prints MiB/s, the median of several runs.
// Run: bench_download [MiB] [runs]

#include "net/httpcli.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Seconds for one transfer of bytes, or -1 when it failed.
double oneRun(qint64 bytes, const QString &target)
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server, &QTcpServer::newConnection, [&server, bytes] {
        QTcpSocket *client = server.nextPendingConnection();
        QObject::connect(client, &QTcpSocket::readyRead, client, [client, bytes] {
            if (!client->readAll().contains("\r\n\r\n"))
                return;
            client->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(bytes)
                          + "\r\nConnection: close\r\n\r\n");
            const QByteArray block(1 << 20, 'x');
            for (qint64 sent = 0; sent < bytes; sent += block.size())
                client->write(block.left(int(std::min<qint64>(block.size(), bytes - sent))));
            client->disconnectFromHost();
        });
    });

    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    THttpCli http;
    http.setURL(QStringLiteral("http://127.0.0.1:%1/setup").arg(server.serverPort()));
    http.setRcvdStream(&file);
    QEventLoop loop;
    bool ok = false;
    QObject::connect(&http, &THttpCli::requestDone, &loop, [&](bool succeeded) {
        ok = succeeded;
        loop.quit();
    });
    QElapsedTimer clock;
    clock.start();
    http.GetASync();
    loop.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    return ok && file.size() == bytes ? seconds : -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 mib = argc > 1 ? std::max(1, atoi(argv[1])) : 64;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    QTemporaryDir folder;
    std::vector<double> rates;
    for (int i = 0; i < runs; ++i) {
        const double seconds = oneRun(mib << 20, folder.filePath(QStringLiteral("setup.part")));
        if (seconds < 0) {
            std::fprintf(stderr, "run %d failed\n", i + 1);
            return 1;
        }
        rates.push_back(double(mib) / seconds);
    }
    std::sort(rates.begin(), rates.end());
    std::printf("download of %lld MiB over loopback: median %.0f MiB/s (min %.0f, max %.0f, %d runs)\n",
                static_cast<long long>(mib), rates[rates.size() / 2], rates.front(), rates.back(), runs);
    return 0;
}
