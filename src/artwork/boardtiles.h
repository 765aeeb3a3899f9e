#pragma once
// The client's copy of the board and the rule that maps seats to colour slots.

#include <array>

namespace glyphon {

// One board position as the client shows it; the same fields as the server's cell.
struct BoardTile
{
    int value = 0;  // 0..4; 1..4 carry a mark, 2..4 are bonus tiles
    int letter = 0; // letter code 1..26; 0 none
    int locked = 0; // 1 locked
    int owner = 0;  // 0 nobody, else seat 1 or 2

    friend bool operator==(const BoardTile &, const BoardTile &) = default;
};

// Indexed by position 1..66; only the 36 whose digits are both 1..6 are tiles.
using BoardTiles = std::array<BoardTile, 67>;

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
