#include "server/logthrottle.h"

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

} // namespace glyphon
