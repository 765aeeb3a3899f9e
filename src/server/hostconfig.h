#pragma once
// What a game host is given when it is made: built once by the program that
// owns it (the headless host from its options, the window from its own
// configuration), so that the host looks nothing up for itself.

#include "protocol/linepace.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

namespace glyphon {

struct HostConfig
{
    static constexpr quint16 DefaultPort = 7772;
    static constexpr int DefaultLoginTimeoutMs = 20000;

    quint16 port = DefaultPort; // 0: any free port
    // The word file, relative to the working folder; when it is missing the
    // built-in list is written out there first (empty: there is none).
    QString wordFile = QStringLiteral("English");
    QString builtInList = QStringLiteral(":/TEXT_DEMO");
    // Told when the word file cannot be opened (the window shows a message
    // box); empty: standard error.
    std::function<void(const QString &)> onMissingWordFile;
    // The deal and the computer players replay exactly from a seed; without
    // one the clock seeds the host's generator.
    std::optional<quint32> seed;
    int tickMs = 1000;     // one tick of the game's pace
    int botSpeed = 1000;   // the computer's delay per move, scaled by tickMs
    int loginTimeoutMs = DefaultLoginTimeoutMs;
    // Connections from one address in all (players and spectators), so one
    // address cannot fill the table. glyphon-server takes 4 unless told
    // (a household still seats two players and two spectators); 0 leaves
    // only the table's own limit.
    static constexpr int DefaultPerAddress = 4;
    int perAddress = 0;
    // Chat, action and sound lines one connection may send each second once
    // burst is spent; 0: no limit (benchmarks of the relay).
    int chatLinesPerSecond = LinesPerSecond;
};

} // namespace glyphon
