// The reconnection's pace: pauses of 1, 2, 4 ... units, and never a pause
// that runs past the two minutes. The test keeps the clock, so the budget is
// exact however slow the machine.

#include "session/reconnector.h"

#include <QSignalSpy>
#include <QTest>

using glyphon::Reconnector;

class TstReconnector : public QObject
{
    Q_OBJECT
private slots:
    void pausesDoubleAndEndAtTheLimit();
};

void TstReconnector::pausesDoubleAndEndAtTheLimit()
{
    qint64 now = 0;
    QList<int> pauses;
    int opened = 0;
    Reconnector *self = nullptr;
    Reconnector reconnector({[] {}, [&] {
                                 ++opened;
                                 // Each attempt fails at once.
                                 QMetaObject::invokeMethod(self, &Reconnector::attemptFailed, Qt::QueuedConnection);
                             },
                             [](const QString &) {}});
    self = &reconnector;
    reconnector.setPauseUnitMs(1);
    reconnector.setClock([&] { return now; });
    // Time passes only by the pauses themselves.
    connect(&reconnector, &Reconnector::waiting, [&](int ms) {
        pauses << ms;
        now += ms;
    });
    QSignalSpy gaveUp(&reconnector, &Reconnector::gaveUp);

    reconnector.connectionLost();
    QTRY_COMPARE(gaveUp.count(), 1);
    // 1 + 2 + ... + 32 = 63 units; the last pause takes the 57 left of 120.
    QCOMPARE(pauses, QList<int>({1, 2, 4, 8, 16, 32, 57}));
    QCOMPARE(opened, 7);
    QCOMPARE(reconnector.attempts(), 7);
    QVERIFY(!reconnector.active());
}

QTEST_MAIN(TstReconnector)
#include "tst_reconnector.moc"
