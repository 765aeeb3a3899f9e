// The client's session without a window: what its commands send, by role
// and seat, over a real loopback line to a host the test plays.

#include "session_support.h"

#include "protocol/messagepump.h"
#include "session/serverlink.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace testsupport;

class TestClientSession : public QObject
{
    Q_OBJECT

private slots:
    void seatCommands_data();
    void seatCommands();
    void startGoesAsTyped_data();
    void startGoesAsTyped();
    void malformedMessagesChangeNothing();
    void dispatchAtRestIsImmediateThenPaced();
    void linesKeepTheHostsPace_data();
    void linesKeepTheHostsPace();
    void floodingHostIsLeftForGood_data();
    void floodingHostIsLeftForGood();
    void lostLineComesBackForJoinersOnly_data();
    void lostLineComesBackForJoinersOnly();
};

void TestClientSession::seatCommands_data()
{
    QTest::addColumn<bool>("hosting");
    QTest::addColumn<int>("seat"); // 0: not logged in
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("own seat starts watching") << false << 1 << "watch 1" << QByteArray("CMD_justwatch+1+1");
    QTest::newRow("own seat plays again") << false << 2 << "play 2" << QByteArray("CMD_justwatch+2+2");
    QTest::newRow("a spectator has no seat to watch from") << false << 3 << "watch 3" << QByteArray();
    QTest::newRow("no seat beyond the players'") << true << 1 << "watch 3" << QByteArray();
    QTest::newRow("not logged in") << false << 0 << "watch 1" << QByteArray();
    QTest::newRow("host removes seat 2") << true << 1 << "remove 2" << QByteArray("CMD_kickhim+1+2+");
    QTest::newRow("host removes a spectator") << true << 1 << "remove 4" << QByteArray("CMD_kickhim+1+4+");
    QTest::newRow("host sets seat 2 watching") << true << 1 << "watch 2" << QByteArray("CMD_justwatch+2+1");
    QTest::newRow("host lets seat 2 play") << true << 1 << "play 2" << QByteArray("CMD_justwatch+2+2");
    QTest::newRow("a joiner removes nobody") << false << 1 << "remove 2" << QByteArray();
    QTest::newRow("a host not logged in removes nobody") << true << 0 << "remove 2" << QByteArray();
}

void TestClientSession::seatCommands()
{
    QFETCH(bool, hosting);
    QFETCH(int, seat);
    QFETCH(QString, command);
    QFETCH(QByteArray, sent);
    LoopbackHost host(hosting);
    QVERIFY(seat == 0 ? host.accepted() : host.logIn(seat));
    const QStringList words = command.split(u' ');
    const int target = words.at(1).toInt();
    if (words.at(0) == u"remove")
        host.session.removeFromGame(target);
    else
        host.session.justWatch(target, words.at(0) == u"watch");
    QCOMPARE(host.sent(), sent.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{sent});
}

void TestClientSession::startGoesAsTyped_data()
{
    QTest::addColumn<QString>("score");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("numbers") << "350" << "45" << QByteArray("CMD_startgame+Ann+350+45+");
    // The host reads what is no number as its default; the window does not
    // mend it on the way.
    QTest::newRow("no numbers") << "lots" << "" << QByteArray("CMD_startgame+Ann+lots++");
}

void TestClientSession::startGoesAsTyped()
{
    QFETCH(QString, score);
    QFETCH(QString, time);
    QFETCH(QByteArray, sent);
    LoopbackHost host;
    QVERIFY(host.logIn(2));
    host.session.requestStart(score, time);
    QCOMPARE(host.sent(), QList<QByteArray>{sent});
}

// Junk from the host reaches neither the game nor the window.
void TestClientSession::malformedMessagesChangeNothing()
{
    LoopbackHost host;
    QVERIFY(host.logIn(1));
    host.feed("CMD_startgame+Ann+200+60+");
    host.feed(plainLettersMessage());
    glyphon::ClientSession &s = host.session;
    const glyphon::TileGrid before = s.game()->board();
    using glyphon::ClientGame;
    using glyphon::ClientSession;
    const glyphon::ClientGame &game = *s.game();
    // Tiles may be repainted as they were; nothing else may stir.
    QList<std::shared_ptr<QSignalSpy>> spies{
        std::make_shared<QSignalSpy>(&game, &ClientGame::seatChanged),
        std::make_shared<QSignalSpy>(&game, &ClientGame::spectatorChanged),
        std::make_shared<QSignalSpy>(&game, &ClientGame::runningChanged),
        std::make_shared<QSignalSpy>(&s, &ClientSession::statusLine),
        std::make_shared<QSignalSpy>(&s, &ClientSession::refusal),
        std::make_shared<QSignalSpy>(&s, &ClientSession::wordChanged),
        std::make_shared<QSignalSpy>(&s, &ClientSession::seatNews),
        std::make_shared<QSignalSpy>(&s, &ClientSession::turnNews),
        std::make_shared<QSignalSpy>(&s, &ClientSession::gameNews),
    };
    for (const QByteArray &junk : QList<QByteArray>{
             "CMD_theletters+99+1+1+0+5+5+", "CMD_hisword+7+X+1+1+11", "CMD_hisword+1+X+y+z+11",
             "CMD_lockthemup+0+1+x+1+70+1", "CMD_loadstats+1+2", "CMD_nextplayer+x+", "CMD_unknown+1", "", "+",
             "CMD_invalid+", "CMD_timeup+", "CMD_justwatching+9+1", "CMD_newplayerinfo+x+y+z", "CMD_playasound+",
             "CMD_winner", "CMD_endround", "CMD_sendlogininfo+x"}) {
        host.feed(junk);
    }
    QCOMPARE(s.game()->board(), before);
    for (int i = 0; i < spies.size(); ++i)
        QVERIFY2(spies.at(i)->isEmpty(), qPrintable(QString::number(i)));
    QCOMPARE(s.game()->mySeat(), 1);
}

// A message after a rest is handed out at once, the rest of a burst one a
// tick of the pump.
void TestClientSession::dispatchAtRestIsImmediateThenPaced()
{
    LoopbackHost host;
    QVERIFY(host.logIn(2));
    glyphon::MessagePump *pump = host.session.link()->pump();
    QTRY_VERIFY(!pump->timer()->isActive());
    // Ticks come only from the test from here on.
    pump->timer()->setInterval(3600 * 1000);
    int lines = 0;
    connect(&host.session, &glyphon::ClientSession::chatLine, this, [&] { ++lines; });

    QByteArray burst;
    for (int i = 0; i < 30; ++i)
        burst += "CMD_chat+1+Cid chats: line" + QByteArray::number(i) + ".|clBlack\xFF";
    host.send(burst);
    QTRY_COMPARE(lines, 1);
    QTRY_COMPARE(pump->queued(), 29);
    for (int i = 1; i < 30; ++i) {
        QCOMPARE(lines, i);
        pump->tick();
        QCOMPARE(lines, i + 1);
    }
    // Handled less than a tick ago: the next waits for the tick.
    host.send("CMD_chat+1+Cid chats: soon|clBlack\xFF");
    QTRY_COMPARE(pump->queued(), 1);
    QCOMPARE(lines, 30);
    pump->tick();
    QCOMPARE(lines, 31);
    // A tick with nothing to do lets it rest; the next arrival goes at once.
    pump->tick();
    QVERIFY(!pump->timer()->isActive());
    host.send("CMD_chat+1+Cid chats: now|clBlack\xFF");
    QTRY_COMPARE(lines, 32);
}

void TestClientSession::linesKeepTheHostsPace_data()
{
    // Steps "ms:lines", each line c (chat), a (action), s (sound) or L (a
    // 60 KB chat line); outcome: + for each line that went at once, w for
    // one that waits its turn, - for a refused one.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("a burst of five, then lines wait") << QStringList{"0:ccccccc"} << "+++++ww";
    QTest::newRow("five wait, no more") << QStringList{"0:cccccccccccc"} << "+++++wwwww--";
    QTest::newRow("actions wait with the chat") << QStringList{"0:cccccaca"} << "+++++www";
    QTest::newRow("actions and sounds share the pace") << QStringList{"0:casca", "0:s"} << "+++++-";
    QTest::newRow("nothing passes a waiting line") << QStringList{"0:cccccc", "1000:cs"} << "+++++ww-";
    QTest::newRow("a refused sound spends nothing") << QStringList{"0:ccccc", "600:s", "1000:s"} << "+++++-+";
    QTest::newRow("a rest fills the burst, no more") << QStringList{"0:ccccc", "3600000:ccccccc"} << "++++++++++ww";
    QTest::newRow("a long line goes cut") << QStringList{"0:L"} << "+";
}

void TestClientSession::linesKeepTheHostsPace()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, outcome);
    LoopbackHost host;
    QVERIFY(host.logIn(2));
    glyphon::ClientSession &s = host.session;
    qint64 now = 0;
    s.setClock([&now] { return now; });
    QSignalSpy status(&s, &glyphon::ClientSession::statusLine);
    const glyphon::msg::ChatText long60k{QByteArray(60000, 'x'), "clRed"};
    QString told;
    QList<QByteArray> atOnce;
    QList<QByteArray> later;
    int n = 0;
    for (const QString &step : steps) {
        now = step.section(u':', 0, 0).toLongLong();
        for (const QChar kind : step.section(u':', 1)) {
            // Each line its own text, so a line joined to another shows.
            const QByteArray text = "line" + QByteArray::number(++n);
            const glyphon::msg::ChatText line{text, "clRed"};
            const int waiting = s.waitingLines();
            bool went = false;
            QByteArray message;
            if (kind == u'c' || kind == u'L') {
                went = s.sendChat(kind == u'c' ? line : long60k);
                message = "CMD_chat+2+" + (kind == u'c' ? text : QByteArray(400, 'x')) + "|clRed";
            } else if (kind == u'a') {
                went = s.sendAction(line);
                message = "CMD_action+2+" + text + "|clRed";
            } else {
                went = s.sendSound("wave3");
                message = "CMD_playasound+2+wave3+";
            }
            const bool waits = s.waitingLines() > waiting;
            told += !went ? u'-' : waits ? u'w' : u'+';
            if (went)
                (waits ? later : atOnce) << message;
        }
    }
    QCOMPARE(told, outcome);
    // What went reaches the host as it should, and nothing before its time;
    // what did not is said each time, so the user knows the typed line was kept.
    QCOMPARE(host.sent(), atOnce);
    QCOMPARE(s.waitingLines(), later.size());
    QCOMPARE(status.size(), int(outcome.count(u'-')));
    for (const QList<QVariant> &said : status)
        QCOMPARE(said.at(0).toString(), QStringLiteral("Slow down: one line a second."));
    // The waiting lines go as the pace allows, whole and in order.
    QList<QByteArray> arrived;
    for (qsizetype i = 0; i < later.size(); ++i) {
        now += 1000;
        QTRY_VERIFY((arrived += host.sent()).size() > i);
    }
    QCOMPARE(arrived, later);
    QCOMPARE(s.waitingLines(), 0);
}

void TestClientSession::floodingHostIsLeftForGood_data()
{
    QTest::addColumn<int>("messages");
    QTest::addColumn<int>("bytes"); // each, before its end mark
    QTest::addColumn<bool>("closed");
    QTest::newRow("10,000 small ones wait") << 10000 << 20 << false;
    QTest::newRow("one more closes") << 10001 << 20 << true;
    QTest::newRow("4 MB wait") << 69 << 60000 << false;
    QTest::newRow("past 4 MB closes") << 70 << 60000 << true;
}

// A host that sends more than the window may keep waiting is left, and
// never tried again: a hostile one would flood each new line as well.
void TestClientSession::floodingHostIsLeftForGood()
{
    QFETCH(int, messages);
    QFETCH(int, bytes);
    QFETCH(bool, closed);
    LoopbackHost host;
    QVERIFY(host.logIn(2));
    glyphon::ClientSession &s = host.session;
    glyphon::MessagePump *pump = s.link()->pump();
    // As while a box is open: nothing is handed out, everything waits.
    pump->setPaused(true);
    QSignalSpy overflowed(&s, &glyphon::ClientSession::sessionEnded);
    const QByteArray message = "CMD_chat+1+" + QByteArray(bytes - 11, 'f') + glyphon::Terminator;
    QByteArray flood;
    for (int i = 0; i < messages; ++i)
        flood += message;
    host.send(flood);
    if (!closed) {
        QTRY_COMPARE(pump->queued(), messages);
        QVERIFY(s.isconnected());
        return;
    }
    QTRY_COMPARE(overflowed.size(), 1);
    QCOMPARE(overflowed.at(0).at(0).toString(), QStringLiteral("The host sent more than this window can take."));
    QVERIFY(!s.isconnected());
    QVERIFY(!s.reconnecting());
    QCOMPARE(pump->queued(), 0);
    QVERIFY(host.peerGone());
}

void TestClientSession::lostLineComesBackForJoinersOnly_data()
{
    QTest::addColumn<bool>("hosting");
    QTest::addColumn<bool>("reconnects");
    QTest::newRow("a joiner") << false << true;
    // Its server runs in the same program: there is nothing to come back to.
    QTest::newRow("the host's own window") << true << false;
}

void TestClientSession::lostLineComesBackForJoinersOnly()
{
    QFETCH(bool, hosting);
    QFETCH(bool, reconnects);
    LoopbackHost host(hosting);
    QVERIFY(host.logIn(hosting ? 1 : 2));
    glyphon::ClientSession &s = host.session;
    QSignalSpy told(&s, &glyphon::ClientSession::socketInfo);
    host.resetLine();
    // Either the window hears of the failure, or reconnecting takes it.
    QTRY_VERIFY(s.reconnecting() || !told.isEmpty());
    QCOMPARE(s.reconnecting(), reconnects);
    QCOMPARE(told.isEmpty(), reconnects);
}

QTEST_GUILESS_MAIN(TestClientSession)
#include "tst_clientsession.moc"
