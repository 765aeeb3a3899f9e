#include "artwork/tilesets.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>

namespace glyphon {

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
    QImage image;
    // A truncated file may still leave the rows read so far in image; those
    // give partial pictures, as a short strip does.
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
    for (const QString &folder : folders) {
        QList<TileSetFile> here;
        for (const QFileInfo &info : bitmapsIn(folder)) {
            const QString name = setNameOf(info);
            if (!isValidTileSetName(name)) {
                listing.error = QStringLiteral("The tile set file \"%1\" cannot be listed: a set's name may hold "
                                               "only letters, digits and underscores and may not start with a digit.")
                                        .arg(info.fileName());
                return listing;
            }
            if (containsName(here, name)) {
                listing.error = QStringLiteral("The tile set file \"%1\" cannot be listed: there is already a set "
                                               "named \"%2\".")
                                        .arg(info.fileName(), name);
                return listing;
            }
            here.append({name, info.filePath()});
            if (!containsName(listing.sets, name))
                listing.sets.append(here.last());
        }
    }
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
