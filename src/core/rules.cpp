#include "core/rules.h"

namespace glyphon {

namespace {

constexpr int LetterQ = 'q' - 'a' + 1;
constexpr int LetterU = 'u' - 'a' + 1;

std::array<int, 36> makeTilePositions()
{
    std::array<int, 36> positions{};
    int i = 0;
    for (int row = 1; row <= 6; ++row)
        for (int column = 1; column <= 6; ++column)
            positions[i++] = 10 * row + column;
    return positions;
}

std::array<NeighbourList, 67> makeNeighbours()
{
    std::array<NeighbourList, 67> table{};
    for (int p : tilePositions()) {
        const int candidates[4] = {p - 10, p + 10, p - 1, p + 1}; // above, below, left, right
        int n = 0;
        for (int q : candidates)
            if (isTilePosition(q))
                table[p][n++] = q;
    }
    return table;
}

} // namespace

const std::array<int, 36> &tilePositions()
{
    static const std::array<int, 36> positions = makeTilePositions();
    return positions;
}

const std::array<NeighbourList, 67> &neighbours()
{
    static const std::array<NeighbourList, 67> table = makeNeighbours();
    return table;
}

int pointsFor(const TCell &tile, int seat)
{
    if (tile.owner == seat)
        return 0;
    return tile.owner != 0 ? 2 * tileWorth(tile) : tileWorth(tile);
}

int checkforsurround(const TileGrid &tiles, int position, int holder)
{
    if (!isTilePosition(position))
        return 0;
    for (int q : neighbours()[position])
        if (q != 0 && tiles[q].owner != holder)
            return 0;
    return 1;
}

QList<QPair<int, int>> lockthemup(TileGrid &tiles)
{
    QList<QPair<int, int>> changes;
    for (int p : tilePositions()) {
        TCell &t = tiles[p];
        if (t.owner == 0)
            continue;
        const int lock = checkforsurround(tiles, p, t.owner);
        if (lock != t.locked) {
            t.locked = lock;
            changes.append({p, lock});
        }
    }
    return changes;
}

bool checkforfull(const TileGrid &tiles)
{
    bool hasU = false;
    for (int p : tilePositions())
        if (tiles[p].letter == LetterU)
            hasU = true;
    for (int p : tilePositions()) {
        const TCell &t = tiles[p];
        // Without a "u" on the board a "q" can never be spelled, so it is not
        // waited for.
        if (t.owner == 0 && (hasU || t.letter != LetterQ))
            return false;
    }
    return true;
}

} // namespace glyphon
