// TDictn against real word files in temporary folders: how a word becomes a
// key, how records are read, and what becomes of the file around a run.

#include "dictionary/tdictn.h"
#include "dictionary_support.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <memory>
#include <unistd.h>

using namespace dicttest;

namespace {
const QString NotFound = QStringLiteral("English.dic dictionary not found!");
const QString English = QStringLiteral("English");
const QString BuiltIn = QStringLiteral(":/TEXT_DEMO");
}

class tst_TDictn : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void keyRules_data();
    void keyRules();
    void recordRules_data();
    void recordRules();
    void outOfOrderRecordIsMissed();
    void emptyOrShrunkFile();
    void closed_data();
    void closed();
    void writtenCopyRemovedAtEnd();
    void existingFileUsedAndKept();
    void unwritableDirFallsBackToPrivateFolder();
    void nowhereToWriteThrows();

private:
    struct sigaction m_busHandler = {}; // as the test framework set it
};

void tst_TDictn::initTestCase()
{
    QVERIFY(::sigaction(SIGBUS, nullptr, &m_busHandler) == 0);
    QVERIFY(!builtInList().isEmpty());
}

void tst_TDictn::init()
{
    messages().clear();
}

void tst_TDictn::keyRules_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("found");

    QTest::newRow("lower") << "cat" << true;
    QTest::newRow("capitalised") << "Cat" << true;
    QTest::newRow("capitals") << "CAT" << true;
    QTest::newRow("mixed") << "cAt" << true;
    QTest::newRow("blanks before") << "   cat" << true;
    QTest::newRow("blanks after") << "cat   " << true;
    QTest::newRow("blanks around") << " CAT " << true;
    QTest::newRow("0 bytes around") << QStringLiteral("cat").prepend(QChar(0)).append(QChar(0)) << true;
    QTest::newRow("blank inside") << "c at" << false;
    QTest::newRow("0 byte inside") << QString::fromUtf16(u"ca\0t", 4) << false;
    QTest::newRow("tab is not a blank") << "cat\t" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("all blank") << "     " << false;
    QTest::newRow("only 0 bytes") << QString(3, QChar(0)) << false;
    QTest::newRow("non-ASCII letter") << QString::fromUtf8("caf\xc3\xa9") << false;
    QTest::newRow("prefix of a word") << "catt" << false;
    QTest::newRow("extension") << "cats" << true;
    QTest::newRow("14 letters") << "characteristic" << true;
    QTest::newRow("15 letters, first 14 a word") << "characteristics" << false;
    QTest::newRow("longer than a record") << "characteristically" << false;
    QTest::newRow("blanks past 255 are cut away") << QStringLiteral("cat") + QString(300, u' ') << true;
}

// The built-in list, written into an empty working directory.
void tst_TDictn::keyRules()
{
    QFETCH(QString, word);
    QFETCH(bool, found);

    QTemporaryDir dir;
    WorkingDir cwd(dir.path());
    TDictn dictn(nullptr, English, BuiltIn, catchMessages());
    QVERIFY(dictn.isOpen());
    QCOMPARE(dictn.CheckWord(word), found);
    // Binary search: never more probes than the depth of the record tree.
    QVERIFY(dictn.readCount() <= 18);
}

void tst_TDictn::recordRules_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("found");

    QTest::newRow("empty record never matches") << "dog" << false;
    QTest::newRow("14-letter record") << "abcdefghijklmn" << true;
    QTest::newRow("15 letters over a 14-letter record") << "abcdefghijklmno" << false;
    QTest::newRow("20 letters over a 14-letter record") << "abcdefghijklmnopqrst" << false;
    QTest::newRow("record with leading blanks") << "bat" << true;
    QTest::newRow("two letters") << "ca" << true;
    QTest::newRow("short length byte cuts the record") << "cat" << true;
    QTest::newRow("letters past the length byte ignored") << "cats" << false;
    QTest::newRow("0 bytes in a record are blanks") << "fox" << true;
    QTest::newRow("lower case record") << "HEN" << true;
    QTest::newRow("length byte past 14") << "xyz" << true;
    QTest::newRow("cut to 255 before trimming") << QString(253, u' ') + QStringLiteral("cat") << true;
    QTest::newRow("bytes above 127 order last") << QString::fromUtf8("\xc3\xa9t\xc3\xa9") << true;
    QTest::newRow("only a-z change case") << QString::fromUtf8("\xc3\x89T\xc3\x89") << false;
}

// A hand-made word file: every record's own rules, and a trailing partial
// record that is no record at all.
void tst_TDictn::recordRules()
{
    QFETCH(QString, word);
    QFETCH(bool, found);

    QTemporaryDir dir;
    WorkingDir cwd(dir.path());
    const QByteArray file = record("DOG", 0) + record("ABCDEFGHIJKLMN") + record("  BAT") + record("CA")
        + record("CATS", 3) + record(QByteArray("\0\0FOX\0", 6)) + record("hen") + record("XYZ", 200)
        + record("\xc3\xa9T\xc3\xa9") + QByteArray("PARTIAL");
    QVERIFY(writeFile(QStringLiteral("English"), file));

    TDictn dictn(nullptr, English, BuiltIn, catchMessages());
    QCOMPARE(dictn.recordCount(), 9);
    QCOMPARE(dictn.CheckWord(word), found);
    QVERIFY(dictn.readCount() <= 4);
}

void tst_TDictn::outOfOrderRecordIsMissed()
{
    QTemporaryDir dir;
    WorkingDir cwd(dir.path());
    QVERIFY(writeFile(QStringLiteral("English"), records({"AAL", "BUSHBABY", "BUSHBABIES", "ZOO"})));

    TDictn dictn(nullptr, English, BuiltIn, catchMessages());
    QVERIFY(dictn.CheckWord("aal"));
    QVERIFY(dictn.CheckWord("bushbaby"));
    QVERIFY(!dictn.CheckWord("bushbabies"));
    QVERIFY(dictn.CheckWord("zoo"));
}

void tst_TDictn::emptyOrShrunkFile()
{
    QTemporaryDir dir;
    WorkingDir cwd(dir.path());

    // Shorter than one record: open, no records, no message.
    QVERIFY(writeFile(QStringLiteral("English"), record("CAT").left(14)));
    {
        TDictn dictn(nullptr, English, BuiltIn, catchMessages());
        QVERIFY(dictn.isOpen());
        QCOMPARE(dictn.recordCount(), 0);
        QVERIFY(!dictn.CheckWord("cat"));
        QCOMPARE(dictn.readCount(), 0);
    }
    QVERIFY(messages().isEmpty());

    // A file cut short while open: the search ends, without an exception.
    QVERIFY(writeFile(QStringLiteral("English"), records({"ANT", "BEE", "CAT"})));
    TDictn dictn(nullptr, English, BuiltIn, catchMessages());
    QVERIFY(dictn.CheckWord("bee"));
    QVERIFY(QFile::resize(QStringLiteral("English"), 0));
    QVERIFY(!dictn.CheckWord("bee"));
    QVERIFY(!dictn.CheckWord("cat"));
    // ... and the process's signal handling is left as it was.
    struct sigaction bus = {};
    QVERIFY(::sigaction(SIGBUS, nullptr, &bus) == 0);
    QVERIFY(bus.sa_handler == m_busHandler.sa_handler && bus.sa_sigaction == m_busHandler.sa_sigaction);
}

void tst_TDictn::closed_data()
{
    QTest::addColumn<QString>("builtIn");
    QTest::addColumn<QString>("obstacle");

    QTest::newRow("no list anywhere") << QString() << QString();
    QTest::newRow("built-in list missing") << QStringLiteral(":/no/such/list") << QString();
    QTest::newRow("word file is a folder") << QStringLiteral(":/TEXT_DEMO") << QStringLiteral("folder");
    if (::geteuid() != 0) // root may open a read-only file for writing anyway
        QTest::newRow("word file read-only") << QStringLiteral(":/TEXT_DEMO") << QStringLiteral("read-only");
}

void tst_TDictn::closed()
{
    QFETCH(QString, builtIn);
    QFETCH(QString, obstacle);

    QTemporaryDir dir;
    WorkingDir cwd(dir.path());
    if (obstacle == "folder")
        QVERIFY(QDir().mkdir(QStringLiteral("English")));
    if (obstacle == "read-only") {
        QVERIFY(writeFile(QStringLiteral("English"), records({"CAT"})));
        QVERIFY(QFile::setPermissions(QStringLiteral("English"), QFile::ReadOwner));
    }

    {
        TDictn dictn(nullptr, English, builtIn, catchMessages());
        QVERIFY(!dictn.isOpen());
        QVERIFY(!dictn.wroteFile());
        QCOMPARE(messages(), QStringList{NotFound});
        for (const char *word : {"cat", "CAT", "dog", "aah"})
            QVERIFY(!dictn.CheckWord(word));
        QCOMPARE(dictn.readCount(), 0);
        QCOMPARE(messages().size(), 1);
    }
    // Whatever stood in the way is still there; nothing new was left behind.
    QCOMPARE(QFileInfo::exists(QStringLiteral("English")), !obstacle.isEmpty());
    QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), obstacle.isEmpty() ? 0 : 1);
}

void tst_TDictn::writtenCopyRemovedAtEnd()
{
    QTemporaryDir dir;
    WorkingDir cwd(dir.path());
    const QString path = QDir(dir.path()).filePath(QStringLiteral("English"));

    auto dictn = std::make_unique<TDictn>(nullptr, English, BuiltIn, catchMessages());
    QVERIFY(dictn->isOpen());
    QVERIFY(dictn->wroteFile());
    QCOMPARE(QFileInfo(dictn->filePath()), QFileInfo(path));
    QCOMPARE(readFile(path), builtInList());
    QCOMPARE(dictn->recordCount(), builtInList().size() / TDictn::RecordSize);
    QVERIFY(dictn->CheckWord("zebra"));

    // The working directory may change while the game runs.
    QTemporaryDir elsewhere;
    WorkingDir moved(elsewhere.path());
    dictn.reset();
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(messages().isEmpty());
}

void tst_TDictn::existingFileUsedAndKept()
{
    QTemporaryDir dir;
    WorkingDir cwd(dir.path());
    const QByteArray mine = records({"GLYPH", "QUUX"}) + QByteArray("tail");
    QVERIFY(writeFile(QStringLiteral("English"), mine));

    {
        TDictn dictn(nullptr, English, BuiltIn, catchMessages());
        QVERIFY(dictn.isOpen());
        QVERIFY(!dictn.wroteFile());
        QVERIFY(dictn.CheckWord("quux"));
        QVERIFY(!dictn.CheckWord("zebra")); // the built-in list is not consulted
    }
    QCOMPARE(readFile(QStringLiteral("English")), mine);
}

// A working directory that no longer exists refuses every new file, even to
// root, so it stands in for any directory we may not write to.
void tst_TDictn::unwritableDirFallsBackToPrivateFolder()
{
    QTemporaryDir dir;
    const QString gone = QDir(dir.path()).filePath(QStringLiteral("gone"));
    QVERIFY(QDir().mkdir(gone));
    WorkingDir cwd(gone);
    QVERIFY(QDir().rmdir(gone));

    auto dictn = std::make_unique<TDictn>(nullptr, English, BuiltIn, catchMessages());
    QVERIFY(dictn->isOpen());
    QVERIFY(dictn->wroteFile());
    QVERIFY(messages().isEmpty());
    const QFileInfo file(dictn->filePath());
    QVERIFY(file.isFile());
    QCOMPARE(file.fileName(), QStringLiteral("English"));
    QVERIFY(!file.absolutePath().startsWith(gone));
    const QFileInfo folder(file.absolutePath());
    const auto ownerGroupOther = QFile::Permissions(0x7077);
    QCOMPARE(folder.permissions() & ownerGroupOther, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(dictn->CheckWord("zebra"));
    QVERIFY(!dictn->CheckWord("zebrax"));

    dictn.reset();
    QVERIFY(!QFileInfo::exists(file.absoluteFilePath()));
    QVERIFY(!QFileInfo::exists(folder.absoluteFilePath()));
}

void tst_TDictn::nowhereToWriteThrows()
{
    QTemporaryDir dir;
    const QString gone = QDir(dir.path()).filePath(QStringLiteral("gone"));
    QVERIFY(QDir().mkdir(gone));
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", gone.toLocal8Bit());
    WorkingDir cwd(gone);
    QVERIFY(QDir().rmdir(gone));

    QVERIFY_THROWS_EXCEPTION(EInOutError, TDictn(nullptr, English, BuiltIn, catchMessages()));
    QVERIFY(messages().isEmpty());
    if (savedTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTmp);
}

QTEST_GUILESS_MAIN(tst_TDictn)
#include "tst_tdictn.moc"
