#pragma once
// What happened in the game, in its own words, once the session has taken
// the host's message into the game model: who came, left or chose to watch,
// how a turn went, how the game goes. A window renders these; the facts it
// would otherwise have to work out (is it me, did I win, does the computer
// join, which name to announce) are worked out here.

#include "core/messages.h"
#include "core/rules.h"

#include <QByteArray>

namespace glyphon {

struct SeatNews
{
    enum Kind {
        LoggedIn, // the own seat was offered and taken
        Arrived,  // a player or spectator came (the host's list, one each)
        Left,     // somebody the window knew went: who.name is the one to announce
        Watching, // a player seat was set to just watch, or to play again
    };
    Kind kind = Arrived;
    msg::SeatEntry who; // seat, name as on the wire, watching
    bool me = false;    // who is this window's own seat
    // Arrived, me: the first time in this session, not back after a lost line.
    bool firstTime = true;
};

struct TurnNews
{
    enum Kind {
        Started,     // seat's turn begins
        WordPlayed,  // seat's word was taken: word, points
        WordRefused, // seat's word was refused: reason, word
        TimeUp,      // seat's time ran out
        Restored,    // the host's state: seat is the player in turn
        Paused,      // the line was lost; the turn is nobody's until it is back
    };
    static TurnNews of(Kind kind, int seat = 0)
    {
        TurnNews news;
        news.kind = kind;
        news.seat = seat;
        return news;
    }

    Kind kind = Started;
    int seat = 0;
    QByteArray word;
    int points = 0;
    RejectReason reason = RejectReason::NotAWord;
    // Restored: ticks left of the pace's count, and whether a turn runs
    // (else the game waits for the next turn).
    int pauseTicks = 0;
    bool turnRunning = false;
    // TimeUp: the computer played the seat and let its turn go before the
    // clock ran out (it passes at once when it finds no word, or chooses to).
    bool passed = false;
    // WordPlayed: a word of this round played before this window came (or
    // came back), replayed by the host ahead of its state. It belongs in
    // the word lists only: no sound, status line or last-word mark.
    bool history = false;
    // Started, Restored: when the host's message was read (monotonic ms), so
    // a clock started late still ends on time; -1 when unknown (now).
    qint64 readAt = -1;
};

struct GameNews
{
    enum Kind {
        Started,      // name started the game
        RoundStarted,
        RoundEnded,
        Won,          // name won
        Full,         // the host had no seat left for this window
    };
    static GameNews of(Kind kind, const QByteArray &name = {}, bool me = false)
    {
        GameNews news;
        news.kind = kind;
        news.name = name;
        news.me = me;
        return news;
    }

    Kind kind = Started;
    QByteArray name;
    bool me = false;            // Started: by the own seat; Won: the own seat won
    bool computerJoins = false; // Started: the computer takes the free second seat
};

} // namespace glyphon
