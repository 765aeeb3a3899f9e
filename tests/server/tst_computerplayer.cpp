#include "server/computerplayer.h"

#include "board_support.h"
#include "dictionary/random.h"

#include <QtTest>

using glyphon::Board;
using glyphon::ComputerPlayer;
using glyphon::test::plainBoard;
using glyphon::test::setTile;
using glyphon::test::setTiles;
using glyphon::test::spell;

namespace {

const ComputerPlayer::UsedCheck nothingUsed;

// The last entry of a candidate list is never drawn; a filler goes there.
ComputerPlayer playerFor(QStringList words)
{
    return ComputerPlayer(words << QStringLiteral("zzz"));
}

// "c" at 11, "a" at 25 and "t" at 66; filler elsewhere.
Board catBoard()
{
    Board b = plainBoard('x');
    setTile(b, 11, 'c');
    setTile(b, 25, 'a');
    setTile(b, 66, 't');
    return b;
}

} // namespace

class tst_ComputerPlayer : public QObject
{
    Q_OBJECT

private slots:
    void passPreference_data()
    {
        // Two "a" tiles compete for the middle of "cat"; each is a tile token
        // without its position (board_support.h).
        QTest::addColumn<int>("seat");
        QTest::addColumn<QString>("preferred");
        QTest::addColumn<QString>("other");
        QTest::addColumn<bool>("fits");
        QTest::newRow("free bonus over opponent's") << 1 << "a03" << "a2" << true;
        QTest::newRow("opponent's bonus over opponent's") << 1 << "a22" << "a2" << true;
        QTest::newRow("opponent's over free") << 1 << "a21" << "a" << true;
        QTest::newRow("value 1 is no bonus") << 1 << "a2" << "a01" << true;
        QTest::newRow("free over own bonus") << 1 << "a" << "a14" << true;
        QTest::newRow("free over own locked") << 1 << "a" << "a1L" << true;
        QTest::newRow("own over opponent's locked bonus") << 1 << "a1" << "a24L" << true;
        QTest::newRow("own locked as last resort") << 1 << "a1L" << "a23L" << true;
        QTest::newRow("only opponent's locked") << 1 << "a2L" << "a23L" << false;
        QTest::newRow("seat 2: seat 1's over free") << 2 << "a1" << "a" << true;
        QTest::newRow("seat 2: own over seat 1's locked") << 2 << "a2" << "a12L" << true;
    }
    void passPreference()
    {
        QFETCH(int, seat);
        QFETCH(QString, preferred);
        QFETCH(QString, other);
        QFETCH(bool, fits);
        const ComputerPlayer player = playerFor({QStringLiteral("cat")});
        for (const auto &[at, otherAt] : {std::pair{34, 43}, std::pair{43, 34}}) { // scan order must not decide
            Board b = catBoard();
            setTile(b, 25, 'x');
            setTiles(b, QString::number(at) + preferred + u' ' + QString::number(otherAt) + other);
            for (quint32 seed = 1; seed <= 20; ++seed) {
                std::mt19937 random(seed);
                const auto move = player.computerplay(b, seat, nothingUsed, random);
                QCOMPARE(move, fits ? std::optional(QList<int>{11, at, 66}) : std::nullopt);
            }
        }
    }

    void startPicksAmongEqualTiles()
    {
        // Free "a"s at 12 and 65: a scan from a random start 1..66 meets 65
        // first for the 53 starts 13..65, and 12 for the other 13.
        Board b = catBoard();
        setTile(b, 25, 'x');
        setTile(b, 12, 'a');
        setTile(b, 65, 'a');
        const ComputerPlayer player = playerFor({QStringLiteral("cat")});
        std::mt19937 random(99);
        int at65 = 0;
        for (int i = 0; i < 4000; ++i)
            at65 += player.computerplay(b, 1, nothingUsed, random).value().at(1) == 65;
        QVERIFY2(qAbs(at65 / 4000.0 - 53.0 / 66) < 0.03, qPrintable(QString::number(at65)));
    }

    void rareFitsAreDrawnEvenly()
    {
        // Two unplayed words fit among 4000 that cannot ("c", "a", "t" are
        // nowhere in them): either must come with the same chance.
        Board b = catBoard();
        setTile(b, 52, 'a', 0, 3); // the bonus "a" is always preferred
        const QString letters = QStringLiteral("bdefghijklmnopqrsuvw");
        QStringList words{QStringLiteral("act"), QStringLiteral("cat"), QStringLiteral("tac")};
        for (int i = 0; i < 4000; ++i)
            words << QString(letters.at(i % 20)) + letters.at(i / 20 % 20) + letters.at(i / 400);
        words.sort();
        const ComputerPlayer player = playerFor(words);
        std::mt19937 random(2024);
        const auto tacPlayed = [](const QString &w) { return w == QLatin1String("tac"); };
        int cat = 0;
        for (int i = 0; i < 600; ++i) {
            const QList<int> move = player.computerplay(b, 1, tacPlayed, random).value();
            const bool isCat = spell(b, move) == QLatin1String("cat");
            QCOMPARE(move, (isCat ? QList<int>{11, 52, 66} : QList<int>{52, 11, 66}));
            cat += isCat;
        }
        QVERIFY2(qAbs(cat / 600.0 - 0.5) < 0.08, qPrintable(QString::number(cat)));
        QVERIFY(!player.computerplay(b, 1, [](const QString &w) { return w.contains(QLatin1Char('t')); }, random));
    }

    void lettersAndWords()
    {
        Board b = catBoard();
        setTile(b, 22, 'e');
        setTile(b, 55, 'e', 2);
        setTile(b, 12, 'l', 1);
        std::mt19937 random(3);
        // The same letter twice takes two tiles; the opponent's "e" comes first.
        const std::optional<QList<int>> eel = playerFor({QStringLiteral("eel")}).computerplay(b, 1, nothingUsed, random);
        QCOMPARE(eel, (QList<int>{55, 22, 12}));
        QCOMPARE(playerFor({QStringLiteral("eee")}).computerplay(b, 1, nothingUsed, random), std::nullopt);
        // No "o" on the board: "dog" never fits, "cat" always does.
        QCOMPARE(playerFor({QStringLiteral("dog")}).computerplay(b, 1, nothingUsed, random), std::nullopt);
        const ComputerPlayer player = playerFor({"act", "cat", "dog", "tac"});
        const auto catActPlayed = [](const QString &w) { return w == QLatin1String("cat") || w == QLatin1String("act"); };
        for (int i = 0; i < 30; ++i)
            QCOMPARE(spell(b, player.computerplay(b, 2, catActPlayed, random).value()), QStringLiteral("tac"));
        QCOMPARE(player.computerplay(b, 1, [](const QString &) { return true; }, random), std::nullopt);
    }

    void candidateList_data()
    {
        QTest::addColumn<QStringList>("words"); // as given, no filler added
        QTest::addColumn<QString>("expected");  // empty: no move
        QTest::newRow("last entry never drawn") << QStringList{"dog", "cat"} << QString();
        QTest::newRow("short entries never drawn") << QStringList{"at", "ca", "cat", "zzz"} << "cat";
        QTest::newRow("nothing usable") << QStringList{"at", "cat"} << QString();
        QTest::newRow("empty") << QStringList{} << QString();
        QTest::newRow("capitals are no letters") << QStringList{"CAT", "zzz"} << QString();
    }
    void candidateList()
    {
        QFETCH(QStringList, words);
        QFETCH(QString, expected);
        const Board b = catBoard();
        std::mt19937 random(11);
        for (int i = 0; i < 10; ++i) {
            const auto move = ComputerPlayer(words).computerplay(b, 1, nothingUsed, random);
            QCOMPARE(move ? spell(b, *move) : QString(), expected);
        }
    }

    void sameSeedSameMove()
    {
        const ComputerPlayer player = playerFor({"ant", "bat", "bee", "dog", "ear", "hen", "ink", "lid", "net",
                                                 "old", "rat", "sea", "tea", "ten", "toe", "tree", "stone"});
        const auto teaPlayed = [](const QString &w) { return w == QLatin1String("tea"); };
        for (quint32 seed : {1u, 77u, 4096u}) {
            std::optional<QList<int>> moves[2];
            for (auto &move : moves) {
                std::mt19937 random(seed);
                Board b;
                b.deal(random);
                move = player.computerplay(b, 1, teaPlayed, random);
            }
            QCOMPARE(moves[0], moves[1]);
        }
    }
};

QTEST_APPLESS_MAIN(tst_ComputerPlayer)
#include "tst_computerplayer.moc"
