#include "server/board.h"

#include "dictionary/letters.h"
#include "dictionary/random.h"

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

Board::Board()
{
    for (TCell &c : m_cells)
        c.owner = -1;
}

QList<int> Board::deal()
{
    m_cells.fill(TCell{});
    QList<int> list;
    list.reserve(3 * 36);
    for (int p : tilePositions()) {
        TCell &c = m_cells[p];
        c.letter = RollLetter();
        c.owner = 0;
        c.value = 0;
        c.locked = 0;
        if (randomBelow(10) < 2)
            c.value = randomBelow(5);
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
        if (c.locked == 1 && c.owner != seat) {
            reading.outcome = Reading::Locked;
            return reading;
        }
        QString letter;
        LetterOfCode(c.letter, letter);
        reading.word += letter;
        reading.points += pointsFor(seat, p);
    }
    return reading;
}

int Board::pointsFor(int seat, int position) const
{
    if (!isTilePosition(position))
        return 0;
    const TCell &c = m_cells[position];
    if (c.owner == seat)
        return 0;
    int points = c.value >= 2 ? c.value : 1;
    if (c.owner != 0)
        points *= 2;
    return points;
}

void Board::take(int seat, const QList<int> &positions)
{
    for (int p : positions)
        if (isTilePosition(p))
            m_cells[p].owner = seat;
}

QList<QPair<int, int>> Board::lockthemup()
{
    QList<QPair<int, int>> changes;
    for (int p : tilePositions()) {
        TCell &c = m_cells[p];
        if (c.owner == 0)
            continue;
        const int lock = checkforsurround(p, c.owner);
        if (lock != c.locked) {
            c.locked = lock;
            changes.append({p, lock});
        }
    }
    return changes;
}

int Board::checkforsurround(int position, int holder) const
{
    if (!isTilePosition(position))
        return 0;
    for (int q : neighbours()[position])
        if (q != 0 && m_cells[q].owner != holder)
            return 0;
    return 1;
}

bool Board::checkforfull() const
{
    bool hasU = false;
    for (int p : tilePositions())
        if (m_cells[p].letter == LetterU)
            hasU = true;
    for (int p : tilePositions()) {
        const TCell &c = m_cells[p];
        // Without a "u" on the board a "q" can never be spelled, so it is not
        // waited for.
        if (c.owner == 0 && (hasU || c.letter != LetterQ))
            return false;
    }
    return true;
}

} // namespace glyphon
