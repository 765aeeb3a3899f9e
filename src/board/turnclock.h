#pragma once
// The turn's countdown: turntime ticks once a second while a turn runs; each
// tick takes a second from timeleft, shortens the bar by barstep pixels,
// colours the clock and marks the last seconds with the tick sound. At 0 the
// turn takes no more input.

#include <QObject>

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

    // Counts down from timeleft, the first tick a second from now.
    void restart();
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
    BoardControls &m_board;
    QTimer *m_turntime;
    int m_timeleft = 0;
    int m_barstep = 0;
};

} // namespace glyphon
