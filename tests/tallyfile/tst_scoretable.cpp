// The table text older copies read and write, tables that must be refused
// before anything is sized by them, and a save cut off half way.

#include "tallyfile/tallyfile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace glyphon::tally;

class TstScoreTable : public QObject
{
    Q_OBJECT
private slots:
    void text();
    void refusedText_data();
    void refusedText();
    void interruptedSave();
};

void TstScoreTable::text()
{
    ScoreTable table;
    QCOMPARE(table.toText(), QByteArray("9\r\n1\r\n") + QByteArray("0\r\n").repeated(9));

    // Column by column, every row of a column before the next column.
    table.addRow(QStringLiteral("Zoë"));
    table.addRow(QStringLiteral("Bob\r\nx"));
    table.addgame(QStringLiteral("Bob\r\nx"), {QStringLiteral("zoë")});
    const QByteArray text = table.toText();
    QVERIFY(text.startsWith("9\r\n3\r\n0\r\nZo\xEB\r\nBob  x\r\n1\r\n1\r\n0\r\n"));
    const std::optional<ScoreTable> back = ScoreTable::fromText(text);
    QVERIFY(back);
    QCOMPARE(back->names(), QStringList({"Zoë", "Bob  x"}));
    QCOMPARE(back->toText(), text);
    // A name an earlier version wrote in UTF-8 is the same name.
    const std::optional<ScoreTable> older = ScoreTable::fromText(QByteArray(text).replace("Zo\xEB", "Zo\xC3\xAB"));
    QCOMPARE(older->names().first(), QStringLiteral("Zoë"));
    QCOMPARE(older->toText(), text);
    // Line ends without CR read as well; non-numeric cells count 0.
    auto bare = ScoreTable::fromText("9\n1\nx\nlots\n\n\n\n\n\n\n\n");
    QVERIFY(bare);
    QCOMPARE(bare->count(1, 0), 0);
    QCOMPARE(bare->addit(1, 0), 1);
}

void TstScoreTable::refusedText_data()
{
    QTest::addColumn<QByteArray>("text");
    const QByteArray nineCells = QByteArray("0\r\n").repeated(9);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("eight columns") << "8\r\n1\r\n" + nineCells;
    QTest::newRow("no rows") << "9\r\n0\r\n" + nineCells;
    QTest::newRow("negative rows") << "9\r\n-1\r\n" + nineCells;
    QTest::newRow("more rows than cells") << "9\r\n2\r\n" + nineCells;
    QTest::newRow("huge row count") << "9\r\n2000000000\r\n" + nineCells;
    QTest::newRow("not a number") << "nine\r\n1\r\n" + nineCells;
}

void TstScoreTable::refusedText()
{
    QFETCH(QByteArray, text);
    QVERIFY(!ScoreTable::fromText(text));
}

void TstScoreTable::interruptedSave()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Glyphontally.tld"));
    TallyFile file(path);
    ScoreTable before;
    before.addRow(QStringLiteral("Ann"));
    QVERIFY(file.save(before));

    ScoreTable after = before;
    for (int i = 0; i < 500; ++i)
        after.addRow(QStringLiteral("Player%1").arg(i));
    QVERIFY(!file.save(after, tallyBytes(after).size() / 2));
    const TallyRead read = file.load();
    QVERIFY2(read.table, qPrintable(read.error));
    QCOMPARE(read.table->names(), QStringList{"Ann"});
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"Glyphontally.tld"});
}

QTEST_GUILESS_MAIN(TstScoreTable)
#include "tst_scoretable.moc"
