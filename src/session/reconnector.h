#pragma once
// Reconnector: brings a joiner's session (a player's or a spectator's) back
// to its game after the connection ended with an error. It waits a growing pause (1, 2, 4 ...
// units; two minutes in all, attempts included), then has the session open the
// connection again; the session logs in with the same name. Only one attempt
// runs at a time: a failure while trying (refused, reset, the wrong seat,
// no seat in time) closes that attempt and waits again.

#include <QElapsedTimer>
#include <QObject>
#include <functional>

class QTimer;

namespace glyphon {

class Reconnector : public QObject
{
    Q_OBJECT
public:
    enum class State { Idle, Waiting, Trying };

    struct Hooks
    {
        std::function<void()> closeSocket; // ends whatever the last attempt left
        std::function<void()> openSocket;  // connects to the same host and port
        std::function<void(const QString &)> status;
    };

    explicit Reconnector(Hooks hooks, QObject *parent = nullptr);

    // One unit of pause; a second unless a test makes it shorter.
    void setPauseUnitMs(int ms) { m_unitMs = ms; }
    // Milliseconds since the loss; a test may count them itself, so the
    // budget does not depend on how fast the machine is.
    void setClock(std::function<qint64()> elapsedMs) { m_clock = std::move(elapsedMs); }
    static constexpr int BudgetUnits = 120; // from the loss to giving up
    static constexpr int AttemptUnits = 15; // a seat must come within this

    State state() const { return m_state; }
    bool active() const { return m_state != State::Idle; }
    int attempts() const { return m_attempts; }

    // The logged-in connection ended with an error: start waiting.
    void connectionLost();
    // The current attempt came to nothing; ignored while already waiting.
    void attemptFailed();
    // The host gave the old seat back.
    void succeeded();
    // No more attempts, and nothing said: the host is not to be tried again.
    void stop();

signals:
    // A pause of pauseMs begins before the next attempt.
    void waiting(int pauseMs);
    // Waiting has used its two minutes; the window tells the user, closes
    // what the last attempt left open, and closes itself.
    void gaveUp();

private:
    void waitForNext();
    void tryNow();

    Hooks m_hooks;
    State m_state = State::Idle;
    int m_unitMs = 1000;
    int m_nextPause = 1; // units
    QElapsedTimer m_since; // since the loss
    std::function<qint64()> m_clock;
    int m_attempts = 0;
    QTimer *m_pause;
    QTimer *m_attemptLimit;
};

} // namespace glyphon
