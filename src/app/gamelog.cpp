#include "app/gamelog.h"

#include "protocol/wire.h"
#include "protocol/peertext.h"
#include "server/serverlog.h"
#include "server/tserver.h"

namespace glyphon {

namespace {

void say(const QString &line)
{
    qCInfo(lcServer).noquote() << line;
}

QString reasonText(int reason)
{
    switch (RejectReason(reason)) {
    case RejectReason::NotAWord: return QStringLiteral("not a word");
    case RejectReason::AlreadyPlayed: return QStringLiteral("already played");
    case RejectReason::LockedTile: return QStringLiteral("locked tile");
    }
    return QStringLiteral("reason %1").arg(reason);
}

} // namespace

GameLog::GameLog(TServer &server, QObject *parent)
    : QObject(parent)
    , m_server(server)
{
    connect(&server, &TServer::gameStarted, this, [this](int score, int seconds) {
        m_clock.start();
        m_accepted = m_rejected = 0;
        say(QStringLiteral("Game to %1 points, %2 s per turn; Rizi plays %3 in seat 1, %4 in seat 2")
                .arg(score).arg(seconds)
                .arg(riziLevelTitle(m_server.riziLevel(1)), riziLevelTitle(m_server.riziLevel(2))));
    });
    connect(&server, &TServer::roundStarted, this, [](int round) { say(QStringLiteral("Round %1").arg(round)); });
    connect(&server, &TServer::wordAccepted, this, [this](int seat, const QString &word, int points) {
        ++m_accepted;
        say(QStringLiteral("  %1: %2 +%3 = %4")
                .arg(playerLabel(seat), word.toUpper()).arg(points).arg(m_server.game().score(seat)));
    });
    connect(&server, &TServer::wordRejected, this, [this](int seat, int reason, const QString &word) {
        ++m_rejected;
        const QString line = QStringLiteral("  %1: %2 rejected (%3)")
                                 .arg(playerLabel(seat), logText(word), reasonText(reason));
        if (m_server.computerMoving())
            say(line);
        else
            m_closeLog.note(seatAddress(seat), QStringLiteral("word rejected on seat %1").arg(seat), line);
    });
    connect(&server, &TServer::connectionDropped, this, [this](int seat, const QString &address, const QString &why) {
        m_closeLog.note(address, why, seat == 0
            ? QStringLiteral("Refused a connection from %1: %2").arg(address, why)
            : QStringLiteral("Closed the connection from %1 on seat %2: %3").arg(address).arg(seat).arg(why));
    });
    connect(&server, &TServer::playerArrived, this, [this](int seat, const QString &name) {
        m_closeLog.note(seatAddress(seat), QStringLiteral("login on seat %1").arg(seat),
                        QStringLiteral("Seat %1: %2 arrived").arg(seat).arg(logText(name)));
    });
    connect(&server, &TServer::seatFreed, this, [this](int seat, const QString &name, const QString &address) {
        if (name.isEmpty())
            m_closeLog.note(address, QStringLiteral("left before its login"),
                            QStringLiteral("Seat %1: the connection from %2 left before its login").arg(seat).arg(address));
        else
            m_closeLog.note(address, QStringLiteral("leaving seat %1").arg(seat),
                            QStringLiteral("Seat %1: %2 left").arg(seat).arg(logText(name)));
    });
    connect(&server, &TServer::gameWon, this, [this](int seat, const QString &) {
        const int other = seat == 1 ? 2 : 1;
        const ServerGame &game = m_server.game();
        say(QStringLiteral("Winner: %1 (%2 to %3) after %4 rounds; %5 words accepted, %6 rejected; %7 s")
                .arg(playerLabel(seat)).arg(game.score(seat)).arg(game.score(other)).arg(game.round())
                .arg(m_accepted).arg(m_rejected).arg(m_clock.elapsed() / 1000.0, 0, 'f', 2));
        emit gameOver();
    });
}

QString GameLog::playerLabel(int seat) const
{
    QString name = fromWire(m_server.seats[seat].shownName());
    // The computer plays a seat that is empty or whose player just watches.
    if (m_server.computerMoving()) {
        const QString player = fromWire(m_server.seats[seat].name);
        const QString rizi = QString::fromLatin1(RiziName);
        name = player.isEmpty() ? rizi : QStringLiteral("%1 for %2").arg(rizi, player);
    }
    return name.isEmpty() ? QStringLiteral("seat %1").arg(seat)
                          : QStringLiteral("seat %1 (%2)").arg(seat).arg(logText(name));
}

QString GameLog::seatAddress(int seat) const
{
    const TSeat &s = m_server.seats[seat];
    return s.connected ? m_server.hub().address(s.conn) : QStringLiteral("seat %1").arg(seat);
}

} // namespace glyphon
