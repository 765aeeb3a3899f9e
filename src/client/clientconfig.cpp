#include "client/clientconfig.h"

#include "protocol/wire.h"

#include <QByteArray>
#include <QtGlobal>

namespace glyphon {

quint16 ClientConfig::gamePortNumber() const
{
    bool ok = false;
    const int port = gamePort.toInt(&ok);
    return ok && port > 0 && port <= 65535 ? quint16(port) : DefaultPort;
}

ClientConfig ClientConfig::fromEnvironment()
{
    ClientConfig config;
    const QByteArray port = qgetenv("GLYPHON_PORT");
    if (!port.isEmpty()) {
        // No 0 as glyphon-server takes it: a window's port is also the one
        // others join, and "any free port" is nothing they could join.
        const std::optional<int> number = parseInt(port);
        if (number && *number >= 1 && *number <= 65535)
            config.gamePort = QString::number(*number);
        else
            config.portError = QStringLiteral("GLYPHON_PORT wants a number from 1 to 65535.");
    }
    config.portGiven = !port.isEmpty();
    config.lobbyInstallerUrl = qEnvironmentVariable("GLYPHON_LOBBY_URL");
    config.lobbyProgram = qEnvironmentVariable("GLYPHON_LOBBY_PROGRAM");
    config.discovery = lan::DiscoveryConfig::fromEnvironment();
    return config;
}

} // namespace glyphon
