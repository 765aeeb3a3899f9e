#include "artwork/tilesets.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QtEndian>

#include <cstdlib>

namespace glyphon {

namespace {

quint32 le32(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint16 le16(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

// Whether the pixel rows the header declares run past the end of the file.
// Only uncompressed rows have a known length; run-length data the decoder
// reads with its own checks.
bool pixelBytesMissing(const QByteArray &bytes)
{
    if (bytes.size() < 26)
        return true;
    const quint32 offset = le32(bytes, 10);
    const quint32 infoSize = le32(bytes, 14);
    qint64 width = 0, height = 0, bits = 0, compression = 0;
    if (infoSize == 12) { // the old OS/2 header
        width = le16(bytes, 18);
        height = le16(bytes, 20);
        bits = bytes.size() >= 26 ? le16(bytes, 24) : 0;
    } else {
        if (bytes.size() < 34)
            return true;
        width = qint32(le32(bytes, 18));
        height = qint32(le32(bytes, 22));
        bits = le16(bytes, 28);
        compression = le32(bytes, 30);
    }
    constexpr qint64 Rgb = 0, BitFields = 3, AlphaBitFields = 6;
    if (compression != Rgb && compression != BitFields && compression != AlphaBitFields)
        return false;
    const qint64 stride = (std::abs(width) * bits + 31) / 32 * 4;
    return qint64(offset) + stride * std::abs(height) > bytes.size();
}

} // namespace

StripResult artworkFromBitmapBytes(const QByteArray &bytes)
{
    StripResult result;
    if (bytes.size() > tilestrip::MaxFileBytes) {
        result.error = QStringLiteral("the file is too large");
        return result;
    }
    QByteArray data = bytes; // QBuffer wants a non-const array; this is a shallow copy
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setDecideFormatFromContent(false);
    // A second guard behind the size check: the decoder itself refuses
    // anything that would need more memory than a strip ever does.
    reader.setAllocationLimit(int(tilestrip::MaxPixels * 4 / (1024 * 1024)) + 1);
    if (!reader.canRead()) {
        result.error = QStringLiteral("it is not a bitmap");
        return result;
    }
    // The header's size, before any pixel is decoded: a few bytes can
    // declare a picture of gigabytes.
    const QSize declared = reader.size();
    if (!declared.isValid() || declared.width() > tilestrip::MaxSide || declared.height() > tilestrip::MaxSide
        || qint64(declared.width()) * declared.height() > tilestrip::MaxPixels) {
        result.error = QStringLiteral("its size is out of range");
        return result;
    }
    // Anything smaller would blank the board with empty cells.
    if (declared.width() < tilestrip::Width || declared.height() < TilePainter::TileSize) {
        result.error = QStringLiteral("it is %1 by %2 pixels, smaller than a strip of %3 tiles of 44 by 44 "
                                      "pixels (%4 by 44)")
                               .arg(declared.width())
                               .arg(declared.height())
                               .arg(tilestrip::Cells)
                               .arg(tilestrip::Width);
        return result;
    }
    // The decoder leaves the rows a cut-short file lacks as whatever the
    // buffer held, so such a file is refused before it is decoded.
    if (pixelBytesMissing(bytes)) {
        result.error = QStringLiteral("the file is cut short");
        return result;
    }
    QImage image;
    const bool complete = reader.read(&image);
    if (image.isNull()) {
        result.error = complete ? QStringLiteral("it holds no picture") : reader.errorString();
        return result;
    }
    result.artwork = PictureArtwork::fromStrip(image);
    return result;
}

StripResult artworkFromBitmapFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {nullptr, file.errorString()};
    if (file.size() > tilestrip::MaxFileBytes)
        return {nullptr, QStringLiteral("the file is too large")};
    // Read one byte past the cap: a file that grew meanwhile is refused too.
    return artworkFromBitmapBytes(file.read(tilestrip::MaxFileBytes + 1));
}

bool isValidTileSetName(const QString &name)
{
    if (name.isEmpty() || name.at(0).isDigit())
        return false;
    for (const QChar c : name) {
        const bool ascii = c.unicode() < 128;
        if (!ascii || !(c.isLetterOrNumber() || c == u'_'))
            return false;
    }
    return true;
}

namespace {
QFileInfoList bitmapsIn(const QString &folder)
{
    // Name filters ignore letter case unless told otherwise, so "WOOD.BMP"
    // counts as it would where the sets come from.
    QDir dir(folder);
    return dir.entryInfoList({QStringLiteral("*.bmp")}, QDir::Files | QDir::Hidden | QDir::System,
                             QDir::Name | QDir::IgnoreCase);
}

// The same rule names a set in the menu and finds it again, so every item
// listed can be loaded.
QString setNameOf(const QFileInfo &info)
{
    return info.fileName().section(QLatin1Char('.'), 0, 0);
}

bool containsName(const QList<TileSetFile> &sets, const QString &name)
{
    for (const TileSetFile &set : sets) {
        if (set.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
} // namespace

TileSetListing listTileSets(const QStringList &folders)
{
    TileSetListing listing;
    // One bad file name must not cost the user every other set: it is
    // skipped, and one message names all that were.
    QStringList badNames;
    QStringList repeats;
    for (const QString &folder : folders) {
        QList<TileSetFile> here;
        for (const QFileInfo &info : bitmapsIn(folder)) {
            const QString name = setNameOf(info);
            if (!isValidTileSetName(name)) {
                badNames << QLatin1Char('"') + info.fileName() + QLatin1Char('"');
                continue;
            }
            if (containsName(here, name) || name.compare(QLatin1String(BuiltinSetName), Qt::CaseInsensitive) == 0) {
                repeats << QLatin1Char('"') + info.fileName() + QLatin1Char('"');
                continue;
            }
            here.append({name, info.filePath()});
            if (!containsName(listing.sets, name))
                listing.sets.append(here.last());
        }
    }
    QStringList reasons;
    if (!badNames.isEmpty())
        reasons << QStringLiteral("%1: a set's name may hold only letters, digits and underscores and may not "
                                  "start with a digit.")
                           .arg(badNames.join(QStringLiteral(", ")));
    if (!repeats.isEmpty())
        reasons << QStringLiteral("%1: another set already has that name.").arg(repeats.join(QStringLiteral(", ")));
    if (!reasons.isEmpty())
        listing.error = QStringLiteral("Some tile set files were left out of the Tiles menu.\n") + reasons.join(u'\n');
    return listing;
}

QString findTileSet(const QStringList &folders, const QString &name)
{
    for (const QString &folder : folders) {
        for (const QFileInfo &info : bitmapsIn(folder)) {
            if (setNameOf(info).compare(name, Qt::CaseInsensitive) == 0)
                return info.filePath();
        }
    }
    return {};
}

} // namespace glyphon
