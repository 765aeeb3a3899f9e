#include "board/keyboardpicker.h"

#include "board_support.h"

#include <QTest>

using glyphon::BoardTiles;
using glyphon::test::tilesOf;

class tst_KeyboardPicker : public QObject
{
    Q_OBJECT

private slots:
    void picks_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QList<int>>("chosen");
        QTest::addColumn<QString>("letter");
        QTest::addColumn<int>("myseat");
        QTest::addColumn<int>("expected");

        QTest::newRow("unheld beats opponent and own found earlier")
                << "11a1 12a2 55a0" << QList<int>{} << "a" << 1 << 55;
        QTest::newRow("opponent beats own")
                << "11a1 64a2" << QList<int>{} << "a" << 1 << 64;
        QTest::newRow("opponent of seat 2 is seat 1")
                << "11a2 64a1" << QList<int>{} << "a" << 2 << 64;
        QTest::newRow("own when nothing else")
                << "36e1" << QList<int>{} << "e" << 1 << 36;
        QTest::newRow("board order among equals")
                << "45k0 21k0 16k0" << QList<int>{} << "k" << 1 << 16;
        QTest::newRow("free bonus tile beats earlier plain free")
                << "11a0 12a02 45a04 46a03" << QList<int>{} << "a" << 1 << 45;
        QTest::newRow("free plain beats opponent's bonus")
                << "11a24 66a0" << QList<int>{} << "a" << 1 << 66;
        QTest::newRow("opponent's bonus beats opponent's plain")
                << "11a2 12a23" << QList<int>{} << "a" << 1 << 12;
        QTest::newRow("values 0 and 1 worth the same")
                << "11a0 12a01" << QList<int>{} << "a" << 1 << 11;
        QTest::newRow("chosen bonus tile falls back to next best")
                << "11a0 12a04 13a02" << QList<int>{12} << "a" << 1 << 13;
        QTest::newRow("chosen tiles skipped")
                << "11a0 12a0 13a2" << QList<int>{11, 12} << "a" << 1 << 13;
        QTest::newRow("every match chosen")
                << "11a0 12a0" << QList<int>{12, 11} << "a" << 1 << 0;
        QTest::newRow("opponent's locked tile never")
                << "11q2L" << QList<int>{} << "q" << 1 << 0;
        QTest::newRow("opponent's locked passed over for own")
                << "11q2L 66q1" << QList<int>{} << "q" << 1 << 66;
        QTest::newRow("own locked tile allowed")
                << "11q1L" << QList<int>{} << "q" << 1 << 11;
        QTest::newRow("own locked tile allowed for seat 2")
                << "11q1L 22q2L" << QList<int>{} << "q" << 2 << 22;
        QTest::newRow("capital input")
                << "33m0" << QList<int>{} << "M" << 1 << 33;
        QTest::newRow("no such letter on the board")
                << "" << QList<int>{} << "j" << 1 << 0;
        QTest::newRow("not a letter")
                << "11a0" << QList<int>{} << "1" << 1 << 0;
    }

    void picks()
    {
        QFETCH(QString, setup);
        QFETCH(QList<int>, chosen);
        QFETCH(QString, letter);
        QFETCH(int, myseat);
        QFETCH(int, expected);
        QCOMPARE(glyphon::pickTileForLetter(tilesOf(setup), chosen, letter.at(0), myseat), expected);
    }

    // Typing a word letter by letter takes distinct tiles for repeated letters.
    void spellsWordWithRepeats()
    {
        const BoardTiles tiles = tilesOf("11o0 12o2 13o1 14f0");
        QList<int> chosen;
        for (QChar ch : QStringLiteral("ooof"))
            chosen.append(glyphon::pickTileForLetter(tiles, chosen, ch, 1));
        QCOMPARE(chosen, (QList<int>{11, 12, 13, 14}));
        QCOMPARE(glyphon::pickTileForLetter(tiles, chosen, u'o', 1), 0);
    }
};

QTEST_APPLESS_MAIN(tst_KeyboardPicker)
#include "tst_keyboardpicker.moc"
