#pragma once
// The board as a window paints it: the game's own tile record, and the rule
// that maps seats to colour slots.

#include "core/rules.h"

namespace glyphon {

using BoardTile = TCell;
using BoardTiles = TileGrid;

// Colour slot in which this client shows a seat: 0 (neutral) for nobody,
// 1 (own, light) and 2 (other, dark). A player sees itself in slot 1;
// spectators see seat 1 in slot 1 and seat 2 in slot 2.
constexpr int viewcolour(int seat, int myseat)
{
    if (seat == 0)
        return 0;
    if (myseat == 2)
        return seat == 2 ? 1 : 2;
    return seat;
}

} // namespace glyphon
