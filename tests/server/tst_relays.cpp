// Relays, removal and just-watch, each bound to the seat of the connection
// that asks; and the limits that keep one connection from hurting the rest.

#include "server_support.h"

#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace glyphon::test;
using glyphon::buildMessage;

namespace {
qsizetype countContaining(const QList<QByteArray> &messages, const QByteArray &text)
{
    return std::count_if(messages.begin(), messages.end(), [&](const QByteArray &m) { return m.contains(text); });
}
} // namespace

class TstRelays : public HostTestCase
{
    Q_OBJECT
private slots:
    void relaysReachEveryone_data();
    void relaysReachEveryone();
    void requestsNamingAnotherSeatAreIgnored_data();
    void requestsNamingAnotherSeatAreIgnored();
    void hostRemovesParticipant();
    void justWatchRules_data();
    void justWatchRules();
    void justWatchInTurnPassesTurn();

    void oversizedMessageClosesConnection();
    void floodingConnectionIsClosed();
    void connectionsAreServedInTurn();
    void dispatchRestsWhenIdle();
    void arrivalAtRestIsHandledAtOnceThenPaced();
    void peerThatNeverReadsIsClosed();
};

void TstRelays::relaysReachEveryone_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("relay");
    QTest::newRow("chat with + inside")
        << buildMessage("CMD_chat", {"2", "1+1=2, a+b|clBlue"}) << QByteArray("CMD_chat+2+Ann chats: 1+1=2, a+b|clBlue");
    QTest::newRow("action") << buildMessage("CMD_action", {"2", "waves|$00FF0000"})
                            << QByteArray("CMD_action+2+Ann waves|$00FF0000");
    QTest::newRow("sound") << buildMessage("CMD_playasound", {"2", "wave7", ""})
                           << QByteArray("CMD_playasound+2+wave7+");
    // Chat and actions relay the seat field as it came, sounds write it anew.
    QTest::newRow("chat, seat written 02") << buildMessage("CMD_chat", {"02", "hi|clBlack"})
                                          << QByteArray("CMD_chat+02+Ann chats: hi|clBlack");
    QTest::newRow("action, seat written 02") << buildMessage("CMD_action", {"02", "waves|clBlack"})
                                            << QByteArray("CMD_action+02+Ann waves|clBlack");
    QTest::newRow("sound, seat written 02") << buildMessage("CMD_playasound", {"02", "wave7", ""})
                                           << QByteArray("CMD_playasound+2+wave7+");
    QTest::newRow("utf-8 chat") << buildMessage("CMD_chat", {"2", "grüße ✓|clBlack"})
                                << QByteArray("CMD_chat+2+Ann chats: grüße ✓|clBlack");
}

void TstRelays::relaysReachEveryone()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, relay);
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *ann = f.player("Ann");
    TestClient *spy = f.player("Spy");
    bob->unread();
    ann->unread();
    spy->unread();
    ann->sendRaw(request);
    QCOMPARE(bob->next(), relay);
    QCOMPARE(ann->next(), relay);
    QCOMPARE(spy->next(), relay);
}

void TstRelays::requestsNamingAnotherSeatAreIgnored_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("chat") << buildMessage("CMD_chat", {"1", "I resign|clBlack"});
    QTest::newRow("action") << buildMessage("CMD_action", {"1", "resigns|clBlack"});
    QTest::newRow("sound") << buildMessage("CMD_playasound", {"1", "wave1", ""});
    QTest::newRow("kick as seat 1") << buildMessage("CMD_kickhim", {"1", "3", ""});
    QTest::newRow("kick as itself") << buildMessage("CMD_kickhim", {"2", "3", ""});
    QTest::newRow("seat not a number") << buildMessage("CMD_chat", {"two", "hi|clBlack"});
}

void TstRelays::requestsNamingAnotherSeatAreIgnored()
{
    QFETCH(QByteArray, request);
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *ann = f.player("Ann");
    TestClient *spy = f.player("Spy");
    bob->unread();
    ann->sendRaw(request);
    QVERIFY(ann->sync().isEmpty());
    QCOMPARE(bob->next(), QByteArray("CMD_chat+2+Ann chats: sync-1|clBlack"));
    QVERIFY(spy->isOpen());
    QVERIFY(f.server().seats[3].connected);
}

void TstRelays::hostRemovesParticipant()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *ann = f.player("Ann");
    TestClient *spy = f.player("Spy");
    bob->send("CMD_kickhim", {"1", "3", ""});
    QVERIFY(spy->waitClosed());
    QCOMPARE(ann->waitFor("CMD_playerdisconnected+"), QByteArray("CMD_playerdisconnected+3+Spy"));
    QCOMPARE(bob->waitFor("CMD_playerdisconnected+"), QByteArray("CMD_playerdisconnected+3+Spy"));
    QVERIFY(!f.server().seats[3].connected);
    // A seat nobody holds, or beyond the seats: nothing happens.
    bob->send("CMD_kickhim", {"1", "3", ""});
    bob->send("CMD_kickhim", {"1", "12", ""});
    bob->send("CMD_kickhim", {"1", "-1", ""});
    QVERIFY(!bob->sync().join().contains("CMD_playerdisconnected"));
    QVERIFY(ann->isOpen());
}

void TstRelays::justWatchRules_data()
{
    QTest::addColumn<int>("sender");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<bool>("gameOn");
    QTest::addColumn<QByteArray>("relay"); // empty: ignored
    QTest::newRow("player for itself") << 2 << QByteArray("2+1") << true << QByteArray("CMD_justwatching+2+1");
    QTest::newRow("host for player 2") << 1 << QByteArray("2+1") << true << QByteArray("CMD_justwatching+2+1");
    QTest::newRow("player back") << 2 << QByteArray("2+2") << false << QByteArray("CMD_justwatching+2+2");
    QTest::newRow("player for the host") << 2 << QByteArray("1+1") << true << QByteArray();
    QTest::newRow("spectator for player") << 3 << QByteArray("2+1") << true << QByteArray();
    QTest::newRow("spectator for itself") << 3 << QByteArray("3+1") << true << QByteArray();
    QTest::newRow("watch without game") << 2 << QByteArray("2+1") << false << QByteArray();
    QTest::newRow("unknown flag") << 2 << QByteArray("2+3") << true << QByteArray();
}

void TstRelays::justWatchRules()
{
    QFETCH(int, sender);
    QFETCH(QByteArray, request);
    QFETCH(bool, gameOn);
    QFETCH(QByteArray, relay);
    ServerFixture f;
    QList<TestClient *> c = {f.player("Bob"), f.player("Ann"), f.player("Spy")};
    if (gameOn)
        f.startGame(200, 30, c[0]);
    c[0]->unread();
    c[sender - 1]->sendRaw(buildMessage("CMD_justwatch", {request}));
    const QList<QByteArray> before = c[sender - 1]->sync();
    const int target = request.left(1).toInt();
    if (relay.isEmpty()) {
        QVERIFY(!before.join().contains("CMD_justwatching"));
        QVERIFY(!f.server().seats[target].watching);
    } else {
        QVERIFY(before.contains(relay));
        QCOMPARE(f.server().seats[target].watching, relay.endsWith("+1"));
    }
}

void TstRelays::justWatchInTurnPassesTurn()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    f.player("Ann");
    f.startGame(200, 30, bob);
    QCOMPARE(f.server().game().currentPlayer(), 1);
    bob->send("CMD_justwatch", {"1", "1"});
    QCOMPARE(bob->next(), QByteArray("CMD_justwatching+1+1"));
    QCOMPARE(bob->next(), QByteArray("CMD_nextplayer+2+"));
    QCOMPARE(f.server().game().currentPlayer(), 2);
}

void TstRelays::oversizedMessageClosesConnection()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *ann = f.player("Ann");
    QSignalSpy dropped(&f.server(), &TServer::connectionDropped);
    // Just under the cap is still one message (relayed cut).
    ann->sendRaw("CMD_chat+2+" + QByteArray(60 * 1024, 'a') + "|clBlack" + glyphon::Terminator);
    QCOMPARE(bob->waitFor("CMD_chat+2+Ann chats: aaa"), "CMD_chat+2+Ann chats: " + QByteArray(400, 'a') + "|clBlack");
    ann->sendRaw("CMD_chat+2+" + QByteArray(65 * 1024, 'a'));
    QVERIFY(ann->waitClosed());
    QCOMPARE(bob->waitFor("CMD_playerdisconnected+"), QByteArray("CMD_playerdisconnected+2+Ann"));
    QCOMPARE(dropped.count(), 1);
    QCOMPARE(dropped.at(0).at(0).toInt(), 2);
    QVERIFY(bob->sync().isEmpty());
}

void TstRelays::floodingConnectionIsClosed()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *spy = f.player("Spy");
    QByteArray burst;
    for (int i = 0; i < 400; ++i)
        burst += buildMessage("CMD_chat", {"2", "spam " + QByteArray::number(i) + "|clBlack"});
    spy->sendRaw(burst);
    QVERIFY(spy->waitClosed());
    QVERIFY(!bob->waitFor("CMD_playerdisconnected+2+Spy").isEmpty());
    // Whatever it had queued went with it; the others are served as before.
    QCOMPARE(f.server().queuedMessages(), 0);
    const QList<QByteArray> before = bob->sync();
    QVERIFY(!before.join().contains("spam"));
    QVERIFY(countContaining(bob->messages(), "spam") < 50);
}

void TstRelays::connectionsAreServedInTurn()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *spy = f.player("Spy");
    TestClient *eve = f.player("Eve");
    TServer &s = f.server();
    QVERIFY(spinUntil([&] { return !s.socktimer->isActive(); }));
    eve->unread();
    // Ticks come only from the test from here on.
    s.setDispatchMs(3600 * 1000);
    QByteArray burst;
    for (int i = 0; i < 200; ++i)
        burst += buildMessage("CMD_chat", {"2", "spam|clBlack"});
    spy->sendRaw(burst);
    QVERIFY(spinUntil([&] { return s.queuedMessages() == 199; }));
    // Each of Bob's lines goes at the next tick, ahead of the spy's queue,
    // and the spy keeps its turn in between.
    for (int i = 0; i < 4; ++i) {
        bob->send("CMD_chat", {"1", QByteArray::number(i) + "|clBlack"});
        const int queued = 199 - 2 * i + 1;
        QVERIFY(spinUntil([&] { return s.queuedMessages() == queued; }));
        for (int tick = 0; tick < 3; ++tick)
            s.socktimerTimer();
    }
    QByteArray order;
    for (int i = 0; i < 13; ++i)
        order += eve->next().startsWith("CMD_chat+1+Bob chats: ") ? 'B' : 'S';
    QCOMPARE(order, QByteArray("SBSSBSSBSSBSS"));
    QVERIFY(spy->isOpen());
}

void TstRelays::dispatchRestsWhenIdle()
{
    ServerFixture f;
    QVERIFY(!f.server().socktimer->isActive());
    TestClient *bob = f.player("Bob");
    bob->send("CMD_chat", {"1", "a|clBlack"});
    bob->send("CMD_chat", {"1", "b|clBlack"});
    QVERIFY(spinUntil([&] { return f.server().socktimer->isActive(); }));
    QVERIFY(!bob->waitFor("CMD_chat+1+Bob chats: b").isEmpty());
    QVERIFY(spinUntil([&] { return !f.server().socktimer->isActive(); }));
    QCOMPARE(f.server().queuedMessages(), 0);
}

void TstRelays::arrivalAtRestIsHandledAtOnceThenPaced()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *ann = f.player("Ann");
    TServer &s = f.server();
    QVERIFY(spinUntil([&] { return !s.socktimer->isActive(); }));
    bob->unread();
    // Ticks come only from the test from here on.
    s.setDispatchMs(3600 * 1000);

    // At rest: the first of a burst goes out without waiting for a tick, the
    // rest wait, one per tick, in order.
    QByteArray burst;
    for (int i = 0; i < 30; ++i)
        burst += buildMessage("CMD_chat", {"2", QByteArray::number(i) + "|clBlack"});
    ann->sendRaw(burst);
    QCOMPARE(bob->next(), QByteArray("CMD_chat+2+Ann chats: 0|clBlack"));
    QVERIFY(spinUntil([&] { return s.queuedMessages() == 29; }));
    for (int i = 1; i < 30; ++i) {
        QVERIFY(bob->unread().isEmpty());
        s.socktimerTimer();
        QCOMPARE(bob->next(), "CMD_chat+2+Ann chats: " + QByteArray::number(i) + "|clBlack");
    }
    QCOMPARE(s.queuedMessages(), 0);

    // Handled less than a tick ago: a newcomer waits for the tick. Let
    // through, it would go on the event loop's next turn, before a call
    // posted once it is queued.
    bob->send("CMD_chat", {"1", "soon|clBlack"});
    QVERIFY(spinUntil([&] { return s.queuedMessages() == 1; }));
    bool turned = false;
    QMetaObject::invokeMethod(&s, [&turned] { turned = true; }, Qt::QueuedConnection);
    QVERIFY(spinUntil([&] { return turned; }));
    QCOMPARE(s.queuedMessages(), 1);
    QVERIFY(bob->unread().isEmpty());
    s.socktimerTimer();
    QCOMPARE(bob->next(), QByteArray("CMD_chat+1+Bob chats: soon|clBlack"));

    // A tick without work lets it rest; the next arrival goes at once.
    s.socktimerTimer();
    QVERIFY(!s.socktimer->isActive());
    bob->send("CMD_chat", {"1", "now|clBlack"});
    QCOMPARE(bob->next(), QByteArray("CMD_chat+1+Bob chats: now|clBlack"));
}

void TstRelays::peerThatNeverReadsIsClosed()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    // A raw socket with a small window that the test never reads.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int small = 4096;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(f.port());
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    QVERIFY(spinUntil([&] { return f.server().seats[2].connected; }));

    QSignalSpy dropped(&f.server(), &TServer::connectionDropped);
    const QByteArray big = buildMessage("CMD_chat", {"1", QByteArray(256 * 1024, 'z')});
    for (int i = 0; i < 40 && dropped.isEmpty(); ++i) {
        f.server().broadcast(big);
        QVERIFY(bob->waitFor("CMD_chat+1+zzz").size() > 0);
    }
    QCOMPARE(dropped.count(), 1);
    QVERIFY(spinUntil([&] { return !f.server().seats[2].connected; }));
    QVERIFY(f.server().pendingOutput() < TServer::MaxUnsentBytes);
    ::close(fd);
}

QTEST_GUILESS_MAIN(TstRelays)
#include "tst_relays.moc"
