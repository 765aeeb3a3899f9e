#pragma once
// Tile sets: bitmap strips of 44x44 cells in "glyphontiles" folders, each
// replacing the letters, backgrounds and value marks of the built-in artwork.
// A strip is a file any user can drop in, so everything here treats it as
// hostile: sizes are checked before anything is decoded.

#include "artwork/tilepainter.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace glyphon {

namespace tilestrip {
constexpr int Cells = 34;                     // 27 letters, 3 backgrounds, 4 marks
constexpr int Width = Cells * TilePainter::TileSize;
// A real strip is about 200 KB; nothing legitimate comes near these.
constexpr qint64 MaxFileBytes = 16 * 1024 * 1024;
constexpr int MaxSide = 16384;
constexpr qint64 MaxPixels = 4 * 1024 * 1024;
} // namespace tilestrip

struct StripResult
{
    std::shared_ptr<PictureArtwork> artwork; // null when nothing could be decoded
    QString error;                            // why, when artwork is null
};

// Decodes a Windows bitmap held in memory and cuts it into the three picture
// lists. Only BMP is accepted; a declared size past the caps, smaller than
// the 34 cells, or pixel rows cut short are refused before decoding. Never
// throws; safe on any bytes (the fuzzing entry point).
StripResult artworkFromBitmapBytes(const QByteArray &bytes);

// Reads at most MaxFileBytes of path, then as above.
StripResult artworkFromBitmapFile(const QString &path);

// One set found in a tile folder.
struct TileSetFile
{
    QString name; // the file name up to its first point
    QString path;
};

// The built-in pictures' name in the settings and the Tiles menu; a file of
// that name could never be told apart from them, so it is left out.
inline constexpr const char *BuiltinSetName = "Classic";

struct TileSetListing
{
    QList<TileSetFile> sets;
    // One message naming the files left out, because their name cannot name
    // a set or repeats one; empty when none was.
    QString error;
};

// A set's name must be able to name a menu entry: letters, digits and
// underscores, not starting with a digit.
bool isValidTileSetName(const QString &name);

// Lists the "*.bmp" files of folders in order, each folder sorted by name.
// A file whose name cannot name a set, or repeats one within its folder (or
// the built-in set's), is skipped and named in the error; a name already
// found in an earlier folder is that folder's copy shadowing this one (the
// user's own copy before the installed one) and is skipped silently.
TileSetListing listTileSets(const QStringList &folders);

// The file of the set called name (letter case ignored; the name as the
// listing gives it) in the first folder that has one; empty when none does.
QString findTileSet(const QStringList &folders, const QString &name);

} // namespace glyphon
