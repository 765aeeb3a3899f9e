#pragma once
// Draws for the board deal and the computer players. There is no generator
// of the process: each host owns one, seeded from its configuration (a fixed
// seed for tests and demos, so a game replays exactly, else the clock).

#include <QtGlobal>
#include <random>

namespace glyphon {

// A seed from the clock, for a host given none.
quint32 clockSeed();
// Uniform draw from 0 to n - 1 (n >= 1).
int randomBelow(std::mt19937 &generator, int n);

} // namespace glyphon
