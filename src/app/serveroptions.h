#pragma once
// glyphon-server's command line, read once into what the host is made with.

#include "core/messages.h"
#include "server/hosting.h"

#include <QCoreApplication>
#include <array>
#include <optional>

namespace glyphon {

struct ServerOptions
{
    HostConfig host;
    // Read once from the environment: the announcement and the router's
    // question are handed it.
    lan::DiscoveryConfig discovery;
    Hosting::Reach reach;
    std::array<RiziLevel, 2> levels{RiziLevel::Classic, RiziLevel::Classic}; // seats 1 and 2
    std::optional<msg::StartGame> start;
    bool quitAfterGame = false;
};

// Reads the options and GLYPHON_PORT; --help and --version answer and exit.
// A value out of range is said on standard error, and nothing is returned.
std::optional<ServerOptions> readServerOptions(const QCoreApplication &app);

} // namespace glyphon
