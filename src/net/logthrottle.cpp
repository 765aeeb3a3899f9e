#include "net/logthrottle.h"

#include <algorithm>

namespace glyphon {

LogThrottle::LogThrottle(qint64 windowMs, int maxSubjects)
    : m_windowMs(windowMs)
    , m_maxSubjects(maxSubjects)
{
}

bool LogThrottle::admit(const QString &subject, qint64 nowMs, int *held)
{
    if (held)
        *held = 0;
    auto it = m_entries.find(subject);
    if (it != m_entries.end()) {
        if (nowMs - it->written < m_windowMs) {
            ++it->held;
            return false;
        }
        if (held)
            *held = it->held;
        *it = Entry{nowMs, 0};
        return true;
    }
    // Subjects quiet for a whole window are forgotten; while the table is
    // still full, new subjects go unlogged rather than growing it.
    if (m_entries.size() >= m_maxSubjects) {
        m_entries.removeIf([&](const auto &e) { return nowMs - e.value().written >= m_windowMs; });
        if (m_entries.size() >= m_maxSubjects)
            return false;
    }
    m_entries.insert(subject, Entry{nowMs, 0});
    return true;
}

QList<QPair<QString, int>> LogThrottle::takeHeld(qint64 nowMs)
{
    QList<QPair<QString, int>> due;
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->held > 0 && nowMs - it->written >= m_windowMs) {
            due.append({it.key(), it->held});
            *it = Entry{nowMs, 0};
        }
    }
    return due;
}

bool LogThrottle::holding() const
{
    return std::any_of(m_entries.cbegin(), m_entries.cend(), [](const Entry &e) { return e.held > 0; });
}

} // namespace glyphon
