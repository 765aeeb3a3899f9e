#pragma once
// The turn countdown as the window shows it: the timer text, its colour, the
// tick sound's seconds and the time bar's step.

#include <QColor>
#include <QString>

namespace glyphon {

// "Time: 1:05"; "Time: 0:00" for timeleft <= 0.
QString countdownText(int timeleft);
// Black from 20 seconds up, a dark red (160,0,0) below.
QColor countdownColour(int timeleft);
// Whether the tick sound plays with this many seconds left: 20, 15, 10..1.
bool countdownTicks(int timeleft);
// Pixels the time bar loses per second: 365 div turnlength, 0 when
// turnlength <= 0.
int barstep(int turnlength);

// What one second of the countdown does, from the seconds left before it.
struct CountdownTick
{
    int timeleft = 0;     // after the tick, never below 0
    bool expired = false; // reached 0: the window takes no more input
    int barWidth = 0;     // barstep x timeleft, 0 when expired
    QString text;
    QColor colour;        // invalid when expired: the colour stays as it was
    bool ticks = false;   // play the tick sound
};
CountdownTick countdownTick(int timeleft, int barstep);

// The countdown against the turn's end on a monotonic clock (ms). The
// seconds still to run are rounded up: a 30-second turn shows 30 until a
// whole second has gone.
int secondsLeft(qint64 deadline, qint64 now);
// A tick of the clock timer: a second off, or as many as have really gone
// when the tick comes late (a held event loop, a stalled process).
CountdownTick countdownTickAt(int timeleft, int barstep, qint64 deadline, qint64 now);
// How long until a clock showing `shown` seconds must show one less.
qint64 msUntilNextSecond(int shown, qint64 deadline, qint64 now);

} // namespace glyphon
