// Seats: who gets which seat, the full server, reuse of freed seats, and
// what happens when a connection goes.

#include "server_support.h"

#include "net/logthrottle.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

using namespace glyphon::test;

class TstSeats : public HostTestCase
{
    Q_OBJECT
private slots:
    void seatsInOrderThenFull();
    void hostingWindowKeepsSeatOne_data();
    void hostingWindowKeepsSeatOne();
    void freedSeatIsReusedAndKeepsScore();
    void leavingTellsTheOthersOnly();
    void justWatchEndsWithTheEmptySeat();
    void resetConnectionFreesSeat();
    void secondPlayerLeavingInTurnPassesTurn_data();
    void secondPlayerLeavingInTurnPassesTurn();
    void connectionWithoutLoginLeavesRizisTurnAlone_data();
    void connectionWithoutLoginLeavesRizisTurnAlone();
    void destroyingServerClosesConnections();
    void missingWordFileGoesToTheGivenHandler();
    void connectionsAreProbedWhenIdle();
    void silentConnectionsLoseTheirSeats();
    void laterArrivalsKeepTheFirstDeadline();
    void fewWaitingConnectionsPerAddress();
    void closeNotesOncePerSubjectAndMinute_data();
    void closeNotesOncePerSubjectAndMinute();
};

void TstSeats::seatsInOrderThenFull()
{
    ServerFixture f;
    QList<TestClient *> clients;
    for (int seat = 1; seat <= 9; ++seat) {
        TestClient *c = f.player("p" + QByteArray::number(seat));
        QCOMPARE(c->seat, seat);
        clients.append(c);
    }
    QCOMPARE(f.server().slotsused, 9);

    TestClient extra;
    QVERIFY(extra.connectTo(f.port()));
    QCOMPARE(extra.next(), QByteArray("CMD_full+"));
    QVERIFY(extra.waitClosed());
    // Nobody noticed: no seat changed, nothing was broadcast.
    QCOMPARE(f.server().slotsused, 9);
    for (int seat = 1; seat <= 9; ++seat)
        QVERIFY(f.server().seats[seat].connected);
    QVERIFY(!f.server().seats[10].connected);
    QVERIFY(clients[0]->sync().isEmpty());
}

void TstSeats::hostingWindowKeepsSeatOne_data()
{
    QTest::addColumn<int>("keptMs");
    QTest::addColumn<int>("joinerSeat");
    QTest::addColumn<int>("ownSeat");
    QTest::newRow("joiner accepted first") << 60000 << 2 << 1;
    QTest::newRow("kept too briefly") << 0 << 1 << 2;
}

void TstSeats::hostingWindowKeepsSeatOne()
{
    QFETCH(int, keptMs);
    QFETCH(int, joinerSeat);
    QFETCH(int, ownSeat);
    ServerFixture f;
    TServer &s = f.server();
    TestClient own;
    QVERIFY(own.socket().bind(QHostAddress::LocalHost, 0));
    s.reserveSeatFor(own.socket().localPort(), keptMs);

    TestClient joiner;
    QCOMPARE(joiner.join(f.port()), joinerSeat);
    QVERIFY(joiner.login("Ann"));
    QCOMPARE(own.join(f.port()), ownSeat);
    // A joiner's login builds nothing; the own window's starts the strong
    // index, off the host's thread.
    QVERIFY(!s.strongIndexPending() && !s.strongIndex());
    QVERIFY(own.login("You"));
    QCOMPARE(s.strongIndexPending() || s.strongIndex(), keptMs > 0);
    QTRY_VERIFY_WITH_TIMEOUT(!s.strongIndexPending(), 20000);
}

void TstSeats::freedSeatIsReusedAndKeepsScore()
{
    ServerFixture f;
    QList<TestClient *> clients;
    for (int seat = 1; seat <= 9; ++seat)
        clients.append(f.player("p" + QByteArray::number(seat)));
    f.server().game().setScore(2, 57);

    clients[3]->socket().disconnectFromHost();
    QCOMPARE(clients[0]->waitFor("CMD_playerdisconnected+"), QByteArray("CMD_playerdisconnected+4+p4"));
    TestClient newcomer;
    QCOMPARE(newcomer.join(f.port()), 4);

    clients[1]->socket().disconnectFromHost();
    QVERIFY(!clients[0]->waitFor("CMD_playerdisconnected+2+p2").isEmpty());
    TestClient second;
    QCOMPARE(second.join(f.port()), 2);
    QVERIFY(second.login("Ann"));
    // The newcomer plays on with the points of whoever had the seat.
    QCOMPARE(f.server().game().score(2), 57);
    QCOMPARE(f.server().seats[2].name, QByteArray("Ann"));
    QCOMPARE(f.server().slotsused, 9);
}

void TstSeats::leavingTellsTheOthersOnly()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *ann = f.player("Ann");
    TestClient *spy = f.player("Spy");
    f.startGame(200, 30, ann);
    ann->send("CMD_justwatch", {"2", "1"});
    QCOMPARE(spy->waitFor("CMD_justwatching+"), QByteArray("CMD_justwatching+2+1"));
    bob->unread();
    spy->unread();

    QSignalSpy freed(&f.server(), &TServer::seatFreed);
    ann->socket().disconnectFromHost();
    QCOMPARE(bob->waitFor("CMD_playerdisconnected+"), QByteArray("CMD_playerdisconnected+2+Ann"));
    QCOMPARE(spy->waitFor("CMD_playerdisconnected+"), QByteArray("CMD_playerdisconnected+2+Ann"));
    QCOMPARE(freed.count(), 1);
    const TSeat &seat = f.server().seats[2];
    QVERIFY(!seat.connected);
    QVERIFY(seat.name.isEmpty());
    QVERIFY(!seat.watching);
    QVERIFY(!seat.conn);
    QCOMPARE(seat.botname, QByteArray("Rizi"));
    // Nothing else followed, and the others are served as before.
    QVERIFY(bob->sync().isEmpty());
}

void TstSeats::justWatchEndsWithTheEmptySeat()
{
    ServerFixture f;
    TestClient *host = f.player("Host");
    f.startGame(200, 30, host);
    // The host sets the free seat to just watch, then Bob takes that seat.
    host->send("CMD_justwatch", {"2", "1"});
    QCOMPARE(host->waitFor("CMD_justwatching+"), QByteArray("CMD_justwatching+2+1"));
    TestClient *bob = f.player("Bob");
    TestClient *carl = f.player("Carl");
    QCOMPARE(bob->seat, 2);
    QVERIFY(host->messages().contains("CMD_newplayerinfo+2+Bob+0"));
    QVERIFY(bob->messages().contains("CMD_newplayerinfo+2+Bob+0"));
    QVERIFY(carl->messages().contains("CMD_existingplayers+1+Host+0+2+Bob+0"));
    // Bob's turn is his own: the computer does not move for him.
    TServer &s = f.server();
    s.findplayer();
    QCOMPARE(s.game().currentPlayer(), 2);
    QVERIFY(!s.computertimer->isActive());
}

void TstSeats::resetConnectionFreesSeat()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *ann = f.player("Ann");
    // A reset instead of an orderly close.
    linger hard = {1, 0};
    QCOMPARE(::setsockopt(int(ann->socket().socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard), 0);
    ann->socket().abort();

    QCOMPARE(bob->waitFor("CMD_playerdisconnected+"), QByteArray("CMD_playerdisconnected+2+Ann"));
    QVERIFY(!f.server().seats[2].connected);
    QVERIFY(!f.server().seats[2].conn);
    // Broadcasts after it reach the rest and skip the gone seat.
    f.server().broadcast(glyphon::buildMessage("CMD_endround", {QByteArray()}));
    QCOMPARE(bob->waitFor("CMD_endround"), QByteArray("CMD_endround+"));
    TestClient again;
    QCOMPARE(again.join(f.port()), 2);
}

void TstSeats::secondPlayerLeavingInTurnPassesTurn_data()
{
    QTest::addColumn<int>("leaver");
    QTest::addColumn<bool>("passes");
    QTest::newRow("seat 2 in its turn") << 2 << true;
    QTest::newRow("seat 1 in its turn") << 1 << false;
}

void TstSeats::secondPlayerLeavingInTurnPassesTurn()
{
    QFETCH(int, leaver);
    QFETCH(bool, passes);
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *ann = f.player("Ann");
    TestClient *spy = f.player("Spy");
    f.startGame(200, 30, spy);
    if (leaver == 2) {
        f.ticks(34); // time-up
        f.ticks(2);  // seat 2's turn
        QCOMPARE(spy->waitFor("CMD_nextplayer+"), QByteArray("CMD_nextplayer+2+"));
    }
    QCOMPARE(f.server().game().currentPlayer(), leaver);

    (leaver == 1 ? bob : ann)->socket().disconnectFromHost();
    QVERIFY(!spy->waitFor("CMD_playerdisconnected+" + QByteArray::number(leaver)).isEmpty());
    const QList<QByteArray> after = spy->sync();
    QCOMPARE(after.contains("CMD_nextplayer+1+"), passes);
    QCOMPARE(f.server().game().currentPlayer(), passes ? 1 : leaver);
}

// A window tries an address before joining it: it connects, reads its seat
// and closes without a login. Rizi plays seat 2 on regardless, and its turn
// is neither held nor cut short.
void TstSeats::connectionWithoutLoginLeavesRizisTurnAlone_data()
{
    QTest::addColumn<bool>("beforeTurn"); // on seat 2 already when its turn comes
    QTest::newRow("during Rizi's turn") << false;
    QTest::newRow("when Rizi's turn comes") << true;
}

void TstSeats::connectionWithoutLoginLeavesRizisTurnAlone()
{
    QFETCH(bool, beforeTurn);
    ServerFixture f;
    TServer &s = f.server();
    TestClient *bob = f.player("Bob");
    f.startGame(200, 30, bob);
    TestClient *trying = beforeTurn ? f.connection() : nullptr;
    f.ticks(34); // Bob's time is up
    f.ticks(2);  // seat 2's turn
    QCOMPARE(bob->waitFor("CMD_nextplayer+"), QByteArray("CMD_nextplayer+2+"));
    if (!trying)
        trying = f.connection();
    QCOMPARE(trying->seat, 2);
    QVERIFY(s.computertimer->isActive());

    trying->socket().disconnectFromHost();
    QVERIFY(spinUntil([&] { return !s.seats[2].connected; }));
    QVERIFY(bob->sync().isEmpty()); // nobody was told of it, nor of a new turn
    QCOMPARE(s.game().currentPlayer(), 2);
    QVERIFY(s.computertimer->isActive());
}

void TstSeats::destroyingServerClosesConnections()
{
    auto f = std::make_unique<ServerFixture>();
    TestClient bob;
    TestClient spy;
    QCOMPARE(bob.join(f->port()), 1);
    QCOMPARE(spy.join(f->port()), 2);
    f->startGame(100, 30);
    f.reset();
    QVERIFY(bob.waitClosed());
    QVERIFY(spy.waitClosed());
}

// A peer that vanishes without a reset must not hold its seat for hours:
// the host probes idle connections and gives up within about half a minute.
// The window shows the message in a box; a host that dropped the handler
// would print it where nobody looks.
void TstSeats::missingWordFileGoesToTheGivenHandler()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("words")));
    QStringList told;
    glyphon::HostConfig config;
    config.port = 0;
    config.wordFile = QDir(dir.path()).filePath(QStringLiteral("words"));
    config.builtInList.clear();
    config.onMissingWordFile = [&told](const QString &text) { told << text; };
    TServer server(config);
    QCOMPARE(told, QStringList{QStringLiteral("English.dic dictionary not found!")});
}

void TstSeats::connectionsAreProbedWhenIdle()
{
    ServerFixture f;
    f.player("ann");
    const int fd = f.server().hub().socket(f.server().seats[1].conn)->handle();
    const auto option = [fd](int level, int name) {
        int value = -1;
        socklen_t size = sizeof value;
        return ::getsockopt(fd, level, name, &value, &size) == 0 ? value : -1;
    };
    QCOMPARE(option(SOL_SOCKET, SO_KEEPALIVE), 1);
    const int idle = option(IPPROTO_TCP, TCP_KEEPIDLE);
    const int interval = option(IPPROTO_TCP, TCP_KEEPINTVL);
    const int count = option(IPPROTO_TCP, TCP_KEEPCNT);
    QVERIFY(idle > 0 && interval > 0 && count > 0);
    QVERIFY2(idle + interval * count <= 35, qPrintable(QStringLiteral("%1 s").arg(idle + interval * count)));
}

namespace {
QString loopback(int n)
{
    return QStringLiteral("127.0.0.%1").arg(n);
}
} // namespace

// Connections that never log in must not keep players out for long.
void TstSeats::silentConnectionsLoseTheirSeats()
{
    ServerFixture f;
    QSignalSpy freed(&f.server(), &TServer::seatFreed);
    std::vector<std::unique_ptr<TestClient>> silent;
    for (int seat = 1; seat <= 9; ++seat) {
        silent.push_back(std::make_unique<TestClient>());
        QCOMPARE(silent.back()->join(f.port(), loopback(seat + 1)), seat);
    }
    TestClient early;
    QVERIFY(early.connectTo(f.port(), loopback(20)));
    QCOMPARE(early.next(), QByteArray("CMD_full+"));

    QSignalSpy dropped(&f.server(), &TServer::connectionDropped);
    f.server().setLoginTimeoutMs(1);
    for (const auto &c : silent)
        QVERIFY(c->waitClosed());
    QTRY_COMPARE(freed.count(), 9);
    // Ann herself must have time to log in, however slow the machine.
    f.server().setLoginTimeoutMs(60000);
    TestClient ann;
    QCOMPARE(ann.join(f.port(), loopback(20)), 1);
    QVERIFY(ann.login("Ann"));
    // Nothing was ever said about them: no list, no departures.
    QVERIFY(ann.sync().isEmpty());
    for (const auto &c : silent)
        QVERIFY(!c->messages().join().contains("CMD_playerdisconnected"));
    QCOMPARE(dropped.count(), 9);
    QCOMPARE(dropped.at(0).at(1).toString(), loopback(2));
    QCOMPARE(dropped.at(0).at(2).toString(), QStringLiteral("no login within 0.001 s"));
}

// Each waiting connection has its own deadline, counted from its accept:
// newcomers must not put off the drop of one that waits already.
void TstSeats::laterArrivalsKeepTheFirstDeadline()
{
    ServerFixture f;
    f.server().setLoginTimeoutMs(600);
    QSignalSpy dropped(&f.server(), &TServer::connectionDropped);
    TestClient first;
    QCOMPARE(first.join(f.port(), loopback(2)), 1);
    // Each newcomer comes well within the last one's deadline: were the
    // watch restarted at every accept, the first would wait while they come.
    std::vector<std::unique_ptr<TestClient>> later;
    while (dropped.isEmpty() && later.size() < 8) {
        later.push_back(std::make_unique<TestClient>());
        QVERIFY(later.back()->join(f.port(), loopback(3 + int(later.size()))) > 0);
        spinUntil([&] { return !dropped.isEmpty(); }, 300);
    }
    QVERIFY(!dropped.isEmpty());
    QCOMPARE(dropped.at(0).at(1).toString(), loopback(2));
}

void TstSeats::fewWaitingConnectionsPerAddress()
{
    ServerFixture f;
    QSignalSpy dropped(&f.server(), &TServer::connectionDropped);
    TestClient first, second, third, other;
    QCOMPARE(first.join(f.port(), loopback(2)), 1);
    QCOMPARE(second.join(f.port(), loopback(2)), 2);
    QVERIFY(third.connectTo(f.port(), loopback(2)));
    QCOMPARE(other.join(f.port(), loopback(3)), 3);
    QVERIFY(third.waitClosed());
    QVERIFY(third.raw().isEmpty());
    QVERIFY(other.login("Other"));
    QCOMPARE(dropped.count(), 1);
    QCOMPARE(dropped.at(0).at(0).toInt(), 0);
    QCOMPARE(dropped.at(0).at(1).toString(), loopback(2));
    QCOMPARE(f.server().slotsused, 3);

    // Logged-in connections leave the count: a household shares an address.
    QVERIFY(first.login("Bob"));
    QVERIFY(second.login("Ann"));
    TestClient fourth, fifth;
    QCOMPARE(fourth.join(f.port(), loopback(2)), 4);
    QCOMPARE(fifth.join(f.port(), loopback(2)), 5);
}

void TstSeats::closeNotesOncePerSubjectAndMinute_data()
{
    // Each event is "subject@ms"; admitted marks each one written (Y) or held
    // (N). "*@ms" asks for the held counts then, written as [subject count].
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("admitted");
    QTest::addColumn<int>("heldAtLast");
    QTest::newRow("repeat within the minute")
        << QStringList{"a@0", "a@10", "a@59999"} << "YNN" << 0;
    QTest::newRow("after the minute, with the count")
        << QStringList{"a@0", "a@10", "a@20", "a@60000"} << "YNNY" << 2;
    QTest::newRow("subjects apart") << QStringList{"a@0", "b@1", "a late@2"} << "YYY" << 0;
    QTest::newRow("full table: new ones held until old ones age")
        << QStringList{"a@0", "b@1", "c@2", "d@3", "d@60001"} << "YYYNY" << 0;
    QTest::newRow("a stopped repeat is still counted, once")
        << QStringList{"a@0", "a@10", "a@20", "b@30", "*@59999", "*@60000", "*@60001"} << "YNNY[][a 2][]" << 0;
    QTest::newRow("the count is the line of its minute")
        << QStringList{"a@0", "a@10", "*@60000", "a@60010", "a@119999", "a@120000"} << "YN[a 1]NNY" << 2;
    QTest::newRow("a second minute reports only its own repeats")
        << QStringList{"a@0", "a@10", "a@20", "*@60000", "a@60010", "*@120000"} << "YNN[a 2]N[a 1]" << 0;
}

void TstSeats::closeNotesOncePerSubjectAndMinute()
{
    QFETCH(QStringList, events);
    QFETCH(QString, admitted);
    QFETCH(int, heldAtLast);
    glyphon::LogThrottle notes(60000, 3);
    QString got;
    int held = -1;
    for (const QString &e : events) {
        const QStringList parts = e.split(QLatin1Char('@'));
        if (parts[0] == QLatin1String("*")) {
            QStringList counts;
            for (const auto &[subject, n] : notes.takeHeld(parts[1].toLongLong()))
                counts << subject + QLatin1Char(' ') + QString::number(n);
            got += QLatin1Char('[') + counts.join(QLatin1Char(',')) + QLatin1Char(']');
            continue;
        }
        got += notes.admit(parts[0], parts[1].toLongLong(), &held) ? QLatin1Char('Y') : QLatin1Char('N');
    }
    QCOMPARE(got, admitted);
    QCOMPARE(held, heldAtLast);
}

QTEST_GUILESS_MAIN(TstSeats)
#include "tst_seats.moc"
