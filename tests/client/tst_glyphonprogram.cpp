// The real desktop program, started as a user's session would start it.

#include "protocol/wire.h"

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

QTEST_GUILESS_MAIN(TstGlyphonProgram)
#include "tst_glyphonprogram.moc"
