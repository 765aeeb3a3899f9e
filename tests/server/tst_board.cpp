#include "server/board.h"

#include "board_support.h"

#include "dictionary/random.h"

#include <QtTest>
#include <algorithm>

using glyphon::Board;

using glyphon::test::plainBoard;
using glyphon::test::setTile;

class tst_Board : public QObject
{
    Q_OBJECT

private slots:
    void neighbourCounts_data();
    void neighbourCounts();
    void neighbourTableIsSymmetric();

    void scoring_data();
    void scoring();
    void lockedTileStopsReading();
    void ownLockedTileCanBeRead();
    void strayPositionsAreHarmless();

    void lockAndUnlock();
    void fullHoldingLocksEverything();

    void boardFull_data();
    void boardFull();

    void dealGivesFreshTiles();
    void dealValueDistribution();
};

void tst_Board::neighbourCounts_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QList<int>>("expected"); // above, below, left, right as present

    QTest::newRow("top-left corner") << 11 << QList<int>{21, 12};
    QTest::newRow("top-right corner") << 16 << QList<int>{26, 15};
    QTest::newRow("bottom-left corner") << 61 << QList<int>{51, 62};
    QTest::newRow("bottom-right corner") << 66 << QList<int>{56, 65};
    QTest::newRow("top edge") << 13 << QList<int>{23, 12, 14};
    QTest::newRow("left edge") << 31 << QList<int>{21, 41, 32};
    QTest::newRow("right edge") << 46 << QList<int>{36, 56, 45};
    QTest::newRow("bottom edge") << 64 << QList<int>{54, 63, 65};
    QTest::newRow("inner") << 33 << QList<int>{23, 43, 32, 34};
    QTest::newRow("inner next to edge") << 25 << QList<int>{15, 35, 24, 26};
}

void tst_Board::neighbourCounts()
{
    QFETCH(int, position);
    QFETCH(QList<int>, expected);
    const glyphon::NeighbourList &n = glyphon::neighbours()[position];
    QList<int> got;
    for (int q : n)
        if (q != 0)
            got << q;
    QCOMPARE(got, expected);
    // Present neighbours come first; the places left over hold 0.
    for (int i = int(expected.size()); i < 4; ++i)
        QCOMPARE(n[i], 0);
}

void tst_Board::neighbourTableIsSymmetric()
{
    const auto &table = glyphon::neighbours();
    int links = 0;
    for (int p = 0; p <= 66; ++p) {
        for (int q : table[p]) {
            if (q == 0)
                continue;
            QVERIFY2(glyphon::isTilePosition(p), qPrintable(QString::number(p)));
            QVERIFY(glyphon::isTilePosition(q));
            QVERIFY(std::count(table[q].begin(), table[q].end(), p) == 1);
            ++links;
        }
    }
    QCOMPARE(links, 2 * 60); // 6 rows and 6 columns of 5 adjacent pairs each
    QCOMPARE(glyphon::tilePositions().front(), 11);
    QCOMPARE(glyphon::tilePositions()[6], 21);
    QCOMPARE(glyphon::tilePositions().back(), 66);
}

void tst_Board::scoring_data()
{
    // Tiles are laid out from 11 onward as (letter, owner, value); seat 1 reads them.
    QTest::addColumn<QString>("letters");
    QTest::addColumn<QList<int>>("owners");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<int>("points");

    QTest::newRow("free 0, 1, 3 and opponent's 2")
        << "word" << QList<int>{0, 0, 0, 2} << QList<int>{0, 1, 3, 2} << 9;
    QTest::newRow("opponent's value-4 tiles score 8 each")
        << "zoo" << QList<int>{2, 2, 0} << QList<int>{4, 4, 0} << 17;
    QTest::newRow("own tiles score nothing, bonus or not")
        << "cat" << QList<int>{1, 1, 1} << QList<int>{4, 0, 2} << 0;
    QTest::newRow("opponent's plain tiles score 2")
        << "dog" << QList<int>{2, 2, 1} << QList<int>{0, 1, 3} << 4;
}

void tst_Board::scoring()
{
    QFETCH(QString, letters);
    QFETCH(QList<int>, owners);
    QFETCH(QList<int>, values);
    QFETCH(int, points);

    Board b = plainBoard();
    QList<int> positions;
    for (int i = 0; i < letters.size(); ++i) {
        const int p = glyphon::tilePositions()[i];
        setTile(b, p, char(letters.at(i).unicode()), owners.at(i), values.at(i));
        positions << p;
    }
    const Board::Reading r = b.read(1, positions);
    QCOMPARE(r.outcome, Board::Reading::Ok);
    QCOMPARE(r.word, letters);
    QCOMPARE(r.points, points);
}

void tst_Board::lockedTileStopsReading()
{
    Board b = plainBoard();
    setTile(b, 11, 'q', 0, 4);
    setTile(b, 35, 'z', 1);
    setTile(b, 22, 'k', 2, 0, 1); // seat 2's locked tile
    setTile(b, 46, 'e', 2, 0, 1);

    // Stops at the first locked tile of the other player, with the letters before it,
    // whatever the word would have been.
    Board::Reading r = b.read(1, {11, 35, 22, 46});
    QCOMPARE(r.outcome, Board::Reading::Locked);
    QCOMPARE(r.word, QStringLiteral("qz"));

    r = b.read(1, {22, 11});
    QCOMPARE(r.outcome, Board::Reading::Locked);
    QCOMPARE(r.word, QString());
}

void tst_Board::ownLockedTileCanBeRead()
{
    Board b = plainBoard();
    setTile(b, 11, 'o', 2, 3, 1);
    setTile(b, 12, 'x', 0, 2);
    const Board::Reading r = b.read(2, {12, 11});
    QCOMPARE(r.outcome, Board::Reading::Ok);
    QCOMPARE(r.word, QStringLiteral("xo"));
    QCOMPARE(r.points, 2);
}

void tst_Board::strayPositionsAreHarmless()
{
    // The server vets positions from the wire; the board must still not index
    // outside itself if one slips through.
    Board b = plainBoard('a');
    const Board::Reading r = b.read(1, {-5, 0, 10, 17, 67, 1000, 11});
    QCOMPARE(r.word, QStringLiteral("a"));
    QCOMPARE(r.points, 1);
    b.take(1, {-5, 67, 70, 12});
    QCOMPARE(b.cell(12).owner, 1);
    QCOMPARE(b.pointsFor(1, 99), 0);
}

void tst_Board::lockAndUnlock()
{
    using Changes = QList<QPair<int, int>>;
    Board b = plainBoard();
    b.take(1, {11, 12, 21});
    QCOMPARE(b.lockthemup(), (Changes{{11, 1}}));
    QCOMPARE(b.cell(11).locked, 1);
    QCOMPARE(b.lockthemup(), Changes{}); // nothing changed since

    // 12 is not locked (13 and 22 are free), so seat 2 can take it.
    QCOMPARE(b.cell(12).locked, 0);
    QCOMPARE(b.read(2, {12}).outcome, Board::Reading::Ok);
    b.take(2, {12});
    QCOMPARE(b.lockthemup(), (Changes{{11, 0}}));
    QCOMPARE(b.cell(11).locked, 0);
    QCOMPARE(b.checkforsurround(11, 1), 0);
    QCOMPARE(b.checkforsurround(12, 2), 0);
}

void tst_Board::fullHoldingLocksEverything()
{
    Board b = plainBoard();
    QList<int> all(glyphon::tilePositions().begin(), glyphon::tilePositions().end());
    b.take(2, all);
    const QList<QPair<int, int>> changes = b.lockthemup();
    QCOMPARE(changes.size(), 36);
    for (int i = 0; i < 36; ++i) // reported in board order
        QCOMPARE(changes.at(i), qMakePair(glyphon::tilePositions()[i], 1));

    // One tile of the other seat unlocks its neighbours, and only those;
    // the newcomer is not locked (its neighbours are not its holder's).
    b.take(1, {33});
    const QList<QPair<int, int>> after = b.lockthemup();
    QCOMPARE(after, (QList<QPair<int, int>>{{23, 0}, {32, 0}, {33, 0}, {34, 0}, {43, 0}}));
}

void tst_Board::boardFull_data()
{
    QTest::addColumn<QString>("unheld"); // letters of the tiles nobody holds
    QTest::addColumn<bool>("uOnBoard");  // whether a held tile carries "u"
    QTest::addColumn<bool>("full");

    QTest::newRow("all held, no u") << "" << false << true;
    QTest::newRow("all held, with u") << "" << true << true;
    QTest::newRow("only a q free, no u") << "q" << false << true;
    QTest::newRow("several q free, no u") << "qqq" << false << true;
    QTest::newRow("only a q free, u elsewhere") << "q" << true << false;
    QTest::newRow("q and the u itself free") << "qu" << false << false;
    QTest::newRow("one plain tile free") << "e" << false << false;
    QTest::newRow("q and a plain tile free") << "qe" << false << false;
}

void tst_Board::boardFull()
{
    QFETCH(QString, unheld);
    QFETCH(bool, uOnBoard);
    QFETCH(bool, full);

    Board b = plainBoard('e');
    for (int p : glyphon::tilePositions())
        b.cell(p).owner = p % 2 + 1;
    if (uOnBoard)
        setTile(b, 66, 'u', 1);
    for (int i = 0; i < unheld.size(); ++i)
        setTile(b, glyphon::tilePositions()[i], char(unheld.at(i).unicode()), 0);
    QCOMPARE(b.checkforfull(), full);
}

void tst_Board::dealGivesFreshTiles()
{
    glyphon::seedRandom(7);
    Board b = plainBoard();
    b.take(1, {11, 12, 21});
    b.lockthemup();
    b.cell(5).owner = 2; // rubbish on a non-tile index goes too

    const QList<int> list = b.deal();
    QCOMPARE(list.size(), 3 * 36);
    for (int i = 0; i < 36; ++i) {
        const int p = glyphon::tilePositions()[i];
        const glyphon::TCell &c = b.cell(p);
        QCOMPARE(list.at(3 * i), p);
        QCOMPARE(list.at(3 * i + 1), c.letter);
        QCOMPARE(list.at(3 * i + 2), c.value);
        QCOMPARE(c.owner, 0);
        QCOMPARE(c.locked, 0);
        QVERIFY(c.letter >= 1 && c.letter <= 26);
        QVERIFY(c.value >= 0 && c.value <= 4);
    }
    for (int p = 0; p <= 66; ++p) {
        if (glyphon::isTilePosition(p))
            continue;
        QCOMPARE(b.cell(p).owner, -1);
        QCOMPARE(b.cell(p).letter, 0);
    }
    QVERIFY(!b.checkforfull());
}

void tst_Board::dealValueDistribution()
{
    glyphon::seedRandom(20240611);
    std::array<int, 5> values{};
    std::array<int, 27> letters{};
    Board b;
    const int deals = 3000;
    for (int d = 0; d < deals; ++d) {
        b.deal();
        for (int p : glyphon::tilePositions()) {
            ++values[b.cell(p).value];
            ++letters[b.cell(p).letter];
        }
    }
    const double tiles = 36.0 * deals;
    QVERIFY2(qAbs(values[0] / tiles - 0.84) < 0.006, qPrintable(QString::number(values[0] / tiles)));
    for (int v = 1; v <= 4; ++v)
        QVERIFY2(qAbs(values[v] / tiles - 0.04) < 0.003, qPrintable(QString::number(values[v] / tiles)));
    // The dice: "e" on five faces of sixty, "q" on one.
    QVERIFY(qAbs(letters['e' - 'a' + 1] / tiles - 5.0 / 60) < 0.004);
    QVERIFY(qAbs(letters['q' - 'a' + 1] / tiles - 1.0 / 60) < 0.002);
}

QTEST_APPLESS_MAIN(tst_Board)
#include "tst_board.moc"
