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

} // namespace glyphon
