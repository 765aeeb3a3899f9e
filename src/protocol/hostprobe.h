#pragma once
// HostProbe: is a game host there, and would it seat us? Connects, waits for
// the host's first message (a seat offered, or "full") and closes at once,
// before any login: the host never announces the probe as a person, and the
// seat it offered is free again straight away. Before a copy of the program
// is started to join an address, and wherever else an address is tried.
//
// IPv4 only, as the game's own connection is.

#include <QByteArray>
#include <QObject>
#include <QString>

class QTcpSocket;
class QTimer;

namespace glyphon {

class HostProbe : public QObject
{
    Q_OBJECT
public:
    enum class Result {
        Greeted,     // a seat was offered: joining will work
        Full,        // the host answered that every seat is taken
        Unreachable, // no host: the name, the connection or the answer failed
        Silent,      // connected, but nothing came in time
    };
    Q_ENUM(Result)

    static constexpr int DefaultTimeoutMs = 5000;

    explicit HostProbe(QObject *parent = nullptr);
    ~HostProbe() override;

    // Starts trying; a probe still running is dropped without a result.
    void start(const QString &host, quint16 port, int timeoutMs = DefaultTimeoutMs);
    // Drops the probe without a result.
    void abort();
    bool running() const { return m_socket != nullptr; }

signals:
    void finished(glyphon::HostProbe::Result result);

private:
    void read();
    void finish(Result result);

    QTcpSocket *m_socket = nullptr;
    QTimer *m_limit;
    QByteArray m_buffer;
    quint64 m_serial = 0; // counts probes started and dropped
};

} // namespace glyphon
