// Word submissions through the server: points, the reasons for a rejection
// and their order, locks, the full board, and the submissions it ignores.

#include "server_support.h"

#include "board_support.h"

#include <QSignalSpy>
#include <QTest>

using namespace glyphon;
using namespace glyphon::test;

namespace {

QList<int> owners(const Board &board)
{
    QList<int> list;
    for (int p : tilePositions())
        list << board.cell(p).owner;
    return list;
}

// Two-letter words over the letters a to w, for a round of many words.
QStringList letterPairs()
{
    QStringList pairs;
    for (char a = 'a'; a <= 'w'; ++a) {
        for (char b = 'a'; b <= 'w'; ++b) {
            if (a != b)
                pairs << QString(QChar(a)) + QChar(b);
        }
    }
    return pairs;
}

} // namespace

class TstSubmit : public HostTestCase
{
    Q_OBJECT
public:
    TstSubmit() : HostTestCase(QStringList{"tea", "team", "eat", "tee", "ate"} + letterPairs()) {}

private slots:
    void init();
    void cleanup();

    void acceptedWordsScore_data();
    void acceptedWordsScore();
    void rejectionsInOrder_data();
    void rejectionsInOrder();
    void unusablePositionsAreNotAWord_data();
    void unusablePositionsAreNotAWord();
    void submissionsOutOfTurnAreIgnored_data();
    void submissionsOutOfTurnAreIgnored();
    void locksFollowTheBoard();
    void fullBoardEndsRound_data();
    void fullBoardEndsRound();
    void roundHoldsMoreThan500Words();

private:
    std::unique_ptr<ServerFixture> f;
    TestClient *bob = nullptr;
    TestClient *ann = nullptr;
};

void TstSubmit::init()
{
    f = std::make_unique<ServerFixture>();
    bob = f->player("Bob");
    ann = f->player("Ann");
    f->startGame(200, 30, bob);
    f->settle();
}

void TstSubmit::cleanup()
{
    f.reset();
}

void TstSubmit::acceptedWordsScore_data()
{
    QTest::addColumn<QString>("tiles"); // on a board of "x"s
    QTest::addColumn<QByteArray>("submission");
    QTest::addColumn<QByteArray>("hisword");
    QTest::newRow("free tiles, one bonus")
        << "11t 12e03 13a" << QByteArray("1+11+12+13") << QByteArray("CMD_hisword+1+TEA+5+5+11+12+13");
    QTest::newRow("values 0, 1, 3 and the other's 2")
        << "31t 25e01 66a03 14m22" << QByteArray("1+31+25+66+14") << QByteArray("CMD_hisword+1+TEAM+9+9+31+25+66+14");
    QTest::newRow("the other's value-4 tiles")
        << "11t24 12e24 13a" << QByteArray("1+11+12+13") << QByteArray("CMD_hisword+1+TEA+17+17+11+12+13");
    QTest::newRow("own tiles, one locked")
        << "11t14 12e1L 13a1" << QByteArray("1+11+12+13") << QByteArray("CMD_hisword+1+TEA+0+0+11+12+13");
}

void TstSubmit::acceptedWordsScore()
{
    QFETCH(QString, tiles);
    QFETCH(QByteArray, submission);
    QFETCH(QByteArray, hisword);
    TServer &s = f->server();
    s.board() = boardOf(tiles);
    bob->send("CMD_submitit", {submission});
    QCOMPARE(bob->next(), hisword);
    QCOMPARE(ann->next(), hisword);
    for (int p : positionsOf(tiles))
        QCOMPARE(s.board().cell(p).owner, 1);
    QCOMPARE(s.game().usedWords().size(), 1);
    // Accepted: the turn ends with the two-tick pause.
    QCOMPARE(s.game().pendingAction(), PaceAction::NextTurn);
    QCOMPARE(s.game().pauseTicks(), 2);
}

void TstSubmit::rejectionsInOrder_data()
{
    QTest::addColumn<QString>("tiles"); // on a board of "x"s
    QTest::addColumn<QByteArray>("submission");
    QTest::addColumn<QByteArray>("invalid");
    QTest::newRow("not a word") << "11t 12q 13a" << QByteArray("1+11+12+13") << QByteArray("CMD_invalid+1+1+tqa+");
    QTest::newRow("played this round") << "11t 12e 13a" << QByteArray("1+11+12+13")
                                       << QByteArray("CMD_invalid+1+2+tea+");
    QTest::newRow("locked tile before the dictionary")
        << "11q 12z 13t2L 14x" << QByteArray("1+11+12+13+14") << QByteArray("CMD_invalid+1+3+qz+");
    QTest::newRow("locked tile first") << "11t2L 12e 13a" << QByteArray("1+11+12+13") << QByteArray("CMD_invalid+1+3++");
    QTest::newRow("empty submission") << "" << QByteArray("1") << QByteArray("CMD_invalid+1+1++");
}

void TstSubmit::rejectionsInOrder()
{
    QFETCH(QString, tiles);
    QFETCH(QByteArray, submission);
    QFETCH(QByteArray, invalid);
    TServer &s = f->server();
    // "tea" played earlier in the round, then Bob's turn again.
    s.board() = boardOf("51t 52e 53a");
    bob->send("CMD_submitit", {"1", "51", "52", "53"});
    QVERIFY(!bob->waitFor("CMD_hisword+1+TEA").isEmpty());
    f->ticks(2 + 34 + 2);
    QCOMPARE(s.game().currentPlayer(), 1);
    f->settle();
    s.board() = boardOf(tiles);
    s.game().setScore(1, 7);
    const QList<int> before = owners(s.board());
    f->ticks(3);

    bob->send("CMD_submitit", {submission});
    QCOMPARE(bob->next(), invalid);
    QVERIFY(ann->sync().isEmpty()); // only the submitter hears of it
    QCOMPARE(owners(s.board()), before);
    QCOMPARE(s.game().score(1), 7);
    QCOMPARE(s.game().usedWords(), QStringList{"tea"});
    // The turn and its time go on; another word is still welcome.
    QCOMPARE(s.game().pendingAction(), PaceAction::TimeUp);
    QCOMPARE(s.game().pauseTicks(), 34 - 3);
    setTile(s.board(), 61, 'e');
    setTile(s.board(), 62, 'a');
    setTile(s.board(), 63, 't');
    bob->send("CMD_submitit", {"1", "61", "62", "63"});
    QCOMPARE(bob->waitFor("CMD_hisword+"), QByteArray("CMD_hisword+1+EAT+3+10+61+62+63"));
}

void TstSubmit::unusablePositionsAreNotAWord_data()
{
    QTest::addColumn<QByteArray>("submission");
    QTest::addColumn<QByteArray>("word");
    QTest::newRow("not a tile") << QByteArray("1+11+12+17") << QByteArray("te");
    QTest::newRow("beyond the board") << QByteArray("1+11+99") << QByteArray("t");
    QTest::newRow("index 0") << QByteArray("1+0+11") << QByteArray();
    QTest::newRow("negative") << QByteArray("1+11+-12") << QByteArray("t");
    QTest::newRow("huge") << QByteArray("1+11+4294967307") << QByteArray("t");
    QTest::newRow("not a number") << QByteArray("1+11+1e") << QByteArray("t");
    QTest::newRow("empty field") << QByteArray("1+11++12") << QByteArray("t");
    QTest::newRow("blank") << QByteArray("1+11+ 12") << QByteArray("t");
    QTest::newRow("a word, then a tile twice") << QByteArray("1+11+12+13+13") << QByteArray("tee");
    QByteArray many = "1";
    for (int i = 0; i < 21; ++i)
        many += '+' + QByteArray::number(tilePositions()[i]);
    QTest::newRow("21 tiles") << many << "tee" + QByteArray(17, 'x');
}

void TstSubmit::unusablePositionsAreNotAWord()
{
    QFETCH(QByteArray, submission);
    QFETCH(QByteArray, word);
    TServer &s = f->server();
    s.board() = boardOf("11t 12e 13e");
    bob->send("CMD_submitit", {submission});
    QCOMPARE(bob->next(), "CMD_invalid+1+1+" + word + '+');
    for (int p : tilePositions())
        QCOMPARE(s.board().cell(p).owner, 0);
    QVERIFY(s.game().usedWords().isEmpty());
}

void TstSubmit::submissionsOutOfTurnAreIgnored_data()
{
    QTest::addColumn<int>("sender");
    QTest::addColumn<QByteArray>("submission");
    QTest::addColumn<int>("situation"); // 0 Bob's turn, 1 pause after a word, 2 no game
    QTest::newRow("waiting player") << 2 << QByteArray("2+11+12+13") << 0;
    QTest::newRow("waiting player as seat 1") << 2 << QByteArray("1+11+12+13") << 0;
    QTest::newRow("spectator") << 3 << QByteArray("3+11+12+13") << 0;
    QTest::newRow("in the pause after a word") << 1 << QByteArray("1+11+12+13") << 1;
    QTest::newRow("no game") << 1 << QByteArray("1+11+12+13") << 2;
}

void TstSubmit::submissionsOutOfTurnAreIgnored()
{
    QFETCH(int, sender);
    QFETCH(QByteArray, submission);
    QFETCH(int, situation);
    TServer &s = f->server();
    TestClient *spy = f->player("Spy");
    QList<TestClient *> clients = {bob, ann, spy};
    s.board() = boardOf("11t 12e 13a 21e 22a 23t");
    if (situation == 1) {
        bob->send("CMD_submitit", {"1", "21", "22", "23"});
        QVERIFY(!bob->waitFor("CMD_hisword+1+EAT").isEmpty());
    } else if (situation == 2) {
        // Bob fills the board past the target: the game is won and over.
        for (int p : tilePositions())
            if (p < 21 || p > 23)
                s.board().cell(p).owner = 2;
        s.game().setScore(1, 500);
        bob->send("CMD_submitit", {"1", "21", "22", "23"});
        QVERIFY(!bob->waitFor("CMD_endround+").isEmpty());
        f->ticks(2);
        QVERIFY(!bob->waitFor("CMD_winner+").isEmpty());
        QVERIFY(!s.game().isOn());
        f->settle();
    }
    const QList<int> before = owners(s.board());
    const int score = s.game().score(sender);

    clients[sender - 1]->send("CMD_submitit", {submission});
    const QList<QByteArray> heard = clients[sender - 1]->sync();
    QVERIFY2(heard.isEmpty(), heard.join(' ').constData());
    QCOMPARE(owners(s.board()), before);
    QCOMPARE(s.game().score(sender), score);
}

void TstSubmit::locksFollowTheBoard()
{
    TServer &s = f->server();
    s.board() = boardOf("11t 12e 21a 31a 32t");
    bob->send("CMD_submitit", {"1", "11", "12", "21"});
    QCOMPARE(ann->next(), QByteArray("CMD_hisword+1+TEA+3+3+11+12+21"));
    QCOMPARE(ann->next(), QByteArray("CMD_lockthemup+11+1"));
    QCOMPARE(s.board().cell(11).locked, 1);
    f->ticks(2);
    QCOMPARE(ann->next(), QByteArray("CMD_nextplayer+2+"));

    // Ann takes 12, which was not locked: 11 is open again.
    ann->send("CMD_submitit", {"2", "12", "31", "32"});
    QCOMPARE(bob->waitFor("CMD_hisword+2+"), QByteArray("CMD_hisword+2+EAT+4+4+12+31+32"));
    QCOMPARE(bob->next(), QByteArray("CMD_lockthemup+11+0"));
    QCOMPARE(s.board().cell(11).locked, 0);
    f->ticks(2);

    // A word that changes no lock sends no CMD_lockthemup.
    setTile(s.board(), 51, 't');
    setTile(s.board(), 53, 'e');
    setTile(s.board(), 55, 'e');
    bob->send("CMD_submitit", {"1", "51", "53", "55"});
    QCOMPARE(bob->waitFor("CMD_hisword+"), QByteArray("CMD_hisword+1+TEE+3+6+51+53+55"));
    QVERIFY(bob->sync().isEmpty());
}

void TstSubmit::fullBoardEndsRound_data()
{
    QTest::addColumn<char>("elsewhere"); // a letter on a held tile
    QTest::addColumn<bool>("full");
    QTest::newRow("q left, no u") << 'x' << true;
    QTest::newRow("q left, u held") << 'u' << false;
}

void TstSubmit::fullBoardEndsRound()
{
    QFETCH(char, elsewhere);
    QFETCH(bool, full);
    TServer &s = f->server();
    s.board() = boardOf(QStringLiteral("11t 12e 13a 14q 66") + QLatin1Char(elsewhere));
    for (int p : tilePositions()) {
        if (p > 14)
            s.board().cell(p).owner = 2;
    }
    QSignalSpy ended(&s, &TServer::roundEnded);
    bob->send("CMD_submitit", {"1", "11", "12", "13"});
    QVERIFY(!bob->waitFor("CMD_hisword+").isEmpty());
    const QList<QByteArray> after = bob->sync();
    QCOMPARE(after.contains("CMD_endround+"), full);
    QCOMPARE(ended.count(), full ? 1 : 0);
    QCOMPARE(s.game().pendingAction(), full ? PaceAction::WinnerTest : PaceAction::NextTurn);
    QCOMPARE(s.game().pauseTicks(), 2);
}

void TstSubmit::roundHoldsMoreThan500Words()
{
    TServer &s = f->server();
    // Letters a to w on tiles 11 to 46 and 51; the rest stay free, so the
    // board never fills.
    s.board() = plainBoard('x');
    QHash<QChar, int> tileOf;
    int i = 0;
    for (char c = 'a'; c <= 'w'; ++c, ++i) {
        const int p = tilePositions()[i];
        setTile(s.board(), p, c);
        tileOf.insert(QChar(c), p);
    }
    QSignalSpy accepted(&s, &TServer::wordAccepted);
    QSignalSpy rejected(&s, &TServer::wordRejected);
    const QStringList words = letterPairs();
    for (const QString &w : words) {
        // Fresh tiles for every word, so that no lock gets in the way.
        for (int p : tilePositions())
            s.board().cell(p).owner = s.board().cell(p).locked = 0;
        const int seat = s.game().currentPlayer();
        s.submitit(seat, QByteArray::number(seat) + '+' + QByteArray::number(tileOf[w[0]]) + '+'
                             + QByteArray::number(tileOf[w[1]]));
        f->ticks(2);
    }
    QCOMPARE(accepted.count(), words.size());
    QVERIFY(words.size() > 500);
    QCOMPARE(s.game().usedWords(), words);
    // The first and the last word are both still known as played.
    for (const QString &w : {words.first(), words.last()}) {
        const int seat = s.game().currentPlayer();
        s.submitit(seat, QByteArray::number(seat) + '+' + QByteArray::number(tileOf[w[0]]) + '+'
                             + QByteArray::number(tileOf[w[1]]));
    }
    QCOMPARE(rejected.count(), 2);
    QCOMPARE(rejected.at(0).at(1).toInt(), int(RejectReason::AlreadyPlayed));
    QCOMPARE(rejected.at(1).at(1).toInt(), int(RejectReason::AlreadyPlayed));
}

QTEST_GUILESS_MAIN(TstSubmit)
#include "tst_submit.moc"
