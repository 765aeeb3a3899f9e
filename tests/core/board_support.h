#pragma once
// Hand-set boards for the rules and computer player tests.

#include "core/board.h"

#include <QList>
#include <QString>

namespace glyphon::test {

// Every tile free, plain, unlocked and carrying fill.
Board plainBoard(char fill = 'x');
void setTile(Board &board, int position, char letter, int owner = 0, int value = 0, int locked = 0);
// The letters of the tiles at positions, in order.
QString spell(const Board &board, const QList<int> &positions);

} // namespace glyphon::test
