#include "core/board.h"

#include "dictionary/letters.h"
#include "dictionary/random.h"

namespace glyphon {

namespace {
constexpr TCell NoTile{0, 0, 0, -1};
}

Board::Board()
{
    m_cells.fill(NoTile);
}

QList<int> Board::deal(std::mt19937 &generator)
{
    m_cells.fill(NoTile);
    QList<int> list;
    list.reserve(3 * 36);
    for (int p : tilePositions()) {
        TCell &c = m_cells[p];
        c = TCell{};
        c.letter = RollLetter(generator);
        if (randomBelow(generator, 10) < 2)
            c.value = randomBelow(generator, 5);
        list << p << c.letter << c.value;
    }
    return list;
}

Board::Reading Board::read(int seat, const QList<int> &positions) const
{
    Reading reading;
    for (int p : positions) {
        // The caller vets remote input; a stray index must still not reach
        // past the table, so it simply adds nothing.
        if (!isTilePosition(p))
            continue;
        const TCell &c = m_cells[p];
        if (!canUse(c, seat)) {
            reading.outcome = Reading::Locked;
            return reading;
        }
        QString letter;
        LetterOfCode(c.letter, letter);
        reading.word += letter;
        reading.points += glyphon::pointsFor(c, seat);
    }
    return reading;
}

int Board::pointsFor(int seat, int position) const
{
    return isTilePosition(position) ? glyphon::pointsFor(m_cells[position], seat) : 0;
}

void Board::take(int seat, const QList<int> &positions)
{
    for (int p : positions)
        if (isTilePosition(p))
            m_cells[p].owner = seat;
}

} // namespace glyphon
