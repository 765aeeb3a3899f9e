#include "board/countdown.h"

#include <QTest>

class tst_Countdown : public QObject
{
    Q_OBJECT

private slots:
    void text_data()
    {
        QTest::addColumn<int>("timeleft");
        QTest::addColumn<QString>("expected");
        QTest::newRow("90") << 90 << "Time: 1:30";
        QTest::newRow("65") << 65 << "Time: 1:05";
        QTest::newRow("60") << 60 << "Time: 1:00";
        QTest::newRow("10") << 10 << "Time: 0:10";
        QTest::newRow("9") << 9 << "Time: 0:09";
        QTest::newRow("1") << 1 << "Time: 0:01";
        QTest::newRow("0") << 0 << "Time: 0:00";
        QTest::newRow("-3") << -3 << "Time: 0:00";
        QTest::newRow("long turn") << 600 << "Time: 10:00";
    }
    void text()
    {
        QFETCH(int, timeleft);
        QFETCH(QString, expected);
        QCOMPARE(glyphon::countdownText(timeleft), expected);
    }

    void colourTurnsRedBelowTwenty()
    {
        QCOMPARE(glyphon::countdownColour(90), QColor(Qt::black));
        QCOMPARE(glyphon::countdownColour(20), QColor(Qt::black));
        QCOMPARE(glyphon::countdownColour(19), QColor(160, 0, 0));
        QCOMPARE(glyphon::countdownColour(1), QColor(160, 0, 0));
    }

    void ticksOnlyInTheLastSeconds()
    {
        QList<int> ticking;
        for (int t = 100; t >= -2; --t)
            if (glyphon::countdownTicks(t))
                ticking.append(t);
        QCOMPARE(ticking, (QList<int>{20, 15, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    }

    void barstep_data()
    {
        QTest::addColumn<int>("turnlength");
        QTest::addColumn<int>("expected");
        QTest::newRow("90") << 90 << 4;
        QTest::newRow("30") << 30 << 12;
        QTest::newRow("120") << 120 << 3;
        QTest::newRow("longer than the bar") << 400 << 0;
        QTest::newRow("zero") << 0 << 0;
        QTest::newRow("negative") << -5 << 0;
    }
    void barstep()
    {
        QFETCH(int, turnlength);
        QFETCH(int, expected);
        QCOMPARE(glyphon::barstep(turnlength), expected);
    }

    void singleTick_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("barWidth");
        QTest::addColumn<bool>("ticks");
        QTest::addColumn<bool>("expired");
        // A newcomer arriving with 7 pause ticks left starts at 7 - 4 = 3.
        QTest::newRow("newcomer") << 3 << 2 << "Time: 0:02" << 8 << true << false;
        QTest::newRow("21 to 20") << 21 << 20 << "Time: 0:20" << 80 << true << false;
        QTest::newRow("20 to 19") << 20 << 19 << "Time: 0:19" << 76 << false << false;
        QTest::newRow("last second") << 1 << 0 << "Time: 0:00" << 0 << false << true;
        // The timer keeps ticking until stopped and must stay at 0.
        QTest::newRow("after expiry") << 0 << 0 << "Time: 0:00" << 0 << false << true;
        QTest::newRow("negative arrival") << -2 << 0 << "Time: 0:00" << 0 << false << true;
    }
    void singleTick()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(QString, text);
        QFETCH(int, barWidth);
        QFETCH(bool, ticks);
        QFETCH(bool, expired);
        const auto tick = glyphon::countdownTick(before, 4);
        QCOMPARE(tick.timeleft, after);
        QCOMPARE(tick.text, text);
        QCOMPARE(tick.barWidth, barWidth);
        QCOMPARE(tick.ticks, ticks);
        QCOMPARE(tick.expired, expired);
        if (!expired)
            QCOMPARE(tick.colour, glyphon::countdownColour(after));
    }

    // A tick against the turn's deadline (ms on a monotonic clock): late
    // ticks catch up, ticks driven by hand still take their second.
    void tickAgainstDeadline_data()
    {
        QTest::addColumn<int>("shown");
        QTest::addColumn<qint64>("now"); // the deadline is at 30000
        QTest::addColumn<int>("after");
        QTest::addColumn<qint64>("nextInMs");
        QTest::newRow("on the second") << 30 << qint64(1000) << 29 << qint64(1000);
        QTest::newRow("a little late") << 30 << qint64(1400) << 29 << qint64(600);
        QTest::newRow("3.5 s late catches up") << 30 << qint64(4500) << 26 << qint64(500);
        QTest::newRow("driven by hand, no time gone") << 30 << qint64(0) << 29 << qint64(2000);
        QTest::newRow("held past the end") << 12 << qint64(31000) << 0 << qint64(0);
        QTest::newRow("last second") << 1 << qint64(29999) << 0 << qint64(0);
    }
    void tickAgainstDeadline()
    {
        QFETCH(int, shown);
        QFETCH(qint64, now);
        QFETCH(int, after);
        QFETCH(qint64, nextInMs);
        const auto tick = glyphon::countdownTickAt(shown, 4, 30000, now);
        QCOMPARE(tick.timeleft, after);
        QCOMPARE(tick.expired, after == 0);
        QCOMPARE(tick.text, glyphon::countdownText(after));
        if (after > 0)
            QCOMPARE(glyphon::msUntilNextSecond(after, 30000, now), nextInMs);
    }
};

QTEST_APPLESS_MAIN(tst_Countdown)
#include "tst_countdown.moc"
