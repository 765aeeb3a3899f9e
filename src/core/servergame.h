#pragma once
// The host's game as a state machine: who may start a game, the deal, the
// turns, the pace, the word check, the scores, locks, the end of a round and
// the winner. It owns no socket, timer or widget: its owner feeds it
// requests and ticks, and hears through a Host what to send and when to run
// its clocks. The random generator and the dictionary come from the owner,
// so a seeded game replays exactly. Every input checks the phase itself, so
// no request or tick can run a step out of its turn.

#include "core/board.h"
#include "core/messages.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <random>

namespace glyphon {

class ServerGame
{
public:
    static constexpr int PlayerCount = 2;
    // The origin of a request made by the program that owns the game (a
    // game started from its command line), not by any seat.
    static constexpr int LocalRequest = 0;

    enum class Phase { NoGame, Turn, PauseBeforeTurn, PauseBeforeWinnerTest, PauseBeforeRound };

    // What a computer player decided for its turn.
    struct ComputerMove
    {
        enum Kind { Wait, Pass, Word } kind = Wait; // Wait lets the time run out
        QList<int> positions;
    };

    // What the game needs from its owner: the seats, the dictionary, the
    // computer player, the clocks, and where messages go.
    class Host
    {
    public:
        virtual ~Host() = default;
        virtual void broadcast(const QByteArray &message) = 0;
        virtual void sendTo(int seat, const QByteArray &message) = 0;
        // A person plays the seat; otherwise the computer does.
        virtual bool playsItself(int seat) const = 0;
        virtual QByteArray shownName(int seat) const = 0;
        virtual bool isWord(const QString &word) = 0;
        virtual ComputerMove computerMove(int seat) = 0;
        // The pace clock restarts its period on every new count, and stops
        // when the game has nothing more to wait for.
        virtual void restartPace() = 0;
        virtual void stopPace() = 0;
        // The computer's delay runs from the start of its turn.
        virtual void armComputer(bool on) = 0;

        // A game is about to start: the seats drop what belonged to the last
        // one (a player who just watched plays again).
        virtual void newGame() {}
        virtual void gameStarted(int /*playtoscore*/, int /*timeperturn*/) {}
        virtual void roundStarted(int /*round*/) {}
        virtual void turnStarted(int /*seat*/) {}
        virtual void timeUp(int /*seat*/) {}
        virtual void wordAccepted(int /*seat*/, const QString & /*word*/, int /*points*/) {}
        virtual void wordRejected(int /*seat*/, RejectReason, const QString & /*word*/) {}
        virtual void roundEnded(int /*round*/) {}
        virtual void gameWon(int /*seat*/, const QByteArray & /*name*/) {}
    };

    ServerGame(Host &host, std::mt19937 &random);

    // Only the host's own seat, or the owner itself, may start (and so end)
    // a game.
    static bool mayStart(int fromSeat) { return fromSeat == 1 || fromSeat == LocalRequest; }

    // Inputs. start() begins a new game from nought even while one runs;
    // false when fromSeat may not start one.
    bool start(int fromSeat, const msg::StartGame &request);
    void submit(int fromSeat, const msg::SubmitIt &request);
    // One tick of the pace clock and of the computer's delay. A count ends
    // at its last tick, or at the first tick after its ticks' time has
    // passed on the pace clock, whichever comes first.
    void tick();
    // The pace's monotonic clock (ms) and one tick's length: a host that
    // missed ticks (stopped, or busy in a long handler) must not lengthen
    // the turn or pause it resumes in. Without a clock only ticks count.
    void setPaceClock(std::function<qint64()> clock, int tickMs);
    // The pace waits (its owner skips ticks on purpose): the count stands,
    // and its deadline moves along with it.
    void holdPace();
    void computerTick();
    // The seat stopped playing (left, or chose to watch): a turn it holds
    // passes on at once; a pause keeps its action.
    void playerGone(int seat);
    // The running turn passes to the other player at once.
    void passTurn();
    // The running turn's time is up now, as when its clock runs out.
    void endTurn();
    // The computer's move for seat, if the turn is its and it has not moved.
    void computerPlay(int seat);
    // No game, as before the first start: clocks stopped, counts, scores and
    // words cleared; the board stays as it lies.
    void reset();

    int score(int seat) const { return isPlayerSeat(seat) ? m_scores[size_t(seat)] : 0; }
    // Owners lay scores as they lay tiles: tests and replays.
    void setScore(int seat, int score)
    {
        if (isPlayerSeat(seat))
            m_scores[size_t(seat)] = score;
    }

    Phase phase() const { return m_phase; }
    bool isOn() const { return m_phase != Phase::NoGame; }
    bool inTurn() const { return m_phase == Phase::Turn; }
    int round() const { return m_round; }
    int currentPlayer() const { return m_current; }
    int playToScore() const { return m_playToScore; }
    int timePerTurn() const { return m_timePerTurn; }
    int pauseTicks() const { return m_breakcount; }
    PaceAction pendingAction() const;
    int computerTicks() const { return m_computerTicks; }
    bool computerDue() const { return m_computerDue; }
    bool computerMoving() const { return m_computerMoving; }
    const QStringList &usedWords() const { return m_used; }
    bool isUsed(const QString &word) const { return m_used.contains(word); }
    // This round's accepted words, each the CMD_hisword exactly as it was
    // broadcast, in order: a newcomer hears them before the board.
    const QList<QByteArray> &roundWords() const { return m_roundWords; }
    // The owner may lay tiles (tests, replays); the game reads it afresh.
    Board &board() { return m_board; }
    const Board &board() const { return m_board; }
    msg::LoadStats loadStats(int seat) const;

private:
    static bool isPlayerSeat(int seat) { return seat >= 1 && seat <= PlayerCount; }
    // The steps, each run only from an input that checked the phase.
    void startRound();
    void createBoard();
    void findPlayer();
    void timeUp();
    void endRound();
    void checkForWin();
    void lockThemUp();
    void setPace(Phase phase, qint64 ticks);
    void reject(int seat, RejectReason reason, const QString &word);

    Host &m_host;
    std::mt19937 &m_random;
    Board m_board;
    Phase m_phase = Phase::NoGame;
    std::array<int, PlayerCount + 1> m_scores{};
    int m_round = 0;
    int m_current = 0;
    int m_playToScore = 0;
    int m_timePerTurn = 0;
    int m_breakcount = 0;
    std::function<qint64()> m_paceClock;
    int m_tickMs = 1000;
    qint64 m_paceDeadline = 0;
    int m_computerTicks = 0;
    bool m_computerDue = false;
    bool m_computerMoving = false;
    quint64 m_turnSerial = 0; // counts turns, so the computer moves once per turn
    quint64 m_computerMovedTurn = 0;
    QStringList m_used; // accepted this round, lower case, in order
    QList<QByteArray> m_roundWords;
};

} // namespace glyphon
