#include "hostclient.h"

#include "core/messages.h"
#include "protocol/wire.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace glyphon::bench {

bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(timeoutMs);
    while (!done()) {
        if (!deadline.isActive())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

HostClient::HostClient()
{
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(&socket, &QTcpSocket::readyRead, this, [this] {
        m_partial += socket.readAll();
        qsizetype end;
        while ((end = m_partial.indexOf(Terminator)) >= 0) {
            const QByteArray m = m_partial.left(end);
            m_partial.remove(0, end + 1);
            handle(m);
        }
    });
}

void HostClient::start(quint16 port)
{
    seat = 0;
    m_partial.clear();
    m_loggedIn = false;
    socket.abort();
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
}

void HostClient::handle(const QByteArray &m)
{
    const Command command = splitCommand(m);
    if (command.name == msg::SendLoginInfo::Name) {
        seat = msg::SendLoginInfo::decode(command.data).value_or(msg::SendLoginInfo{}).seat;
        m_loggedIn = false;
        send(msg::LoginInfo{seat, VersionText, name}.encode());
        return;
    }
    if (command.name == msg::NewPlayerInfo::Name) {
        const std::optional<msg::NewPlayerInfo> arrived = msg::NewPlayerInfo::decode(command.data);
        if (arrived && arrived->seat == seat)
            m_loggedIn = true;
    }
    if (onMessage)
        onMessage(this, m);
}

Stats summarise(std::vector<double> v)
{
    Stats s;
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    s.n = v.size();
    s.median = v[v.size() / 2];
    s.p99 = v[std::min(v.size() - 1, size_t(std::ceil(0.99 * double(v.size()))) - 1)];
    s.max = v.back();
    return s;
}

quint16 startHost(QProcess &server, const QString &program, const QString &folder, const QStringList &options)
{
    server.setWorkingDirectory(folder);
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(program, QStringList{"--port", "0", "--no-announce"} + options);
    static const QRegularExpression listening("listening on port (\\d+)");
    QByteArray out;
    QRegularExpressionMatch match;
    if (!waitUntil([&] {
            out += server.readAllStandardOutput();
            match = listening.match(QString::fromUtf8(out));
            return match.hasMatch();
        }, 10000))
        return 0;
    return quint16(match.captured(1).toUInt());
}

double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // Fields after the command name, which is in parentheses.
    const QList<QByteArray> f = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (f.size() <= 13)
        return 0;
    return double(f[11].toLongLong() + f[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

} // namespace glyphon::bench
