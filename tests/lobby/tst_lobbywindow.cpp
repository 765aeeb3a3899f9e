// Play with Others lists the games of a real lobby on loopback beside those
// of the local network, and joins one.

#include "lobby/lobbyserver.h"
#include "net/lanannouncer.h"
#include "net/lobbybrowser.h"
#include "net/lobbyregistration.h"
#include "protocol/wire.h"
#include "windows/playwithothersdialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUdpSocket>

using namespace glyphon;

class TestLobbyWindow : public QObject
{
    Q_OBJECT
private slots:
    void listsAndJoinsGamesOfItsVersion();
};

void TestLobbyWindow::listsAndJoinsGamesOfItsVersion()
{
    QTcpServer host;
    connect(&host, &QTcpServer::newConnection, &host, [&host] {
        while (QTcpSocket *socket = host.nextPendingConnection())
            socket->write(QByteArray("CMD_sendlogininfo+1\xFF", 20));
    });
    QVERIFY(host.listen(QHostAddress::AnyIPv4));
    LobbyConfig config;
    config.port = 0;
    config.limits.listRefreshMs = 0; // the test reads the list on a clock of its own
    LobbyServer lobby(config);
    QVERIFY(lobby.start());
    const QString url = QStringLiteral("http://127.0.0.1:%1").arg(lobby.port());

    // A game the window can join, and one of another version it cannot.
    LanGame game;
    game.hostName = QStringLiteral("Ann");
    game.port = host.serverPort();
    LobbyRegistration ours{QUrl(url)}, other{QUrl(url)};
    ours.setVersion(QString::fromLatin1(VersionText));
    other.setVersion(QStringLiteral("0.9"));
    ours.setGame(game);
    game.hostName = QStringLiteral("Old");
    other.setGame(game);
    ours.start();
    other.start();
    QTRY_COMPARE(lobby.store().list(0).games.size(), 2);

    QUdpSocket spare;
    spare.bind(QHostAddress::LocalHost, 0);
    const quint16 discoveryPort = spare.localPort();
    spare.close(); // a port nobody else announces on, free for the window
    PlayWithOthersWindow window({discoveryPort, true});
    QVERIFY(window.label_lobby->text().contains("No internet lobby"));
    const int pollMs = 50;
    window.lobbyBrowser()->setPollMs(pollMs);
    window.setLobbyAddress(url);
    window.setPlayerName(QStringLiteral("Bob"));
    window.show();
    QTRY_COMPARE(window.list_internet->topLevelItemCount(), 1);
    QCOMPARE(window.list_internet->topLevelItem(0)->text(0), "Ann");

    // A change at the lobby reaches the list at the next poll.
    LanGame two = game;
    two.hostName = QStringLiteral("Ann");
    two.seatsTaken = 2;
    ours.setGame(two);
    QTRY_COMPARE(window.list_internet->topLevelItem(0)->text(1), "2 of 2");

    QSignalSpy join(&window, &PlayWithOthersWindow::joinRequested);
    window.list_internet->setCurrentItem(window.list_internet->topLevelItem(0));
    window.button_join->click();
    QCOMPARE(join.size(), 1);
    QCOMPARE(join.first().at(1).toString(), "127.0.0.1");
    QCOMPARE(join.first().at(2).value<quint16>(), host.serverPort());

    // The same game heard on the network is shown once, there, until its bye.
    LanAnnouncer announcer({discoveryPort, true});
    two.id = announcer.id();
    ours.setGame(two);
    announcer.announce(two);
    QTRY_COMPARE(window.list_games->topLevelItemCount(), 1);
    QTRY_COMPARE(window.list_internet->topLevelItemCount(), 0);
    announcer.stop();
    QTRY_COMPARE(window.list_internet->topLevelItemCount(), 1);

    // Hidden, the window stops asking the lobby. A timer of twice the poll
    // period, started after the hide, runs out after the browser's next poll
    // would have been sent: by then no request of the window's may be under
    // way or answered.
    window.hide();
    QSignalSpy oursGone(&ours, &LobbyRegistration::finished);
    ours.finishAsync(3000);
    QTRY_VERIFY(!oursGone.isEmpty());
    auto *network = window.lobbyBrowser()->findChild<QNetworkAccessManager *>();
    QVERIFY(network);
    QSignalSpy answered(network, &QNetworkAccessManager::finished);
    bool pollPassed = false;
    QTimer::singleShot(2 * pollMs, Qt::PreciseTimer, &window, [&pollPassed] { pollPassed = true; });
    QTRY_VERIFY(pollPassed);
    QCOMPARE(network->findChildren<QNetworkReply *>().size(), 0);
    QCOMPARE(answered.size(), 0);
    QCOMPARE(window.list_internet->topLevelItemCount(), 1);
    other.finishAsync(3000);
}

QTEST_MAIN(TestLobbyWindow)
#include "tst_lobbywindow.moc"
