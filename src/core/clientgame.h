#pragma once
// What one window knows of the game, taken from the host's messages alone:
// the seats with their names, scores and just-watch marks, the spectators,
// the board, whose turn it is, the round and the last word. No widgets: the
// window binds the signals to its controls, and whatever needs a game fact
// (who won, whether a seat is taken, who watches) asks this, never a label.

#include "core/lastmove.h"
#include "core/messages.h"
#include "core/rules.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <array>
#include <optional>

namespace glyphon {

class ClientGame : public QObject
{
    Q_OBJECT
public:
    static constexpr int PlayerSeats = 2;

    // A player seat. The name is the wire's own bytes; the window converts
    // it where it shows it.
    struct Seat
    {
        bool filled = false; // false while the seat waits for a player
        QByteArray name;
        bool watching = false;  // set to just watch
        int score = 0;
        std::optional<int> lastPoints; // the seat's word of this turn
    };

    // A word in a seat's list: as the host spelled it, and its points.
    struct PlayedWord
    {
        QByteArray word;
        int points = 0;
    };

    explicit ClientGame(QObject *parent = nullptr);

    static bool isPlayerSeat(int seat) { return seat >= 1 && seat <= PlayerSeats; }
    // The name a free seat takes when its turn comes: the computer player's
    // for seat 2, none for seat 1.
    static QByteArray nameHint(int seat);

    int mySeat() const { return m_mySeat; }
    bool iPlay() const { return isPlayerSeat(m_mySeat); }
    // A player seat; an empty record for any other number.
    const Seat &seat(int seat) const;
    // The computer plays the player seat's turns: nobody sits there (or only
    // its name does), or its player chose to watch.
    bool computerPlays(int seat) const;
    // True when seat is a player seat held by name.
    bool holds(int seat, const QByteArray &name) const;
    // The names of the other filled player seats, in seat order.
    QList<QByteArray> otherPlayers() const;
    // Spectators in the order they came.
    const QList<msg::SeatEntry> &spectators() const { return m_spectators; }

    const TileGrid &board() const { return m_board; }
    // The seat that may play now; 0 while no input is taken.
    int turn() const { return m_turn; }
    bool myTurn() const { return m_turn != 0 && m_turn == m_mySeat; }
    int turnLength() const { return m_turnLength; }
    int round() const { return m_round; }
    int playTo() const { return m_playTo; }
    bool running() const { return m_running; }
    const LastMove &lastMove() const { return m_lastMove; }
    // The seat's words of this round, in the order they were played.
    const QList<PlayedWord> &words(int seat) const;

    // --- Fed by the decoded messages, in the order they come -------------
    void loggedIn(const msg::SendLoginInfo &m);
    void playerArrived(const msg::SeatEntry &entry);
    // Every spectator is forgotten (each said gone): the host lists them again.
    void forgetSpectators();
    // Returns the name to announce: none for a free seat, the computer
    // player or a spectator nobody knew.
    std::optional<QByteArray> playerLeft(const msg::PlayerDisconnected &m);
    // False for a seat that does not play.
    bool justWatching(const msg::JustWatching &m);
    // Returns true when the computer player takes the free second seat.
    bool gameStarted(const msg::StartGame &m);
    void roundStarted(const msg::RoundStart &m);
    void lettersDealt(const msg::TheLetters &m);
    void turnStarted(const msg::NextPlayer &m);
    // False (and nothing changes) for a seat that does not play. No input
    // until the next turn.
    bool wordAccepted(const msg::HisWord &m);
    // A word of this round played before this window came (or came back),
    // as the host replays it: it joins the seat's word list and nothing
    // else; the board and the scores come with the host's state.
    bool wordReplayed(const msg::HisWord &m);
    // Both word lists empty: the host's replay, or its state, gives them anew.
    void clearWords();
    void wordRejected(const msg::Invalid &m);
    void locksChanged(const msg::LockThemUp &m);
    // Whoever's turn it was, no input until the next one.
    void timeRanOut(const msg::TimeUp &) { closeInput(); }
    // Returns true when the own seat won.
    bool gameWon(const msg::Winner &m);
    void stateLoaded(const msg::LoadStats &m);
    // The own input ends until the host answers (a word sent, time ran out,
    // the connection lost).
    void closeInput() { m_turn = 0; }

signals:
    void seatChanged(int seat);
    void wordsChanged(int seat);
    // A spectator came (present) or went.
    void spectatorChanged(const msg::SeatEntry &entry, bool present);
    // Places to repaint: their tile or their last-word mark changed.
    void tilesChanged(const QList<int> &positions);
    void runningChanged(bool running);
    void roundChanged(int round);
    void playToChanged(int playTo);

private:
    Seat *seatRecord(int seat);
    void setRunning(bool running);
    void takeHintIfFree(int seat);

    int m_mySeat = 0;
    std::array<Seat, PlayerSeats + 1> m_seats{}; // index 0 unused
    std::array<QList<PlayedWord>, PlayerSeats + 1> m_words{};
    QList<msg::SeatEntry> m_spectators;
    TileGrid m_board{};
    int m_turn = 0;
    int m_turnLength = 0;
    int m_round = 0;
    int m_playTo = 0;
    bool m_running = false;
    LastMove m_lastMove;
};

} // namespace glyphon
