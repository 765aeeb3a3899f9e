#include "artwork/tilesets.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace glyphon;

namespace {

const QRgb Green = qRgb(0, 255, 0);

// Cell i carries a 4x4 mark of its own colour at (10, 10); the rest is green.
QRgb markOf(int cell)
{
    return qRgb(5 + cell * 7, 40, 250 - cell * 5);
}

QImage markedStrip(int width, int height)
{
    QImage strip(width, height, QImage::Format_RGB32);
    strip.fill(Green);
    for (int cell = 0; cell * 44 < width; ++cell)
        for (int y = 10; y < 14 && y < height; ++y)
            for (int x = 10; x < 14 && cell * 44 + x < width; ++x)
                strip.setPixel(cell * 44 + x, y, markOf(cell));
    return strip;
}

QByteArray encode(const QImage &image, const char *format = "BMP")
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// The picture of a cell as it ended up in its list.
QImage pictureOfCell(const PictureArtwork &art, int cell)
{
    if (cell <= 26)
        return art.letters.value(cell);
    if (cell <= 29)
        return art.backgrounds.value(cell - 27);
    return art.bonuses.value(cell - 30);
}

void writeFile(const QString &path, const QByteArray &bytes = "BM")
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class tst_TileSets : public QObject
{
    Q_OBJECT

private slots:
    // Every cell lands in its list at its place; green turns transparent.
    void stripCutIntoCells()
    {
        const StripResult result = artworkFromBitmapBytes(encode(markedStrip(tilestrip::Width + 44, 44)));
        QVERIFY2(result.artwork, qPrintable(result.error));
        const PictureArtwork &art = *result.artwork;
        QCOMPARE(art.letters.size(), 27);
        QCOMPARE(art.backgrounds.size(), 3);
        QCOMPARE(art.bonuses.size(), 4);
        for (int cell = 0; cell < tilestrip::Cells; ++cell) {
            const QImage picture = pictureOfCell(art, cell);
            QCOMPARE(picture.size(), QSize(44, 44));
            QCOMPARE(picture.pixel(11, 11), markOf(cell));
            QCOMPARE(qAlpha(picture.pixel(9, 11)), 0);
            QCOMPARE(qAlpha(picture.pixel(14, 11)), 0);
            QCOMPARE(qAlpha(picture.pixel(43, 43)), 0);
        }
    }

    // A regenerated set must stay complete: every letter drawn, cell 0 empty,
    // three opaque backgrounds that differ in lightness, four distinct marks.
    void shippedSets_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"HighContrast", "Ice", "Wood"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void shippedSets()
    {
        QFETCH(QString, name);
        const QString path = QStringLiteral(GLYPHON_TILESETS_DIR "/") + name + QStringLiteral(".bmp");
        const StripResult result = artworkFromBitmapFile(path);
        QVERIFY2(result.artwork, qPrintable(result.error));
        const PictureArtwork &art = *result.artwork;
        auto opaquePixels = [](const QImage &picture) {
            int n = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    n += qAlpha(picture.pixel(x, y)) == 255;
            return n;
        };
        QCOMPARE(opaquePixels(art.letters.at(0)), 0);
        for (int letter = 1; letter <= 26; ++letter)
            QVERIFY2(opaquePixels(art.letters.at(letter)) > 60, qPrintable(QString::number(letter)));
        QList<int> lightness;
        for (const QImage &back : art.backgrounds) {
            QVERIFY(opaquePixels(back) > 40 * 40);
            lightness << qGray(back.pixel(22, 34));
        }
        // Apart in lightness, not only in hue, so no colour vision is needed.
        for (int a = 0; a < 3; ++a)
            for (int b = a + 1; b < 3; ++b)
                QVERIFY2(qAbs(lightness[a] - lightness[b]) > 25, qPrintable(QStringLiteral("%1 %2").arg(a).arg(b)));
        for (int a = 0; a < 4; ++a) {
            QVERIFY(opaquePixels(art.bonuses.at(a)) > 10);
            for (int b = a + 1; b < 4; ++b)
                QVERIFY(art.bonuses.at(a) != art.bonuses.at(b));
        }
    }

    void damagedBitmaps_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("decoded");
        QTest::addColumn<int>("lastFullCell"); // -1: no cell is whole

        const QByteArray good = encode(markedStrip(tilestrip::Width, 44));
        QByteArray hugeWidth = good;
        qToLittleEndian<qint32>(1 << 30, hugeWidth.data() + 18);
        QByteArray hugeHeight = good;
        qToLittleEndian<qint32>(100000, hugeHeight.data() + 22);
        QByteArray zeroWidth = good;
        qToLittleEndian<qint32>(0, zeroWidth.data() + 18);

        QTest::newRow("empty") << QByteArray() << false << -1;
        QTest::newRow("text") << QByteArray("hello, not a picture") << false << -1;
        QTest::newRow("a PNG named .bmp") << encode(markedStrip(tilestrip::Width, 44), "PNG") << false << -1;
        QTest::newRow("header only") << good.left(54) << false << -1;
        QTest::newRow("huge declared width") << hugeWidth << false << -1;
        QTest::newRow("huge declared height") << hugeHeight << false << -1;
        QTest::newRow("zero width") << zeroWidth << false << -1;
        QTest::newRow("complete") << good << true << 33;
        QTest::newRow("higher than a strip") << encode(markedStrip(tilestrip::Width, 60)) << true << 33;
        // Smaller than the 34 cells: refused, not a board of blanks.
        QTest::newRow("two by two") << encode(markedStrip(2, 2)) << false << -1;
        QTest::newRow("ten cells") << encode(markedStrip(440, 44)) << false << -1;
        QTest::newRow("one column short") << encode(markedStrip(tilestrip::Width - 1, 44)) << false << -1;
        QTest::newRow("too low") << encode(markedStrip(tilestrip::Width, 43)) << false << -1;
    }
    void damagedBitmaps()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, decoded);
        QFETCH(int, lastFullCell);
        const StripResult result = artworkFromBitmapBytes(bytes);
        QCOMPARE(bool(result.artwork), decoded);
        if (!decoded) {
            QVERIFY(!result.error.isEmpty());
            return;
        }
        for (int cell = 0; cell < tilestrip::Cells; ++cell) {
            const QImage picture = pictureOfCell(*result.artwork, cell);
            QCOMPARE(picture.size(), QSize(44, 44));
            const bool whole = cell <= lastFullCell;
            QCOMPARE(picture.pixel(11, 11) == markOf(cell), whole);
            if (!whole)
                QCOMPARE(qAlpha(picture.pixel(30, 30)), 0);
        }
    }

    // A file cut short is refused: the decoder would leave the rows it
    // lacks as whatever memory held, which shows as noise on the tiles.
    void truncatedBitmaps()
    {
        for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_RGB888, QImage::Format_Indexed8}) {
            const QByteArray good = encode(markedStrip(tilestrip::Width, 44).convertToFormat(format));
            QVERIFY(artworkFromBitmapBytes(good).artwork);
            for (const qsizetype cut : {qsizetype(1), good.size() / 3, good.size() - 60}) {
                const StripResult result = artworkFromBitmapBytes(good.left(good.size() - cut));
                QVERIFY2(!result.artwork, qPrintable(QString::number(cut)));
                QVERIFY(!result.error.isEmpty());
            }
        }
    }

    void setNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("letters") << "Wood" << true;
        QTest::newRow("underscore and digits") << "_ice_2" << true;
        QTest::newRow("leading digit") << "2tone" << false;
        QTest::newRow("space") << "High contrast" << false;
        QTest::newRow("dash") << "high-contrast" << false;
        QTest::newRow("non-ASCII letter") << QString::fromUtf8("Éte") << false;
        QTest::newRow("empty (.bmp)") << "" << false;
    }
    void setNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(isValidTileSetName(name), valid);
    }

    void listing_data()
    {
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("second");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("skipped"); // named in the one message
        QTest::newRow("two sets") << QStringList{"Wood.bmp", "Ice.bmp", "notes.txt"} << QStringList{}
                                  << QStringList{"Ice", "Wood"} << QStringList{};
        QTest::newRow("name up to the first point") << QStringList{"Wood.old.bmp"} << QStringList{}
                                                    << QStringList{"Wood"} << QStringList{};
        QTest::newRow("upper-case extension") << QStringList{"ICE.BMP"} << QStringList{} << QStringList{"ICE"}
                                              << QStringList{};
        // It sorts first, and once emptied the whole menu.
        QTest::newRow("bad names skipped, the rest listed")
            << QStringList{"9bad.bmp", "Abc.bmp", "b-c.bmp", "Zed.bmp"} << QStringList{}
            << QStringList{"Abc", "Zed"} << QStringList{"9bad.bmp", "b-c.bmp"};
        QTest::newRow("repeat skipped") << QStringList{"Ice.bmp", "ice.v2.bmp", "Wood.bmp"} << QStringList{}
                                        << QStringList{"Ice", "Wood"} << QStringList{"ice.v2.bmp"};
        QTest::newRow("the built-in set's name") << QStringList{"classic.bmp", "Ice.bmp"} << QStringList{}
                                                 << QStringList{"Ice"} << QStringList{"classic.bmp"};
        QTest::newRow("earlier folder shadows a later one") << QStringList{"Ice.bmp"}
                                                            << QStringList{"ice.bmp", "Wood.bmp"}
                                                            << QStringList{"Ice", "Wood"} << QStringList{};
    }
    void listing()
    {
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QFETCH(QStringList, names);
        QFETCH(QStringList, skipped);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("a");
        QDir(dir.path()).mkdir("b");
        for (const QString &file : first)
            writeFile(dir.filePath("a/" + file));
        for (const QString &file : second)
            writeFile(dir.filePath("b/" + file));
        const QStringList folders{dir.filePath("a"), dir.filePath("b"), dir.filePath("missing")};
        const TileSetListing listing = listTileSets(folders);
        QStringList found;
        for (const TileSetFile &set : listing.sets) {
            found << set.name;
            QCOMPARE(findTileSet(folders, set.name.toLower()), set.path);
        }
        QCOMPARE(found, names);
        QCOMPARE(listing.error.isEmpty(), skipped.isEmpty());
        for (const QString &file : skipped)
            QVERIFY2(listing.error.contains('"' + file + '"'), qPrintable(listing.error));
    }
};

QTEST_MAIN(tst_TileSets)
#include "tst_tilesets.moc"
