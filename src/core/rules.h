#pragma once
// The rules both sides share: where the tiles are, what a tile holds, who may
// use it, and when it locks. No sockets, no widgets.

#include <QList>
#include <QPair>
#include <array>

namespace glyphon {

// One board place, as the host keeps it and as every window shows it.
struct TCell
{
    int value = 0;  // 0..4; 1..4 carry a mark, 2..4 are bonus tiles
    int letter = 0; // letter code 1..26; 0 none
    int locked = 0; // 1 locked
    int owner = 0;  // 0 nobody, else seat 1 or 2; the host writes -1 on places that are no tiles

    friend bool operator==(const TCell &, const TCell &) = default;
};

// Indexed by position 1..66; only the 36 whose digits are both 1..6 are tiles.
using TileGrid = std::array<TCell, 67>;

// 11..66 with both digits 1..6.
constexpr bool isTilePosition(int p)
{
    return p >= 11 && p <= 66 && p / 10 >= 1 && p / 10 <= 6 && p % 10 >= 1 && p % 10 <= 6;
}
// The 36 positions row by row: 11..16, 21..26, ... 61..66.
const std::array<int, 36> &tilePositions();

// Up to four orthogonal neighbours (above, below, left, right) on the board;
// 0 in the places left over.
using NeighbourList = std::array<int, 4>;
const std::array<NeighbourList, 67> &neighbours();

// The computer player's name, shown on seat 2 while nobody sits there; no
// login may take it.
inline constexpr char RiziName[] = "Rizi";

// A turn's count on the host runs this many ticks beyond the time per turn
// that the windows' clocks show; a newcomer's clock takes them off the count
// it is sent.
inline constexpr int TurnExtraTicks = 4;

// Largest submission the host reads.
inline constexpr int MaxSubmissionTiles = 20;

// A tile locked by its holder is closed to everybody else; a free tile is
// never locked.
constexpr bool canUse(const TCell &tile, int seat)
{
    return tile.locked == 0 || tile.owner == seat;
}

// A tile's worth whoever holds it: its bonus value when 2 or more, else 1.
constexpr int tileWorth(const TCell &tile)
{
    return tile.value >= 2 ? tile.value : 1;
}

// What the tile scores for seat: nothing when seat holds it; else its
// worth, doubled when the other player holds it.
int pointsFor(const TCell &tile, int seat);

// The locking rule: 1 when every neighbour of position is held by holder.
int checkforsurround(const TileGrid &tiles, int position, int holder);
// Recomputes every held tile's lock; returns the changed pairs position, new
// lock in board order.
QList<QPair<int, int>> lockthemup(TileGrid &tiles);

// Every tile is held; a "q" is not waited for while no "u" is on the board.
bool checkforfull(const TileGrid &tiles);

} // namespace glyphon
