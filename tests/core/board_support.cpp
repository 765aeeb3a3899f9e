#include "board_support.h"

#include <QtGlobal>

#include <algorithm>

namespace glyphon::test {

namespace {

struct Laid
{
    int position = 0;
    TCell cell;
};

QList<Laid> parse(const QString &setup)
{
    QList<Laid> laid;
    for (const QString &token : setup.split(u' ', Qt::SkipEmptyParts)) {
        bool number = false;
        const int position = token.left(2).toInt(&number);
        QString rest = token.mid(3);
        const bool locked = rest.endsWith(u'L');
        if (locked)
            rest.chop(1);
        const bool ok = number && isTilePosition(position) && token.size() >= 3 && token.at(2) >= u'a'
                        && token.at(2) <= u'z' && rest.size() <= 2
                        && std::all_of(rest.cbegin(), rest.cend(), [](QChar c) { return c.isDigit(); });
        if (!ok)
            qFatal("board_support: \"%s\" is no tile", qPrintable(token));
        Laid tile{position, {}};
        tile.cell.letter = token.at(2).unicode() - u'a' + 1;
        tile.cell.owner = rest.isEmpty() ? 0 : rest.at(0).digitValue();
        tile.cell.value = rest.size() < 2 ? 0 : rest.at(1).digitValue();
        tile.cell.locked = locked ? 1 : 0;
        laid.append(tile);
    }
    return laid;
}

} // namespace

Board plainBoard(char fill)
{
    Board b;
    for (int p : tilePositions())
        setTile(b, p, fill);
    return b;
}

void setTile(Board &board, int position, char letter, int owner, int value, int locked)
{
    TCell &c = board.cell(position);
    c.letter = letter - 'a' + 1;
    c.owner = owner;
    c.value = value;
    c.locked = locked;
}

QString spell(const Board &board, const QList<int> &positions)
{
    QString word;
    for (int p : positions)
        word += QChar('a' + board.cell(p).letter - 1);
    return word;
}

void setTiles(Board &board, const QString &setup)
{
    for (const Laid &tile : parse(setup))
        board.cell(tile.position) = tile.cell;
}

Board boardOf(const QString &setup, char fill)
{
    Board b = plainBoard(fill);
    setTiles(b, setup);
    return b;
}

TileGrid tilesOf(const QString &setup, char fill)
{
    TileGrid tiles{};
    for (int p : tilePositions())
        tiles[p].letter = fill - 'a' + 1;
    for (const Laid &tile : parse(setup))
        tiles[tile.position] = tile.cell;
    return tiles;
}

QList<int> positionsOf(const QString &setup)
{
    QList<int> positions;
    for (const Laid &tile : parse(setup))
        positions << tile.position;
    return positions;
}

} // namespace glyphon::test
