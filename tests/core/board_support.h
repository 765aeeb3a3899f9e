#pragma once
// Hand-set boards for the tests of rules, the host, the computer player,
// the session and the windows.
//
// Tiles are written compactly: space-separated tokens of a position, a
// letter, then optionally the owner's digit, the value's digit and "L" for
// locked, e.g. "23a" (free), "23a1L" (seat 1's, locked) or "23a03" (free,
// value 3). A token that is none of these stops the test program.

#include "core/board.h"

#include <QList>
#include <QString>

namespace glyphon::test {

// Every tile free, plain, unlocked and carrying fill.
Board plainBoard(char fill = 'x');
void setTile(Board &board, int position, char letter, int owner = 0, int value = 0, int locked = 0);
// The letters of the tiles at positions, in order.
QString spell(const Board &board, const QList<int> &positions);

// The tiles of setup laid over what the board holds.
void setTiles(Board &board, const QString &setup);
// A plainBoard(fill) with the tiles of setup.
Board boardOf(const QString &setup, char fill = 'x');
// The tile record of every place: fill tiles nobody holds, then the tiles
// of setup.
TileGrid tilesOf(const QString &setup, char fill = 'z');
// The positions that setup names, in its order.
QList<int> positionsOf(const QString &setup);

} // namespace glyphon::test
