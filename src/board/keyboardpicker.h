#pragma once
// Spelling with the keyboard during the own turn: which tile a typed letter takes.

#include "artwork/boardtiles.h"

#include <QChar>
#include <QList>

namespace glyphon {

// The position of a usable tile carrying letter (a..z, either case) that is
// not in chosen; usable means held by myseat or not locked. A tile nobody
// holds comes first, then one of the opponent's (it wins points), then one's
// own; within each of these the one worth most (a bonus tile's value, else
// 1 point), and among equals the first in board order 11, 12, ... 66.
// 0 when none.
int pickTileForLetter(const BoardTiles &tiles, const QList<int> &chosen, QChar letter, int myseat);

} // namespace glyphon
