#include "protocol/wire.h"

#include <QTest>

using namespace glyphon;

class TestWire : public QObject
{
    Q_OBJECT

private slots:
    void framing_data();
    void framing();
    void capClosesTheDoor();
    void splitCommand_data();
    void splitCommand();
    void fieldReader();
    void numbers_data();
    void numbers();
};

using Chunks = QList<QByteArray>;
// Messages expected after each chunk, "|"-joined; "~" stands for an empty message.
using Expected = QStringList;

void TestWire::framing_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<Expected>("expected");
    QTest::addColumn<int>("pendingAfter");

    QTest::newRow("split inside the command name")
        << Chunks{"CMD_end", "round+\xFF"} << Expected{"", "CMD_endround+"} << 0;
    QTest::newRow("two messages in one read")
        << Chunks{"CMD_nextplayer+1+\xFF" "CMD_timeup+1+\xFF"}
        << Expected{"CMD_nextplayer+1+|CMD_timeup+1+"} << 0;
    QTest::newRow("adjacent terminators give an empty message")
        << Chunks{"CMD_a+\xFF\xFF" "CMD_b+\xFF"} << Expected{"CMD_a+|~|CMD_b+"} << 0;
    QTest::newRow("rest kept for the next read")
        << Chunks{"CMD_a+1\xFF" "CMD_b+", "2\xFF" "CMD_c"}
        << Expected{"CMD_a+1", "CMD_b+2"} << 5;
    QTest::newRow("one byte at a time")
        << Chunks{"C", "M", "D", "_", "x", "+", "\xFF"}
        << Expected{"", "", "", "", "", "", "CMD_x+"} << 0;
}

void TestWire::framing()
{
    QFETCH(Chunks, chunks);
    QFETCH(Expected, expected);
    QFETCH(int, pendingAfter);

    FrameBuffer frames;
    for (int i = 0; i < chunks.size(); ++i) {
        QList<QByteArray> out;
        QVERIFY(frames.append(chunks[i], out));
        QStringList got;
        for (const QByteArray &m : out)
            got << (m.isEmpty() ? QStringLiteral("~") : QString::fromLatin1(m));
        QCOMPARE(got.join(u'|'), expected[i]);
    }
    QCOMPARE(frames.pending(), pendingAfter);
}

void TestWire::capClosesTheDoor()
{
    const qsizetype cap = FrameBuffer::DefaultMaxPending;
    QList<QByteArray> out;

    // A message just under the cap, delivered in pieces, passes whole.
    FrameBuffer frames;
    const QByteArray big = "CMD_chat+3+" + QByteArray(cap - 12, 'x');
    QVERIFY(frames.append(big.left(40000), out));
    QVERIFY(out.isEmpty());
    QVERIFY(frames.append(big.mid(40000) + Terminator, out));
    QCOMPARE(out.size(), 1);
    QCOMPARE(out.first(), big);
    QCOMPARE(frames.pending(), 0);

    // Unterminated input may fill the cap but not pass it.
    out.clear();
    QVERIFY(frames.append(QByteArray(cap, 'y'), out));
    QVERIFY(!frames.append("y", out));
    QVERIFY(out.isEmpty());
    QCOMPARE(frames.pending(), 0);
}

void TestWire::splitCommand_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("data");

    QTest::newRow("name without plus is no command") << QByteArray("CMD_endround") << QByteArray() << QByteArray();
    QTest::newRow("name with plus") << QByteArray("CMD_endround+") << QByteArray("CMD_endround") << QByteArray();
    QTest::newRow("empty message") << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("data keeps its plus signs")
        << QByteArray("CMD_chat+3+a+b|clBlack") << QByteArray("CMD_chat") << QByteArray("3+a+b|clBlack");
    QTest::newRow("empty name") << QByteArray("+3") << QByteArray() << QByteArray("3");
}

void TestWire::splitCommand()
{
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, data);
    const Command c = glyphon::splitCommand(message);
    QCOMPARE(c.name, name);
    QCOMPARE(c.data, data);
}

void TestWire::fieldReader()
{
    // Fields, then "the rest" with its "+" and non-ASCII text intact.
    const QByteArray chat = "3+" + toWire(QStringLiteral("Zoë chats: 1+1=2 €|clBlue"));
    FieldReader r(chat);
    QCOMPARE(r.nextInt(), std::optional<int>(3));
    QCOMPARE(fromWire(r.rest()), QStringLiteral("Zoë chats: 1+1=2 €|clBlue"));
    QVERIFY(r.atEnd());
    QCOMPARE(r.next(), QByteArray());

    // Repeated groups read until the data is used up; an empty last field
    // ends the list.
    FieldReader groups("1+Bob+0+2+Ann+1+");
    QList<QByteArray> seen;
    while (!groups.atEnd())
        seen << groups.next();
    QCOMPARE(seen, (QList<QByteArray>{"1", "Bob", "0", "2", "Ann", "1"}));

    // A field that is not a number is consumed all the same.
    FieldReader bad("x1+7");
    QCOMPARE(bad.nextInt(), std::nullopt);
    QCOMPARE(bad.nextInt(), std::optional<int>(7));
    QVERIFY(bad.atEnd());
}

void TestWire::numbers_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<std::optional<int>>("value");
    QTest::newRow("seat") << QByteArray("2") << std::optional<int>(2);
    QTest::newRow("negative") << QByteArray("-1") << std::optional<int>(-1);
    QTest::newRow("largest") << QByteArray("2147483647") << std::optional<int>(2147483647);
    QTest::newRow("too large") << QByteArray("99999999999") << std::optional<int>();
    QTest::newRow("empty") << QByteArray() << std::optional<int>();
    QTest::newRow("blank before") << QByteArray(" 2") << std::optional<int>();
    QTest::newRow("tab before") << QByteArray("\t2") << std::optional<int>();
    QTest::newRow("line break after") << QByteArray("2\r\n") << std::optional<int>();
    QTest::newRow("sign alone") << QByteArray("-") << std::optional<int>();
    QTest::newRow("digits then letters") << QByteArray("2x") << std::optional<int>();
}

void TestWire::numbers()
{
    QFETCH(QByteArray, text);
    QFETCH(std::optional<int>, value);
    QCOMPARE(parseInt(text), value);
}

QTEST_APPLESS_MAIN(TestWire)
#include "tst_wire.moc"
