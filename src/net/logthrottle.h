#pragma once
// LogThrottle: lets a log line about one subject (an address and a reason)
// through at most once per window, counting the ones it holds back, so that
// a peer who repeats a fault thousands of times cannot fill the disk.

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

namespace glyphon {

class LogThrottle
{
public:
    explicit LogThrottle(qint64 windowMs = 60000, int maxSubjects = 4096);

    // True when a line about subject may be written at nowMs (a monotonic
    // clock); held then says how many were held back since the last one.
    bool admit(const QString &subject, qint64 nowMs, int *held = nullptr);
    // The subjects whose window has passed with lines held back, and how
    // many: the report counts as the subject's line for a new window, so a
    // repeat that stopped is still counted and one that goes on stays at
    // one line a window. Called now and then.
    QList<QPair<QString, int>> takeHeld(qint64 nowMs);
    // Some line is held back and not reported yet.
    bool holding() const;

private:
    struct Entry
    {
        qint64 written = 0;
        int held = 0;
    };
    QHash<QString, Entry> m_entries;
    qint64 m_windowMs;
    int m_maxSubjects;
};

} // namespace glyphon
