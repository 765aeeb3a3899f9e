// The lobby over HTTP on loopback, with fake game hosts that greet as a host
// does (or speak something else, or nothing).

#include "lobby/lobbyserver.h"
#include "lobby_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using namespace glyphon;

namespace {

using glyphon::test::FakeHost;
using Answer = glyphon::test::HttpAnswer;

QByteArray gameBody(quint16 port, const QString &name = QStringLiteral("Ann"), int players = 1,
                    const QJsonObject &extra = {})
{
    QJsonObject o{{"name", name}, {"port", port}, {"players", players}, {"spectators", 0},
                  {"running", false}, {"version", "1.0.2"}};
    for (auto it = extra.begin(); it != extra.end(); ++it)
        o.insert(it.key(), it.value());
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

class Lobby
{
public:
    explicit Lobby(LobbyConfig config = {})
    {
        config.port = 0;
        config.limits.listRefreshMs = 0; // each call sees the last change
        server = std::make_unique<LobbyServer>(config);
        started = server->start();
    }

    Answer call(const QByteArray &method, const QString &path, const QByteArray &body = {},
                const QList<QPair<QByteArray, QByteArray>> &headers = {}, const QString &host = "127.0.0.1")
    {
        const QUrl url(QStringLiteral("http://%1:%2%3")
                           .arg(host.contains(u':') ? u'[' + host + u']' : host)
                           .arg(server->port()).arg(path));
        return glyphon::test::httpCall(network, method, url, body, headers);
    }

    QJsonArray games() { return call("GET", "/v1/games").json.value("games").toArray(); }
    bool listed(const QString &id)
    {
        for (const QJsonValue &g : games())
            if (g.toObject().value("id").toString() == id)
                return true;
        return false;
    }

    QNetworkAccessManager network;
    std::unique_ptr<LobbyServer> server;
    bool started = false;
};

QList<QPair<QByteArray, QByteArray>> bearer(const QString &secret)
{
    return {{"Authorization", "Bearer " + secret.toLatin1()}};
}

} // namespace

class TestLobbyServer : public QObject
{
    Q_OBJECT
private slots:
    void registerRenewDelete();
    void expires();
    void etagAndNotModified();
    void refused_data();
    void refused();
    void onlyGreetingHostsListed_data();
    void onlyGreetingHostsListed();
    void listedAddress_data();
    void listedAddress();
    void pageEscapesNames();
};

void TestLobbyServer::registerRenewDelete()
{
    FakeHost host;
    Lobby lobby;
    QVERIFY(lobby.started);
    const Answer created = lobby.call("POST", "/v1/games", gameBody(host.serverPort()));
    QCOMPARE(created.status, 201);
    const QString id = created.json.value("id").toString();
    const QString secret = created.json.value("secret").toString();
    QVERIFY(!id.isEmpty() && secret.size() >= 32);
    QTRY_VERIFY(lobby.listed(id));
    const QJsonObject game = lobby.games().first().toObject();
    QCOMPARE(game.value("name").toString(), "Ann");
    QCOMPARE(game.value("port").toInt(), host.serverPort());

    QCOMPARE(lobby.call("PUT", "/v1/games/" + id, gameBody(host.serverPort(), "Ann", 2), bearer(secret)).status, 200);
    QCOMPARE(lobby.games().first().toObject().value("players").toInt(), 2);
    QCOMPARE(lobby.call("PUT", "/v1/games/" + id, gameBody(host.serverPort()), bearer("wrong")).status, 403);
    QCOMPARE(lobby.call("PUT", "/v1/games/" + id, gameBody(host.serverPort())).status, 403);
    QCOMPARE(lobby.call("PUT", "/v1/games/ffff0000ffff0000", gameBody(host.serverPort()), bearer(secret)).status, 404);
    QCOMPARE(lobby.call("DELETE", "/v1/games/" + id, {}, bearer("wrong")).status, 403);
    QVERIFY(lobby.listed(id));
    QCOMPARE(lobby.call("DELETE", "/v1/games/" + id, {}, bearer(secret)).status, 200);
    QVERIFY(!lobby.listed(id));
    QCOMPARE(lobby.call("PUT", "/v1/games/" + id, gameBody(host.serverPort()), bearer(secret)).status, 404);
}

void TestLobbyServer::expires()
{
    FakeHost host;
    LobbyConfig config;
    config.limits.expireMs = 1500;
    Lobby lobby(config);
    const QString id = lobby.call("POST", "/v1/games", gameBody(host.serverPort())).json.value("id").toString();
    QTRY_VERIFY(lobby.listed(id));
    QTRY_VERIFY_WITH_TIMEOUT(!lobby.listed(id), 10000);
}

void TestLobbyServer::etagAndNotModified()
{
    FakeHost host;
    Lobby lobby;
    const Answer created = lobby.call("POST", "/v1/games", gameBody(host.serverPort()));
    const QString id = created.json.value("id").toString();
    const auto secret = bearer(created.json.value("secret").toString());
    QTRY_VERIFY(lobby.listed(id));
    const QByteArray tag = lobby.call("GET", "/v1/games").etag;
    QVERIFY(!tag.isEmpty());
    const Answer same = lobby.call("GET", "/v1/games", {}, {{"If-None-Match", tag}});
    QCOMPARE(same.status, 304);
    QVERIFY(same.body.isEmpty());
    // A client may send several tags, with blanks between them.
    QCOMPARE(lobby.call("GET", "/v1/games", {}, {{"If-None-Match", "\"old\",  " + tag + " "}}).status, 304);
    // A renewal that changes nothing keeps the tag; a change does not.
    lobby.call("PUT", "/v1/games/" + id, gameBody(host.serverPort()), secret);
    QCOMPARE(lobby.call("GET", "/v1/games", {}, {{"If-None-Match", tag}}).status, 304);
    lobby.call("PUT", "/v1/games/" + id, gameBody(host.serverPort(), "Ann", 2), secret);
    const Answer changed = lobby.call("GET", "/v1/games", {}, {{"If-None-Match", tag}});
    QCOMPARE(changed.status, 200);
    QVERIFY(changed.etag != tag);
}

void TestLobbyServer::refused_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("maxGames");
    QTest::addColumn<int>("perAddress");
    QTest::addColumn<int>("expected"); // the second registration's status
    QTest::addColumn<int>("perMinute");
    const QByteArray good = gameBody(7772);
    QTest::newRow("body past 4 KB") << gameBody(7772, QString(5000, u'x')) << 10 << 10 << 413 << 10;
    QTest::newRow("not JSON") << QByteArray("name=Ann&port=7772") << 10 << 10 << 400 << 10;
    QTest::newRow("port 0") << gameBody(0) << 10 << 10 << 400 << 10;
    QTest::newRow("port as text") << gameBody(7772, "Ann", 1, {{"port", "7772"}}) << 10 << 10 << 400 << 10;
    QTest::newRow("three players") << gameBody(7772, "Ann", 3) << 10 << 10 << 400 << 10;
    QTest::newRow("name of control characters only") << gameBody(7772, "\t\n") << 10 << 10 << 400 << 10;
    QTest::newRow("LAN id with markup") << gameBody(7772, "Ann", 1, {{"lan", "<a href=x>"}}) << 10 << 10 << 400 << 10;
    QTest::newRow("version with markup") << gameBody(7772, "Ann", 1, {{"version", "<b>"}}) << 10 << 10 << 400 << 10;
    QTest::newRow("lobby full") << good << 1 << 10 << 503 << 10;
    QTest::newRow("address has its games") << good << 10 << 1 << 429 << 10;
    // A host that registers again and again is slowed, not told the lobby is full.
    QTest::newRow("registering too often") << gameBody(7773) << 10 << 10 << 429 << 1;
}

void TestLobbyServer::refused()
{
    QFETCH(QByteArray, body);
    QFETCH(int, maxGames);
    QFETCH(int, perAddress);
    QFETCH(int, expected);
    QFETCH(int, perMinute);
    LobbyConfig config;
    config.limits.maxGames = maxGames;
    config.limits.perAddress = perAddress;
    config.limits.registrationsPerMinute = perMinute;
    Lobby lobby(config);
    QCOMPARE(lobby.call("POST", "/v1/games", gameBody(7772)).status, 201);
    const Answer answer = lobby.call("POST", "/v1/games", body);
    QCOMPARE(answer.status, expected);
    QVERIFY2(!answer.json.value("error").toString().isEmpty(), answer.body.constData());
    QCOMPARE(lobby.server->store().size(), 1);
}

void TestLobbyServer::onlyGreetingHostsListed_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("listening");
    QTest::addColumn<bool>("expected");
    QTest::newRow("seat offered") << QByteArray("CMD_sendlogininfo+2\xFF", 20) << true << true;
    QTest::newRow("full") << QByteArray("CMD_full+\xFF", 10) << true << true;
    QTest::newRow("another program") << QByteArray("HTTP/1.1 400 Bad Request\r\n\r\n") << true << false;
    QTest::newRow("nothing listens") << QByteArray() << false << false;
}

void TestLobbyServer::onlyGreetingHostsListed()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, listening);
    QFETCH(bool, expected);
    FakeHost probed(line);
    const quint16 port = probed.serverPort();
    if (!listening)
        probed.close();
    FakeHost greeter;
    LobbyConfig config;
    config.probeTimeoutMs = 1000;
    Lobby lobby(config);
    const QString id = lobby.call("POST", "/v1/games", gameBody(port)).json.value("id").toString();
    const QString other = lobby.call("POST", "/v1/games", gameBody(greeter.serverPort())).json.value("id").toString();
    QTRY_VERIFY(lobby.listed(other));
    QTRY_COMPARE(lobby.server->probesRunning(), 0);
    QCOMPARE(lobby.listed(id), expected);
}

void TestLobbyServer::listedAddress_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<QByteArray>("forwarded");
    QTest::addColumn<QString>("listed"); // empty: refused with 400
    QTest::newRow("address in the body") << "127.0.0.1" << false << QByteArray() << "127.0.0.1";
    QTest::newRow("forwarded by a stranger") << "127.0.0.1" << false << QByteArray("127.0.0.2") << "127.0.0.1";
    QTest::newRow("forwarded by the proxy") << "127.0.0.1" << true << QByteArray("198.51.100.7, 127.0.0.2") << "127.0.0.2";
    QTest::newRow("IPv6 through the proxy") << "127.0.0.1" << true << QByteArray("2001:db8::1") << "";
    QTest::newRow("IPv6 peer") << "::1" << false << QByteArray() << "";
}

void TestLobbyServer::listedAddress()
{
    QFETCH(QString, from);
    QFETCH(bool, trusted);
    QFETCH(QByteArray, forwarded);
    QFETCH(QString, listed);
    FakeHost host;
    LobbyConfig config;
    if (trusted)
        config.trustedProxies << QHostAddress(QStringLiteral("127.0.0.1"));
    Lobby lobby(config);
    QList<QPair<QByteArray, QByteArray>> headers;
    if (!forwarded.isEmpty())
        headers << qMakePair(QByteArray("X-Forwarded-For"), forwarded);
    const Answer answer = lobby.call("POST", "/v1/games",
                                     gameBody(host.serverPort(), "Ann", 1, {{"address", "192.0.2.9"}}), headers, from);
    if (from.contains(u':') && answer.status == 0)
        QSKIP("no IPv6 loopback here");
    if (listed.isEmpty()) {
        QCOMPARE(answer.status, 400);
        QVERIFY(answer.json.value("error").toString().contains("IPv4"));
        return;
    }
    QCOMPARE(answer.status, 201);
    QTRY_COMPARE(lobby.games().size(), 1);
    QCOMPARE(lobby.games().first().toObject().value("address").toString(), listed);
}

void TestLobbyServer::pageEscapesNames()
{
    FakeHost host;
    Lobby lobby;
    QCOMPARE(lobby.call("GET", "/").body.contains("No open games"), true);
    const QString id = lobby.call("POST", "/v1/games", gameBody(host.serverPort(), "<b>Ann & \"Bo\"</b>"))
                           .json.value("id").toString();
    QTRY_VERIFY(lobby.listed(id));
    const Answer page = lobby.call("GET", "/");
    QCOMPARE(page.status, 200);
    QVERIFY2(page.body.contains("&lt;b&gt;Ann &amp; &quot;Bo&quot;&lt;/b&gt;"), page.body.constData());
    QVERIFY(!page.body.contains("<b>"));
    QVERIFY(page.body.contains(QStringLiteral("href=\"glyphon://127.0.0.1:%1\"").arg(host.serverPort()).toUtf8()));
    QVERIFY(page.body.contains(QStringLiteral("at 127.0.0.1:%1<").arg(host.serverPort()).toUtf8())); // readable too
    QVERIFY(!page.body.contains("<script"));
}

QTEST_GUILESS_MAIN(TestLobbyServer)
#include "tst_lobbyserver.moc"
