#include "server/computerplayer.h"

#include "board_support.h"

#include "dictionary/random.h"

#include <QtTest>

using glyphon::Board;
using glyphon::ComputerPlayer;
using glyphon::test::plainBoard;
using glyphon::test::setTile;
using glyphon::test::spell;

namespace {

const ComputerPlayer::UsedCheck nothingUsed = [](const QString &) { return false; };

// The last entry of a candidate list is never drawn; tests put a filler there.
ComputerPlayer playerFor(QStringList words)
{
    words << QStringLiteral("zzz");
    return ComputerPlayer(words);
}

// "c" at 11 and "t" at 66, filler elsewhere.
Board catBoard()
{
    Board b = plainBoard('x');
    setTile(b, 11, 'c');
    setTile(b, 66, 't');
    return b;
}

// Many entries that cannot be laid on catBoard (no "c", "a" or "t" in them),
// so a fitting word is usually found only after a long run of failures.
QStringList unfitWords(int count)
{
    const QString letters = QStringLiteral("bdefghijklmnopqrsuvw");
    QStringList words;
    for (int i = 0; words.size() < count; ++i)
        words << QString(letters.at(i % 20)) + letters.at(i / 20 % 20) + letters.at(i / 400 % 20);
    return words;
}

struct Tile
{
    int owner;
    int value;
    int locked;
};

} // namespace

Q_DECLARE_METATYPE(Tile)

class tst_ComputerPlayer : public QObject
{
    Q_OBJECT

private slots:
    void passPreference_data();
    void passPreference();
    void startPicksAmongEqualTiles();

    void rareFitsAreDrawnEvenly();
    void sameLetterTwice();
    void missingLetterFails();
    void usedWordsAreSkipped();
    void candidateListQuirks_data();
    void candidateListQuirks();

    void sameSeedSameMove();
};

void tst_ComputerPlayer::passPreference_data()
{
    // Two "a" tiles, preferred and other, compete for the middle of "cat".
    QTest::addColumn<int>("seat");
    QTest::addColumn<Tile>("preferred");
    QTest::addColumn<Tile>("other");
    QTest::addColumn<bool>("fits");

    QTest::newRow("free bonus over opponent's plain") << 1 << Tile{0, 3, 0} << Tile{2, 0, 0} << true;
    QTest::newRow("opponent's bonus over opponent's plain") << 1 << Tile{2, 2, 0} << Tile{2, 0, 0} << true;
    QTest::newRow("opponent's bonus over free plain") << 1 << Tile{2, 4, 0} << Tile{0, 0, 0} << true;
    QTest::newRow("value 1 is no bonus") << 1 << Tile{2, 0, 0} << Tile{0, 1, 0} << true;
    QTest::newRow("opponent's over free") << 1 << Tile{2, 1, 0} << Tile{0, 0, 0} << true;
    QTest::newRow("free over own") << 1 << Tile{0, 0, 0} << Tile{1, 0, 0} << true;
    QTest::newRow("free over own bonus") << 1 << Tile{0, 0, 0} << Tile{1, 4, 0} << true;
    QTest::newRow("free over own locked") << 1 << Tile{0, 0, 0} << Tile{1, 0, 1} << true;
    QTest::newRow("own over opponent's locked") << 1 << Tile{1, 0, 0} << Tile{2, 0, 1} << true;
    QTest::newRow("own over opponent's locked bonus") << 1 << Tile{1, 0, 0} << Tile{2, 4, 1} << true;
    QTest::newRow("own locked as last resort") << 1 << Tile{1, 0, 1} << Tile{2, 3, 1} << true;
    QTest::newRow("only opponent's locked") << 1 << Tile{2, 0, 1} << Tile{2, 3, 1} << false;
    QTest::newRow("seat 2: seat 1's tile over free") << 2 << Tile{1, 0, 0} << Tile{0, 0, 0} << true;
    QTest::newRow("seat 2: free over own bonus") << 2 << Tile{0, 0, 0} << Tile{2, 3, 0} << true;
    QTest::newRow("seat 2: own over seat 1's locked") << 2 << Tile{2, 0, 0} << Tile{1, 2, 1} << true;
    QTest::newRow("seat 2: only seat 1's locked") << 2 << Tile{1, 0, 1} << Tile{1, 0, 1} << false;
}

void tst_ComputerPlayer::passPreference()
{
    QFETCH(int, seat);
    QFETCH(Tile, preferred);
    QFETCH(Tile, other);
    QFETCH(bool, fits);

    const ComputerPlayer player = playerFor({QStringLiteral("cat")});
    // Both placements, so the scan order cannot be what decides.
    const QList<QPair<int, int>> placements{{34, 43}, {43, 34}};
    for (const auto &[at, otherAt] : placements) {
        Board b = catBoard();
        setTile(b, at, 'a', preferred.owner, preferred.value, preferred.locked);
        setTile(b, otherAt, 'a', other.owner, other.value, other.locked);
        for (quint32 seed = 1; seed <= 25; ++seed) {
            glyphon::seedRandom(seed);
            const auto move = player.computerplay(b, seat, nothingUsed);
            if (!fits) {
                QVERIFY(!move);
                break; // a miss is no matter of luck
            }
            QVERIFY(move);
            QCOMPARE(*move, (QList<int>{11, at, 66}));
        }
    }
}

void tst_ComputerPlayer::startPicksAmongEqualTiles()
{
    // Two free "a"s at 12 and 65: a scan from a random start 1..66 meets 65
    // first for the 53 starts 13..65, and 12 for the other 13.
    Board b = plainBoard('x');
    setTile(b, 31, 'c');
    setTile(b, 12, 'a');
    setTile(b, 65, 'a');
    setTile(b, 46, 't');
    const ComputerPlayer player = playerFor({QStringLiteral("cat")});
    glyphon::seedRandom(99);
    const int moves = 4000;
    int at65 = 0;
    for (int i = 0; i < moves; ++i) {
        const auto move = player.computerplay(b, 1, nothingUsed);
        QVERIFY(move && move->size() == 3);
        QVERIFY(move->at(1) == 12 || move->at(1) == 65);
        at65 += move->at(1) == 65;
    }
    const double share = double(at65) / moves;
    QVERIFY2(qAbs(share - 53.0 / 66) < 0.03, qPrintable(QString::number(share)));
}

void tst_ComputerPlayer::rareFitsAreDrawnEvenly()
{
    // Two words fit among 4000 that cannot: each move must still pick either
    // with the same chance, lay it correctly and never return a played word.
    Board b = catBoard();
    setTile(b, 25, 'a', 2);
    setTile(b, 52, 'a', 0, 3); // the bonus "a" is always preferred
    QStringList words = unfitWords(4000);
    words << QStringLiteral("act") << QStringLiteral("cat") << QStringLiteral("tac");
    words.sort();
    const ComputerPlayer player = playerFor(words);

    glyphon::seedRandom(2024);
    const auto tacPlayed = [](const QString &w) { return w == QLatin1String("tac"); };
    const int moves = 600;
    int cat = 0;
    for (int i = 0; i < moves; ++i) {
        const auto move = player.computerplay(b, 1, tacPlayed);
        QVERIFY(move);
        if (spell(b, *move) == QLatin1String("cat")) {
            QCOMPARE(*move, (QList<int>{11, 52, 66}));
            ++cat;
        } else {
            QCOMPARE(*move, (QList<int>{52, 11, 66}));
        }
    }
    QVERIFY2(qAbs(double(cat) / moves - 0.5) < 0.08, qPrintable(QString::number(cat)));

    const auto allPlayed = [](const QString &w) { return w == QLatin1String("tac") || w.endsWith(QLatin1Char('t')); };
    QVERIFY(!player.computerplay(b, 1, allPlayed));
}

void tst_ComputerPlayer::sameLetterTwice()
{
    Board b = plainBoard('x');
    setTile(b, 22, 'e');
    setTile(b, 55, 'e', 2);
    setTile(b, 11, 'l', 1);
    const ComputerPlayer eel = playerFor({QStringLiteral("eel")});
    for (quint32 seed = 1; seed <= 20; ++seed) {
        glyphon::seedRandom(seed);
        const auto move = eel.computerplay(b, 1, nothingUsed);
        QVERIFY(move);
        QCOMPARE(move->size(), 3);
        // The opponent's "e" is preferred for the first letter, the free one follows.
        QCOMPARE(*move, (QList<int>{55, 22, 11}));
    }

    // Three "e"s wanted, two on the board.
    const ComputerPlayer eee = playerFor({QStringLiteral("eee")});
    QVERIFY(!eee.computerplay(b, 1, nothingUsed));
}

void tst_ComputerPlayer::missingLetterFails()
{
    Board b = catBoard();
    setTile(b, 25, 'a');
    setTile(b, 52, 'd');
    setTile(b, 53, 'g'); // no "o"
    const ComputerPlayer dogOnly = playerFor({QStringLiteral("dog")});
    QVERIFY(!dogOnly.computerplay(b, 1, nothingUsed));

    const ComputerPlayer both = playerFor({QStringLiteral("cat"), QStringLiteral("dog")});
    glyphon::seedRandom(3);
    for (int i = 0; i < 50; ++i) {
        const auto move = both.computerplay(b, 2, nothingUsed);
        QVERIFY(move);
        QCOMPARE(spell(b, *move), QStringLiteral("cat"));
    }
}

void tst_ComputerPlayer::usedWordsAreSkipped()
{
    Board b = catBoard();
    setTile(b, 25, 'a');
    const ComputerPlayer player = playerFor({QStringLiteral("act"), QStringLiteral("cat"), QStringLiteral("tac")});

    QStringList asked;
    const ComputerPlayer::UsedCheck catAndActUsed = [&asked](const QString &w) {
        asked << w;
        return w == QLatin1String("cat") || w == QLatin1String("act");
    };
    glyphon::seedRandom(5);
    for (int i = 0; i < 30; ++i) {
        const auto move = player.computerplay(b, 1, catAndActUsed);
        QVERIFY(move);
        QCOMPARE(spell(b, *move), QStringLiteral("tac"));
    }
    QVERIFY(asked.contains(QStringLiteral("cat"))); // the check does get consulted

    const ComputerPlayer::UsedCheck allUsed = [](const QString &) { return true; };
    QVERIFY(!player.computerplay(b, 1, allUsed));
    // An empty check counts as nothing played yet.
    QVERIFY(player.computerplay(b, 1, {}));
}

void tst_ComputerPlayer::candidateListQuirks_data()
{
    // On catBoard with one more "a": what the list lets the player spell.
    QTest::addColumn<QStringList>("words"); // as given, no filler added
    QTest::addColumn<QString>("expected"); // empty: no move

    QTest::newRow("last entry never drawn") << QStringList{"dog", "cat"} << QString();
    QTest::newRow("short entries never drawn") << QStringList{"at", "ca", "cat", "zzz"} << "cat";
    QTest::newRow("no usable entry at all") << QStringList{"at", "ta", "cat"} << QString();
    QTest::newRow("a single entry") << QStringList{"cat"} << QString();
    QTest::newRow("empty list") << QStringList{} << QString();
    QTest::newRow("capitals are no letters") << QStringList{"CAT", "zzz"} << QString();
}

void tst_ComputerPlayer::candidateListQuirks()
{
    QFETCH(QStringList, words);
    QFETCH(QString, expected);
    Board b = catBoard();
    setTile(b, 25, 'a');
    const ComputerPlayer player(words);
    glyphon::seedRandom(11);
    for (int i = 0; i < 10; ++i) {
        const auto move = player.computerplay(b, 1, nothingUsed);
        QCOMPARE(move ? spell(b, *move) : QString(), expected);
    }
}

void tst_ComputerPlayer::sameSeedSameMove()
{
    const ComputerPlayer player = playerFor({"ant", "bat", "bee", "cat", "dog", "ear", "eat", "hen", "ink", "lid",
                                             "net", "old", "rat", "sea", "tea", "ten", "toe", "tree", "stone", "dream"});
    for (quint32 seed : {1u, 77u, 4096u}) {
        glyphon::seedRandom(seed);
        Board b;
        b.deal();
        const QSet<QString> used{QStringLiteral("tea"), QStringLiteral("ten")};
        const auto isUsed = [&used](const QString &w) { return used.contains(w); };
        const auto first = player.computerplay(b, 1, isUsed);

        glyphon::seedRandom(seed);
        Board again;
        again.deal();
        const auto second = player.computerplay(again, 1, isUsed);
        QCOMPARE(first.has_value(), second.has_value());
        if (first) {
            QCOMPARE(*first, *second);
            QVERIFY(!used.contains(spell(b, *first)));
        }
    }
}

QTEST_APPLESS_MAIN(tst_ComputerPlayer)
#include "tst_computerplayer.moc"
