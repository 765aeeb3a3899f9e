#include "client/clientconfig.h"

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
    if (!port.isEmpty())
        config.gamePort = QString::fromLatin1(port);
    config.portGiven = !port.isEmpty();
    config.lobbyInstallerUrl = qEnvironmentVariable("GLYPHON_LOBBY_URL");
    config.lobbyProgram = qEnvironmentVariable("GLYPHON_LOBBY_PROGRAM");
    config.discovery = lan::DiscoveryConfig::fromEnvironment();
    return config;
}

} // namespace glyphon
