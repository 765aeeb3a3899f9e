#pragma once
// The one pseudo-random generator of the process: the board deal and the
// computer player draw from it. Seeded from the clock at start-up, or from a
// fixed seed for tests and demos, so a game can be replayed exactly.

#include <QtGlobal>
#include <random>

namespace glyphon {

std::mt19937 &rng();
void seedRandom(quint32 seed);
void seedRandomFromClock();
// Uniform draw from 0 to n - 1 (n >= 1).
int randomBelow(int n);
int randomBelow(std::mt19937 &generator, int n);

} // namespace glyphon
