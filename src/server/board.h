#pragma once
// The board and the rules that depend only on it: reading a submission
// (locked tiles, the word spelled, its points), passing tiles to their maker,
// the surround locks and the board-full test. No sockets, no widgets.

#include <QList>
#include <QPair>
#include <QString>
#include <array>

namespace glyphon {

struct TCell
{
    qint32 value = 0;  // 0..4; 2, 3 and 4 are bonus tiles
    qint32 letter = 0; // letter code 1..26; 0 on indices that are not tiles
    qint32 locked = 0; // 1 locked, 0 not
    qint32 owner = -1; // -1 not a tile; else 0 nobody, 1 or 2
};

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

// Largest submission the server reads.
inline constexpr int MaxSubmissionTiles = 20;

class Board
{
public:
    Board(); // no board dealt: every owner -1

    TCell &cell(int index) { return m_cells[index]; }
    const TCell &cell(int index) const { return m_cells[index]; }

    // A fresh board: every tile gets RollLetter, owner/value/locked 0, then a
    // draw 0..9 and, when below 2, a value drawn 0..4. Returns the groups
    // position, letter, value in board order (the CMD_theletters list).
    QList<int> deal();

    struct Reading
    {
        enum Outcome { Ok, Locked } outcome = Ok;
        QString word;      // lower case, as far as it was read
        int points = 0;
    };
    // Reads a submission of positions (all board tiles, no repeats, at most
    // MaxSubmissionTiles: the caller checks) for seat: stops at the first
    // tile locked and held by somebody else.
    Reading read(int seat, const QList<int> &positions) const;
    // The tile's points for seat: 0 if seat holds it; else its value when 2
    // or more, else 1; doubled when the other player holds it.
    int pointsFor(int seat, int position) const;

    void take(int seat, const QList<int> &positions);
    // Recomputes every lock; returns the changed pairs position, new lock in
    // board order.
    QList<QPair<int, int>> lockthemup();
    int checkforsurround(int position, int holder) const;
    bool checkforfull() const;

private:
    std::array<TCell, 67> m_cells{};
};

} // namespace glyphon
