// Letter codes, the process-wide generator and the letter dice.

#include "dictionary/letters.h"
#include "dictionary/random.h"

#include <QTest>

#include <array>
#include <map>

class tst_Letters : public QObject
{
    Q_OBJECT

private slots:
    void letterCode_data();
    void letterCode();
    void letterOfCode_data();
    void letterOfCode();
    void seedReplays();
    void randomBelowRange();
    void rollDrawsFaceThenDie();
    void rollDistribution();
};

void tst_Letters::letterCode_data()
{
    QTest::addColumn<QChar>("ch");
    QTest::addColumn<int>("code");

    QTest::newRow("a") << QChar(u'a') << 1;
    QTest::newRow("m") << QChar(u'm') << 13;
    QTest::newRow("z") << QChar(u'z') << 26;
    QTest::newRow("capital A") << QChar(u'A') << 0;
    QTest::newRow("before a") << QChar(u'`') << 0;
    QTest::newRow("after z") << QChar(u'{') << 0;
    QTest::newRow("nul") << QChar(u'\0') << 0;
    QTest::newRow("low byte is 'a'") << QChar(u'\u0161') << 0;
}

void tst_Letters::letterCode()
{
    QFETCH(QChar, ch);
    QFETCH(int, code);
    QCOMPARE(LetterCode(ch), code);
}

void tst_Letters::letterOfCode_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");

    QTest::newRow("1") << 1 << "a";
    QTest::newRow("13") << 13 << "m";
    QTest::newRow("26") << 26 << "z";
    QTest::newRow("0 keeps") << 0 << "keep";
    QTest::newRow("27 keeps") << 27 << "keep";
    QTest::newRow("-1 keeps") << -1 << "keep";
    QTest::newRow("'a' keeps") << int('a') << "keep";
}

void tst_Letters::letterOfCode()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QString target = QStringLiteral("keep");
    LetterOfCode(code, target);
    QCOMPARE(target, text);
}

void tst_Letters::seedReplays()
{
    std::mt19937 random;
    auto draw = [&random] {
        QList<int> seq;
        for (int i = 0; i < 200; ++i)
            seq << glyphon::randomBelow(random, 66);
        return seq;
    };
    random.seed(4711);
    const QList<int> first = draw();
    random.seed(4711);
    QCOMPARE(draw(), first);
    random.seed(4712);
    QVERIFY(draw() != first);
}

void tst_Letters::randomBelowRange()
{
    std::mt19937 random(1);
    for (int n : {1, 2, 6, 10, 66, 1 << 30}) {
        int low = n, high = -1;
        for (int i = 0; i < 2000; ++i) {
            const int x = glyphon::randomBelow(random, n);
            low = std::min(low, x);
            high = std::max(high, x);
        }
        QVERIFY(low >= 0);
        QVERIFY(high < n);
        if (n <= 10) { // small ranges are covered end to end
            QCOMPARE(low, 0);
            QCOMPARE(high, n - 1);
        }
    }
}

// Each roll takes exactly two draws, the face first and then the die, so a
// deal replays from its seed.
void tst_Letters::rollDrawsFaceThenDie()
{
    std::mt19937 random(20240601);
    for (int i = 0; i < 500; ++i) {
        const std::mt19937 before = random;
        const int letter = RollLetter(random);
        const std::mt19937 after = random;

        random = before;
        const int face = glyphon::randomBelow(random, 6);
        const int die = glyphon::randomBelow(random, 10);
        QCOMPARE(letter, LetterCode(QLatin1Char(glyphon::letterDice()[die][face])));
        QVERIFY(random == after);
    }
}

namespace {
// Pearson's statistic against equal expected counts.
double chiSquare(const QList<int> &counts, double expected)
{
    double sum = 0;
    for (int c : counts)
        sum += (c - expected) * (c - expected) / expected;
    return sum;
}
} // namespace

void tst_Letters::rollDistribution()
{
    constexpr int Rolls = 60000;
    std::mt19937 random(12345);
    QList<int> faces(6), dice(10);
    std::map<int, int> letters;
    for (int i = 0; i < Rolls; ++i) {
        const std::mt19937 before = random;
        const int letter = RollLetter(random);
        random = before;
        ++faces[glyphon::randomBelow(random, 6)];
        ++dice[glyphon::randomBelow(random, 10)];
        ++letters[letter];
    }
    // Critical values at p = 0.001 for 5 and 9 degrees of freedom.
    QVERIFY2(chiSquare(faces, Rolls / 6.0) < 20.5, "faces not uniform");
    QVERIFY2(chiSquare(dice, Rolls / 10.0) < 27.9, "dice not uniform");

    // Faces per letter out of 60, as the game's rules list them.
    std::map<int, int> faceCount;
    for (const auto &die : glyphon::letterDice())
        for (char c : die)
            ++faceCount[LetterCode(QLatin1Char(c))];
    const std::map<int, QByteArray> byCount = {{5, "e"}, {4, "t"}, {3, "adhiklnors"}, {2, "bcgmpuw"}, {1, "fjqvxyz"}};
    for (const auto &[count, group] : byCount)
        for (char c : group)
            QCOMPARE(faceCount[LetterCode(QLatin1Char(c))], count);
    QCOMPARE(int(faceCount.size()), 26);
    double letterChi = 0;
    for (const auto &[code, count] : faceCount) {
        const double expected = Rolls * count / 60.0;
        letterChi += (letters[code] - expected) * (letters[code] - expected) / expected;
    }
    QVERIFY2(letterChi < 52.6, "letters off their face counts"); // 25 degrees of freedom
    const double e = letters[LetterCode(u'e')] / double(Rolls);
    QVERIFY2(qAbs(e - 5.0 / 60.0) < 0.005, qPrintable(QString::number(e)));
}

QTEST_GUILESS_MAIN(tst_Letters)
#include "tst_letters.moc"
