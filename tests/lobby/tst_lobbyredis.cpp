// Two lobby nodes sharing one list in a redis-server of the test's own on
// loopback, with a host keeping its game listed through them.

#include "lobby/lobbyserver.h"
#include "lobby_support.h"
#include "lobby/redislobbystore.h"
#include "storerows_support.h"
#include "net/lobbyregistration.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using namespace glyphon;

namespace {

using glyphon::test::FakeHost;

struct Listing
{
    int status = 0;
    QByteArray etag;
    QStringList ids;
};

Listing listAt(LobbyServer &node)
{
    static QNetworkAccessManager network;
    const glyphon::test::HttpAnswer answer = glyphon::test::httpCall(
        network, "GET", QUrl(QStringLiteral("http://127.0.0.1:%1/v1/games").arg(node.port())));
    Listing listing{answer.status, answer.etag, {}};
    for (const QJsonValue &game : answer.json.value("games").toArray())
        listing.ids.append(game.toObject().value("id").toString());
    return listing;
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

} // namespace

class TestLobbyRedis : public QObject
{
    Q_OBJECT
private slots:
    void nodesShareOneList();
    // The in-memory store's rows, answered by the store in Redis.
    void secrets_data() { test::secretRows(); }
    void secrets();
    void tags_data() { test::tagRows(); }
    void tags();

    void cleanupTestCase()
    {
        if (m_redis) {
            m_redis->kill();
            m_redis->waitForFinished();
        }
    }

private:
    bool startRedis(quint16 port);
    // A store on an emptied Redis of the test's own; null without Redis.
    std::unique_ptr<RedisLobbyStore> freshStore();
    std::unique_ptr<QProcess> m_redis;
    quint16 m_storePort = 0;
};

bool TestLobbyRedis::startRedis(quint16 port)
{
    m_redis = std::make_unique<QProcess>();
    m_redis->start(QStringLiteral("redis-server"),
                   {QStringLiteral("--port"), QString::number(port), QStringLiteral("--save"), QString(),
                    QStringLiteral("--appendonly"), QStringLiteral("no"), QStringLiteral("--bind"),
                    QStringLiteral("127.0.0.1")});
    return m_redis->waitForStarted();
}

std::unique_ptr<RedisLobbyStore> TestLobbyRedis::freshStore()
{
    if (QStandardPaths::findExecutable(QStringLiteral("redis-server")).isEmpty())
        return nullptr;
    if (!m_redis || m_redis->state() != QProcess::Running) {
        m_storePort = freePort();
        if (!startRedis(m_storePort))
            return nullptr;
    }
    LobbyLimits limits;
    limits.listRefreshMs = 0;
    auto store = std::make_unique<RedisLobbyStore>(QStringLiteral("127.0.0.1"), m_storePort, limits);
    // Redis answers once it listens; each row starts from an empty list.
    if (!QTest::qWaitFor([&] { return store->size() >= 0; }, 5000))
        return nullptr;
    QProcess flush;
    flush.start(QStringLiteral("redis-cli"), {QStringLiteral("-p"), QString::number(m_storePort), QStringLiteral("FLUSHALL")});
    if (!flush.waitForFinished(5000) || flush.exitCode() != 0)
        return nullptr;
    return store;
}

void TestLobbyRedis::secrets()
{
    const std::unique_ptr<RedisLobbyStore> store = freshStore();
    if (!store)
        QSKIP("no redis-server to run the rows against");
    test::checkSecretRow(*store);
}

void TestLobbyRedis::tags()
{
    const std::unique_ptr<RedisLobbyStore> store = freshStore();
    if (!store)
        QSKIP("no redis-server to run the rows against");
    test::checkTagRow(*store, false);
}

void TestLobbyRedis::nodesShareOneList()
{
    if (QStandardPaths::findExecutable(QStringLiteral("redis-server")).isEmpty())
        QSKIP("redis-server is not installed (Debian package redis-server): the shared list is not tested");
    const quint16 redisPort = freePort();
    QVERIFY(startRedis(redisPort));
    const auto stopRedis = qScopeGuard([this] {
        m_redis->kill();
        m_redis->waitForFinished();
    });

    LobbyConfig config;
    config.port = 0;
    config.renewSeconds = 1;
    config.limits.expireMs = 3000;
    config.redisPort = redisPort;
    auto a = std::make_unique<LobbyServer>(config);
    LobbyServer b(config);
    QVERIFY(a->start());
    QVERIFY(b.start());
    QTRY_COMPARE(b.store().size(), 0); // Redis is up

    // A host registered at B is listed at A, with the same tag at both.
    FakeHost host;
    LobbyRegistration registration(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(b.port())));
    registration.setVersion(QStringLiteral("1.0.2"));
    LanGame game;
    game.hostName = QStringLiteral("Ann");
    game.port = host.serverPort();
    game.seatsTaken = 1;
    registration.setGame(game);
    registration.start();
    QTRY_COMPARE(listAt(*a).ids, QStringList{registration.id()});
    QCOMPARE(listAt(*a).etag, listAt(b).etag);

    // A game nobody renews goes by Redis's own expiry, from every node's list.
    LobbyGameInfo info{QStringLiteral("Bob"), host.serverPort(), 1, 0, false, QStringLiteral("1.0.2")};
    const QString lapsed = a->store().registerGame(QStringLiteral("127.0.0.1"), info, 0).id;
    QTRY_VERIFY(listAt(b).ids.contains(lapsed));
    QTRY_VERIFY_WITH_TIMEOUT(!listAt(b).ids.contains(lapsed), 10000);
    QCOMPARE(listAt(b).ids, QStringList{registration.id()}); // renewed: stays

    // One node goes; the other keeps listing and renewing.
    a.reset();
    QTest::qWait(0);
    QCOMPARE(listAt(b).ids, QStringList{registration.id()});

    // Redis goes: 503, not an empty list.
    m_redis->kill();
    m_redis->waitForFinished();
    QTRY_COMPARE(listAt(b).status, 503);

    // Redis comes back empty: the host's next renewal is told 404 and registers anew.
    const QString before = registration.id();
    QVERIFY(startRedis(redisPort));
    QTRY_VERIFY_WITH_TIMEOUT(listAt(b).status == 200 && listAt(b).ids.size() == 1, 15000);
    QVERIFY(listAt(b).ids.constFirst() != before);
    QCOMPARE(listAt(b).ids, QStringList{registration.id()});
    registration.finishAsync(5000);
    QTRY_COMPARE(listAt(b).ids, QStringList()); // within one refresh of the list
}

QTEST_GUILESS_MAIN(TestLobbyRedis)
#include "tst_lobbyredis.moc"
