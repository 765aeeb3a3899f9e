// The real desktop program, started as a user's session would start it.

#include "protocol/wire.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

class TstGlyphonProgram : public QObject
{
    Q_OBJECT
private slots:
    void printsHelpAndVersionWithoutWindow();
    void signalClosesLikeExit_data();
    void signalClosesLikeExit();
    void unwritableWordFileIsSaid();
    void portThatIsNoPortIsRefused_data();
    void portThatIsNoPortIsRefused();
    void hostingEndsAfterItsGoodbyes();
};

static quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

void TstGlyphonProgram::printsHelpAndVersionWithoutWindow()
{
    QProcess program;
    // No display at all: answering must not need one.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "none-such");
    program.setProcessEnvironment(env);
    program.start(GLYPHON_PROGRAM, {"--version"});
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(program.readAllStandardOutput().trimmed(), QByteArray("glyphon 1.0.2"));
    program.start(GLYPHON_PROGRAM, {"--help"});
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(program.readAllStandardOutput().startsWith("Usage: glyphon"));
}

void TstGlyphonProgram::signalClosesLikeExit_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("SIGINT") << int(SIGINT);
}

// A session that ends or a kill must not leave the word file behind: a
// later start would take that stale copy for the user's own and keep it.
void TstGlyphonProgram::signalClosesLikeExit()
{
    QFETCH(int, signalNumber);
    QTemporaryDir dir;
    const quint16 port = freePort();
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("GLYPHON_PORT", QString::number(port));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(dir.path());
    program.start(GLYPHON_PROGRAM, {});
    QVERIFY(program.waitForStarted(10000));

    // The solo game hosts: a second connection gets a seat of its own.
    QTcpSocket probe;
    QTRY_VERIFY_WITH_TIMEOUT((probe.connectToHost(QHostAddress::LocalHost, port),
                              probe.waitForConnected(200)), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(probe.bytesAvailable() > 0 || probe.waitForReadyRead(100), 10000);
    QVERIFY(probe.readAll().startsWith("CMD_sendlogininfo+"));
    QVERIFY(QFileInfo::exists(dir.filePath("English")));

    ::kill(pid_t(program.processId()), signalNumber);
    QVERIFY(program.waitForFinished(15000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(dir.filePath("English")));
}

// Neither the working folder nor the temporary folder takes the word file.
void TstGlyphonProgram::unwritableWordFileIsSaid()
{
    QTemporaryDir dir;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TMPDIR", dir.filePath("none"));
    program.setProcessEnvironment(env);
    // Nobody, not even the superuser, makes files there.
    program.setWorkingDirectory(QStringLiteral("/proc"));
    program.start(GLYPHON_PROGRAM, {});
    QVERIFY(program.waitForStarted(10000));
    QByteArray error;
    QTRY_VERIFY_WITH_TIMEOUT((error += program.readAllStandardError()).contains("glyphon: Cannot write the word file"),
                             15000);
    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(15000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 2);
}

void TstGlyphonProgram::portThatIsNoPortIsRefused_data()
{
    QTest::addColumn<QString>("port");
    QTest::newRow("words") << "abc";
    QTest::newRow("a number and more") << "7772x";
    QTest::newRow("0: nobody could join it") << "0";
    QTest::newRow("past the last port") << "65536";
    QTest::newRow("negative") << "-1";
}

// Not the default in silence: the user meant some port, and hosting or
// joining elsewhere would only puzzle everybody.
void TstGlyphonProgram::portThatIsNoPortIsRefused()
{
    QFETCH(QString, port);
    QTemporaryDir dir;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("GLYPHON_PORT", port);
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(dir.path());
    program.start(GLYPHON_PROGRAM, {});
    QVERIFY(program.waitForStarted(10000));
    // Said on standard error as the box goes up; nobody answers the box
    // here, so a kill ends it, which must leave the same exit code.
    const QByteArray said = "glyphon: GLYPHON_PORT wants a number from 1 to 65535.";
    QByteArray error;
    QTRY_VERIFY_WITH_TIMEOUT((error += program.readAllStandardError()).contains(said), 15000);
    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(15000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 2);
    QVERIFY(!QFileInfo::exists(dir.filePath("English"))); // no game was set up
}

// A kill closes a hosting window at once, but the program lives on until
// the lobby has answered its removal or the 3 s cap has passed: a program
// that ended with its window would leave its game listed until the lobby's
// next probe. This lobby never answers the removal.
void TstGlyphonProgram::hostingEndsAfterItsGoodbyes()
{
    QTemporaryDir dir;
    // Beside a copy of the program, where it looks for its settings first.
    const QString copy = dir.filePath(QStringLiteral("glyphon"));
    QVERIFY(QFile::copy(GLYPHON_PROGRAM, copy));
    QByteArrayList heard;
    const auto answer = [](QTcpSocket *s, const QByteArray &status, const QByteArray &body) {
        s->write("HTTP/1.1 " + status + "\r\nContent-Type: application/json\r\nContent-Length: "
                 + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    };
    QTcpServer lobby;
    QVERIFY(lobby.listen(QHostAddress::LocalHost, 0));
    connect(&lobby, &QTcpServer::newConnection, &lobby, [&] {
        while (QTcpSocket *s = lobby.nextPendingConnection()) {
            connect(s, &QTcpSocket::readyRead, s, [&, s] {
                const QByteArray in = s->readAll();
                heard.append(in.left(in.indexOf(' ')));
                if (in.startsWith("DELETE "))
                    return;
                if (in.startsWith("POST "))
                    answer(s, "201 Created", R"({"id":"g1","secret":"s1"})");
                else
                    answer(s, "200 OK", R"({"id":"g1"})");
            });
        }
    });
    QFile settings(dir.filePath(QStringLiteral("marnetlobby.ini")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[Glyphon]\nHelp=2\nListOnLobby=true\nLobbyAddress=http://127.0.0.1:"
                   + QByteArray::number(lobby.serverPort()) + "\n");
    settings.close();
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("GLYPHON_PORT", QString::number(freePort()));
    env.insert("GLYPHON_LOOPBACK_ONLY", "1");
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(dir.path());
    program.start(copy, {"Cid", "x", "true"});
    QVERIFY(program.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(heard.contains("POST"), 15000);

    QElapsedTimer clock;
    clock.start();
    ::kill(pid_t(program.processId()), SIGTERM);
    // Not waitForFinished(): the lobby answers from this event loop.
    QTRY_COMPARE_WITH_TIMEOUT(program.state(), QProcess::NotRunning, 15000);
    QVERIFY(heard.contains("DELETE"));
    QVERIFY2(clock.elapsed() >= 1500, "the program ended without waiting for the lobby");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TstGlyphonProgram)
#include "tst_glyphonprogram.moc"
