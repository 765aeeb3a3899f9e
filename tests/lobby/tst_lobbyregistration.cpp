// A host keeping its game listed on a real lobby on loopback.

#include "lobby/lobbyserver.h"
#include "lobby_support.h"
#include "net/lobbyregistration.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <limits>

using namespace glyphon;

namespace {

using glyphon::test::FakeHost;

LanGame game(quint16 port, int players = 1)
{
    LanGame g;
    g.hostName = QStringLiteral("Ann");
    g.port = port;
    g.seatsTaken = players;
    return g;
}

QList<LobbyListing> listed(LobbyServer &lobby)
{
    return lobby.store().list(0).games;
}

} // namespace

class TestLobbyRegistration : public QObject
{
    Q_OBJECT
private slots:
    void keepsTheGameListed();
    void renewsAsTheLobbyAsks();
    void unreachableLobby();
};

void TestLobbyRegistration::keepsTheGameListed()
{
    FakeHost host;
    LobbyConfig config;
    config.port = 0;
    config.limits.listRefreshMs = 0; // the test reads the list on a clock of its own
    config.limits.expireMs = 60000;
    LobbyServer lobby(config);
    QVERIFY(lobby.start());
    LobbyRegistration registration(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(lobby.port())));
    registration.setVersion(QStringLiteral("1.0.2"));
    registration.setFallbackName(QStringLiteral("box"));
    LanGame g = game(host.serverPort());
    g.hostName.clear(); // nobody in seat 1 yet
    registration.setGame(g);
    registration.start();
    QTRY_COMPARE(listed(lobby).size(), 1);
    QCOMPARE(listed(lobby).first().info.name, "box");
    const QString first = registration.id();
    QCOMPARE(listed(lobby).first().id, first);

    // A change is sent at once, not at the next renewal.
    registration.setGame(game(host.serverPort(), 2));
    QTRY_COMPARE(listed(lobby).first().info.players, 2);
    QCOMPARE(listed(lobby).first().info.name, "Ann");
    // Changed again while that change is on its way: the later one is sent
    // once the lobby has answered the first.
    LanGame bob = game(host.serverPort(), 1);
    bob.hostName = QStringLiteral("Bob");
    registration.setGame(game(host.serverPort(), 1));
    registration.setGame(bob);
    QTRY_COMPARE(listed(lobby).first().info.name, "Bob");

    // The lobby forgot the game (say, it restarted): the host registers anew.
    QCOMPARE(lobby.store().expire(std::numeric_limits<qint64>::max() / 2), 1);
    registration.setGame(game(host.serverPort(), 1));
    QTRY_VERIFY(!listed(lobby).isEmpty() && listed(lobby).first().id != first);
    QCOMPARE(listed(lobby).first().id, registration.id());

    // The port closed while hosting goes on: withdrawn without waiting,
    // and listed anew (a new id) once reachable again.
    const QString beforeWithdraw = registration.id();
    registration.withdraw();
    QVERIFY(!registration.listed() && !registration.started());
    QTRY_COMPARE(lobby.store().size(), 0);
    registration.start();
    QTRY_COMPARE(listed(lobby).size(), 1);
    QVERIFY(registration.id() != beforeWithdraw);

    // Ending the host deletes it, and says so once the lobby has answered.
    QSignalSpy finished(&registration, &LobbyRegistration::finished);
    registration.finishAsync(5000);
    QVERIFY(finished.isEmpty());
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(lobby.store().size(), 0);
}

void TestLobbyRegistration::renewsAsTheLobbyAsks()
{
    FakeHost host;
    LobbyConfig config;
    config.port = 0;
    config.limits.listRefreshMs = 0; // the test reads the list on a clock of its own
    config.renewSeconds = 1;
    LobbyServer lobby(config);
    QVERIFY(lobby.start());
    LobbyRegistration registration(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(lobby.port())));
    registration.setVersion(QStringLiteral("1.0.2"));
    registration.setGame(game(host.serverPort()));
    QSignalSpy renewed(&registration, &LobbyRegistration::renewed);
    registration.start();
    // Renewals at the lobby's pace (1 s), not the default 30 s.
    QTRY_VERIFY_WITH_TIMEOUT(renewed.size() >= 2, 20000);
    QCOMPARE(lobby.store().size(), 1);
}

void TestLobbyRegistration::unreachableLobby()
{
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    LobbyRegistration registration(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port)));
    registration.setVersion(QStringLiteral("1.0.2"));
    registration.setGame(game(7772));
    QSignalSpy refused(&registration, &LobbyRegistration::refused);
    registration.start();
    QTRY_COMPARE(refused.size(), 1);
    QVERIFY(!registration.listed());
    // Nothing to delete: the end is told at the next turn of the loop.
    QSignalSpy finished(&registration, &LobbyRegistration::finished);
    registration.finishAsync(1000);
    QVERIFY(finished.isEmpty());
    QTRY_COMPARE(finished.size(), 1);
}

QTEST_GUILESS_MAIN(TestLobbyRegistration)
#include "tst_lobbyregistration.moc"
