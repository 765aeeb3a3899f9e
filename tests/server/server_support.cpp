#include "server_support.h"

#include "protocol/wire.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QTest>
#include <algorithm>

namespace glyphon::test {

bool writeWordFile(const QString &path, QStringList words)
{
    QList<QByteArray> keys;
    for (const QString &w : words) {
        QByteArray key = w.toUpper().toLatin1().left(14);
        key = key.leftJustified(14, ' ');
        keys.append(key);
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    for (const QByteArray &key : keys) {
        file.putChar(char(30));
        file.write(key);
    }
    return true;
}

bool spinUntil(const std::function<bool()> &done, int timeoutMs)
{
    return QTest::qWaitFor(done, timeoutMs);
}

TestClient::TestClient()
{
    connect(&m_socket, &QTcpSocket::readyRead, this, &TestClient::onReadyRead);
}

bool TestClient::connectTo(quint16 port, const QString &from)
{
    if (!from.isEmpty() && !m_socket.bind(QHostAddress(from)))
        return false;
    m_socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    return spinUntil([this] { return m_socket.state() == QAbstractSocket::ConnectedState; });
}

int TestClient::join(quint16 port, const QString &from)
{
    if (!connectTo(port, from))
        return 0;
    const QByteArray m = next();
    if (!m.startsWith("CMD_sendlogininfo+"))
        return 0;
    seat = m.mid(int(qstrlen("CMD_sendlogininfo+"))).toInt();
    return seat;
}

bool TestClient::login(const QByteArray &name, const QByteArray &version)
{
    send("CMD_logininfo", {QByteArray::number(seat), version, name});
    return !waitFor("CMD_newplayerinfo+" + QByteArray::number(seat) + '+' + name + "+0").isEmpty();
}

void TestClient::sendRaw(const QByteArray &bytes)
{
    m_socket.write(bytes);
    m_socket.flush();
}

void TestClient::send(const char *name, const QList<QByteArray> &fields)
{
    sendRaw(buildMessage(name, fields));
}

void TestClient::onReadyRead()
{
    const QByteArray bytes = m_socket.readAll();
    m_raw += bytes;
    m_partial += bytes;
    for (;;) {
        const qsizetype end = m_partial.indexOf(Terminator);
        if (end < 0)
            break;
        m_messages.append(m_partial.left(end));
        m_partial.remove(0, end + 1);
    }
}

QByteArray TestClient::next(int timeoutMs)
{
    // A closed connection brings nothing more: no need to wait for it.
    spinUntil([this] {
        if (m_socket.state() == QAbstractSocket::UnconnectedState)
            onReadyRead();
        return m_cursor < m_messages.size() || m_socket.state() == QAbstractSocket::UnconnectedState;
    }, timeoutMs);
    if (m_cursor >= m_messages.size())
        return {};
    return m_messages.at(m_cursor++);
}

QByteArray TestClient::waitFor(const QByteArray &prefix, int timeoutMs)
{
    QByteArray found;
    spinUntil([&] {
        while (m_cursor < m_messages.size()) {
            const QByteArray &m = m_messages.at(m_cursor++);
            if (m.startsWith(prefix)) {
                found = m;
                return true;
            }
        }
        return false;
    }, timeoutMs);
    return found;
}

QList<QByteArray> TestClient::unread()
{
    const QList<QByteArray> rest = m_messages.mid(m_cursor);
    m_cursor = m_messages.size();
    return rest;
}

QByteArray TestClient::lastSyncMarker() const
{
    return "sync-" + QByteArray::number(m_syncCount) + "|clBlack";
}

QList<QByteArray> TestClient::sync()
{
    ++m_syncCount;
    const QByteArray marker = lastSyncMarker();
    send("CMD_chat", {QByteArray::number(seat), marker});
    QList<QByteArray> before;
    spinUntil([&] {
        while (m_cursor < m_messages.size()) {
            const QByteArray &m = m_messages.at(m_cursor++);
            if (m.startsWith("CMD_chat+" + QByteArray::number(seat) + '+') && m.endsWith(marker))
                return true;
            before.append(m);
        }
        return false;
    });
    return before;
}

bool TestClient::waitClosed(int timeoutMs)
{
    return spinUntil([this] { return m_socket.state() == QAbstractSocket::UnconnectedState; }, timeoutMs);
}

ServerFixture::ServerFixture(quint32 seed, const std::function<void(HostConfig &)> &adjust)
{
    HostConfig config;
    config.port = 0;
    config.seed = seed;
    config.tickMs = 100000000;
    // Every client here comes from 127.0.0.1 and settles by chat: the limits
    // that would count those are off unless a test sets them.
    config.perAddress = 0;
    config.chatLinesPerSecond = 0;
    if (adjust)
        adjust(config);
    m_server = std::make_unique<TServer>(config);
    m_server->Sock1->setListen(true);
    m_port = m_server->Sock1->localPort();
}

ServerFixture::~ServerFixture()
{
    m_server.reset();
    m_clients.clear();
}

TestClient *ServerFixture::connection()
{
    m_clients.push_back(std::make_unique<TestClient>());
    TestClient *c = m_clients.back().get();
    c->join(m_port);
    return c;
}

TestClient *ServerFixture::player(const QByteArray &name)
{
    TestClient *c = connection();
    c->login(name);
    settle();
    return c;
}

void ServerFixture::settle()
{
    TestClient *first = nullptr;
    for (const auto &c : m_clients) {
        if (c->isOpen()) {
            first = c.get();
            break;
        }
    }
    if (!first)
        return;
    first->sync();
    const QByteArray relay = "CMD_chat+" + QByteArray::number(first->seat) + '+';
    for (const auto &c : m_clients) {
        if (c.get() == first || !c->isOpen())
            continue;
        spinUntil([&] {
            for (QByteArray m = c->next(0); !m.isEmpty(); m = c->next(0)) {
                if (m.startsWith(relay) && m.endsWith(first->lastSyncMarker()))
                    return true;
            }
            return false;
        });
    }
}

void ServerFixture::startGame(int playto, int seconds, TestClient *client)
{
    m_server->startgame(1, "Bob+" + QByteArray::number(playto) + '+' + QByteArray::number(seconds) + '+');
    if (client)
        client->waitFor("CMD_nextplayer+");
}

void ServerFixture::ticks(int n)
{
    for (int i = 0; i < n; ++i)
        m_server->timer_breaksTimer();
}

WordFolder::WordFolder(const QStringList &words)
    : m_previous(QDir::currentPath())
{
    writeWordFile(m_dir.filePath(QStringLiteral("English")), words);
    QDir::setCurrent(m_dir.path());
}

WordFolder::~WordFolder()
{
    QDir::setCurrent(m_previous);
}

} // namespace glyphon::test
