// The window's game model, fed decoded messages as the host sends them; no
// display, no socket.

#include "core/clientgame.h"

#include <QSignalSpy>
#include <QTest>

using glyphon::ClientGame;
namespace msg = glyphon::msg;

namespace {

template<typename M>
M decoded(const QByteArray &data)
{
    const std::optional<M> m = M::decode(data);
    if (!m)
        qFatal("test message does not decode: %s", data.constData());
    return *m;
}

// Seat 1 "Ann" (the own seat unless told), seat 2 "Bob", a board of "a"s.
void seatTwo(ClientGame &game, int me = 1, const QByteArray &players = "1+Ann+0+2+Bob+0")
{
    game.loggedIn({me});
    for (const msg::SeatEntry &e : decoded<msg::ExistingPlayers>(players).players)
        game.playerArrived(e);
    msg::TheLetters letters;
    for (int p : glyphon::tilePositions())
        letters.tiles.append({p, 1, 0, 0, 0});
    game.lettersDealt(letters);
}

QList<int> sorted(QList<int> list)
{
    std::sort(list.begin(), list.end());
    return list;
}

} // namespace

class TestClientGame : public QObject
{
    Q_OBJECT

private slots:
    void whoLeavesIsAnnounced_data();
    void whoLeavesIsAnnounced();
    void winnerIsTheOwnSeatsHolder_data();
    void winnerIsTheOwnSeatsHolder();
    void freeSeatTakesTheComputerPlayer();
    void wordsTakeTilesAndMarkTheLastMove();
    void newcomerGetsTheWholeBoard();
};

void TestClientGame::whoLeavesIsAnnounced_data()
{
    QTest::addColumn<QByteArray>("before"); // an existingplayers list
    QTest::addColumn<QByteArray>("gone");   // a playerdisconnected
    QTest::addColumn<QByteArray>("announced");
    QTest::addColumn<int>("spectatorsLeft");
    QTest::newRow("player") << QByteArray("2+Bob+1") << QByteArray("2+Bob") << QByteArray("Bob") << 0;
    QTest::newRow("free seat") << QByteArray() << QByteArray("2+") << QByteArray() << 0;
    QTest::newRow("computer player") << QByteArray("2+Rizi+0") << QByteArray("2+") << QByteArray() << 0;
    QTest::newRow("spectator") << QByteArray("4+Cat+0") << QByteArray("4+Cat") << QByteArray("Cat") << 0;
    QTest::newRow("other name") << QByteArray("4+Cat+0") << QByteArray("4+Kat") << QByteArray() << 1;
    QTest::newRow("other seat") << QByteArray("4+Cat+0") << QByteArray("5+Cat") << QByteArray() << 1;
}

void TestClientGame::whoLeavesIsAnnounced()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, gone);
    QFETCH(QByteArray, announced);
    QFETCH(int, spectatorsLeft);
    ClientGame game;
    game.loggedIn({1});
    for (const msg::SeatEntry &e : decoded<msg::ExistingPlayers>(before).players)
        game.playerArrived(e);
    const msg::PlayerDisconnected m = decoded<msg::PlayerDisconnected>(gone);
    QCOMPARE(game.playerLeft(m).value_or(QByteArray()), announced);
    QVERIFY(!game.playerLeft(m).has_value()); // announced once only
    // A player seat is free afterwards, its just-watch mark gone with it.
    QVERIFY(!game.seat(2).filled);
    QVERIFY(!game.seat(2).watching);
    QCOMPARE(game.spectators().size(), spectatorsLeft);
}

void TestClientGame::winnerIsTheOwnSeatsHolder_data()
{
    QTest::addColumn<int>("me");
    QTest::addColumn<QByteArray>("players"); // the seats as the host named them
    QTest::addColumn<QByteArray>("winner");
    QTest::addColumn<bool>("iWon");
    const QByteArray annBob = "1+Ann+0+2+Bob+0";
    QTest::newRow("own name") << 1 << annBob << QByteArray("Ann") << true;
    QTest::newRow("other's name") << 1 << annBob << QByteArray("Bob") << false;
    QTest::newRow("seat 2 wins") << 2 << annBob << QByteArray("Bob") << true;
    QTest::newRow("a prefix") << 1 << annBob << QByteArray("An") << false;
    QTest::newRow("case differs") << 1 << annBob << QByteArray("ann") << false;
    QTest::newRow("spectator named like the winner") << 3 << annBob << QByteArray("Ann") << false;
    // The window asked for "Ann"; the host gave it "Ann 2", and the other
    // player is the Ann who won.
    QTest::newRow("the name asked for is not the own") << 1 << QByteArrayLiteral("1+Ann 2+0+2+Ann+0")
                                                       << QByteArray("Ann") << false;
    QTest::newRow("the name the host gave is") << 1 << QByteArrayLiteral("1+Ann 2+0+2+Ann+0") << QByteArray("Ann 2")
                                               << true;
    // Seat 1 took Bob's name and watched while the computer won for it.
    QTest::newRow("impostor's win, seen by Bob") << 2 << QByteArrayLiteral("1+Bob+1+2+Bob+0") << QByteArray("Bob")
                                                 << false;
    QTest::newRow("impostor's win, seen by itself") << 1 << QByteArrayLiteral("1+Bob+1+2+Bob+0") << QByteArray("Bob")
                                                    << false;
}

void TestClientGame::winnerIsTheOwnSeatsHolder()
{
    QFETCH(int, me);
    QFETCH(QByteArray, players);
    QFETCH(QByteArray, winner);
    QFETCH(bool, iWon);
    ClientGame game;
    seatTwo(game, me, players);
    game.playerArrived({3, "Ann", false});
    game.gameStarted(decoded<msg::StartGame>("Ann+200+60+"));
    QVERIFY(game.running());
    QSignalSpy stopped(&game, &ClientGame::runningChanged);
    QCOMPARE(game.gameWon(decoded<msg::Winner>(winner + "+")), iWon);
    QCOMPARE(stopped.size(), 1);
    QList<QByteArray> others;
    for (const msg::SeatEntry &e : decoded<msg::ExistingPlayers>(players).players) {
        if (e.seat != me)
            others << e.name;
    }
    QCOMPARE(game.otherPlayers(), others);
}

void TestClientGame::freeSeatTakesTheComputerPlayer()
{
    ClientGame game;
    game.loggedIn({1});
    game.playerArrived({1, "Ann", false});
    QVERIFY(game.gameStarted(decoded<msg::StartGame>("Ann+150+45+")));
    QVERIFY(game.holds(2, "Rizi"));
    QCOMPARE(game.playTo(), 150);
    QCOMPARE(game.turnLength(), 45);
    // A seat 1 left free when its turn comes shows no name at all.
    game.playerLeft({1, "Ann"});
    game.turnStarted({1});
    QVERIFY(game.holds(1, ""));
    QVERIFY(game.myTurn());
    game.closeInput();
    QVERIFY(!game.myTurn());
    game.wordRejected(decoded<msg::Invalid>("1+1+crat+"));
    QVERIFY(game.myTurn());
    // A second game keeps the human who came meanwhile.
    game.playerArrived({2, "Bob", false});
    QVERIFY(!game.gameStarted(decoded<msg::StartGame>("Ann+200+60+")));
    QVERIFY(game.holds(2, "Bob"));
}

void TestClientGame::wordsTakeTilesAndMarkTheLastMove()
{
    ClientGame game;
    seatTwo(game);
    QSignalSpy repaint(&game, &ClientGame::tilesChanged);
    QVERIFY(!game.wordAccepted(decoded<msg::HisWord>("3+AA+2+2+11+12")));
    QVERIFY(repaint.isEmpty());
    QVERIFY(game.wordAccepted(decoded<msg::HisWord>("2+AAA+3+9+11+70+12+x+13")));
    QCOMPARE(repaint.takeFirst().at(0).value<QList<int>>(), QList<int>({11, 12, 13}));
    QCOMPARE(game.board()[11].owner, 2);
    QCOMPARE(std::count_if(game.board().cbegin(), game.board().cend(), [](auto &t) { return t.owner == 2; }), 3);
    QCOMPARE(game.seat(2).score, 9);
    QCOMPARE(game.seat(2).lastPoints, 3);
    QCOMPARE(game.lastMove().positions(), QList<int>({11, 12, 13}));

    game.locksChanged(decoded<msg::LockThemUp>("11+1+0+1+12+1"));
    QCOMPARE(repaint.takeFirst().at(0).value<QList<int>>(), QList<int>({11, 12}));
    QVERIFY(!glyphon::canUse(game.board()[11], 1));
    QVERIFY(glyphon::canUse(game.board()[11], 2));

    // The mark lasts through the answering turn and goes with the next.
    game.turnStarted({1});
    QVERIFY(!game.seat(2).lastPoints);
    QCOMPARE(game.lastMove().seat(), 2);
    game.turnStarted({2});
    QCOMPARE(repaint.last().at(0).value<QList<int>>(), QList<int>({11, 12, 13}));
    QVERIFY(game.lastMove().positions().isEmpty());

    // A new word moves the mark; a new round empties the board.
    game.wordAccepted(decoded<msg::HisWord>("2+AA+2+11+21+22"));
    game.wordAccepted(decoded<msg::HisWord>("1+AA+2+2+31+32"));
    QCOMPARE(sorted(repaint.last().at(0).value<QList<int>>()), QList<int>({21, 22, 31, 32}));
    game.roundStarted({2});
    QCOMPARE(game.round(), 2);
    QCOMPARE(game.board()[31], glyphon::TCell{});
    QCOMPARE(game.seat(1).score, 2); // scores run over the rounds
    // ... but not into the next game.
    game.gameStarted(decoded<msg::StartGame>("Cid+200+60+"));
    QCOMPARE(game.seat(1).score + game.seat(2).score, 0);
}

void TestClientGame::newcomerGetsTheWholeBoard()
{
    ClientGame game;
    seatTwo(game, 3);
    game.wordAccepted(decoded<msg::HisWord>("1+AA+2+2+11+12"));
    QByteArray stats = "3+12+9+60+200+2+64+4+2";
    for (int p : glyphon::tilePositions())
        stats += "+" + QByteArray::number(p) + (p == 66 ? "+26+2+3+1" : "+1+0+0+0");
    game.stateLoaded(decoded<msg::LoadStats>(stats));
    QCOMPARE(game.board()[66], (glyphon::TCell{3, 26, 1, 2}));
    QCOMPARE(game.board()[11], (glyphon::TCell{0, 1, 0, 0}));
    QVERIFY(game.lastMove().positions().isEmpty());
    QCOMPARE(game.seat(1).score, 12);
    QCOMPARE(game.seat(2).score, 9);
    QCOMPARE(game.turn(), 2);
    QCOMPARE(game.round(), 2);
    QVERIFY(game.running());
    QVERIFY(!game.myTurn());
}

QTEST_GUILESS_MAIN(TestClientGame)
#include "tst_clientgame.moc"
