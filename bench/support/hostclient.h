#pragma once
// Pieces the benchmarks that drive a real host share: a client that logs in
// and hands on every other line, waiting on the event loop for a state, the
// median and 99th percentile of samples, and a process's CPU from /proc.

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTcpSocket>

#include <functional>
#include <vector>

namespace glyphon::bench {

// Runs the event loop, blocking between events, until done() or the time-out.
bool waitUntil(const std::function<bool()> &done, int timeoutMs);

class HostClient : public QObject
{
public:
    std::function<void(HostClient *, const QByteArray &)> onMessage;
    QTcpSocket socket;
    int seat = 0;
    QByteArray name;

    HostClient();
    // Connects (again) and logs in; the seat comes with CMD_sendlogininfo.
    void start(quint16 port);
    bool loggedIn() const { return m_loggedIn; }
    void send(const QByteArray &bytes) { socket.write(bytes); }

private:
    void handle(const QByteArray &message);

    QByteArray m_partial;
    bool m_loggedIn = false;
};

struct Stats
{
    double median = 0, p99 = 0, max = 0;
    size_t n = 0;
};
Stats summarise(std::vector<double> samples);

// Starts the host program on a free port in folder; returns the port it
// listens on, or 0 when it did not start within ten seconds.
quint16 startHost(QProcess &server, const QString &program, const QString &folder, const QStringList &options = {});

// User and system CPU of a process so far, in seconds; 0 when unreadable.
double cpuSeconds(qint64 pid);

} // namespace glyphon::bench
