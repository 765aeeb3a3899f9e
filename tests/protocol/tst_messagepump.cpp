// The pump on its own: framing per connection, connections taking turns, a
// closed connection's last messages, pausing, and the bounds.

#include "protocol/messagepump.h"

#include <QTest>

using namespace glyphon;

class TstMessagePump : public QObject
{
    Q_OBJECT
private slots:
    void oneMessagePerTickInTurns();
    void quietConnectionGoesBeforeAFlooder();
    void closedConnectionIsHeardOut();
    void pausedPumpHandsOutNothing();
    void messagesKeepTheTimeTheyWereRead();
    void boundsDropTheConnection();
    void byteCapCountsWhatWaitsNow();
};

namespace {

struct Recorder
{
    QStringList seen;
    MessagePump::Handler handler()
    {
        return [this](MessagePump::ConnectionId from, const QByteArray &m) {
            seen << QString::number(from) + ':' + QString::fromLatin1(m);
        };
    }
};

} // namespace

void TstMessagePump::oneMessagePerTickInTurns()
{
    MessagePump pump(3600 * 1000); // ticks only when the test says so
    Recorder r;
    pump.setHandler(r.handler());
    QCOMPARE(pump.feed(1, "CMD_a+1\xFF" "CMD_a+2\xFF" "CMD_a"), MessagePump::Fed::Ok);
    QCOMPARE(pump.feed(2, "CMD_b+1\xFF"), MessagePump::Fed::Ok);
    // The first arrival at rest goes at once, once the event loop runs.
    QTRY_COMPARE(r.seen, QStringList{"1:CMD_a+1"});
    pump.tick();
    pump.tick();
    QCOMPARE(r.seen, (QStringList{"1:CMD_a+1", "2:CMD_b+1", "1:CMD_a+2"}));
    pump.feed(1, "+3\xFF");
    QCOMPARE(pump.queued(1), 1);
    pump.tick();
    QCOMPARE(r.seen.last(), QStringLiteral("1:CMD_a+3"));
    pump.tick(); // nothing left: the pump rests
    QVERIFY(!pump.timer()->isActive());
}

void TstMessagePump::quietConnectionGoesBeforeAFlooder()
{
    MessagePump pump(3600 * 1000);
    Recorder r;
    pump.setHandler(r.handler());
    // Everybody has spoken once before the flood starts.
    for (const MessagePump::ConnectionId id : {1, 2, 4})
        pump.feed(id, "CMD_login\xFF");
    QTRY_COMPARE(r.seen.size(), 1);
    pump.tick();
    pump.tick();
    QByteArray flood;
    for (int i = 0; i < 50; ++i)
        flood += "CMD_chat+3+x\xFF";
    pump.feed(3, flood);
    pump.tick();
    // Each quiet line goes at the very next tick, however long the flood.
    for (const MessagePump::ConnectionId quiet : {1, 2, 4}) {
        pump.feed(quiet, "CMD_chat+" + QByteArray::number(quiet) + "+hi\xFF");
        pump.tick();
        QCOMPARE(r.seen.last(), QString::number(quiet) + ":CMD_chat+" + QString::number(quiet) + "+hi");
    }
    // Those just served take their turn after the flooder's: it is slowed,
    // never starved. A newcomer has waited for nothing, so it goes last: a
    // flooder coming back on a new connection does not jump the line.
    pump.feed(9, "CMD_login\xFF");
    pump.feed(1, "CMD_a\xFF");
    pump.feed(2, "CMD_b\xFF");
    for (int i = 0; i < 4; ++i)
        pump.tick();
    QCOMPARE(r.seen.mid(r.seen.size() - 4), (QStringList{"3:CMD_chat+3+x", "1:CMD_a", "2:CMD_b", "9:CMD_login"}));
}

void TstMessagePump::closedConnectionIsHeardOut()
{
    MessagePump pump(3600 * 1000);
    Recorder r;
    pump.setHandler(r.handler());
    pump.feed(7, "CMD_x+1\xFF" "CMD_x+2\xFF");
    pump.closed(7);
    QTRY_COMPARE(r.seen.size(), 1);
    pump.tick();
    QCOMPARE(r.seen, (QStringList{"7:CMD_x+1", "7:CMD_x+2"}));
    QCOMPARE(pump.queued(), 0);
    // A forgotten connection's messages never come out.
    pump.feed(8, "CMD_y+1\xFF" "CMD_y+2\xFF");
    pump.forget(8);
    pump.tick();
    QTest::qWait(1);
    QCOMPARE(r.seen.size(), 2);
}

void TstMessagePump::pausedPumpHandsOutNothing()
{
    MessagePump pump(3600 * 1000);
    Recorder r;
    pump.setHandler(r.handler());
    pump.setPaused(true);
    pump.feed(1, "CMD_a+\xFF");
    pump.tick();
    QTest::qWait(1);
    QVERIFY(r.seen.isEmpty());
    pump.setPaused(false);
    QVERIFY(pump.timer()->isActive());
    pump.tick();
    QCOMPARE(r.seen, QStringList{"1:CMD_a+"});
}

void TstMessagePump::messagesKeepTheTimeTheyWereRead()
{
    // Held by a box for seconds, the pump still tells each message's
    // arrival, not the moment it was handed out; a message's tail read later
    // counts from when it was whole.
    qint64 now = 1000;
    MessagePump pump(3600 * 1000);
    pump.setClock([&now] { return now; });
    QList<qint64> stamps;
    pump.setHandler([&](MessagePump::ConnectionId, const QByteArray &) { stamps << pump.readAt(); });
    pump.setPaused(true);
    pump.feed(1, "CMD_a+1\xFF" "CMD_a");
    now = 1250;
    pump.feed(1, "+2\xFF");
    pump.feed(2, "CMD_b+1\xFF");
    now = 21000;
    pump.setPaused(false);
    pump.tick();
    pump.tick();
    pump.tick();
    QCOMPARE(stamps, (QList<qint64>{1000, 1250, 1250}));
}

void TstMessagePump::boundsDropTheConnection()
{
    MessagePump pump(3600 * 1000, 2, 16);
    QCOMPARE(pump.feed(1, QByteArray(17, 'x')), MessagePump::Fed::Overlong);
    QCOMPARE(pump.queued(1), 0);
    // Exactly the cap is still taken; one more is not.
    QCOMPARE(pump.feed(2, "a\xFF" "b\xFF"), MessagePump::Fed::Ok);
    QCOMPARE(pump.queued(2), 2);
    QCOMPARE(pump.feed(2, "c\xFF"), MessagePump::Fed::Overfull);
    QCOMPARE(pump.queued(), 0);
}

// The byte cap is on what waits at one moment, not on all a connection ever
// sent: an honest host streams far more than the cap over a game.
void TstMessagePump::byteCapCountsWhatWaitsNow()
{
    MessagePump pump(3600 * 1000);
    Recorder r;
    pump.setHandler(r.handler());
    pump.setMaxQueuedBytes(64);
    const QByteArray message = QByteArray(30, 'm') + '\xFF'; // two fit, three do not
    for (int i = 0; i < 20; ++i) {
        QCOMPARE(pump.feed(1, message + message), MessagePump::Fed::Ok);
        for (int ticks = 0; ticks < 2 && pump.queued(1) > 0; ++ticks)
            pump.tick();
        QCOMPARE(pump.queued(1), 0);
    }
    QCOMPARE(r.seen.size(), 40);
    QCOMPARE(pump.feed(1, message + message + message), MessagePump::Fed::Overfull);
}

QTEST_GUILESS_MAIN(TstMessagePump)
#include "tst_messagepump.moc"
