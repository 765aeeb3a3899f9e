#include "board/keyboardpicker.h"

namespace glyphon {

int pickTileForLetter(const BoardTiles &tiles, const QList<int> &chosen, QChar letter, int myseat)
{
    const char16_t ch = letter.toLower().unicode();
    if (ch < u'a' || ch > u'z')
        return 0;
    const int code = ch - u'a' + 1;

    int best = 0;
    int bestRank = 3;
    int bestWorth = 0;
    for (int row = 1; row <= 6; ++row) {
        for (int column = 1; column <= 6; ++column) {
            const int position = row * 10 + column;
            const BoardTile &tile = tiles[position];
            if (tile.letter != code || chosen.contains(position))
                continue;
            if (!canUse(tile, myseat))
                continue;
            const int rank = tile.owner == 0 ? 0 : tile.owner == myseat ? 2 : 1;
            if (rank < bestRank || (rank == bestRank && tileWorth(tile) > bestWorth)) {
                best = position;
                bestRank = rank;
                bestWorth = tileWorth(tile);
            }
        }
    }
    return best;
}

} // namespace glyphon
