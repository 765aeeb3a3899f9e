#pragma once
// Milliseconds of the system's monotonic clock: deadlines that a stalled
// process, a held event loop or a changed wall clock cannot move.

#include <QtGlobal>
#include <chrono>

namespace glyphon {

inline qint64 monotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace glyphon
