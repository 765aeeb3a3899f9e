#pragma once
// ReconnectionCoordinator: the window's side of coming back to the game after
// the connection to the host ended with an error. Only a joining player's
// window does this; the host's own window, a spectator and an orderly close
// by the host end as before. The Reconnector keeps the pace of the attempts.

#include <QObject>
#include <QString>
#include <functional>
#include <utility>

enum class TSocketInfo;

namespace glyphon {

class Reconnector;

class ReconnectionCoordinator : public QObject
{
    Q_OBJECT
public:
    // What the coordinator needs of the window.
    struct Hooks
    {
        std::function<void()> closeSocket;
        std::function<void()> openSocket; // the same host and port
        std::function<void(const QString &)> status;
        std::function<bool()> mayReconnect; // a logged-in joining player, not closing
        std::function<int()> mySeat;
        std::function<void()> pauseTurn;    // the turn in progress is not this window's now
        std::function<void()> gaveUp;       // tell the user, close the window
    };

    ReconnectionCoordinator(Hooks hooks, QObject *parent = nullptr);

    Reconnector *reconnector() const { return m_reconnector; }
    bool active() const;

    // The socket's news; true when reconnecting took it.
    bool socketReported(TSocketInfo info);
    // The host gave a seat; false when it is not the old one and was handed back.
    bool seatGiven(int seat);
    // True (and says why) when input must wait for the connection.
    bool refuseInput();
    // True once after the seat came back: the settings are not read again.
    bool takeRejoined() { return std::exchange(m_rejoined, false); }

private:
    Hooks m_hooks;
    Reconnector *m_reconnector;
    bool m_rejoined = false;
};

} // namespace glyphon
