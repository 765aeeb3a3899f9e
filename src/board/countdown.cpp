#include "board/countdown.h"

#include <algorithm>
#include <limits>

namespace glyphon {

QString countdownText(int timeleft)
{
    if (timeleft <= 0)
        return QStringLiteral("Time: 0:00");
    return QStringLiteral("Time: %1:%2").arg(timeleft / 60).arg(timeleft % 60, 2, 10, QLatin1Char('0'));
}

QColor countdownColour(int timeleft)
{
    // A dark red: pure red does not read on the paper behind the clock.
    return timeleft >= 20 ? QColor(0, 0, 0) : QColor(160, 0, 0);
}

bool countdownTicks(int timeleft)
{
    return timeleft == 20 || timeleft == 15 || (timeleft >= 1 && timeleft <= 10);
}

int barstep(int turnlength)
{
    return turnlength > 0 ? 365 / turnlength : 0;
}

CountdownTick countdownTick(int timeleft, int step)
{
    CountdownTick tick;
    // Saturate rather than wrap when a stopped-and-forgotten timer keeps going.
    tick.timeleft = timeleft > 0 ? timeleft - 1 : 0;
    if (tick.timeleft < 1) {
        tick.expired = true;
        tick.text = countdownText(0);
        return tick;
    }
    tick.barWidth = int(std::min<qint64>(qint64(step) * tick.timeleft, std::numeric_limits<int>::max()));
    tick.text = countdownText(tick.timeleft);
    tick.colour = countdownColour(tick.timeleft);
    tick.ticks = countdownTicks(tick.timeleft);
    return tick;
}

int secondsLeft(qint64 deadline, qint64 now)
{
    const qint64 ms = deadline - now;
    if (ms <= 0)
        return 0;
    return int(std::min<qint64>((ms + 999) / 1000, std::numeric_limits<int>::max()));
}

CountdownTick countdownTickAt(int timeleft, int barstep, qint64 deadline, qint64 now)
{
    // countdownTick takes one second off what it is given.
    const qint64 due = qint64(secondsLeft(deadline, now)) + 1;
    return countdownTick(int(std::min<qint64>(timeleft, due)), barstep);
}

qint64 msUntilNextSecond(int shown, qint64 deadline, qint64 now)
{
    return std::max<qint64>(0, deadline - (qint64(shown) - 1) * 1000 - now);
}

} // namespace glyphon
