// The pace of a game: start, deal, turns, time-up, end of round, winner,
// and the computer player's turns.

#include "server_support.h"

#include "board_support.h"
#include "dictionary/random.h"

#include <QSignalSpy>
#include <QTest>

using namespace glyphon;
using namespace glyphon::test;

namespace {

// Tiles 11, 12, 13 spell "tea" and are free; every other tile is held by
// holder, so the word that takes them fills the board.
void lastWordBoard(Board &board, int holder)
{
    board = boardOf("11t 12e 13a");
    for (int p : tilePositions()) {
        if (p > 13)
            board.cell(p).owner = holder;
    }
}

} // namespace

class TstGameFlow : public HostTestCase
{
    Q_OBJECT
public:
    TstGameFlow() : HostTestCase({"tea", "eat", "tee"}) {}

private slots:
    void gameStartDealsAndGivesSeatOneTheTurn_data();
    void gameStartDealsAndGivesSeatOneTheTurn();
    void onlyTheHostStartsGames();
    void turnTimesOutInTicks();
    void stalledHostKeepsTheTurnsLength_data();
    void stalledHostKeepsTheTurnsLength();
    void winnerTest_data();
    void winnerTest();
    void emptySeatTwoWinsAsRizi();
    void turnsAlternateAcrossRounds_data();
    void turnsAlternateAcrossRounds();
    void computerPlaysEmptySeatOncePerTurn();
    void watchingPlayerIsPlayedByComputer();
    void pauseBeforeWinnerTestSurvivesLeaving_data();
    void pauseBeforeWinnerTestSurvivesLeaving();
};

void TstGameFlow::gameStartDealsAndGivesSeatOneTheTurn_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("announced");
    QTest::addColumn<bool>("running"); // a game is under way, in round 3 with seat 1 in turn
    QTest::newRow("as given") << QByteArray("Bob+150+60+") << QByteArray("CMD_startgame+Bob+150+60+") << false;
    QTest::newRow("not numbers") << QByteArray("Bob+lots+ages+") << QByteArray("CMD_startgame+Bob+200+30+") << false;
    QTest::newRow("empty fields") << QByteArray("Bob+++") << QByteArray("CMD_startgame+Bob+200+30+") << false;
    QTest::newRow("fields missing") << QByteArray("Bob") << QByteArray("CMD_startgame+Bob+200+30+") << false;
    QTest::newRow("while a game runs") << QByteArray("Bob+150+60+") << QByteArray("CMD_startgame+Bob+150+60+")
                                       << true;
}

void TstGameFlow::gameStartDealsAndGivesSeatOneTheTurn()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, announced);
    QFETCH(bool, running);
    ServerFixture f(11);
    TestClient *bob = f.player("Bob");
    f.player("Ann");
    TServer &s = f.server();
    if (running) {
        // In the pause before round 2, after Bob played "tea" in round 1.
        f.startGame(200, 30, bob);
        s.board() = boardOf("11t 12e 13a");
        for (int p : tilePositions())
            if (p > 13)
                s.board().cell(p).owner = 2;
        s.submitit(1, "1+11+12+13");
        f.ticks(2 + 1);
        QCOMPARE(s.game().phase(), ServerGame::Phase::PauseBeforeRound);
        QCOMPARE(s.game().usedWords(), QStringList{"tea"});
        f.settle();
    }
    s.game().setScore(1, 80);
    s.game().setScore(2, 90);
    s.seats[2].watching = true;

    bob->send("CMD_startgame", {request});
    QCOMPARE(bob->next(), announced);
    QCOMPARE(bob->next(), QByteArray("CMD_roundstart+1+"));
    const QList<QByteArray> letters = bob->next().split('+');
    QCOMPARE(bob->next(), QByteArray("CMD_nextplayer+1+"));

    QVERIFY(s.game().isOn());
    QCOMPARE(s.game().round(), 1);
    QCOMPARE(s.game().currentPlayer(), 1);
    QCOMPARE(s.game().pendingAction(), PaceAction::TimeUp);
    QCOMPARE(s.game().pauseTicks(), s.game().timePerTurn() + 4);
    QCOMPARE(s.game().score(1), 0);
    QCOMPARE(s.game().score(2), 0);
    QVERIFY(!s.seats[2].watching);
    QVERIFY(s.game().usedWords().isEmpty());

    // The board as sent: 36 groups position, letter, value, then an empty field.
    QCOMPARE(letters.size(), 1 + 36 * 3 + 1);
    QCOMPARE(letters.first(), QByteArray("CMD_theletters"));
    QVERIFY(letters.last().isEmpty());
    for (int i = 0; i < 36; ++i) {
        const int p = tilePositions()[i];
        const TCell &cell = s.board().cell(p);
        QCOMPARE(letters[1 + 3 * i].toInt(), p);
        QCOMPARE(letters[2 + 3 * i].toInt(), cell.letter);
        QCOMPARE(letters[3 + 3 * i].toInt(), cell.value);
        QVERIFY(cell.letter >= 1 && cell.letter <= 26);
        QCOMPARE(cell.owner, 0);
        QCOMPARE(cell.locked, 0);
    }
}

void TstGameFlow::onlyTheHostStartsGames()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *ann = f.player("Ann");
    ann->send("CMD_startgame", {"Ann", "100", "30", ""});
    QVERIFY(ann->sync().isEmpty());
    QVERIFY(!f.server().game().isOn());

    bob->send("CMD_startgame", {"Bob", "100", "30", ""});
    QVERIFY(!ann->waitFor("CMD_nextplayer+1+").isEmpty());
    f.server().game().setScore(1, 60);
    f.ticks(34 + 2);
    QCOMPARE(f.server().game().currentPlayer(), 2);
    // A spectator or the other player cannot end a running game either.
    ann->send("CMD_startgame", {"Ann", "100", "30", ""});
    ann->sync();
    QCOMPARE(f.server().game().score(1), 60);
    QCOMPARE(f.server().game().currentPlayer(), 2);
}

void TstGameFlow::turnTimesOutInTicks()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    f.player("Ann");
    QSignalSpy timeups(&f.server(), &TServer::timeUp);
    QSignalSpy turns(&f.server(), &TServer::turnStarted);
    f.startGame(200, 60, bob);
    QCOMPARE(turns.count(), 1);

    f.ticks(63);
    QCOMPARE(timeups.count(), 0);
    f.ticks(1);
    QCOMPARE(timeups.count(), 1);
    QCOMPARE(bob->waitFor("CMD_timeup+"), QByteArray("CMD_timeup+1+"));
    f.ticks(1);
    QCOMPARE(turns.count(), 1);
    f.ticks(1);
    QCOMPARE(turns.count(), 2);
    QCOMPARE(bob->next(), QByteArray("CMD_nextplayer+2+"));

    // An accepted word shortens the turn to a two-tick pause.
    f.server().board() = boardOf("11t 12e 13a");
    f.server().submitit(2, "2+11+12+13");
    QCOMPARE(bob->next(), QByteArray("CMD_hisword+2+TEA+3+3+11+12+13"));
    QCOMPARE(f.server().game().pendingAction(), PaceAction::NextTurn);
    f.ticks(1);
    QCOMPARE(turns.count(), 2);
    f.ticks(1);
    QCOMPARE(turns.count(), 3);
    QCOMPARE(f.server().game().currentPlayer(), 1);
}

// A stopped or busy host misses ticks; the turn it resumes in still ends
// when its time is up, not that many ticks later.
void TstGameFlow::stalledHostKeepsTheTurnsLength_data()
{
    QTest::addColumn<int>("ticksBefore");
    QTest::addColumn<int>("stallMs");
    QTest::addColumn<int>("timeUpAtTick"); // counting every tick since the turn began
    QTest::addColumn<bool>("held"); // the owner held the pace over the stall (a strong move's wait)
    QTest::newRow("no stall") << 10 << 0 << 64 << false;
    QTest::newRow("stalled 20 s mid-turn") << 10 << 20000 << 44 << false;
    QTest::newRow("stalled past the turn's end") << 10 << 70000 << 11 << false;
    QTest::newRow("stalled to the exact end") << 3 << 60000 << 4 << false;
    QTest::newRow("stalled a second short") << 3 << 59999 << 5 << false;
    QTest::newRow("held 20 s: the count stands") << 10 << 20000 << 65 << true;
}

void TstGameFlow::stalledHostKeepsTheTurnsLength()
{
    QFETCH(int, ticksBefore);
    QFETCH(int, stallMs);
    QFETCH(int, timeUpAtTick);
    QFETCH(bool, held);
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    f.player("Ann");
    TServer &s = f.server();
    qint64 now = 5000;
    s.game().setPaceClock([&now] { return now; }, 1000);
    QSignalSpy timeups(&s, &TServer::timeUp);
    f.startGame(200, 60, bob);
    int tick = 0;
    const auto oneTick = [&] {
        now += 1000;
        if (tick == ticksBefore)
            now += stallMs;
        ++tick;
        if (held && tick == ticksBefore + 1)
            s.game().holdPace();
        else
            s.timer_breaksTimer();
    };
    while (tick < timeUpAtTick - 1) {
        oneTick();
        QCOMPARE(timeups.count(), 0);
    }
    oneTick();
    QCOMPARE(timeups.count(), 1);
    QCOMPARE(bob->waitFor("CMD_timeup+"), QByteArray("CMD_timeup+1+"));
}

void TstGameFlow::winnerTest_data()
{
    QTest::addColumn<int>("score1");
    QTest::addColumn<int>("score2");
    QTest::addColumn<QByteArray>("winner"); // empty: another round
    // The players' names differ in one byte of the code page only.
    const QByteArray zoe1("Zo\xEB"), zoe2("Zo\xE9");
    QTest::newRow("seat 1 over the target") << 210 << 190 << zoe1;
    QTest::newRow("both over, seat 2 higher") << 205 << 230 << zoe2;
    QTest::newRow("both over, seat 1 higher") << 230 << 205 << zoe1;
    QTest::newRow("seat 2 alone over") << 190 << 205 << zoe2;
    QTest::newRow("tie over the target") << 210 << 210 << QByteArray();
    QTest::newRow("nobody at the target") << 150 << 180 << QByteArray();
    // Reaching the target is enough: exactly 200 of 200 wins.
    QTest::newRow("seat 1 exactly at the target") << 200 << 150 << zoe1;
    QTest::newRow("seat 2 exactly at the target") << 150 << 200 << zoe2;
}

void TstGameFlow::winnerTest()
{
    QFETCH(int, score1);
    QFETCH(int, score2);
    QFETCH(QByteArray, winner);
    ServerFixture f;
    TestClient *bob = f.player("Zo\xEB");
    TestClient *ann = f.player("Zo\xE9");
    QVERIFY(ann->messages().contains("CMD_existingplayers+1+Zo\xEB+0"));
    TServer &s = f.server();
    QSignalSpy won(&s, &TServer::gameWon);
    QSignalSpy rounds(&s, &TServer::roundStarted);
    f.startGame(200, 30, bob);

    lastWordBoard(s.board(), 2);
    s.submitit(1, "1+11+12+13");
    QCOMPARE(bob->waitFor("CMD_hisword+"), QByteArray("CMD_hisword+1+TEA+3+3+11+12+13"));
    QCOMPARE(bob->waitFor("CMD_endround"), QByteArray("CMD_endround+"));
    QCOMPARE(s.game().pendingAction(), PaceAction::WinnerTest);
    s.game().setScore(1, score1);
    s.game().setScore(2, score2);
    f.ticks(1);
    QCOMPARE(won.count(), 0);
    f.ticks(1);

    if (!winner.isEmpty()) {
        QCOMPARE(won.count(), 1);
        QCOMPARE(won.at(0).at(1).toString(), glyphon::fromWire(winner));
        QCOMPARE(bob->waitFor("CMD_winner+"), "CMD_winner+" + winner + '+');
        QVERIFY(!s.game().isOn());
        QVERIFY(!s.timer_breaks->isActive());
        QVERIFY(!s.computertimer->isActive());
        return;
    }
    QCOMPARE(won.count(), 0);
    QCOMPARE(s.game().pendingAction(), PaceAction::NextRound);
    f.ticks(9);
    QCOMPARE(rounds.count(), 1);
    f.ticks(1);
    QCOMPARE(rounds.count(), 2);
    QCOMPARE(bob->waitFor("CMD_roundstart+"), QByteArray("CMD_roundstart+2+"));
    QVERIFY(s.game().usedWords().isEmpty());
    for (int p : tilePositions())
        QCOMPARE(s.board().cell(p).owner, 0);
    QCOMPARE(s.game().score(1), score1);
    QCOMPARE(s.game().score(2), score2);
    // The word of the last round counts again.
    s.board() = boardOf("11t 12e 13a");
    s.submitit(s.game().currentPlayer(), QByteArray::number(s.game().currentPlayer()) + "+11+12+13");
    QCOMPARE(s.game().usedWords(), QStringList{"tea"});
}

void TstGameFlow::emptySeatTwoWinsAsRizi()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TServer &s = f.server();
    f.startGame(100, 30, bob);
    f.ticks(34 + 2); // Bob's time runs out; Rizi's turn
    QCOMPARE(s.game().currentPlayer(), 2);
    QVERIFY(s.computertimer->isActive());
    lastWordBoard(s.board(), 1);
    s.submitit(2, "2+11+12+13");
    s.game().setScore(2, 120);
    f.ticks(2);
    QCOMPARE(bob->waitFor("CMD_winner+"), QByteArray("CMD_winner+Rizi+"));
}

void TstGameFlow::turnsAlternateAcrossRounds_data()
{
    QTest::addColumn<int>("filler");
    QTest::addColumn<int>("nextRoundStarter");
    QTest::newRow("seat 1 fills the board") << 1 << 2;
    QTest::newRow("seat 2 fills the board") << 2 << 1;
}

void TstGameFlow::turnsAlternateAcrossRounds()
{
    QFETCH(int, filler);
    QFETCH(int, nextRoundStarter);
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    f.player("Ann");
    TServer &s = f.server();
    f.startGame(200, 30, bob);
    QCOMPARE(s.game().currentPlayer(), 1);
    if (filler == 2)
        f.ticks(34 + 2);
    QCOMPARE(s.game().currentPlayer(), filler);
    lastWordBoard(s.board(), 3 - filler);
    s.submitit(filler, QByteArray::number(filler) + "+11+12+13");
    f.ticks(2 + 10);
    QCOMPARE(s.game().round(), 2);
    QCOMPARE(s.game().currentPlayer(), nextRoundStarter);
    QVERIFY(!bob->waitFor("CMD_roundstart+2+").isEmpty());
    QCOMPARE(bob->waitFor("CMD_nextplayer+"),
             QByteArray("CMD_nextplayer+" + QByteArray::number(nextRoundStarter) + '+'));
}

void TstGameFlow::computerPlaysEmptySeatOncePerTurn()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TServer &s = f.server();
    s.setBotSpeed(500);
    s.listbox_words.setWords({"tea", "zzz"}); // the last entry is never drawn
    QSignalSpy accepted(&s, &TServer::wordAccepted);
    QSignalSpy rejected(&s, &TServer::wordRejected);
    f.startGame(200, 30, bob);
    QVERIFY(!s.computertimer->isActive()); // Bob plays himself
    s.timeup();
    s.timer_breaksTimer();
    s.timer_breaksTimer();
    QCOMPARE(bob->waitFor("CMD_nextplayer+"), QByteArray("CMD_nextplayer+2+"));
    QVERIFY(s.computertimer->isActive());
    QCOMPARE(s.computertimer->interval(), s.botDelayMs());
    s.setTickMs(1000);
    QCOMPARE(s.botDelayMs(), 500);
    s.setTickMs(100000000);

    s.board() = boardOf("21a 35e 64t");
    s.computertimerTimer();
    QVERIFY(!s.computertimer->isActive());
    QCOMPARE(bob->next(), QByteArray("CMD_hisword+2+TEA+3+3+64+35+21"));
    QCOMPARE(accepted.count(), 1);

    // A word the dictionary does not know is rejected without a word to
    // anybody, and the turn then runs out: no second try.
    s.timer_breaksTimer();
    s.timer_breaksTimer();
    QCOMPARE(s.game().currentPlayer(), 1);
    s.timeup();
    s.timer_breaksTimer();
    s.timer_breaksTimer();
    QCOMPARE(s.game().currentPlayer(), 2);
    s.listbox_words.setWords({"tae", "zzz"});
    s.computertimerTimer();
    s.computertimerTimer();
    s.computerplay(2);
    QCOMPARE(rejected.count(), 1);
    QCOMPARE(rejected.at(0).at(1).toInt(), int(RejectReason::NotAWord));
    QVERIFY(!bob->sync().join().contains("CMD_invalid"));
}

void TstGameFlow::watchingPlayerIsPlayedByComputer()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *ann = f.player("Ann");
    TServer &s = f.server();
    s.listbox_words.setWords({"eat", "zzz"});
    f.startGame(200, 30, bob);
    s.game().setScore(2, 40);
    ann->send("CMD_justwatch", {"2", "1"});
    QCOMPARE(bob->waitFor("CMD_justwatching+"), QByteArray("CMD_justwatching+2+1"));
    f.ticks(34 + 2);
    QCOMPARE(s.game().currentPlayer(), 2);
    QVERIFY(s.computertimer->isActive());
    QCOMPARE(s.computertimer->interval(), s.botDelayMs());

    s.board() = boardOf("11e 12a 13t");
    s.board().cell(12).value = 4;
    s.computertimerTimer();
    QCOMPARE(bob->waitFor("CMD_hisword+"), QByteArray("CMD_hisword+2+EAT+6+46+11+12+13"));
    for (int p : {11, 12, 13})
        QCOMPARE(s.board().cell(p).owner, 2);

    // Playing again: the next turn of seat 2 is Ann's own.
    ann->send("CMD_justwatch", {"2", "2"});
    QVERIFY(!bob->waitFor("CMD_justwatching+2+2").isEmpty());
    f.ticks(2);
    f.ticks(34 + 2);
    QCOMPARE(s.game().currentPlayer(), 2);
    QVERIFY(!s.computertimer->isActive());
}

void TstGameFlow::pauseBeforeWinnerTestSurvivesLeaving_data()
{
    QTest::addColumn<bool>("leaves"); // else sets itself to just watch
    QTest::newRow("leaves") << true;
    QTest::newRow("just watches") << false;
}

void TstGameFlow::pauseBeforeWinnerTestSurvivesLeaving()
{
    QFETCH(bool, leaves);
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *ann = f.player("Ann");
    TServer &s = f.server();
    f.startGame(100, 30, bob);
    f.ticks(34 + 2);
    lastWordBoard(s.board(), 1);
    s.submitit(2, "2+11+12+13");
    QCOMPARE(s.game().pendingAction(), PaceAction::WinnerTest);
    s.game().setScore(2, 150);

    // The last mover goes during the pause; the round still ends properly.
    if (leaves) {
        ann->socket().disconnectFromHost();
        QVERIFY(spinUntil([&] { return !s.seats[2].connected; }));
    } else {
        ann->send("CMD_justwatch", {"2", "1"});
        QVERIFY(!bob->waitFor("CMD_justwatching+2+1").isEmpty());
    }
    QCOMPARE(s.game().pendingAction(), PaceAction::WinnerTest);
    QCOMPARE(s.game().pauseTicks(), 2);
    f.ticks(2);
    QCOMPARE(bob->waitFor("CMD_winner+"), QByteArray(leaves ? "CMD_winner+Rizi+" : "CMD_winner+Ann+"));
}

QTEST_GUILESS_MAIN(TstGameFlow)
#include "tst_gameflow.moc"
