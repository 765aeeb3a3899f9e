#pragma once
// Letter codes 1..26 for "a".."z" and the ten letter dice of the board deal.

#include <QChar>
#include <QString>
#include <array>
#include <random>

// "a" gives 1 ... "z" 26; anything else, capitals included, 0.
int LetterCode(QChar ch);
// 1..26 set text to "a".."z"; any other code leaves text unchanged.
void LetterOfCode(int code, QString &text);
// A face 1..6 first, then a die 1..10, both uniform from generator; the
// letter code of that face.
int RollLetter(std::mt19937 &generator);

namespace glyphon {
// dice[die][face], both zero-based, as letters.
const std::array<std::array<char, 6>, 10> &letterDice();
} // namespace glyphon
