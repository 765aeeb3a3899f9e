#pragma once
// CloseLog: the host's lines about closed connections and everything else a
// peer's sending causes (glyphon.server), once per address, reason and minute, so that a peer who repeats a fault
// thousands of times cannot fill the disk. A repeat written after its minute says how many were held back;
// what a storm that has stopped left unsaid is reported within about ten
// seconds of its minute's end.

#include "net/logthrottle.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

namespace glyphon {

class CloseLog : public QObject
{
    Q_OBJECT
public:
    explicit CloseLog(QObject *parent = nullptr);

    // line is written unless a line about address and why was written in the
    // last minute.
    void note(const QString &address, const QString &why, const QString &line);

    // Tests drive the minute and the check for what was held back.
    void setClock(std::function<qint64()> nowMs) { m_now = std::move(nowMs); }
    void setHeldCheckMs(int ms) { m_heldWatch.setInterval(ms); }

private:
    void reportHeld();

    qint64 now() const { return m_now ? m_now() : m_uptime.elapsed(); }

    LogThrottle m_throttle;
    QElapsedTimer m_uptime;
    std::function<qint64()> m_now;
    // Runs only while something is held back.
    QTimer m_heldWatch;
};

} // namespace glyphon
