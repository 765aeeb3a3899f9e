#include "session_support.h"

#include "core/rules.h"
#include "protocol/wire.h"
#include "session/serverlink.h"

#include <QTest>
#include <sys/socket.h>
#include <utility>

namespace testsupport {

namespace {
QString listen(QTcpServer &server)
{
    server.listen(QHostAddress::LocalHost, 0);
    return QString::number(server.serverPort());
}
} // namespace

LoopbackHost::LoopbackHost(bool hosting)
    : session(listen(m_server))
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        m_peer = m_server.nextPendingConnection();
        connect(m_peer, &QTcpSocket::readyRead, this, [this] {
            m_buffer += m_peer->readAll();
            qsizetype end;
            while ((end = m_buffer.indexOf(glyphon::Terminator)) >= 0) {
                m_received.append(m_buffer.left(end));
                m_buffer.remove(0, end + 1);
            }
        });
    });
    if (hosting) {
        session.connectToOwnHost(QString::number(m_server.serverPort()));
    } else {
        session.setPlayer(QStringLiteral("Ann"), QStringLiteral("127.0.0.1"));
        session.join();
    }
}

bool LoopbackHost::accepted()
{
    return QTest::qWaitFor([this] { return m_peer != nullptr; }, 5000);
}

bool LoopbackHost::logIn(int seat)
{
    if (!accepted())
        return false;
    m_peer->write(glyphon::msg::SendLoginInfo{seat}.encode());
    const bool in = QTest::qWaitFor([this] { return !m_received.isEmpty(); }, 5000)
        && m_received.takeFirst().startsWith(glyphon::msg::LoginInfo::Name);
    return in && session.isconnected();
}

void LoopbackHost::send(const QByteArray &bytes)
{
    m_peer->write(bytes);
}

QList<QByteArray> LoopbackHost::sent()
{
    // A mark sent after the commands comes after all they sent: waiting for
    // it waits for exactly their messages, however slow the machine.
    static const QByteArray mark = "MARK";
    session.send(mark + glyphon::Terminator);
    (void)QTest::qWaitFor([this] { return m_received.contains(mark); }, 5000);
    QList<QByteArray> out = std::exchange(m_received, {});
    out.removeAll(mark);
    return out;
}

bool LoopbackHost::peerGone()
{
    return QTest::qWaitFor([this] { return m_peer && m_peer->state() == QAbstractSocket::UnconnectedState; }, 5000);
}

void LoopbackHost::resetLine()
{
    // Linger 0: the close sends a reset, not an orderly end.
    const linger hard{1, 0};
    ::setsockopt(int(m_peer->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    m_peer->abort();
}

QByteArray plainLettersMessage()
{
    QList<QByteArray> fields;
    for (int p : glyphon::tilePositions())
        fields << glyphon::number(p) << "1" << "0";
    fields << QByteArray();
    return glyphon::buildMessage("CMD_theletters", fields).chopped(1);
}

QByteArray loadStatsMessage(int inTurn, const glyphon::TileGrid &tiles)
{
    QList<QByteArray> f{"3", "12", "9", "60", "200", "2", "64", "4", glyphon::number(inTurn)};
    for (int p : glyphon::tilePositions()) {
        const glyphon::TCell &t = tiles[p];
        f << glyphon::number(p) << glyphon::number(t.letter) << glyphon::number(t.owner) << glyphon::number(t.value)
          << glyphon::number(t.locked);
    }
    return glyphon::buildMessage("CMD_loadstats", f).chopped(1);
}

} // namespace testsupport
