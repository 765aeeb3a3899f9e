#include "board/boardscale.h"

#include <QTest>
#include <QWidget>

#include <cmath>

using namespace glyphon::boardscale;

// The board panel's one factor and the places it gives its controls.
class tst_BoardScale : public QObject
{
    Q_OBJECT

private slots:
    void factorFromSize_data()
    {
        QTest::addColumn<QSize>("panel");
        QTest::addColumn<qreal>("factor");
        QTest::newRow("the design size is factor 1") << Design << 1.0;
        QTest::newRow("wider than the design: the height rules") << QSize(1800, 1052) << 2.0;
        QTest::newRow("taller than the design: the width rules") << QSize(1146, 1400) << 1.5;
        QTest::newRow("a little wider only stays 1") << QSize(900, 526) << 1.0;
        QTest::newRow("below the smallest is held at it") << QSize(300, 200) << Smallest;
        QTest::newRow("an empty panel") << QSize(0, 0) << Smallest;
        QTest::newRow("beyond any screen is held") << QSize(100000, 100000) << Largest;
    }

    void factorFromSize()
    {
        QFETCH(QSize, panel);
        QFETCH(qreal, factor);
        QCOMPARE(factorFor(panel), factor);
    }

    void smallestSize()
    {
        // A tile of 32 pixels, and a window that fits 960 x 540 logical
        // pixels with a title bar, a menu bar and a task bar.
        QCOMPARE(smallestPanel(), QSize(556, 383));
        QCOMPARE(place(tileCell(1, 1), factorFor(smallestPanel()), Design, smallestPanel()).size(), QSize(32, 32));
        QVERIFY(smallestPanel().width() + 4 <= 940 && smallestPanel().height() + 4 + 30 <= 480);
    }

    void places_data()
    {
        QTest::addColumn<QRect>("design");
        QTest::addColumn<QSize>("panel");
        QTest::addColumn<int>("room");
        QTest::addColumn<QRect>("placed");
        const QRect frame(389, 255, 366, 243);
        const QRect input(390, 500, 336, 22);
        const QRect smileys(730, 502, 25, 19);
        const int chat = KeepRight | KeepBottom;
        QTest::newRow("design size: a scaled control stays") << QRect(10, 402, 369, 34) << Design << 0 << QRect(10, 402, 369, 34);
        QTest::newRow("design size: the chat frame stays") << frame << Design << chat << frame;
        QTest::newRow("design size: the input stays") << input << Design << (chat | KeepHeight) << input;
        QTest::newRow("design size: the smiley stays")
            << smileys << Design << (chat | KeepWidth | KeepHeight) << smileys;
        QTest::newRow("doubled: a scaled control doubles")
            << QRect(10, 402, 369, 34) << QSize(1528, 1052) << 0 << QRect(20, 804, 738, 68);
        QTest::newRow("wider: the frame takes the width left over")
            << frame << QSize(1800, 1052) << chat << QRect(778, 510, 1800 - 9 - 778, 1052 - 28 - 510);
        QTest::newRow("wider: the input keeps its height at the bottom")
            << input << QSize(1800, 1052) << (chat | KeepHeight) << QRect(780, 1052 - 4 - 22, 1800 - 38 - 780, 22);
        QTest::newRow("wider: the smiley keeps its size in the corner")
            << smileys << QSize(1800, 1052) << (chat | KeepWidth | KeepHeight) << QRect(1800 - 34, 1052 - 24, 25, 19);
        QTest::newRow("doubled: a panel of its own size keeps its centre")
            << QRect(0, 0, 580, 340) << QSize(1528, 1052) << int(KeepWidth | KeepHeight) << QRect(290, 170, 580, 340);
        QTest::newRow("smallest: a panel of its own size stays inside")
            << QRect(0, 0, 580, 340) << QSize(556, 383) << int(KeepWidth | KeepHeight) << QRect(0, 0, 556, 340);
        QTest::newRow("smallest: the frame still ends above the input")
            << frame << QSize(556, 383) << chat
            << QRect(283, 186, 556 - 9 - 283, 383 - 28 - 186);
    }

    void places()
    {
        QFETCH(QRect, design);
        QFETCH(QSize, panel);
        QFETCH(int, room);
        QFETCH(QRect, placed);
        QCOMPARE(place(design, factorFor(panel), Design, panel, Rooms(room)), placed);
    }

    // The two cards take the width a wider panel leaves, both alike; a
    // panel of the design's shape keeps them where the factor puts them.
    void cardsShareTheWidth_data()
    {
        QTest::addColumn<QSize>("panel");
        QTest::addColumn<QRect>("first");
        QTest::addColumn<QRect>("second");
        QTest::newRow("design size: both stay") << Design << QRect(389, 38, 168, 28) << QRect(587, 38, 168, 28);
        QTest::newRow("doubled at the design's shape: scaled only")
            << QSize(1528, 1052) << QRect(778, 76, 336, 56) << QRect(1174, 76, 336, 56);
        QTest::newRow("taller than the design: scaled only")
            << QSize(1146, 1400) << QRect(584, 57, 252, 42) << QRect(881, 57, 252, 42);
        QTest::newRow("a little wider: the second reaches the chat's right edge")
            << QSize(900, 526) << QRect(389, 38, 168 + 68, 28) << QRect(587 + 68, 38, 168 + 68, 28);
    }

    void cardsShareTheWidth()
    {
        QFETCH(QSize, panel);
        QFETCH(QRect, first);
        QFETCH(QRect, second);
        const qreal factor = factorFor(panel);
        QCOMPARE(place(QRect(389, 38, 168, 28), factor, Design, panel, CardWide), first);
        QCOMPARE(place(QRect(587, 38, 168, 28), factor, Design, panel, CardWide | SecondCard), second);
    }

    void maximisedCardsFillTheRow_data()
    {
        QTest::addColumn<QSize>("panel");
        QTest::newRow("maximised at 1920 x 1080") << QSize(1916, 1020);
        QTest::newRow("maximised at 960 x 540") << QSize(956, 496);
        QTest::newRow("an odd factor") << QSize(1301, 689);
    }

    void maximisedCardsFillTheRow()
    {
        QFETCH(QSize, panel);
        const qreal factor = factorFor(panel);
        const QRect list1 = place(QRect(389, 70, 168, 154), factor, Design, panel, CardWide);
        const QRect list2 = place(QRect(587, 70, 168, 154), factor, Design, panel, CardWide | SecondCard);
        const QRect eyes2 = place(QRect(592, 47, 23, 10), factor, Design, panel, SecondCard);
        const QRect chat = place(QRect(389, 255, 366, 243), factor, Design, panel, KeepRight | KeepBottom);
        QCOMPARE(list1.width(), list2.width());
        QCOMPARE(list1.left(), chat.left());
        QVERIFY2(qAbs(list2.right() - chat.right()) <= 2, qPrintable(QString::number(list2.right() - chat.right())));
        QVERIFY(list2.left() > list1.right());
        // What lies on a card keeps its place on it and its size.
        QCOMPARE(eyes2.left() - list2.left(), int(std::lround(592 * factor)) - int(std::lround(587 * factor)));
        QCOMPARE(eyes2.size(), place(QRect(592, 47, 23, 10), factor, Design, panel).size());
    }

    // Widening the panel at one factor moves the cards and fits their
    // labels again, though nothing else is placed anew.
    void wideningMovesTheCards()
    {
        QWidget panel;
        panel.resize(Design);
        auto *tile = new QWidget(&panel);
        tile->setGeometry(tileCell(1, 1));
        auto *list = new QWidget(&panel);
        list->setGeometry(587, 70, 168, 154);
        glyphon::ScaledLayout scaling;
        scaling.add(tile);
        scaling.add(list, CardWide | SecondCard);
        int fitted = 0;
        scaling.setAfterRescale([&fitted] { ++fitted; });
        const auto resize = [&](QSize size) {
            panel.resize(size);
            scaling.apply(size);
        };
        resize(QSize(1600, 1052));
        QCOMPARE(fitted, 1);
        const QRect tileAt = tile->geometry();
        resize(QSize(1801, 1052));
        QCOMPARE(fitted, 2);
        QCOMPARE(tile->geometry(), tileAt);
        QCOMPARE(list->geometry().right(), 1801 - 10);
        resize(QSize(1801, 1052)); // nothing changed: nothing is fitted again
        QCOMPARE(fitted, 2);
    }

    void tilesKeepApartAndInside_data()
    {
        QTest::addColumn<QSize>("panel");
        QTest::newRow("smallest") << smallestPanel();
        QTest::newRow("a window of 774 x 574") << QSize(770, 551);
        QTest::newRow("maximised on 1600 x 1000") << QSize(1596, 958);
        QTest::newRow("maximised at 960 x 540") << QSize(956, 496);
        QTest::newRow("an odd factor") << QSize(1001, 689);
    }

    void tilesKeepApartAndInside()
    {
        QFETCH(QSize, panel);
        const qreal factor = factorFor(panel);
        const QRect tray = place(QRect(40, 58, 309, 314), factor, Design, panel);
        QList<QRect> tiles;
        for (int row = 1; row <= 6; ++row)
            for (int column = 1; column <= 6; ++column)
                tiles << place(tileCell(row, column), factor, Design, panel);
        for (const QRect &tile : tiles) {
            QCOMPARE(tile.size(), tiles.first().size()); // one picture size for the whole board
            QVERIFY(tile.width() >= 32);
            QVERIFY2(tray.contains(tile), qPrintable(QStringLiteral("%1,%2").arg(tile.x()).arg(tile.y())));
            for (const QRect &other : tiles)
                QVERIFY(&other == &tile || !other.intersects(tile));
        }
    }
};

QTEST_MAIN(tst_BoardScale)
#include "tst_boardscale.moc"
