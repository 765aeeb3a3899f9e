// The word lists built into the library: the record file the build makes
// from dictionary.txt, and the computer player's candidates.

#include "dictionary/tdictn.h"
#include "dictionary_support.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

using namespace dicttest;

class tst_WordResource : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void recordsAreSortedAndWellFormed();
    void firstAndLastRecordFound();
    void everyCandidateIsAWord();

private:
    QByteArray m_list;
    QTemporaryDir m_dir;
};

void tst_WordResource::initTestCase()
{
    m_list = builtInList();
    QVERIFY(m_dir.isValid());
}

void tst_WordResource::recordsAreSortedAndWellFormed()
{
    QCOMPARE(m_list.size() % TDictn::RecordSize, 0);
    QVERIFY(m_list.size() / TDictn::RecordSize > 100000);
    QVERIFY(!m_list.contains('\0')); // a 0 byte would cut the list short on writing

    const char *previous = nullptr;
    for (qsizetype at = 0; at < m_list.size(); at += TDictn::RecordSize) {
        const char *rec = m_list.constData() + at;
        QCOMPARE(int(rec[0]), 30);
        const QByteArray text(rec + 1, TDictn::RecordSize - 1);
        const qsizetype length = text.indexOf(' ') < 0 ? text.size() : text.indexOf(' ');
        QVERIFY2(length >= 2, text.constData());
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char c = text[i];
            QVERIFY2(i < length ? (c >= 'A' && c <= 'Z') : c == ' ', text.constData());
        }
        if (previous)
            QVERIFY2(std::memcmp(previous, rec + 1, TDictn::RecordSize - 1) < 0, text.constData());
        previous = rec + 1;
    }
}

void tst_WordResource::firstAndLastRecordFound()
{
    WorkingDir cwd(m_dir.path());
    TDictn dictn;
    const QString first = QString::fromLatin1(m_list.mid(1, 14)).trimmed();
    const QString last = QString::fromLatin1(m_list.right(14)).trimmed();
    QVERIFY(dictn.CheckWord(first.toLower()));
    QVERIFY(dictn.CheckWord(last.toLower()));
    // Just outside either end.
    QVERIFY(!dictn.CheckWord("a"));
    QVERIFY(!dictn.CheckWord(last + QLatin1Char('z')));
}

void tst_WordResource::everyCandidateIsAWord()
{
    QFile file(QStringLiteral(":/words/candidates.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> words = file.readAll().split('\n');

    WorkingDir cwd(m_dir.path());
    TDictn dictn;
    int checked = 0;
    QByteArray previous;
    for (const QByteArray &word : words) {
        if (word.isEmpty())
            continue;
        QVERIFY2(word.size() >= 3 && word.size() <= 7, word.constData());
        QVERIFY2(previous < word, word.constData());
        QVERIFY2(dictn.CheckWord(QString::fromLatin1(word)), word.constData());
        previous = word;
        ++checked;
    }
    QVERIFY(checked > 1000);
}

QTEST_GUILESS_MAIN(tst_WordResource)
#include "tst_wordresource.moc"
