#pragma once
// What a screen reader says about a board tile: the tile as a sighted
// player sees it, in words.

#include "artwork/boardtiles.h"

#include <QString>

namespace glyphon {

// E.g. "Row 2, column 3: E, bonus 3 points, yours, locked, part of the last
// move". holder is "yours", "the opponent's", "free" or "held by <name>".
// A tile without a letter yet says only where it is.
QString tileAccessibleName(int position, const BoardTile &tile, const QString &holder, bool chosen, bool lastMove);

// Makes board tiles reach assistive technology as buttons rather than
// unnamed fillers. Safe to call more than once.
void installTileAccessibility();

} // namespace glyphon
