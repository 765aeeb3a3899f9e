#include "server/closelog.h"
#include "server/serverlog.h"

namespace glyphon {

CloseLog::CloseLog(QObject *parent)
    : QObject(parent)
{
    m_uptime.start();
    m_heldWatch.setInterval(10000);
    connect(&m_heldWatch, &QTimer::timeout, this, &CloseLog::reportHeld);
}

void CloseLog::note(const QString &address, const QString &why, const QString &line)
{
    int held = 0;
    if (!m_throttle.admit(QStringLiteral("%1 (%2)").arg(address, why), now(), &held)) {
        if (!m_heldWatch.isActive())
            m_heldWatch.start();
        return;
    }
    qCInfo(lcServer).noquote()
        << (held == 0 ? line : QStringLiteral("%1 (and %2 times more since the last note)").arg(line).arg(held));
}

void CloseLog::reportHeld()
{
    for (const auto &[subject, held] : m_throttle.takeHeld(now()))
        qCInfo(lcServer).noquote()
            << QStringLiteral("%1 more lines about %2 since the last note").arg(held).arg(subject);
    if (!m_throttle.holding())
        m_heldWatch.stop();
}

} // namespace glyphon
