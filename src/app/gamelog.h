#pragma once
// What glyphon-server writes about its games: each start, round, word and
// winner, and a note for each arrival, departure, rejected word and closed
// connection. Those a peer's own sending causes are noted once per address,
// reason and minute (see CloseLog): a peer that repeats one thousands of
// times must not fill the disk. Names and words are written escaped, so
// none can start a line of its own.

#include "server/closelog.h"

#include <QElapsedTimer>
#include <QObject>

class TServer;

namespace glyphon {

class GameLog : public QObject
{
    Q_OBJECT
public:
    explicit GameLog(TServer &server, QObject *parent = nullptr);

signals:
    // The winner's line has been written.
    void gameOver();

private:
    QString playerLabel(int seat) const;
    QString seatAddress(int seat) const;

    TServer &m_server;
    CloseLog m_closeLog;
    QElapsedTimer m_clock;
    int m_accepted = 0;
    int m_rejected = 0;
};

} // namespace glyphon
