#pragma once
// The turn's countdown: turntime ticks once a second while a turn runs; each
// tick takes a second from timeleft, shortens the bar by barstep pixels,
// colours the clock and marks the last seconds with the tick sound. At 0 the
// turn takes no more input.
//
// The turn ends at a deadline on a monotonic clock, counted from when the
// host's message was read: a window whose messages were held (a box open)
// or whose ticks came late shows the time really left, not the ticks it
// happened to see.

#include "board/countdown.h"

#include <QObject>

#include <functional>

class QTimer;

namespace glyphon {

class BoardControls;

class TurnClock : public QObject
{
    Q_OBJECT
public:
    explicit TurnClock(BoardControls &board, QObject *parent = nullptr);

    QTimer *turntime() const { return m_turntime; }
    int timeleft() const { return m_timeleft; }
    void setTimeleft(int seconds) { m_timeleft = seconds; }
    int barstep() const { return m_barstep; }
    // A game's turn length: the pixels the bar loses per second follow it.
    void setTurnLength(int turnLength);

    // Milliseconds of a monotonic clock; tests inject their own.
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

    // Counts down timeleft from readAt (the clock's time the turn's message
    // was read; -1 for now), the next tick when a second has gone. Handled
    // late, it shows what is left at once; a turn already over expires.
    void restart(qint64 readAt = -1);
    // One tick of turntime.
    void tick();
    // The clock as timeleft stands, without waiting for the next tick.
    void show();
    // Between turns: stopped, and the full time of the turn to come in the
    // resting colour, not the last turn's seconds in red.
    void showAtRest(int turnLength);

signals:
    void ticking(); // a second the tick sound marks
    void expired();

private:
    void showTick(const CountdownTick &tick);

    BoardControls &m_board;
    QTimer *m_turntime;
    int m_timeleft = 0;
    int m_barstep = 0;
    qint64 m_deadline = 0;
    std::function<qint64()> m_clock;
};

} // namespace glyphon
