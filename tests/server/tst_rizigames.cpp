// Rizi's levels on the host: a Strong seat's word and a Gentle seat's pass
// through the host's own turn, and whole headless games of glyphon-server.

#include "server_support.h"

#include "board_support.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace glyphon;
using namespace glyphon::test;

namespace {

// The log of a headless seeded game, without the lines that vary from run
// to run (the port, the clock).
QStringList headlessGame(const QStringList &extra, QString *startLine = nullptr)
{
    QTemporaryDir dir;
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(QStringLiteral(GLYPHON_SERVER_PROGRAM), QStringList{"--port", "0", "--start-game", "200,30", "--tick-ms",
                                                                "2", "--quit-after-game"} + extra);
    if (!p.waitForFinished(120000))
        return {};
    QStringList lines;
    for (QString line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1String("Game to"))) {
            if (startLine)
                *startLine = line;
            continue;
        }
        if (line.contains(QLatin1String("listening on port")))
            continue;
        lines << line.remove(QRegularExpression(QStringLiteral("; [0-9.]+ s$")));
    }
    return lines;
}

} // namespace

class TstRiziGames : public QObject
{
    Q_OBJECT
private slots:
    void strongAndGentleTurns();
    void classicPlaysTheGameItAlwaysPlayed();
    void levelsMeetInHeadlessGames();
};

void TstRiziGames::strongAndGentleTurns()
{
    WordFolder words({"at", "cat", "dog", "go", "to"});
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TServer &s = f.server();
    s.setRiziLevel(2, RiziLevel::Strong);
    f.startGame(200, 30, bob);
    QCOMPARE(s.riziLevel(1), RiziLevel::Classic);

    // Bob's "g" makes "dog" worth 4; the strong seat finds it in the
    // host's dictionary, which Rizi's own list does not need to hold.
    s.board() = boardOf("11c 12a 13t 31d 32o 66g");
    s.board().cell(66).owner = 1;
    s.timeup();
    s.timer_breaksTimer();
    s.timer_breaksTimer();
    QCOMPARE(bob->waitFor("CMD_nextplayer+"), QByteArray("CMD_nextplayer+2+"));
    // Nothing has needed the index yet: the move starts its build and
    // waits for it, and the turn's clock waits too.
    QVERIFY(!s.strongIndex());
    s.computertimerTimer();
    QVERIFY(s.strongIndexPending());
    const int ticksLeft = s.game().pauseTicks();
    s.timer_breaksTimer();
    s.computertimerTimer();
    QCOMPARE(s.game().pauseTicks(), ticksLeft);
    QTRY_VERIFY_WITH_TIMEOUT(s.strongIndex(), 20000);
    QCOMPARE(bob->next(), QByteArray("CMD_hisword+2+DOG+4+4+31+32+66"));

    // A Gentle seat on a board where none of its words fits lets the turn
    // pass at once, without waiting for the time to run out.
    s.timer_breaksTimer();
    s.timer_breaksTimer();
    QCOMPARE(bob->waitFor("CMD_nextplayer+"), QByteArray("CMD_nextplayer+1+"));
    s.timeup();
    s.timer_breaksTimer();
    s.timer_breaksTimer();
    QCOMPARE(bob->waitFor("CMD_nextplayer+"), QByteArray("CMD_nextplayer+2+"));
    s.setRiziLevel(2, RiziLevel::Gentle);
    s.board() = plainBoard('x');
    s.computertimerTimer();
    QCOMPARE(bob->next(), QByteArray("CMD_timeup+2+"));
    QCOMPARE(s.game().pendingAction(), PaceAction::NextTurn);
}

void TstRiziGames::classicPlaysTheGameItAlwaysPlayed()
{
    // Recorded before the levels came, with the built-in word lists; run
    // with GLYPHON_RERECORD=1 after the lists change.
    const QString recorded = QStringLiteral(GLYPHON_TEST_DATA "/classic-seed4.txt");
    const QStringList plain = headlessGame({"--seed", "4"});
    QVERIFY(plain.size() > 20);
    QVERIFY(plain.last().startsWith(QLatin1String("Winner: ")));
    if (qEnvironmentVariableIsSet("GLYPHON_RERECORD")) {
        QFile out(recorded);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(plain.join(QLatin1Char('\n')).toUtf8() + '\n');
    }
    QFile in(recorded);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QCOMPARE(plain, QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts));
    QCOMPARE(headlessGame({"--seed", "4", "--rizi", "classic"}), plain);
}

void TstRiziGames::levelsMeetInHeadlessGames()
{
    QString start;
    const QStringList log = headlessGame({"--seed", "9", "--rizi", "strong,gentle"}, &start);
    QCOMPARE(start, QStringLiteral("Game to 200 points, 30 s per turn; Rizi plays Strong in seat 1, Gentle in seat 2"));
    QVERIFY2(!log.isEmpty() && log.last().startsWith(QLatin1String("Winner: ")), qPrintable(log.join('\n')));
    // Gentle's words are three to five letters long.
    for (const QString &line : log) {
        static const QRegularExpression word(QStringLiteral("^  seat 2 \\(Rizi\\): ([A-Z]+) "));
        const QRegularExpressionMatch m = word.match(line);
        if (m.hasMatch())
            QVERIFY2(m.captured(1).size() >= 3 && m.captured(1).size() <= 5, qPrintable(line));
    }
    headlessGame({"--rizi", "Strong"}, &start);
    QVERIFY(start.endsWith(QLatin1String("Rizi plays Strong in seat 1, Strong in seat 2")));
}

QTEST_GUILESS_MAIN(TstRiziGames)
#include "tst_rizigames.moc"
