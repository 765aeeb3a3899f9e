#pragma once
// The host's board: the deal, reading a submission (locked tiles, the word
// spelled, its points), passing tiles to their maker, and the shared rules
// applied to it. No sockets, no widgets.

#include "core/rules.h"

#include <QList>
#include <QPair>
#include <QString>
#include <random>

namespace glyphon {


class Board
{
public:
    Board(); // no board dealt: every owner -1

    TCell &cell(int index) { return m_cells[index]; }
    const TCell &cell(int index) const { return m_cells[index]; }
    const TileGrid &tiles() const { return m_cells; }

    // A fresh board: every tile gets RollLetter, owner/value/locked 0, then a
    // draw 0..9 and, when below 2, a value drawn 0..4. Returns the groups
    // position, letter, value in board order (the CMD_theletters list).
    QList<int> deal(std::mt19937 &generator);

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
    int pointsFor(int seat, int position) const;

    void take(int seat, const QList<int> &positions);
    QList<QPair<int, int>> lockthemup() { return glyphon::lockthemup(m_cells); }
    int checkforsurround(int position, int holder) const { return glyphon::checkforsurround(m_cells, position, holder); }
    bool checkforfull() const { return glyphon::checkforfull(m_cells); }

private:
    TileGrid m_cells{};
};

} // namespace glyphon
