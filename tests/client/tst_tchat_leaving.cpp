// Leaving and being left: the question before a player leaves a running
// game, and a joining window that loses its connection and comes back
// through a relay the test can cut.

#include "tchat_support.h"

#include "client/mainmenus.h"

#include "chat/chatinput.h"
#include "client/leaveguard.h"
#include "session/reconnector.h"
#include "server/tserver.h"
#include "windows/spylist.h"
#include "windows/gamestart.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <array>

#include <sys/socket.h>

using namespace testsupport;

namespace {

// Passes bytes both ways between windows and a host; cut() resets every
// link at once, as a dropped network does (or only the windows' or only the
// host's ends of them), and closing the door refuses new ones until it
// opens again.
class Relay : public QObject
{
public:
    Relay(quint16 hostPort)
        : m_hostPort(hostPort)
    {
        connect(&m_server, &QTcpServer::newConnection, this, &Relay::accept);
    }
    bool open(quint16 port = 0) { return m_server.listen(QHostAddress::LocalHost, port); }
    void closeDoor() { m_server.close(); }
    quint16 port() const { return m_server.serverPort(); }

    enum Side { Both, Windows, Host };
    void cut(Side side = Both)
    {
        QList<QTcpSocket *> links;
        if (side != Host)
            links += std::exchange(m_windowEnds, {});
        if (side != Windows)
            links += std::exchange(m_hostEnds, {});
        // Quiet first, so no end passes its close on to its partner in order.
        for (QTcpSocket *s : links)
            s->disconnect();
        for (QTcpSocket *s : links) {
            // Linger 0: the close sends a reset, not an orderly end.
            const linger hard{1, 0};
            ::setsockopt(int(s->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
            s->abort();
            s->deleteLater();
        }
    }

private:
    void accept()
    {
        while (QTcpSocket *inner = m_server.nextPendingConnection()) {
            auto *outer = new QTcpSocket(this);
            m_windowEnds << inner;
            m_hostEnds << outer;
            const auto pipe = [](QTcpSocket *from, QTcpSocket *to) {
                connect(from, &QTcpSocket::readyRead, to, [from, to] { to->write(from->readAll()); });
                connect(from, &QTcpSocket::disconnected, to, [to] { to->disconnectFromHost(); });
            };
            pipe(inner, outer);
            pipe(outer, inner);
            outer->connectToHost(QHostAddress::LocalHost, m_hostPort);
        }
    }

    quint16 m_hostPort;
    QTcpServer m_server;
    QList<QTcpSocket *> m_windowEnds;
    QList<QTcpSocket *> m_hostEnds;
};

} // namespace

class TestTchatLeaving : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { enterTemporaryWorkingFolder(); }
    void init() { useFreePort(); }

    void askBeforeLeaving_data();
    void askBeforeLeaving();
    void hostClosingTellsJoinerAndSpectator_data();
    void hostClosingTellsJoinerAndSpectator();
    void droppedJoinerComesBackAndPlays();
    void seatStillHeldMeansWaitingLonger();
    void givingUpIsToldThenCloses();
    void droppedSpectatorComesBackThenStays();
};

void TestTchatLeaving::askBeforeLeaving_data()
{
    QTest::addColumn<int>("seat");
    QTest::addColumn<QByteArrayList>("messages");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QStringList>("params");

    const QByteArray start = "CMD_startgame+Cid+200+30+";
    const QStringList joiner{"Ann"};
    QTest::newRow("no game") << 1 << QByteArrayList{} << false << false << true << joiner;
    QTest::newRow("game, stay") << 1 << QByteArrayList{start} << false << true << false << joiner;
    QTest::newRow("game, leave") << 2 << QByteArrayList{start} << true << true << true << joiner;
    QTest::newRow("spectator") << 3 << QByteArrayList{start} << false << false << true << joiner;
    QTest::newRow("game over") << 1 << QByteArrayList{start, "CMD_winner+Cid+"} << false << false << true << joiner;
    QTest::newRow("solo game, stay") << 1 << QByteArrayList{start} << false << true << false << QStringList{};
}

void TestTchatLeaving::askBeforeLeaving()
{
    QFETCH(int, seat);
    QFETCH(QByteArrayList, messages);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(bool, closes);
    QFETCH(QStringList, params);

    auto copy = startCopy(params);
    Tchat *chat = copy->chat;
    // A solo game logs in to its own host; a joiner's window with a name
    // alone has no line, so its seat is handed to it here.
    if (params.isEmpty())
        QTRY_VERIFY(chat->isconnected());
    else
        feed(chat, glyphon::msg::SendLoginInfo{seat}.encode().chopped(1)); // without its end mark
    for (const QByteArray &m : messages)
        feed(chat, m);
    QStringList questions;
    chat->closer()->leaveGuard()->setAsk([&](const QString &q) {
        questions << q;
        return answer;
    });
    QSignalSpy closed(chat, &Tchat::closed);
    chat->menus()->Exit1->trigger();
    QCOMPARE(questions.size(), asked ? 1 : 0);
    // Nobody else is in a solo game to leave behind.
    if (asked)
        QCOMPARE(questions.first(), params.isEmpty() ? QStringLiteral("A game is in progress. Do you want to leave it?")
                                                     : QStringLiteral("A game is in progress. Do you want to leave "
                                                                      "it? The computer player takes your seat."));
    QCOMPARE(closed.count(), closes ? 1 : 0);
    QCOMPARE(chat->isVisible(), !closes);
    if (!closes) {
        // The close button asks the same way.
        chat->close();
        QCOMPARE(questions.size(), 2);
        QVERIFY(chat->isVisible());
    }
}

void TestTchatLeaving::hostClosingTellsJoinerAndSpectator_data()
{
    QTest::addColumn<bool>("removal");
    QTest::addColumn<QStringList>("told");
    QTest::newRow("the host leaves") << false << QStringList(2, QStringLiteral("The host has ended the game."));
    QTest::newRow("the spectator is removed") << true
                                              << QStringList{QStringLiteral("The host has closed your connection.")};
}

void TestTchatLeaving::hostClosingTellsJoinerAndSpectator()
{
    QFETCH(bool, removal);
    QFETCH(QStringList, told);
    auto host = startCopy({"Cid", "x", "true"});
    QTRY_VERIFY(chatHas(host->chat, QStringLiteral("You are Connected.")));
    auto joiner = startCopy({"Ann", "127.0.0.1", "false"});
    auto spectator = startCopy({"Bob", "127.0.0.1", "false"});
    QTRY_VERIFY(chatHas(spectator->chat, QStringLiteral("You are spying.")));
    QTRY_VERIFY(chatHas(joiner->chat, QStringLiteral("Bob is spying.")));
    BoxAnswerer boxes;
    QSignalSpy annClosed(joiner->chat, &Tchat::closed);
    QSignalSpy bobClosed(spectator->chat, &Tchat::closed);
    if (removal) {
        host->hosting->server().kickhim(1, "1+3+");
        QTRY_COMPARE(bobClosed.count(), 1);
        QCOMPARE(boxes.texts, told);
        return;
    }
    host.reset(); // an orderly close: the program ends
    QTRY_COMPARE(annClosed.count() + bobClosed.count(), 2);
    // The host said it left before the connections closed; a removal says
    // nothing, so its box keeps its own words.
    QCOMPARE(boxes.texts, told);
    // Each box came while its window was still there to be read.
    QCOMPARE(boxes.ownerVisible, QList<bool>({true, true}));
    QVERIFY(!joiner->chat->session()->reconnecting());
}

void TestTchatLeaving::droppedJoinerComesBackAndPlays()
{
    const quint16 hostPort = useFreePort();
    auto host = startCopy({"Cid", "x", "true"}, 10);
    Tchat *cid = host->chat;
    TServer *server = &host->hosting->server();
    QTRY_VERIFY(chatHas(cid, QStringLiteral("You are Connected.")));
    Relay relay(hostPort);
    QVERIFY(relay.open());
    const quint16 relayPort = relay.port();
    qputenv("GLYPHON_PORT", QByteArray::number(relayPort));
    auto joiner = startCopy({"Ann", "127.0.0.1", "false"}, 10);
    Tchat *ann = joiner->chat;
    ann->session()->reconnector()->setPauseUnitMs(40);
    QTRY_VERIFY(chatHas(cid, QStringLiteral("Ann is Connected.")));
    BoxAnswerer boxes;

    // A game in which both have points.
    cid->button_startClick();
    host->gamestart->setValues(500, 30);
    host->gamestart->button_startClick();
    QTRY_VERIFY(cid->myTurn());
    auto word = findWord(server, 1);
    QVERIFY(word);
    clickTiles(cid, *word);
    cid->hitdone();
    QTRY_VERIFY(ann->myTurn());
    word = findWord(server, 2);
    QVERIFY(word);
    clickTiles(ann, *word);
    ann->hitdone();
    QTRY_VERIFY(server->game().score(2) > 0);
    const int annScore = server->game().score(2);
    QTRY_COMPARE(ann->scoreLabel(2)->text(), QString::number(annScore));

    // The link drops with a reset; nobody can come back until Rizi has had
    // the seat for a turn.
    ann->move(ann->pos() + QPoint(37, 23));
    const QPoint where = ann->pos();
    relay.closeDoor();
    relay.cut();
    QTRY_VERIFY(chatHas(ann, QStringLiteral("The connection to the host was lost. Reconnecting...")));
    QVERIFY(ann->isVisible());
    QTRY_VERIFY(chatHas(cid, QStringLiteral("Ann disconnected.")));
    QTRY_VERIFY_WITH_TIMEOUT(cid->label_playername2->text() == QLatin1String("Rizi"), 10000);
    QVERIFY(ann->session()->reconnecting());

    // Clicks and chat wait for the connection, and say so.
    ann->game()->turnStarted({2}); // even a turn it believes it has
    clickTiles(ann, {11});
    QCOMPARE(ann->session()->chosen().size(), 0);
    ann->mychat->setText(QStringLiteral("hello"));
    ann->sendit();
    QCOMPARE(ann->mychat->text(), QStringLiteral("hello"));
    QVERIFY(chatHas(ann, QStringLiteral("Not connected to the host: reconnecting, please wait.")));
    ann->game()->closeInput();
    const int attemptsWhileClosed = ann->session()->reconnector()->attempts();
    QVERIFY(attemptsWhileClosed >= 1);

    QVERIFY(relay.open(relayPort));
    QTRY_VERIFY_WITH_TIMEOUT(chatHas(ann, QStringLiteral("Reconnected to the game.")), 10000);
    QTRY_VERIFY(!ann->session()->reconnecting());
    QCOMPARE(ann->game()->mySeat(), 2);
    QTRY_VERIFY(chatHas(cid, QStringLiteral("Ann is Connected.")));
    // The board, scores and turn as the host has them.
    const auto sameAsHost = [&] {
        for (int p : glyphon::tilePositions()) {
            const glyphon::TCell &cell = server->board().cell(p);
            const glyphon::TCell &tile = ann->game()->board()[p];
            if (tile.letter != cell.letter || tile.owner != cell.owner || tile.locked != cell.locked)
                return false;
        }
        return ann->scoreLabel(2)->text() == QString::number(server->game().score(2))
            && ann->scoreLabel(1)->text() == QString::number(server->game().score(1));
    };
    QTRY_VERIFY(sameAsHost());
    // The word lists are the round's as the host has them, none twice.
    const auto listsAsHost = [&] {
        std::array<QStringList, 3> lists;
        for (const QByteArray &m : server->game().roundWords()) {
            const auto w = glyphon::msg::HisWord::decode(glyphon::splitCommand(m.chopped(1)).data);
            lists[size_t(w->seat)] << QStringLiteral("%1 (%2)").arg(QString::fromLatin1(w->word)).arg(w->points);
        }
        return ann->memo_thewords1->toPlainText() == lists[1].join(u'\n')
            && ann->memo_thewords2->toPlainText() == lists[2].join(u'\n');
    };
    QTRY_VERIFY(listsAsHost());
    QVERIFY(server->game().score(2) >= annScore);
    QCOMPARE(ann->pos(), where); // coming back does not move the window

    // Ann plays on in her seat.
    QTRY_VERIFY_WITH_TIMEOUT(ann->myTurn() && server->game().currentPlayer() == 2, 20000);
    const int before = server->game().score(2);
    word = findWord(server, 2);
    QVERIFY(word);
    clickTiles(ann, *word);
    ann->hitdone();
    QTRY_VERIFY(server->game().score(2) > before);
    QTRY_COMPARE(cid->scoreLabel(2)->text(), QString::number(server->game().score(2)));
    QCOMPARE(boxes.texts, QStringList());
}

// Only the window sees the reset: the host still holds the seat, so the
// first attempts are given a spectator's seat, which the window hands back.
void TestTchatLeaving::seatStillHeldMeansWaitingLonger()
{
    const quint16 hostPort = useFreePort();
    auto host = startCopy({"Cid", "x", "true"});
    Tchat *cid = host->chat;
    QTRY_VERIFY(chatHas(cid, QStringLiteral("You are Connected.")));
    Relay relay(hostPort);
    QVERIFY(relay.open());
    qputenv("GLYPHON_PORT", QByteArray::number(relay.port()));
    auto joiner = startCopy({"Ann", "127.0.0.1", "false"});
    Tchat *ann = joiner->chat;
    ann->session()->reconnector()->setPauseUnitMs(30);
    QTRY_VERIFY(chatHas(cid, QStringLiteral("Ann is Connected.")));
    BoxAnswerer boxes;

    relay.cut(Relay::Windows);
    QTRY_VERIFY2(ann->session()->reconnecting(), qPrintable(boxes.texts.join(u'|') + chatText(ann)));
    QTRY_VERIFY(ann->session()->reconnector()->attempts() >= 2);
    QVERIFY(ann->session()->reconnecting());
    QCOMPARE(ann->game()->mySeat(), 2);
    // Each attempt left its spectator seat at once: none is left over.
    QTRY_VERIFY(!host->hosting->server().seats[3].connected);
    QVERIFY(!chatHas(ann, QStringLiteral("You are spying.")));

    relay.cut(Relay::Host); // the host finds the old link dead
    QTRY_VERIFY_WITH_TIMEOUT(chatHas(ann, QStringLiteral("Reconnected to the game.")), 10000);
    QCOMPARE(ann->game()->mySeat(), 2);
    QTRY_COMPARE(host->hosting->server().seats[2].name, QByteArray("Ann"));
    QCOMPARE(boxes.texts, QStringList());
}

void TestTchatLeaving::givingUpIsToldThenCloses()
{
    const quint16 hostPort = useFreePort();
    auto host = startCopy({"Cid", "x", "true"});
    QTRY_VERIFY(chatHas(host->chat, QStringLiteral("You are Connected.")));
    Relay relay(hostPort);
    QVERIFY(relay.open());
    qputenv("GLYPHON_PORT", QByteArray::number(relay.port()));
    auto joiner = startCopy({"Ann", "127.0.0.1", "false"});
    Tchat *ann = joiner->chat;
    ann->session()->reconnector()->setPauseUnitMs(4); // two "minutes" are half a second
    QTRY_VERIFY(chatHas(host->chat, QStringLiteral("Ann is Connected.")));

    BoxAnswerer boxes;
    QSignalSpy closed(ann, &Tchat::closed);
    relay.closeDoor();
    relay.cut();
    QTRY_COMPARE(closed.count(), 1);
    QCOMPARE(boxes.texts, QStringList{QStringLiteral(
                              "The connection to the host could not be restored. The window will close.")});
    QCOMPARE(boxes.ownerVisible, QList<bool>{true});
    // Pauses of 1, 2, 4 ... 32 units and one cut short fill the 120 allowed;
    // slow attempts may use up part of it.
    QVERIFY2(ann->session()->reconnector()->attempts() >= 5 && ann->session()->reconnector()->attempts() <= 7,
             qPrintable(QString::number(ann->session()->reconnector()->attempts())));
    QVERIFY(chatHas(ann, QStringLiteral("Could not reconnect to the host.")));
}

// A spectator's reset link comes back like a player's; when it cannot, the
// window says so and stays for the user to close.
void TestTchatLeaving::droppedSpectatorComesBackThenStays()
{
    const quint16 hostPort = useFreePort();
    auto host = startCopy({"Cid", "x", "true"});
    QTRY_VERIFY(chatHas(host->chat, QStringLiteral("You are Connected.")));
    auto player = startCopy({"Ann", "127.0.0.1", "false"});
    QTRY_VERIFY(chatHas(host->chat, QStringLiteral("Ann is Connected.")));
    Relay relay(hostPort);
    QVERIFY(relay.open());
    qputenv("GLYPHON_PORT", QByteArray::number(relay.port()));
    auto spectator = startCopy({"Bob", "127.0.0.1", "false"});
    Tchat *bob = spectator->chat;
    bob->session()->reconnector()->setPauseUnitMs(4);
    QTRY_VERIFY(chatHas(bob, QStringLiteral("You are spying.")));
    BoxAnswerer boxes;
    QSignalSpy closed(bob, &Tchat::closed);

    relay.cut();
    QTRY_VERIFY(chatHas(bob, QStringLiteral("The connection to the host was lost. Reconnecting...")));
    QTRY_VERIFY_WITH_TIMEOUT(chatHas(bob, QStringLiteral("Reconnected to the game.")), 10000);
    QVERIFY(!bob->game()->iPlay());
    // Listed once, though the host named everybody again.
    QTRY_COMPARE(spectator->spylist->entries(),
                 QStringList(QStringLiteral("%1: Bob").arg(bob->game()->mySeat())));

    relay.closeDoor();
    relay.cut();
    QTRY_VERIFY_WITH_TIMEOUT(chatHas(bob, QStringLiteral("Could not reconnect to the host.")), 10000);
    QTRY_COMPARE(boxes.texts, QStringList(QStringLiteral("The connection to the host was lost.")));
    QVERIFY(chatHas(bob, QStringLiteral("The connection to the host was lost.")));
    QTRY_VERIFY(!bob->session()->reconnecting());
    QVERIFY(bob->isVisible());
    QCOMPARE(closed.count(), 0);
    // The user's own close still works, without a question.
    bob->close();
    QCOMPARE(closed.count(), 1);
}

QTEST_MAIN(TestTchatLeaving)
#include "tst_tchat_leaving.moc"
