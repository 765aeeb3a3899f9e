// Seeded games played from scripts of client lines and ticks; what the game
// sends is compared byte for byte with the recorded transcript beside each
// script. GLYPHON_RERECORD=1 rewrites the transcripts: read the diff.
//
// Script lines:
//   seed N | words W... | seat N NAME | seat N computer
//   lay P LETTERS        letters on P, P+1, ... of one row
//   hold S P1-P2         tiles P1..P2 (board order) held by seat S
//   start DATA           the host's CMD_startgame data
//   seat N: MESSAGE      a client line from seat N (CMD_submitit+...)
//   seat N leaves        the seat empties during the game
//   tick N | computer tick
//   pass turn | end turn  the turn passes on, or its time is up, at once
//   computer plays P+P.. | computer passes   the computer's next decision

#include "core/servergame.h"
#include "board_support.h"

#include "protocol/wire.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTest>

using namespace glyphon;
using namespace glyphon::test;

namespace {

class ScriptHost : public ServerGame::Host
{
public:
    QByteArray out;
    QByteArray names[3];
    bool person[3] = {false, false, false};
    QSet<QString> words;
    ServerGame::ComputerMove nextMove;

    void line(const QByteArray &text) { out += text + '\n'; }
    void broadcast(const QByteArray &message) override { line("all: " + message.chopped(1)); }
    void sendTo(int seat, const QByteArray &message) override
    {
        line("to " + QByteArray::number(seat) + ": " + message.chopped(1));
    }
    bool playsItself(int seat) const override { return person[seat]; }
    QByteArray shownName(int seat) const override { return names[seat]; }
    bool isWord(const QString &word) override { return words.contains(word); }
    ServerGame::ComputerMove computerMove(int) override { return std::exchange(nextMove, {}); }
    void restartPace() override {}
    void stopPace() override {}
    void armComputer(bool on) override
    {
        if (on)
            line("(computer to move)");
    }
};

QList<int> numbers(const QByteArray &text, char separator)
{
    QList<int> list;
    for (const QByteArray &part : text.split(separator))
        list << part.toInt();
    return list;
}

// Runs the script; returns the transcript, or an error line.
QByteArray play(const QByteArray &script)
{
    ScriptHost host;
    std::mt19937 random;
    ServerGame game(host, random);
    for (const QByteArray &raw : script.split('\n')) {
        const QByteArray text = raw.trimmed();
        if (text.isEmpty() || text.startsWith('#'))
            continue;
        host.line("> " + text);
        const QList<QByteArray> w = text.split(' ');
        const int seat = w.size() > 1 ? w[1].toInt() : 0;
        if (w[0] == "seed") {
            random.seed(w[1].toUInt());
        } else if (w[0] == "words") {
            for (qsizetype i = 1; i < w.size(); ++i)
                host.words.insert(QString::fromLatin1(w[i]));
        } else if (w[0] == "lay") {
            for (qsizetype i = 0; i < w[2].size(); ++i)
                setTile(game.board(), w[1].toInt() + int(i), w[2][i], 0);
        } else if (w[0] == "hold") {
            const QList<int> range = numbers(w[2], '-');
            for (int p : tilePositions())
                if (p >= range.first() && p <= range.last())
                    game.board().cell(p).owner = seat;
        } else if (w[0] == "start") {
            game.start(ServerGame::LocalRequest, *msg::StartGame::decode(w[1]));
        } else if (w[0] == "tick") {
            for (int i = 0; i < w[1].toInt(); ++i)
                game.tick();
        } else if (text == "computer tick") {
            game.computerTick();
        } else if (text == "pass turn") {
            game.passTurn();
        } else if (text == "end turn") {
            game.endTurn();
        } else if (w[0] == "computer") {
            host.nextMove.kind = w[1] == "passes" ? ServerGame::ComputerMove::Pass : ServerGame::ComputerMove::Word;
            if (w.size() > 2)
                host.nextMove.positions = numbers(w[2], '+');
        } else if (w[0] == "seat" && w.size() == 3 && w[2] == "computer") {
            host.names[seat] = "Rizi";
            host.person[seat] = false;
        } else if (w[0] == "seat" && w.size() == 3 && w[2] == "leaves") {
            host.person[seat] = false;
            game.playerGone(seat);
        } else if (w[0] == "seat" && w[1].endsWith(':')) {
            const Command command = splitCommand(w[2]);
            if (command.name != msg::SubmitIt::Name)
                return "unknown request: " + text;
            game.submit(w[1].chopped(1).toInt(), *msg::SubmitIt::decode(command.data));
        } else if (w[0] == "seat" && w.size() == 3) {
            host.names[seat] = w[2];
            host.person[seat] = true;
        } else {
            return "unknown line: " + text;
        }
    }
    return host.out;
}

} // namespace

class TstTranscript : public QObject
{
    Q_OBJECT
private slots:
    void replaysAsRecorded_data();
    void replaysAsRecorded();
};

void TstTranscript::replaysAsRecorded_data()
{
    QTest::addColumn<QString>("name");
    // A game to a win with a lock and refused words; a player leaving in
    // the middle of a turn; the computer's turns, a word and a pass; inputs
    // out of their phase.
    for (const char *name : {"win", "leaving", "computer", "outofphase"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TstTranscript::replaysAsRecorded()
{
    QFETCH(QString, name);
    const QDir data(QStringLiteral(GLYPHON_TEST_DATA));
    QFile script(data.filePath(name + QStringLiteral(".script")));
    QVERIFY(script.open(QIODevice::ReadOnly));
    const QByteArray transcript = play(script.readAll());
    QFile recorded(data.filePath(name + QStringLiteral(".transcript")));
    if (qEnvironmentVariableIsSet("GLYPHON_RERECORD")) {
        QVERIFY(recorded.open(QIODevice::WriteOnly));
        recorded.write(transcript);
        recorded.close();
    }
    QVERIFY(recorded.open(QIODevice::ReadOnly));
    const QByteArray expected = recorded.readAll();
    if (transcript != expected) {
        // The first line that differs says more than two whole files.
        const QList<QByteArray> a = transcript.split('\n'), b = expected.split('\n');
        for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
            QCOMPARE(a[i], b[i]);
        QCOMPARE(a.size(), b.size());
    }
}

QTEST_GUILESS_MAIN(TstTranscript)
#include "tst_transcript.moc"
