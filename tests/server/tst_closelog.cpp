// The host's close log: one line per address, reason and minute, and what a
// storm left unsaid reported once its minute is over.

#include "server/closelog.h"

#include <QTest>

using glyphon::CloseLog;

namespace {

QStringList written;

void keepLine(QtMsgType, const QMessageLogContext &, const QString &text)
{
    written << text;
}

} // namespace

class TstCloseLog : public QObject
{
    Q_OBJECT
private slots:
    void aStormIsCountedWhenItsMinuteIsOver();
};

void TstCloseLog::aStormIsCountedWhenItsMinuteIsOver()
{
    written.clear();
    const QtMessageHandler before = qInstallMessageHandler(keepLine);
    qint64 nowMs = 0;
    {
        CloseLog log;
        log.setClock([&] { return nowMs; });
        log.setHeldCheckMs(5);
        for (int i = 0; i < 4; ++i)
            log.note(QStringLiteral("192.0.2.9"), QStringLiteral("bad login"), QStringLiteral("Refused 192.0.2.9"));
        QCOMPARE(written, QStringList{"Refused 192.0.2.9"});
        // The storm stops; once its minute is over the log says what it held.
        nowMs = 60001;
        QTRY_COMPARE(written.size(), 2);
        QCOMPARE(written.last(), QStringLiteral("3 more lines about 192.0.2.9 (bad login) since the last note"));
    }
    qInstallMessageHandler(before);
}

QTEST_GUILESS_MAIN(TstCloseLog)
#include "tst_closelog.moc"
