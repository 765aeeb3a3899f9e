#pragma once
// ClientSession: one window's session with a game host, free of widgets. It
// owns the line to the host, what the window knows of the game, who this
// copy is (its name, the host's address, whether it hosts) and whether it is
// logged in. Each message from the host is decoded by its definition, taken
// into the game model, and told as news in the game's words; the window
// renders the news and the model and calls the commands. A message that does
// not decode, or whose name the session does not know, is ignored.

#include "core/clientgame.h"
#include "protocol/linepace.h"
#include "core/messages.h"
#include "session/gamenews.h"

#include <QByteArray>
#include <QChar>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <utility>

enum class TSocketInfo;

namespace glyphon {

class Reconnector;
class ServerLink;

class ClientSession : public QObject
{
    Q_OBJECT
public:
    // Whom leaving the game concerns.
    enum class Role { Solo, Host, Joiner };

    // gamePort: the port a joiner connects to.
    explicit ClientSession(const QString &gamePort, QObject *parent = nullptr);
    ~ClientSession() override;

    ServerLink *link() const { return m_link; }
    ClientGame *game() const { return m_game; }
    // The pace of coming back after a lost connection (a joiner's).
    Reconnector *reconnector() const { return m_reconnector; }

    // --- Who this copy is ------------------------------------------------
    bool isconnected() const { return m_connected; }
    bool ishost() const { return m_host; }
    const QString &myname() const { return m_name; }
    const QString &hostaddress() const { return m_hostAddress; }
    Role role() const { return m_solo ? Role::Solo : m_host ? Role::Host : Role::Joiner; }
    // A game against the computer on this computer, as "You".
    void setSolo();
    // A game with others: the name as the host will show it.
    void setPlayer(const QString &name, const QString &hostAddress);

    // --- The line ----------------------------------------------------------
    // This copy hosts: its own window connects to its own server's port.
    void connectToOwnHost(const QString &port);
    // Joins hostaddress on the game port; a host that never gives a seat
    // within the join time limit is reported by sessionEnded.
    void join();
    // The host gave a seat: logs in with the name, and tells the seat news.
    // False when the seat was handed back: while reconnecting, only the old seat
    // will do.
    bool logIn(const msg::SendLoginInfo &m);
    // The connection cannot serve any more (it failed, or the host closed it).
    void setDisconnected() { m_connected = false; }
    // Seat 1 (the host's own, where the host has a window) left and nobody
    // took it since: a connection closing now was ended by the host.
    bool seatOneLeft() const { return m_seatOneLeft; }
    // The window has accepted its close: a lost line is not brought back.
    void setClosing() { m_closing = true; }

    // --- Coming back after a lost connection (joiners only) -----------------
    bool reconnecting() const;
    // True (and says why) when input must wait for the connection.
    bool refuseWhileReconnecting();
    // True once after the seat came back: the settings are not read again.
    bool takeRejoined() { return std::exchange(m_rejoined, false); }
    // Sends one framed message while connected.
    void send(const QByteArray &message);
    // Start Game: the play-to score and the time per turn as the user typed
    // them; the host reads a field that is no number as its default.
    void requestStart(const QString &playToScore, const QString &timePerTurn);
    // The own clock ran out: no input until the host says what comes next.
    void clockRanOut() { m_game->closeInput(); }

    // --- Lines for everybody: chat, actions, chatter sounds -----------------
    // Said in the status line when a line would go faster than the host
    // relays it.
    static inline const QString SlowDownText = QStringLiteral("Slow down: one line a second.");
    // Chat and action lines past the pace that wait their turn, each to go
    // whole and alone; beyond these the caller keeps what the user typed.
    static constexpr int MaxWaitingLines = 5;
    // Each goes at the host's pace (a burst of LineBurst, then
    // LinesPerSecond) with its text cut as the host cuts it. A chat or
    // action line past the pace waits, behind those already waiting, and
    // goes as soon as the pace allows. False when it neither went nor
    // waits: not connected, or too fast with MaxWaitingLines waiting (a
    // sound never waits); then SlowDownText is said, so the caller can keep
    // what the user typed.
    bool sendChat(const msg::ChatText &text);
    bool sendAction(const msg::ChatText &text);
    bool sendSound(const QByteArray &sound);
    int waitingLines() const { return int(m_waiting.size()); }
    // The monotonic clock of the line pace, in ms; tests drive it.
    void setClock(std::function<qint64()> nowMs);
    // Hands one message to the signal its name says; false when it went nowhere.
    bool dispatch(const QByteArray &message);

    // --- The word being built during the own turn --------------------------
    // The tiles chosen, in order.
    const QList<int> &chosen() const { return m_chosen; }
    bool isChosen(int position) const { return m_chosen.contains(position); }
    bool wordFull() const { return m_chosen.size() >= MaxSubmissionTiles; }
    // The chosen tiles' letters in capitals.
    QString wordText() const;
    // A left click on the tile: a usable tile not in the word yet joins it
    // during the own turn; a locked one is refused aloud.
    void chooseTile(int position);
    // The last tile back (Backspace, a click on the word).
    void takeBack();
    // Every chosen tile back (Escape, CLEAR).
    void clearWord();
    // SUBMIT: a word of two tiles at least goes to the host; no more input
    // until it answers.
    void submitWord();
    // The chosen tiles go back without a sound: what the host says now
    // replaces the turn.
    void dropWord();

    // --- Spelling with the keyboard ---------------------------------------
    // A game runs, this copy plays, and the turn is another's.
    bool waitingForOwnTurn() const;
    // A letter typed before the own turn: not kept, and said so once a turn.
    void typedTooEarly();
    // No usable tile carries the letter: said aloud, and the next Enter
    // does not send what is left of the word.
    void letterRefused(QChar letter);
    // Enter: submits, unless a letter was refused since; then it warns once.
    void enterTyped();
    // Backspace and Escape mean the word as it now stands.
    void forgetRefusedLetter() { m_refusedLetter = QChar(); }

signals:
    // Tiles that joined or left the word; the word's text may have changed.
    void wordChanged(const QList<int> &positions);
    // A line for the chat pane's status, a sound to play, a box to show.
    void statusLine(const QString &text);
    void soundCue(const QString &name);
    void refusal(const QString &text);

    // The socket's news, as TSock reports it.
    void socketInfo(TSocketInfo info, const QString &text);
    // The session cannot go on and the window closes once text is read: a
    // joiner got no seat in time (or its line failed before one came), or
    // the host sent more than may wait to be handled (the line is closed
    // and never tried again: a hostile host would flood each new line too).
    void sessionEnded(const QString &text);
    // Reconnecting has used its time; the session counts itself
    // disconnected. A player's window closes; a spectator's stays.
    void reconnectionGaveUp();

    // --- What the host said, once the game model has taken it --------------
    void seatOffered(const msg::SendLoginInfo &m); // the session logs in itself
    void chatLine(const QByteArray &data); // a chat or action line
    void soundPlayed(const msg::PlayASound &m);
    void seatNews(const SeatNews &news);
    void turnNews(const TurnNews &news);
    void gameNews(const GameNews &news);

public:
    // --- Commands over who plays ---------------------------------------------
    // Options > Just Watch, and the host's menu on a player's name: a
    // request for a player seat, once logged in.
    void justWatch(int seat, bool watch);
    // The host's removal of a player or a spectator; nothing for anybody else.
    void removeFromGame(int seat);

private:
    friend struct SessionRoutes;
    void startTurn();
    void createReconnector();
    // The socket's news; true when reconnecting took it.
    bool reconnectionTook(TSocketInfo info);
    // A line may go now; says why not.
    bool takeLine();
    qint64 now() const;
    bool sendLine(bool action, const msg::ChatText &text);
    void sendLineNow(bool action, const msg::ChatText &text);
    void sendWaitingLines();
    void socketReported(TSocketInfo info, const QString &text);
    void takeTiles(const QList<int> &positions);
    QString unreachableText() const;

    ServerLink *m_link;
    ClientGame *m_game;
    QString m_gamePort;
    QString m_name;
    QString m_hostAddress;
    bool m_connected = false;
    bool m_host = false;
    bool m_solo = false;
    bool m_closing = false;
    bool m_seatOneLeft = false;
    Reconnector *m_reconnector = nullptr;
    bool m_rejoined = false;
    QList<int> m_chosen;
    QChar m_refusedLetter;        // a typed letter had no tile; Enter warns once
    bool m_toldTooEarly = false;  // letters typed before the own turn were reported
    // Between the own arrival and the host's state (or any other game news)
    // a word is history: the host replays the round's words to a newcomer.
    enum class History { Closed, Open, Replaying };
    History m_history = History::Closed;
    QElapsedTimer m_clock;
    std::function<qint64()> m_now;
    LineBucket m_lines;
    // Lines past the pace, in order: whether an action, and the text.
    QList<std::pair<bool, msg::ChatText>> m_waiting;
    QTimer *m_waitingTimer = nullptr;
};

} // namespace glyphon
