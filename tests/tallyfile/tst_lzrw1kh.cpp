// The coder against the bytes older copies of the program write, its round
// trips at the piece and run edges, and damaged containers of every kind.

#include "tallyfile/lzrw1kh.h"
#include "tallyfile/tallyfile.h"

#include <QRandomGenerator>
#include <QTest>

using namespace glyphon::tally;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// Text that compresses poorly and well in turns, like a long table.
QByteArray tableLike(qsizetype size)
{
    QByteArray text;
    int n = 0;
    while (text.size() < size)
        text += "Player" + QByteArray::number(n++ * 7919 % 100003) + "\r\n";
    return text.left(size);
}

QByteArray noise(qsizetype size, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &b : bytes)
        b = char(rng.bounded(256));
    return bytes;
}

Expansion expand(const QByteArray &file)
{
    return expandContainer(reinterpret_cast<const uint8_t *>(file.constData()), size_t(file.size()));
}

// The container's blocks, each as (length, data).
QList<QByteArray> blocksOf(const QByteArray &file)
{
    QList<QByteArray> blocks;
    qsizetype pos = 8;
    while (pos + 2 <= file.size()) {
        const int n = uchar(file[pos]) | uchar(file[pos + 1]) << 8;
        blocks << file.mid(pos + 2, n);
        pos += 2 + n;
    }
    return blocks;
}

} // namespace

class TstLzrw1kh : public QObject
{
    Q_OBJECT
private slots:
    void knownBytes_data();
    void knownBytes();
    void roundTrip_data();
    void roundTrip();
    void damaged_data();
    void damaged();
};

void TstLzrw1kh::knownBytes_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("expected");
    // The block alone, then a whole fresh tally file.
    QTest::newRow("runs of eight")
        << compressBlock("AAAAAAAABBBBBBBBCCCCCCCC", 24) << hex("40 54 00 41 00 14 42 00 14 43 00 14");
    QTest::newRow("fresh tally")
        << tallyBytes(ScoreTable())
        << hex("57 52 5a 4c 21 00 00 00 0e 00 40 01 80 39 0d 0a 31 0d 0a 30 00 3f 01 25");
    // A run item carries count - 16 high byte first; the limit is 4095.
    QTest::newRow("run of 4095")
        << compressBlock(QByteArray(4095, 'x').constData(), 4095) << hex("40 80 00 00 0f ef 78");
    QTest::newRow("run of 4096 leaves one literal")
        << compressBlock(QByteArray(4096, 'x').constData(), 4096) << hex("40 80 00 00 0f ef 78 78");
}

void TstLzrw1kh::knownBytes()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, expected);
    QCOMPARE(file.toHex(' '), expected.toHex(' '));
}

void TstLzrw1kh::roundTrip_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<bool>("stored");
    QTest::newRow("empty") << QByteArray() << 1 << false;
    QTest::newRow("one byte") << QByteArray("x") << 1 << false;
    QTest::newRow("32767") << tableLike(32767) << 1 << false;
    QTest::newRow("32768 ends with the single-byte block") << tableLike(32768) << 2 << false;
    QTest::newRow("32769") << tableLike(32769) << 2 << false;
    QTest::newRow("run of 15") << QByteArray("ab") + QByteArray(15, 'z') + "cd" << 1 << false;
    QTest::newRow("run of 16") << QByteArray("ab") + QByteArray(16, 'z') + "cd" << 1 << false;
    QTest::newRow("run of 4095") << QByteArray(4095, '\0') + "end" << 1 << false;
    QTest::newRow("run of 4096") << QByteArray(4096, '\xff') + "end" << 1 << false;
    QTest::newRow("noise is stored") << noise(40000, 7) << 2 << true;
    // Copies reaching back the whole window, and over a full group of 16.
    QTest::newRow("far copies") << noise(4094, 3) + noise(4094, 3) + noise(5000, 3) << 1 << false;
}

void TstLzrw1kh::roundTrip()
{
    QFETCH(QByteArray, data);
    QFETCH(int, blocks);
    QFETCH(bool, stored);
    const QByteArray file = compressContainer(data);
    const QList<QByteArray> written = blocksOf(file);
    QCOMPARE(written.size(), blocks);
    if (data.size() % PieceSize == 0)
        QCOMPARE(written.last(), QByteArray("\x80"));
    QCOMPARE(uchar(written.first().at(0)) == 128, stored || data.size() < 3);
    const Expansion back = expand(file);
    QCOMPARE(back.status, Expansion::Ok);
    QVERIFY(back.data == data);
}

void TstLzrw1kh::damaged_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("status");
    const QByteArray good = tallyBytes(ScoreTable());
    auto header = [](quint32 length) {
        QByteArray h("WRZL");
        for (int i = 0; i < 4; ++i)
            h.append(char(length >> (8 * i)));
        return h;
    };
    auto block = [](const QByteArray &data) {
        return QByteArray(1, char(data.size() & 0xff)) + char(data.size() >> 8) + data;
    };
    const int noHeader = Expansion::NoValidHeader;
    const int mismatch = Expansion::SizesDoNotMatch;

    QTest::newRow("empty file") << QByteArray() << noHeader;
    QTest::newRow("header cut short") << good.left(6) << noHeader;
    QTest::newRow("other magic") << QByteArray("WRZX") + good.mid(4) << noHeader;
    QTest::newRow("lzh method") << QByteArray("!HZL") + good.mid(4) << int(Expansion::LzhMethod);
    QTest::newRow("huge length") << header(0xffffffffu) + block("\x80") << noHeader;
    QTest::newRow("no blocks") << header(0) << mismatch;
    QTest::newRow("block longer than the file") << good.left(good.size() - 1) << mismatch;
    QTest::newRow("length one less") << header(32) + good.mid(8) << mismatch;
    QTest::newRow("length one more") << header(34) + good.mid(8) << mismatch;
    QTest::newRow("empty block") << header(0) + block("") << mismatch;
    QTest::newRow("unknown block flag") << header(1) + block("\x41x") << mismatch;
    QTest::newRow("copy before the start") << header(4) + block(hex("40 40 00 61 00 21")) << mismatch;
    QTest::newRow("copy item cut short") << header(4) + block(hex("40 40 00 61 00")) << mismatch;
    QTest::newRow("run item cut short") << header(20) + block(hex("40 80 00 00 00 04")) << mismatch;
    QTest::newRow("control word cut short") << header(1) + block(hex("40 00")) << mismatch;
    // A full piece of runs, then one item more in the same block.
    QByteArray runs = hex("40 ff ff");
    for (int i = 0; i < 16; ++i)
        runs += hex("00 07 f0 61"); // 2048 times "a"
    QTest::newRow("run past the block end") << header(40000) + block(runs + hex("80 00 00 00 00 62")) << mismatch;
    QByteArray copies = hex("40 ff ff");
    for (int i = 0; i < 15; ++i)
        copies += hex("00 07 f0 61");
    copies += hex("00 07 ef 61"); // 32767 bytes so far
    QTest::newRow("copy past the block end") << header(40000) + block(copies + hex("80 00 00 13")) << mismatch;
    QTest::newRow("stored block too long") << header(32769) + block("\x80" + QByteArray(32769, 'a')) << mismatch;
    QTest::newRow("full block then nothing") << header(32768) + block("\x80" + QByteArray(32768, 'a')) << mismatch;
}

void TstLzrw1kh::damaged()
{
    QFETCH(QByteArray, file);
    QFETCH(int, status);
    // A copy on the heap of exactly the file's size, so ASan sees any read
    // past it.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[size_t(file.size()) + 1]);
    memcpy(exact.get(), file.constData(), size_t(file.size()));
    const Expansion result = expandContainer(exact.get(), size_t(file.size()));
    QCOMPARE(int(result.status), status);
    QVERIFY(result.data.isEmpty());

    const TallyRead read = readTallyBytes(exact.get(), size_t(file.size()), QStringLiteral("/x/Glyphontally.tld"));
    QVERIFY(!read.table);
    const QString text = status == Expansion::SizesDoNotMatch
        ? QStringLiteral("Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !")
        : status == Expansion::NoValidHeader
        ? QStringLiteral("/x/Glyphontally.tld : Lzrw1 decompression : this file has no valid header !")
        : QStringLiteral("/x/Glyphontally.tld : LZH decompression : this program cannot read this method !");
    QCOMPARE(read.error, text);
}

QTEST_GUILESS_MAIN(TstLzrw1kh)
#include "tst_lzrw1kh.moc"
