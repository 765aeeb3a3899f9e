#pragma once
// Where a solo game listens. It needs no network: only this computer may
// connect, and it must not take the game port from a copy, or a dedicated
// host, that later wants to host for others. So it listens on 127.0.0.1, on
// the port asked for when that is free (tests and benchmarks find the game
// through GLYPHON_PORT), else on one the system chooses.

#include <QtGlobal>
#include <optional>

class TSock;

namespace glyphon {

// Makes listener listen; raises only when no port at all can be had.
void listenForSoloGame(TSock &listener, std::optional<quint16> wanted);

} // namespace glyphon
