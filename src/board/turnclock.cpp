#include "board/turnclock.h"

#include "board/boardcontrols.h"
#include "board/countdown.h"
#include "board/fittinglabel.h"
#include "board/turnwidgets.h"
#include "protocol/monotonic.h"

#include <QTimer>

#include <algorithm>

namespace glyphon {

TurnClock::TurnClock(BoardControls &board, QObject *parent)
    : QObject(parent)
    , m_board(board)
    , m_turntime(new QTimer(this))
    , m_clock(monotonicMs)
{
    // Re-armed each tick for the next whole second before the deadline; a
    // coarse timer could show a second early.
    m_turntime->setTimerType(Qt::PreciseTimer);
    m_turntime->setInterval(1000);
}

void TurnClock::setTurnLength(int turnLength)
{
    m_barstep = glyphon::barstep(turnLength);
}

void TurnClock::restart(qint64 readAt)
{
    m_turntime->stop();
    const qint64 now = m_clock();
    const qint64 from = readAt < 0 ? now : std::min(readAt, now);
    m_deadline = from + qint64(m_timeleft) * 1000;
    if (secondsLeft(m_deadline, now) < m_timeleft) {
        // Late: the seconds that have gone are gone, at once.
        showTick(countdownTickAt(m_timeleft, m_barstep, m_deadline, now));
        return;
    }
    m_turntime->start(int(std::min<qint64>(msUntilNextSecond(m_timeleft, m_deadline, now), 1000)));
}

void TurnClock::tick()
{
    showTick(countdownTickAt(m_timeleft, m_barstep, m_deadline, m_clock()));
}

void TurnClock::showTick(const CountdownTick &tick)
{
    m_timeleft = tick.timeleft;
    m_board.timeBar->setBarWidth(std::min(tick.barWidth, TimeBar::FullWidth));
    if (tick.expired) {
        m_turntime->stop();
        m_board.timer->setText(tick.text);
        emit expired();
        return;
    }
    m_turntime->start(int(std::clamp<qint64>(msUntilNextSecond(m_timeleft, m_deadline, m_clock()), 0, 1000)));
    m_board.setClockColour(tick.colour);
    if (tick.ticks)
        emit ticking();
    m_board.timer->setText(tick.text);
}

void TurnClock::show()
{
    m_board.showClock(m_timeleft, m_barstep);
}

void TurnClock::showAtRest(int turnLength)
{
    m_turntime->stop();
    m_board.showClockAtRest(turnLength, m_barstep);
}

} // namespace glyphon
