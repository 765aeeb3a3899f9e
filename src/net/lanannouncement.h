#pragma once
// The datagram a host sends to its local network so that others' windows can
// list its game. One line of ASCII, at most MaxBytes:
//
//   GLYPHON/1 KIND ID PORT SEATS WATCHERS RUNNING NAME
//
//   KIND      "game" (still open) or "bye" (hosting has ended)
//   ID        16 lower-case hex digits, chosen at random by each host, so a
//             game heard on several interfaces makes one row
//   PORT      the game's TCP port, 1 to 65535
//   SEATS     player seats taken, 0 to 2
//   WATCHERS  spectators, 0 to 7
//   RUNNING   "1" while a game runs, else "0"
//   NAME      the host player's name, percent-encoded UTF-8, 0 to 20
//             characters (empty: nobody plays on the host's seat)
//
// Fields are separated by exactly one blank. The address of a game is never
// in the datagram: a listener takes it from the sender, so a datagram cannot
// point anybody at a third machine. Anything that does not match exactly is
// dropped; a later version changes the "1".

#include <QByteArray>
#include <QString>
#include <optional>

namespace glyphon {

struct LanGame
{
    QByteArray id;
    QString hostName;
    quint16 port = 0;
    int seatsTaken = 0;
    int watchers = 0;
    bool running = false;
    bool closing = false;

    bool operator==(const LanGame &) const = default;
};

namespace lan {

constexpr quint16 DiscoveryPort = 7772;
constexpr int MaxBytes = 512;
constexpr int MaxNameLength = 20; // the login rule
constexpr int MaxWatchers = 7;

// Where announcements are sent and heard, handed to announcers and listeners
// when they are made; the programs read it once at start-up.
struct DiscoveryConfig
{
    // Tests and network labs run several at once, each on a port of its own.
    quint16 port = DiscoveryPort;
    // Keeps every announcement on this computer, and no router is asked for
    // a port: the test suite runs so, since it may only talk to itself.
    bool loopbackOnly = false;

    // GLYPHON_DISCOVERY_PORT (1 to 65535, else 7772) and
    // GLYPHON_LOOPBACK_ONLY=1.
    static DiscoveryConfig fromEnvironment();
};

// A fresh random ID for one hosting.
QByteArray newGameId();
// The name as it travels: cut to MaxNameLength characters.
QByteArray encode(const LanGame &game);
std::optional<LanGame> decode(const QByteArray &datagram);

} // namespace lan
} // namespace glyphon
