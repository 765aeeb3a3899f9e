#include "core/board.h"

#include "board_support.h"
#include "dictionary/random.h"

#include <QtTest>

using glyphon::Board;
using glyphon::test::plainBoard;
using glyphon::test::setTile;
using Changes = QList<QPair<int, int>>;

class tst_Board : public QObject
{
    Q_OBJECT

private slots:
    void neighbours_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QList<int>>("expected"); // above, below, left, right as present
        QTest::newRow("corner") << 11 << QList<int>{21, 12};
        QTest::newRow("opposite corner") << 66 << QList<int>{56, 65};
        QTest::newRow("edge") << 31 << QList<int>{21, 41, 32};
        QTest::newRow("bottom edge") << 64 << QList<int>{54, 63, 65};
        QTest::newRow("inner") << 25 << QList<int>{15, 35, 24, 26};
    }
    void neighbours()
    {
        QFETCH(int, position);
        QFETCH(QList<int>, expected);
        const glyphon::NeighbourList &n = glyphon::neighbours()[position];
        expected.resize(4, 0); // the places left over hold 0
        QCOMPARE(QList<int>(n.begin(), n.end()), expected);
    }

    void scoring_data()
    {
        // Tiles from 11 onward as letter, owner, value; seat 1 reads them.
        QTest::addColumn<QString>("letters");
        QTest::addColumn<QList<int>>("owners");
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<int>("points");
        QTest::newRow("free 0, 1, 3 and opponent's 2") << "word" << QList<int>{0, 0, 0, 2} << QList<int>{0, 1, 3, 2} << 9;
        QTest::newRow("opponent's value 4 twice") << "zoo" << QList<int>{2, 2, 0} << QList<int>{4, 4, 0} << 17;
        QTest::newRow("own tiles, bonus or not") << "cat" << QList<int>{1, 1, 1} << QList<int>{4, 0, 2} << 0;
    }
    void scoring()
    {
        QFETCH(QString, letters);
        QFETCH(QList<int>, owners);
        QFETCH(QList<int>, values);
        QFETCH(int, points);
        Board b = plainBoard();
        QList<int> positions;
        for (int i = 0; i < letters.size(); ++i) {
            positions << glyphon::tilePositions()[i];
            setTile(b, positions.last(), char(letters.at(i).unicode()), owners.at(i), values.at(i));
        }
        const Board::Reading r = b.read(1, positions);
        QCOMPARE(r.outcome, Board::Reading::Ok);
        QCOMPARE(r.word, letters);
        QCOMPARE(r.points, points);
    }

    void lockedTiles()
    {
        Board b = plainBoard();
        setTile(b, 11, 'q', 0, 4);
        setTile(b, 35, 'z', 1);
        setTile(b, 22, 'k', 2, 0, 1); // seat 2's, locked
        // Seat 1 stops at it with the letters before it, whatever the word.
        Board::Reading r = b.read(1, {11, 35, 22, 46});
        QCOMPARE(r.outcome, Board::Reading::Locked);
        QCOMPARE(r.word, QStringLiteral("qz"));
        // Its holder may use it, for nothing.
        r = b.read(2, {22, 11});
        QCOMPARE(r.outcome, Board::Reading::Ok);
        QCOMPARE(r.word, QStringLiteral("kq"));
        QCOMPARE(r.points, 4);
        // Stray indices from the wire must not reach outside the table.
        r = b.read(1, {-5, 0, 17, 67, 1000, 35});
        QCOMPARE(r.word, QStringLiteral("z"));
        b.take(1, {-5, 70, 12});
        QCOMPARE(b.cell(12).owner, 1);
    }

    void lockAndUnlock()
    {
        Board b = plainBoard();
        b.take(1, {11, 12, 21});
        QCOMPARE(b.lockthemup(), (Changes{{11, 1}}));
        QCOMPARE(b.lockthemup(), Changes{});
        QCOMPARE(b.read(2, {12}).outcome, Board::Reading::Ok); // 12 itself is not locked
        b.take(2, {12});
        QCOMPARE(b.lockthemup(), (Changes{{11, 0}}));

        // A whole board locks; one tile of the other seat unlocks itself and
        // its neighbours, reported in board order.
        QList<int> all(glyphon::tilePositions().begin(), glyphon::tilePositions().end());
        b.take(2, all);
        QCOMPARE(b.lockthemup().size(), 36);
        b.take(1, {33});
        QCOMPARE(b.lockthemup(), (Changes{{23, 0}, {32, 0}, {33, 0}, {34, 0}, {43, 0}}));
    }

    void boardFull_data()
    {
        QTest::addColumn<QString>("unheld"); // letters of the tiles nobody holds
        QTest::addColumn<bool>("heldU");     // a held tile carries "u"
        QTest::addColumn<bool>("full");
        QTest::newRow("all held") << "" << false << true;
        QTest::newRow("q free, no u") << "qq" << false << true;
        QTest::newRow("q free, u held") << "q" << true << false;
        QTest::newRow("q and u free") << "qu" << false << false;
        QTest::newRow("q and another free") << "qe" << false << false;
    }
    void boardFull()
    {
        QFETCH(QString, unheld);
        QFETCH(bool, heldU);
        QFETCH(bool, full);
        Board b = plainBoard('e');
        for (int p : glyphon::tilePositions())
            b.cell(p).owner = p % 2 + 1;
        if (heldU)
            setTile(b, 66, 'u', 1);
        for (int i = 0; i < unheld.size(); ++i)
            setTile(b, glyphon::tilePositions()[i], char(unheld.at(i).unicode()), 0);
        QCOMPARE(b.checkforfull(), full);
    }

    void deal()
    {
        std::mt19937 random(20240611);
        Board b = plainBoard();
        b.take(1, {11, 12, 21});
        b.lockthemup();
        std::array<int, 5> values{};
        const int deals = 3000;
        for (int d = 0; d < deals; ++d) {
            const QList<int> list = b.deal(random);
            QCOMPARE(list.size(), 3 * 36);
            for (int i = 0; i < 36; ++i) {
                const glyphon::TCell &c = b.cell(list.at(3 * i));
                QCOMPARE(list.at(3 * i), glyphon::tilePositions()[i]);
                QCOMPARE(list.mid(3 * i + 1, 2), (QList<int>{c.letter, c.value}));
                QVERIFY(c.owner == 0 && c.locked == 0 && c.letter >= 1 && c.letter <= 26);
                ++values[c.value];
            }
        }
        QCOMPARE(b.cell(17).owner, -1);
        QCOMPARE(b.cell(17).letter, 0);
        const double tiles = 36.0 * deals;
        QVERIFY2(qAbs(values[0] / tiles - 0.84) < 0.006, qPrintable(QString::number(values[0] / tiles)));
        for (int v = 1; v <= 4; ++v)
            QVERIFY2(qAbs(values[v] / tiles - 0.04) < 0.003, qPrintable(QString::number(values[v] / tiles)));
    }
};

QTEST_APPLESS_MAIN(tst_Board)
#include "tst_board.moc"
