#include "dictionary/random.h"

#include <chrono>

namespace glyphon {

quint32 clockSeed()
{
    const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
    const auto wide = static_cast<quint64>(ticks);
    return static_cast<quint32>(wide ^ (wide >> 32));
}

int randomBelow(std::mt19937 &generator, int n)
{
    Q_ASSERT(n >= 1);
    if (n <= 1)
        return 0;
    // Multiply and shift: exactly one generator output per draw, so a replay
    // from a seed consumes the generator draw for draw, whatever n is. The
    // bias (below n / 2^32) is far under anything a game could show.
    const quint64 x = generator();
    return static_cast<int>((x * static_cast<quint64>(n)) >> 32);
}

} // namespace glyphon
