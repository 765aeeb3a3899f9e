// Login: what the newcomer and the others receive, and in which order.

#include "server_support.h"

#include "board_support.h"

#include <QTest>

using namespace glyphon::test;

class TstLogin : public HostTestCase
{
    Q_OBJECT
public:
    TstLogin() : HostTestCase({QStringLiteral("tea"), QStringLiteral("eat")}) {}

private slots:
    void newcomerLearnsTheOthers();
    void namesStayOneField_data();
    void namesStayOneField();
    void duringGameStateComesLast();
    void lateArrivalHearsTheRoundsWords_data();
    void lateArrivalHearsTheRoundsWords();
    void wrongVersionWarnsBothSides();
    void loginForAnotherSeatIsIgnored();
    void loginOfConnectionGoneMeanwhile();
};

void TstLogin::newcomerLearnsTheOthers()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *ann = f.player("Ann");
    TestClient *quiet = f.connection(); // connected, not logged in
    f.startGame(200, 30, ann);
    ann->send("CMD_justwatch", {"2", "1"});
    QVERIFY(!bob->waitFor("CMD_justwatching+2+1").isEmpty());
    bob->unread();
    quiet->unread();

    TestClient *cy = f.connection();
    QCOMPARE(cy->seat, 4);
    cy->send("CMD_logininfo", {"4", "1.0.2", "Cy"});
    QCOMPARE(cy->next(), QByteArray("CMD_newplayerinfo+4+Cy+0"));
    // Seat 3 has not logged in: it has no name to list yet.
    QCOMPARE(cy->next(), QByteArray("CMD_existingplayers+1+Bob+0+2+Ann+1"));
    QVERIFY(cy->next().startsWith("CMD_loadstats+4+"));
    QCOMPARE(bob->next(), QByteArray("CMD_newplayerinfo+4+Cy+0"));
    QCOMPARE(quiet->next(), QByteArray("CMD_newplayerinfo+4+Cy+0"));
    QVERIFY(bob->sync().isEmpty());

    // Its login comes later and is announced then; it leaves as it came.
    quiet->send("CMD_logininfo", {"3", "1.0.2", "Quiet"});
    QCOMPARE(bob->waitFor("CMD_newplayerinfo+"), QByteArray("CMD_newplayerinfo+3+Quiet+0"));
}

void TstLogin::namesStayOneField_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("listed");
    QTest::newRow("plain") << QByteArray("Ann") << QByteArray("Ann");
    // The host reads no text: code page bytes, 0x80-0x9F included, and
    // whatever else a peer sends but control bytes pass byte for byte.
    QTest::newRow("code page and blanks") << QByteArray(" Gr\xFC\xDF" "e \x80\x9A\x8A ")
                                          << QByteArray("Gr\xFC\xDF" "e \x80\x9A\x8A");
    QTest::newRow("not the code page") << QByteArray("Zo\xC3\xAB!") << QByteArray("Zo\xC3\xAB!");
    QTest::newRow("plus inside") << QByteArray("Cy+Di") << QByteArray("Cy-Di");
    QTest::newRow("forged entries") << QByteArray("X+0+5+Admin+0+") << QByteArray("X-0-5-Admin-0-");
    QTest::newRow("trailing plus") << QByteArray("+") << QByteArray("-");
    QTest::newRow("cut to 20") << QByteArray(500, 'n') << QByteArray(20, 'n');
    QTest::newRow("cut after the mend") << "\x80" + QByteArray(30, '+') << "\x80" + QByteArray(19, '-');
}

void TstLogin::namesStayOneField()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, listed);
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *odd = f.connection();
    odd->send("CMD_logininfo", {"2", "1.0.2", name});
    QCOMPARE(odd->next(), "CMD_newplayerinfo+2+" + listed + "+0");
    QCOMPARE(bob->waitFor("CMD_newplayerinfo+"), "CMD_newplayerinfo+2+" + listed + "+0");

    TestClient *cy = f.connection();
    cy->send("CMD_logininfo", {"3", "1.0.2", "Cy"});
    QCOMPARE(cy->next(), QByteArray("CMD_newplayerinfo+3+Cy+0"));
    // Exactly two entries, the second holding the whole name.
    const QList<QByteArray> fields = cy->next().split('+');
    QCOMPARE(fields, (QList<QByteArray>{"CMD_existingplayers", "1", "Bob", "0", "2", listed, "0"}));

    // Its relays and its departure carry the same name.
    odd->send("CMD_chat", {"2", "\x80+\x9A\xFE|clBlack"});
    QCOMPARE(cy->waitFor("CMD_chat+"), "CMD_chat+2+" + listed + " chats: \x80+\x9A\xFE|clBlack");
    odd->socket().disconnectFromHost();
    QCOMPARE(cy->waitFor("CMD_playerdisconnected+"), "CMD_playerdisconnected+2+" + listed);
}

void TstLogin::duringGameStateComesLast()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    f.startGame(150, 45, bob);
    TServer &s = f.server();
    s.board() = boardOf("11t 12e 13a");
    setTile(s.board(), 14, 'q', 2, 3, 1);
    s.game().setScore(1, 12);
    s.game().setScore(2, 34);
    f.ticks(5);

    TestClient *ann = f.connection();
    ann->send("CMD_logininfo", {"2", "1.0.2", "Ann"});
    QCOMPARE(ann->next(), QByteArray("CMD_newplayerinfo+2+Ann+0"));
    QCOMPARE(ann->next(), QByteArray("CMD_existingplayers+1+Bob+0"));
    const QList<QByteArray> fields = ann->next().split('+');
    QVERIFY(ann->sync().isEmpty());

    QCOMPARE(fields.size(), 10 + 36 * 5);
    QCOMPARE(fields.mid(0, 10), (QList<QByteArray>{"CMD_loadstats", "2", "12", "34", "45", "150", "1",
                                                     "44", "4", "1"}));
    // The board row by row: position, letter, owner, value, lock.
    QCOMPARE(fields.mid(10, 5), (QList<QByteArray>{"11", "20", "0", "0", "0"}));
    QCOMPARE(fields.mid(25, 5), (QList<QByteArray>{"14", "17", "2", "3", "1"}));
    QCOMPARE(fields.mid(10 + 35 * 5, 5), (QList<QByteArray>{"66", "24", "0", "0", "0"}));
}

void TstLogin::lateArrivalHearsTheRoundsWords_data()
{
    QTest::addColumn<bool>("linkDrops");   // Ann's link drops and she comes back; else Cy comes to watch
    QTest::addColumn<bool>("newRound");    // Ann's word fills the board and the next round begins
    QTest::addColumn<bool>("newRoundWord"); // Bob plays a word in the new round
    QTest::addColumn<QList<int>>("replayed"); // which of the words broadcast, in order
    QTest::newRow("a spectator after two words") << false << false << false << QList<int>{0, 1};
    QTest::newRow("a player back after a dropped link") << true << false << false << QList<int>{0, 1};
    QTest::newRow("a new round starts with none") << false << true << false << QList<int>{};
    QTest::newRow("the last round's words are not replayed") << false << true << true << QList<int>{2};
}

void TstLogin::lateArrivalHearsTheRoundsWords()
{
    QFETCH(bool, linkDrops);
    QFETCH(bool, newRound);
    QFETCH(bool, newRoundWord);
    QFETCH(QList<int>, replayed);
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *ann = f.player("Ann");
    f.startGame(200, 30, ann);
    TServer &s = f.server();
    const QList<int> words{11, 12, 13, 21, 22, 23};
    s.board() = boardOf("11t 12e 13a 21e 22a 23t");
    if (newRound) {
        for (int p : glyphon::tilePositions())
            if (!words.contains(p))
                s.board().cell(p).owner = 2;
    }

    QList<QByteArray> broadcast;
    bob->send("CMD_submitit", {"1", "11", "12", "13"});
    broadcast << bob->waitFor("CMD_hisword+");
    f.ticks(2);
    QVERIFY(!ann->waitFor("CMD_nextplayer+2").isEmpty());
    ann->send("CMD_submitit", {"2", "21", "22", "23"});
    broadcast << bob->waitFor("CMD_hisword+");
    if (newRound) {
        f.ticks(2 + 10); // the winner test, then the pause before the next round
        QVERIFY(!bob->waitFor("CMD_nextplayer+1").isEmpty());
        QCOMPARE(s.game().round(), 2);
        if (newRoundWord) {
            s.board() = boardOf("11t 12e 13a");
            bob->send("CMD_submitit", {"1", "11", "12", "13"});
            broadcast << bob->waitFor("CMD_hisword+");
        }
    }
    QVERIFY(!broadcast.contains(QByteArray()));

    QByteArray name = "Cy";
    if (linkDrops) {
        ann->socket().abort();
        QVERIFY(!bob->waitFor("CMD_playerdisconnected+2+").isEmpty());
        name = "Ann";
    }
    TestClient *comer = f.connection();
    QCOMPARE(comer->seat, linkDrops ? 2 : 3);
    f.settle();
    comer->send("CMD_logininfo", {QByteArray::number(comer->seat), "1.0.2", name});
    QCOMPARE(comer->next(), "CMD_newplayerinfo+" + QByteArray::number(comer->seat) + '+' + name + "+0");
    QVERIFY(comer->next().startsWith("CMD_existingplayers+"));
    for (int i : replayed)
        QCOMPARE(comer->next(), broadcast[i]);
    QVERIFY(comer->next().startsWith("CMD_loadstats+"));
    QVERIFY(comer->sync().isEmpty());
    // The newcomer alone hears them again.
    for (const QByteArray &m : bob->sync())
        QVERIFY2(!m.startsWith("CMD_hisword+"), m.constData());
}

void TstLogin::wrongVersionWarnsBothSides()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *ann = f.connection();
    ann->send("CMD_logininfo", {"2", "0.9", "Ann"});
    QCOMPARE(ann->next(), QByteArray("CMD_newplayerinfo+2+Ann+0"));
    QCOMPARE(ann->next(), QByteArray("CMD_existingplayers+1+Bob+0"));
    QCOMPARE(ann->next(), QByteArray("CMD_wrongversion+"));
    QCOMPARE(bob->next(), QByteArray("CMD_newplayerinfo+2+Ann+0"));
    QCOMPARE(bob->next(), QByteArray("CMD_havewrongversion+Ann"));
    // The login stands.
    QCOMPARE(f.server().seats[2].name, QByteArray("Ann"));
}

void TstLogin::loginForAnotherSeatIsIgnored()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *eve = f.connection();
    eve->send("CMD_logininfo", {"1", "1.0.2", "Mallory"});
    eve->send("CMD_logininfo", {"x", "1.0.2", "Mallory"});
    QVERIFY(eve->sync().isEmpty());
    QCOMPARE(f.server().seats[1].name, QByteArray("Bob"));
    QVERIFY(f.server().seats[2].name.isEmpty());
    QVERIFY(eve->login("Eve"));
    QCOMPARE(bob->waitFor("CMD_newplayerinfo+"), QByteArray("CMD_newplayerinfo+2+Eve+0"));
}

void TstLogin::loginOfConnectionGoneMeanwhile()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    // The login is still queued when the close is seen; it must not bring
    // the seat back to life without a connection.
    TestClient gone;
    QCOMPARE(gone.join(f.port()), 2);
    TServer &s = f.server();
    QVERIFY(spinUntil([&] { return !s.socktimer->isActive(); }));
    // Ticks come from the test, so the login waits behind Bob's line.
    s.setDispatchMs(3600 * 1000);
    bob->send("CMD_chat", {"1", "hi|clBlack"});
    QVERIFY(!bob->waitFor("CMD_chat+1+Bob").isEmpty());
    gone.sendRaw(glyphon::buildMessage("CMD_logininfo", {"2", "1.0.2", "Ghost"}));
    gone.socket().disconnectFromHost();
    QVERIFY(spinUntil([&] { return !s.seats[2].connected; }));
    s.socktimerTimer();
    s.setDispatchMs(TServer::DispatchIntervalMs);
    // Never logged in, so never announced, neither coming nor going.
    QVERIFY(bob->sync().isEmpty());
    QVERIFY(!f.server().seats[2].connected);
    QVERIFY(f.server().seats[2].name.isEmpty());
    TestClient next;
    QCOMPARE(next.join(f.port()), 2);
}

QTEST_GUILESS_MAIN(TstLogin)
#include "tst_login.moc"
