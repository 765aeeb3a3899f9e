#include "artwork/tilepainter.h"

#include <QTest>

using glyphon::BoardTile;
using glyphon::TilePainter;

namespace {

// The pictures of the copy under test.
glyphon::TileArt art;

QImage image(const BoardTile &tile, int slot, qreal dpr = 1)
{
    return art.drawtile(tile, slot, dpr).toImage();
}

// Sum of channel differences; pictures differ "clearly" when this is large.
int distance(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b))
            + qAbs(qAlpha(a) - qAlpha(b));
}

// Where the lock frame runs: the left edge, halfway down.
const QPoint FramePoint(3, 22);
// Plain background: low on the left, clear of letter, mark and frame.
const QPoint BackPoint(8, 38);

} // namespace

class tst_TilePainter : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { art.setArtwork(nullptr); }
    void cleanupTestCase() { art.setArtwork(nullptr); }

    void pixmapSize_data()
    {
        QTest::addColumn<qreal>("dpr");
        QTest::addColumn<int>("device");
        QTest::newRow("1") << 1.0 << 44;
        QTest::newRow("2") << 2.0 << 88;
        QTest::newRow("1.5") << 1.5 << 66;
        QTest::newRow("1.25 rounds up") << 1.25 << 55;
        QTest::newRow("nonsense ratio") << 0.0 << 44;
    }
    void pixmapSize()
    {
        QFETCH(qreal, dpr);
        QFETCH(int, device);
        const QPixmap pixmap = art.drawtile({1, 5, 1, 1}, 1, dpr);
        QCOMPARE(pixmap.size(), QSize(device, device));
        QCOMPARE(pixmap.deviceIndependentSize().toSize(), QSize(44, 44));
    }

    void slotBackgrounds()
    {
        const QRgb neutral = image({}, 0).pixel(BackPoint);
        const QRgb own = image({}, 1).pixel(BackPoint);
        const QRgb other = image({}, 2).pixel(BackPoint);
        QVERIFY(distance(neutral, own) > 60);
        QVERIFY(distance(neutral, other) > 60);
        QVERIFY(distance(own, other) > 60);
        // Own light, other dark, neutral between: swapping them would mislead players.
        QVERIFY(qGray(own) > qGray(neutral));
        QVERIFY(qGray(neutral) > qGray(other));
        QVERIFY(qBlue(neutral) > qRed(neutral));
    }

    void layers()
    {
        const QImage blank = image({}, 1);
        const QImage lettered = image({0, 1, 0, 0}, 1);
        QVERIFY(blank != lettered);
        // The letter contrasts with each background.
        for (int slot = 0; slot <= 2; ++slot) {
            const QImage back = image({}, slot);
            const QImage letterO = image({0, 15, 0, 0}, slot);
            bool found = false;
            for (int y = 10; y < 30 && !found; ++y)
                found = distance(letterO.pixel(22, y), back.pixel(22, y)) > 150;
            QVERIFY2(found, qPrintable(QStringLiteral("slot %1").arg(slot)));
        }
        QVERIFY(image({0, 0, 0, 0}, 1) == blank);
        // Every value mark is its own picture; value 0 has none.
        QList<QImage> marks;
        for (int value = 0; value <= 4; ++value)
            marks.append(image({value, 5, 0, 0}, 1));
        for (int a = 0; a < marks.size(); ++a)
            for (int b = a + 1; b < marks.size(); ++b)
                QVERIFY2(marks[a] != marks[b], qPrintable(QStringLiteral("%1 %2").arg(a).arg(b)));
        // Out-of-range data draws as nothing rather than garbage.
        QCOMPARE(image({7, 30, 0, 0}, 1), blank);
    }

    void lockFrame()
    {
        for (const qreal dpr : {1.0, 2.0}) {
            const QPoint at = FramePoint * dpr;
            const QImage ownOpen = image({0, 3, 0, 1}, 1, dpr);
            const QImage ownLocked = image({0, 3, 1, 1}, 1, dpr);
            const QImage otherOpen = image({0, 3, 0, 2}, 2, dpr);
            const QImage otherLocked = image({0, 3, 1, 2}, 2, dpr);
            QVERIFY(distance(ownOpen.pixel(at), ownLocked.pixel(at)) > 60);
            QVERIFY(distance(otherOpen.pixel(at), otherLocked.pixel(at)) > 60);
            // Dark frame on the light tile, light frame on the dark one.
            QVERIFY(qGray(ownLocked.pixel(at)) < qGray(ownOpen.pixel(at)));
            QVERIFY(qGray(otherLocked.pixel(at)) > qGray(otherOpen.pixel(at)));
        }
        // The slot decides the frame, not the owner: a neutral tile has none.
        QCOMPARE(image({0, 3, 1, 0}, 0), image({0, 3, 0, 0}, 0));
    }

    void viewcolour_data()
    {
        QTest::addColumn<int>("myseat");
        QTest::addColumn<int>("seat");
        QTest::addColumn<int>("slot");
        QTest::newRow("seat 1 sees nobody") << 1 << 0 << 0;
        QTest::newRow("seat 1 sees itself") << 1 << 1 << 1;
        QTest::newRow("seat 1 sees seat 2") << 1 << 2 << 2;
        QTest::newRow("seat 2 sees nobody") << 2 << 0 << 0;
        QTest::newRow("seat 2 sees itself") << 2 << 2 << 1;
        QTest::newRow("seat 2 sees seat 1") << 2 << 1 << 2;
        QTest::newRow("spectator sees nobody") << 5 << 0 << 0;
        QTest::newRow("spectator sees seat 1") << 5 << 1 << 1;
        QTest::newRow("spectator sees seat 2") << 5 << 2 << 2;
    }
    void viewcolour()
    {
        QFETCH(int, myseat);
        QFETCH(int, seat);
        QFETCH(int, slot);
        QCOMPARE(glyphon::viewcolour(seat, myseat), slot);
    }

    void cache()
    {
        const BoardTile tile{2, 7, 1, 2};
        const QPixmap first = art.drawtile(tile, 2, 1);
        QCOMPARE(art.drawtile(tile, 2, 1).cacheKey(), first.cacheKey());
        // The owner field only matters through the slot.
        QCOMPARE(art.drawtile({2, 7, 1, 1}, 2, 1).cacheKey(), first.cacheKey());
        QVERIFY(art.drawtile(tile, 2, 2).cacheKey() != first.cacheKey());
        QVERIFY(art.drawtile(tile, 1, 1).cacheKey() != first.cacheKey());
        // A scaled board asks for another size: never the kept 44-pixel one.
        QCOMPARE(art.drawtile(tile, 2, 1, 32).size(), QSize(32, 32));
        QCOMPARE(art.drawtile(tile, 2, 2, 60).size(), QSize(120, 120));
        QCOMPARE(art.drawtile(tile, 2, 1).size(), QSize(44, 44));
    }

    // A tile set replaces backgrounds, letters and marks; the cache must not
    // keep serving the old artwork, and the lock frame stays the built-in one.
    void pictureArtwork()
    {
        const int cells = 34;
        QImage strip(44 * cells, 44, QImage::Format_RGB32);
        for (int i = 0; i < cells; ++i) {
            for (int y = 0; y < 44; ++y)
                for (int x = 0; x < 44; ++x)
                    strip.setPixel(44 * i + x, y, qRgb(0, 255, 0));
        }
        auto fill = [&](int cell, const QRect &area, QRgb colour) {
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    strip.setPixel(44 * cell + x, y, colour);
        };
        fill(28, QRect(0, 0, 44, 44), qRgb(10, 200, 30));  // own background
        fill(1, QRect(20, 20, 4, 4), qRgb(250, 0, 0));     // letter A: a red square
        fill(31, QRect(40, 0, 4, 4), qRgb(0, 0, 250));     // value 2: a blue corner

        const QImage before = image({2, 1, 1, 1}, 1);
        art.setArtwork(glyphon::PictureArtwork::fromStrip(strip));
        const QImage tile = image({2, 1, 1, 1}, 1);
        // Another copy in the same process keeps its own pictures.
        QCOMPARE(glyphon::TileArt().drawtile({2, 1, 1, 1}, 1, 1).toImage(), before);
        QVERIFY(tile != before);
        QCOMPARE(tile.pixel(30, 30), qRgb(10, 200, 30)); // green letter cell is transparent
        QCOMPARE(tile.pixel(21, 21), qRgb(250, 0, 0));
        QCOMPARE(tile.pixel(42, 1), qRgb(0, 0, 250));
        QVERIFY(distance(tile.pixel(FramePoint), qRgb(10, 200, 30)) > 60);
        // A neutral background cell left all green shows nothing.
        QCOMPARE(qAlpha(image({}, 0).pixel(BackPoint)), 0);

        art.setArtwork(nullptr);
        QCOMPARE(image({2, 1, 1, 1}, 1), before);
    }

    void shortStripLeavesMissingCellsEmpty()
    {
        QImage strip(44 * 30 + 10, 44, QImage::Format_RGB32);
        strip.fill(qRgb(90, 90, 90));
        auto strip30 = glyphon::PictureArtwork::fromStrip(strip);
        QCOMPARE(strip30->bonuses.size(), 4);
        art.setArtwork(strip30);
        QCOMPARE(image({2, 0, 0, 0}, 0), image({0, 0, 0, 0}, 0));
        // Cell 30 is partly there: its first 10 columns only.
        const QImage one = image({1, 0, 0, 0}, 0);
        QCOMPARE(one.pixel(5, 5), qRgb(90, 90, 90));
    }
};

QTEST_MAIN(tst_TilePainter)
#include "tst_tilepainter.moc"
