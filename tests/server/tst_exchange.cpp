// Whole exchanges: the login of a second player against the real
// glyphon-server program, a seeded game opening in-process, and a headless
// game followed to its winner by a connection that just watches.

#include "server_support.h"

#include "board_support.h"
#include "dictionary/random.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace glyphon;
using namespace glyphon::test;

namespace {

QString serverProgram()
{
    const QString fromEnv = qEnvironmentVariable("GLYPHON_SERVER_PROGRAM");
    return fromEnv.isEmpty() ? QStringLiteral(GLYPHON_SERVER_PROGRAM) : fromEnv;
}

// glyphon-server in a folder of its own, on a port the system chose.
class ServerProcess
{
public:
    explicit ServerProcess(const QStringList &args)
    {
        m_process.setWorkingDirectory(m_dir.path());
        m_process.start(serverProgram(), QStringList{"--port", "0"} + args);
    }
    ~ServerProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    // The port from the line the program prints when it listens.
    quint16 waitListening()
    {
        static const QRegularExpression listening(QStringLiteral("listening on port (\\d+)"));
        spinUntil([&] {
            m_output += m_process.readAllStandardOutput();
            return listening.match(QString::fromUtf8(m_output)).hasMatch();
        });
        return quint16(listening.match(QString::fromUtf8(m_output)).captured(1).toUInt());
    }
    QString output()
    {
        m_output += m_process.readAllStandardOutput();
        return QString::fromUtf8(m_output);
    }
    QProcess &process() { return m_process; }
    QDir dir() const { return QDir(m_dir.path()); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QByteArray m_output;
};

QByteArray framed(const QList<QByteArray> &messages)
{
    QByteArray bytes;
    for (const QByteArray &m : messages)
        bytes += m + Terminator;
    return bytes;
}

} // namespace

class TstExchange : public QObject
{
    Q_OBJECT
private slots:
    void exampleLoginAgainstRunningServer();
    void seededGameOpening();
    void headlessGameFollowedByWatcher();
    void commandLine_data();
    void commandLine();
    void endsCleanlyWhenOutputOrTerminalGoes_data();
    void endsCleanlyWhenOutputOrTerminalGoes();
};

void TstExchange::exampleLoginAgainstRunningServer()
{
    ServerProcess host({});
    const quint16 port = host.waitListening();
    QVERIFY(port != 0);

    TestClient bob;
    QCOMPARE(bob.join(port), 1);
    QVERIFY(bob.login("Bob"));
    const qsizetype bobBefore = bob.raw().size();

    TestClient ann;
    QVERIFY(ann.connectTo(port));
    QCOMPARE(ann.next(), QByteArray("CMD_sendlogininfo+2"));
    ann.seat = 2;
    ann.sendRaw(QByteArray("CMD_logininfo+2+1.0.2+Ann") + Terminator);
    QVERIFY(!ann.waitFor("CMD_existingplayers+").isEmpty());
    QVERIFY(ann.sync().isEmpty());
    QVERIFY(ann.raw().startsWith(framed({"CMD_sendlogininfo+2", "CMD_newplayerinfo+2+Ann+0",
                                         "CMD_existingplayers+1+Bob+0"})));
    QVERIFY(!bob.waitFor("CMD_chat+2+Ann chats: sync-1").isEmpty());
    QVERIFY(bob.raw().mid(bobBefore).startsWith(framed({"CMD_newplayerinfo+2+Ann+0"}) + "CMD_chat+2+"));

    // Bob starts; both see the game open with his turn.
    bob.sendRaw(QByteArray("CMD_startgame+Bob+200+60+") + Terminator);
    for (TestClient *c : {&bob, &ann}) {
        QCOMPARE(c->next(), QByteArray("CMD_startgame+Bob+200+60+"));
        QCOMPARE(c->next(), QByteArray("CMD_roundstart+1+"));
        const QByteArray letters = c->next();
        QVERIFY(letters.startsWith("CMD_theletters+11+"));
        QCOMPARE(letters.count('+'), 36 * 3 + 1);
        QVERIFY(letters.endsWith('+'));
        QCOMPARE(c->next(), QByteArray("CMD_nextplayer+1+"));
    }

    // It ends cleanly on a signal and takes away the word file it wrote.
    QVERIFY(host.dir().exists("English"));
    ::kill(pid_t(host.process().processId()), SIGTERM);
    QVERIFY(host.process().waitForFinished(5000));
    QCOMPARE(host.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(host.process().exitCode(), 0);
    QVERIFY(!host.dir().exists("English"));
    QVERIFY(bob.waitClosed());
}

void TstExchange::seededGameOpening()
{
    WordFolder words({"tea"});
    std::mt19937 random(5);
    const QList<int> expectedDeal = Board().deal(random);

    ServerFixture f(5);
    TestClient *bob = f.player("Bob");
    TestClient *ann = f.player("Ann");
    const qsizetype annBefore = ann->raw().size();
    bob->sendRaw(QByteArray("CMD_startgame+Bob+200+60+") + Terminator);
    QVERIFY(!ann->waitFor("CMD_nextplayer+1+").isEmpty());
    QByteArray letters = "CMD_theletters";
    for (int n : expectedDeal)
        letters += '+' + QByteArray::number(n);
    letters += '+';
    QCOMPARE(ann->raw().mid(annBefore),
             framed({"CMD_startgame+Bob+200+60+", "CMD_roundstart+1+", letters, "CMD_nextplayer+1+"}));

    // Bob spells "tea" from 11, 12 (value 3) and 13.
    TServer &s = f.server();
    setTile(s.board(), 11, 't');
    setTile(s.board(), 12, 'e', 0, 3);
    setTile(s.board(), 13, 'a');
    const qsizetype annWord = ann->raw().size();
    bob->sendRaw(QByteArray("CMD_submitit+1+11+12+13") + Terminator);
    QCOMPARE(ann->next(), QByteArray("CMD_hisword+1+TEA+5+5+11+12+13"));
    f.ticks(1);
    f.ticks(1);
    QCOMPARE(ann->next(), QByteArray("CMD_nextplayer+2+"));
    QCOMPARE(ann->raw().mid(annWord), framed({"CMD_hisword+1+TEA+5+5+11+12+13", "CMD_nextplayer+2+"}));
}

void TstExchange::headlessGameFollowedByWatcher()
{
    ServerProcess host({"--start-game", "100,30", "--tick-ms", "2", "--seed", "7", "--quit-after-game"});
    const quint16 port = host.waitListening();
    QVERIFY(port != 0);

    TestClient watcher;
    const int seat = watcher.join(port);
    QVERIFY(seat >= 1);
    watcher.send("CMD_logininfo", {QByteArray::number(seat), "1.0.2", "Watcher"});
    const QByteArray stats = watcher.waitFor("CMD_loadstats+");
    QVERIFY2(!stats.isEmpty(), "joined after the game had ended");
    watcher.send("CMD_justwatch", {QByteArray::number(seat), "1"});

    QByteArray winner;
    QVERIFY(spinUntil([&] {
        for (QByteArray m = watcher.next(0); !m.isEmpty(); m = watcher.next(0)) {
            if (m.startsWith("CMD_winner+"))
                winner = m;
        }
        return !winner.isEmpty();
    }, 60000));
    QVERIFY(host.process().waitForFinished(10000));
    QCOMPARE(host.process().exitCode(), 0);
    QVERIFY(!host.dir().exists("English"));

    // Every word after the login is seen: each total is the last one plus
    // the word's points.
    const QList<QByteArray> statsFields = stats.split('+');
    int totals[3] = {0, statsFields.at(2).toInt(), statsFields.at(3).toInt()};
    int words = 0;
    bool sawWatching = false;
    int wordsWhileWatching = 0;
    // A connection hears broadcasts from its accept on; the totals count from the login's state.
    const QList<QByteArray> all = watcher.messages();
    for (const QByteArray &m : all.mid(all.indexOf(stats))) {
        if (m == "CMD_justwatching+" + QByteArray::number(seat) + "+1")
            sawWatching = true;
        if (!m.startsWith("CMD_hisword+"))
            continue;
        const QList<QByteArray> fields = m.split('+');
        const int mover = fields.at(1).toInt();
        QVERIFY(mover == 1 || mover == 2);
        QCOMPARE(fields.at(4).toInt(), totals[mover] + fields.at(3).toInt());
        totals[mover] = fields.at(4).toInt();
        ++words;
        if (sawWatching && mover == seat)
            ++wordsWhileWatching;
    }
    QVERIFY(words > 0);
    if (seat <= 2)
        QVERIFY(wordsWhileWatching > 0); // the computer played the watcher's seat
    const int top = totals[1] > totals[2] ? 1 : 2;
    QVERIFY(totals[top] >= 100);
    const QByteArray name = top == 2 ? "Rizi" : (seat == 1 ? "Watcher" : "");
    QCOMPARE(winner, "CMD_winner+" + name + '+');

    // The log names arrivals and the computer's words for a watching
    // player, and gives the winner's score first.
    const QString log = host.output();
    QVERIFY2(log.contains(QStringLiteral("Seat %1: Watcher arrived").arg(seat)), qPrintable(log.left(500)));
    if (seat <= 2)
        QVERIFY(log.contains(QStringLiteral("seat %1 (Rizi for Watcher)").arg(seat)));
    static const QRegularExpression summary(
        QStringLiteral("Winner: .* \\((\\d+) to (\\d+)\\) after (\\d+) rounds; (\\d+) words accepted"));
    const QRegularExpressionMatch match = summary.match(log);
    QVERIFY2(match.hasMatch(), qPrintable(log.right(500)));
    QCOMPARE(match.captured(1).toInt(), totals[top]);
    QCOMPARE(match.captured(2).toInt(), totals[3 - top]);
    QVERIFY(match.captured(4).toInt() >= words);
}

void TstExchange::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("printed");
    QTest::newRow("version") << QStringList{"--version"} << 0 << "1.0.2";
    QTest::newRow("help") << QStringList{"--help"} << 0 << "--quit-after-game";
    QTest::newRow("bad bot speed") << QStringList{"--bot-speed", "fast"} << 2 << "--bot-speed";
    QTest::newRow("odd bot speed") << QStringList{"--bot-speed", "700"} << 2 << "--bot-speed";
    QTest::newRow("bad game") << QStringList{"--start-game", "100"} << 2 << "SCORE,SECONDS";
    QTest::newRow("unknown Rizi level") << QStringList{"--rizi", "classic,hard"} << 2 << "--rizi";
    QTest::newRow("three Rizi levels") << QStringList{"--rizi", "gentle,gentle,strong"} << 2 << "--rizi";
}

void TstExchange::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, printed);
    QProcess p;
    p.start(serverProgram(), args);
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitCode(), exitCode);
    const QString all = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    QVERIFY2(all.contains(printed), qPrintable(all));
}

void TstExchange::endsCleanlyWhenOutputOrTerminalGoes_data()
{
    QTest::addColumn<bool>("hangUp");
    QTest::newRow("reader of its output gone") << false;
    QTest::newRow("terminal hung up") << true;
}

void TstExchange::endsCleanlyWhenOutputOrTerminalGoes()
{
    QFETCH(bool, hangUp);
    QTemporaryDir dir;
    QProcess host;
    QProcess reader;
    host.setWorkingDirectory(dir.path());
    QStringList args{"--port", "0"};
    if (hangUp) {
        host.start(serverProgram(), args);
        QVERIFY(spinUntil([&] { return host.canReadLine(); }));
        QVERIFY(host.readLine().contains("listening on port"));
        ::kill(pid_t(host.processId()), SIGHUP);
    } else {
        // The reader takes the first line and goes; the game goes on printing.
        host.setStandardOutputProcess(&reader);
        reader.start(QStringLiteral("head"), {"-n", "1"});
        // A fixed seed: a game whose round stalls prints nothing more, so the
        // host would never learn that its reader has gone.
        host.start(serverProgram(), args + QStringList{"--start-game", "100,30", "--tick-ms", "2", "--seed", "7",
                                                       "--quit-after-game"});
        QVERIFY(reader.waitForFinished(10000));
        QVERIFY(reader.readAllStandardOutput().contains("listening on port"));
    }
    QVERIFY(host.waitForFinished(60000));
    QCOMPARE(host.exitStatus(), QProcess::NormalExit);
    QCOMPARE(host.exitCode(), 0);
    QVERIFY(!QDir(dir.path()).exists("English"));
}

QTEST_GUILESS_MAIN(TstExchange)
#include "tst_exchange.moc"
