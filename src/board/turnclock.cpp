#include "board/turnclock.h"

#include "board/boardcontrols.h"
#include "board/countdown.h"
#include "board/fittinglabel.h"
#include "board/turnwidgets.h"

#include <QTimer>

#include <algorithm>

namespace glyphon {

TurnClock::TurnClock(BoardControls &board, QObject *parent)
    : QObject(parent)
    , m_board(board)
    , m_turntime(new QTimer(this))
{
    m_turntime->setInterval(1000);
}

void TurnClock::setTurnLength(int turnLength)
{
    m_barstep = glyphon::barstep(turnLength);
}

void TurnClock::restart()
{
    m_turntime->stop();
    m_turntime->start();
}

void TurnClock::tick()
{
    const CountdownTick tick = countdownTick(m_timeleft, m_barstep);
    m_timeleft = tick.timeleft;
    m_board.timeBar->setBarWidth(std::min(tick.barWidth, TimeBar::FullWidth));
    if (tick.expired) {
        m_board.timer->setText(tick.text);
        emit expired();
        return;
    }
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
