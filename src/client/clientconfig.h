#pragma once
// What the desktop program takes from its surroundings, read once at
// start-up (see fromEnvironment) and handed to the windows, so that nothing
// below looks it up for itself and a test can run copies on ports of its own.

#include "net/lanannouncement.h"
#include "settings/userfiles.h"

#include <QString>
#include <functional>

namespace glyphon {

struct ClientConfig
{
    static constexpr quint16 DefaultPort = 7772;

    // The game's port: hosted on, and joined at the address given.
    QString gamePort = QString::number(DefaultPort);
    // GLYPHON_PORT named it: a solo game listens there too, when it is free.
    bool portGiven = false;

    // Where the settings, the tally, the tile sets and downloads go; main
    // gives it the program's folder.
    UserFiles files;

    // The lobby program's installer address and installed place; empty: the
    // built-in ones.
    QString lobbyInstallerUrl;
    QString lobbyProgram;

    // Where games on the local network are announced and heard.
    lan::DiscoveryConfig discovery;

    // Told when the word file cannot be opened (main shows a message box);
    // empty: standard error.
    std::function<void(const QString &)> onMissingWordFile;

    // Set when GLYPHON_PORT is no port: what to tell the user before the
    // program stops (it would otherwise host or join where nobody expects).
    QString portError;

    // The port as a number; the default for text that is no port.
    quint16 gamePortNumber() const;

    // GLYPHON_PORT (1 to 65535; unset or empty: the default);
    // GLYPHON_LOBBY_URL, GLYPHON_LOBBY_PROGRAM and the discovery settings.
    static ClientConfig fromEnvironment();
};

} // namespace glyphon
