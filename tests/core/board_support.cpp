#include "board_support.h"

namespace glyphon::test {

Board plainBoard(char fill)
{
    Board b;
    for (int p : tilePositions())
        setTile(b, p, fill);
    return b;
}

void setTile(Board &board, int position, char letter, int owner, int value, int locked)
{
    TCell &c = board.cell(position);
    c.letter = letter - 'a' + 1;
    c.owner = owner;
    c.value = value;
    c.locked = locked;
}

QString spell(const Board &board, const QList<int> &positions)
{
    QString word;
    for (int p : positions)
        word += QChar('a' + board.cell(p).letter - 1);
    return word;
}

} // namespace glyphon::test
