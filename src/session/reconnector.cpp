#include "session/reconnector.h"

#include <QTimer>

namespace glyphon {

Reconnector::Reconnector(Hooks hooks, QObject *parent)
    : QObject(parent), m_hooks(std::move(hooks)), m_pause(new QTimer(this)), m_attemptLimit(new QTimer(this))
{
    m_pause->setSingleShot(true);
    m_pause->setTimerType(Qt::PreciseTimer); // a coarse one may end early and squeeze in one more try
    m_attemptLimit->setSingleShot(true);
    connect(m_pause, &QTimer::timeout, this, &Reconnector::tryNow);
    connect(m_attemptLimit, &QTimer::timeout, this, &Reconnector::attemptFailed);
}

void Reconnector::connectionLost()
{
    if (m_state == State::Idle) {
        m_nextPause = 1;
        m_since.start();
        m_attempts = 0;
    }
    if (m_state == State::Waiting)
        return;
    m_hooks.status(QStringLiteral("The connection to the host was lost. Reconnecting..."));
    waitForNext();
}

void Reconnector::attemptFailed()
{
    if (m_state != State::Trying)
        return;
    waitForNext();
}

void Reconnector::succeeded()
{
    if (m_state == State::Idle)
        return;
    m_state = State::Idle;
    m_pause->stop();
    m_attemptLimit->stop();
    m_hooks.status(QStringLiteral("Reconnected to the game."));
}

void Reconnector::stop()
{
    m_state = State::Idle;
    m_pause->stop();
    m_attemptLimit->stop();
}

void Reconnector::waitForNext()
{
    m_attemptLimit->stop();
    const qint64 elapsed = m_clock ? m_clock() : m_since.elapsed();
    const qint64 leftMs = qint64(BudgetUnits) * m_unitMs - elapsed;
    if (leftMs <= 0) {
        m_state = State::Idle;
        m_hooks.status(QStringLiteral("Could not reconnect to the host."));
        emit gaveUp();
        return;
    }
    // Waiting is set first: closing reports a close, which must not count
    // as one more failure.
    m_state = State::Waiting;
    m_hooks.closeSocket();
    // The last pause is cut short, so the last attempt comes at the limit.
    const qint64 pauseMs = std::min<qint64>(qint64(m_nextPause) * m_unitMs, leftMs);
    m_nextPause *= 2;
    m_pause->start(int(pauseMs));
    emit waiting(int(pauseMs));
}

void Reconnector::tryNow()
{
    m_hooks.closeSocket();
    m_state = State::Trying;
    ++m_attempts;
    m_attemptLimit->start(AttemptUnits * m_unitMs);
    m_hooks.status(QStringLiteral("Reconnecting to the host (attempt %1)...").arg(m_attempts));
    m_hooks.openSocket();
}

} // namespace glyphon
