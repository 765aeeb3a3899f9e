// The word being built, by the session alone: which tiles a click takes, what
// taking back, clearing and submitting do, the keyboard's refused letter and
// the host's messages that end the word. Seat 1 plays on a logged-in
// loopback line; the board's letters are "a".."z" by position.

#include "session_support.h"

#include "board_support.h"
#include "core/rules.h"

#include <QSignalSpy>
#include <QTest>

using namespace testsupport;
using glyphon::ClientSession;

class TestSessionWord : public QObject
{
    Q_OBJECT

private slots:
    void wordRules_data();
    void wordRules();
};

void TestSessionWord::wordRules_data()
{
    QTest::addColumn<int>("turn");      // whose turn the board is in
    QTest::addColumn<QString>("steps"); // tile positions and commands, in order
    QTest::addColumn<QList<int>>("chosen");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("sounds");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("sent");     // CMD_submitit with the tiles chosen
    const QStringList none;
    const QStringList locked{"letter is locked"};
    const QStringList tooShort{"You must create a word first"};
    QTest::newRow("clicks in order") << 1 << "11 66 12" << QList<int>{11, 66, 12} << "LOM" << none << none << false;
    QTest::newRow("a chosen tile again") << 1 << "11 11" << QList<int>{11} << "L" << none << none << false;
    QTest::newRow("own locked tile") << 1 << "33" << QList<int>{33} << "C" << none << none << false;
    QTest::newRow("the other's locked tile") << 1 << "11 44" << QList<int>{11} << "L" << QStringList{"badword"} << locked
                                             << false;
    QTest::newRow("no tile there") << 1 << "0 10 67 70" << QList<int>{} << "" << none << none << false;
    QTest::newRow("not the own turn") << 2 << "11 12" << QList<int>{} << "" << none << none << false;
    // The host reads twenty tiles at most: a 21st is refused in silence.
    QList<int> twenty;
    QString twentyText;
    for (int p : glyphon::tilePositions()) {
        if (twenty.size() < glyphon::MaxSubmissionTiles) {
            twenty << p;
            twentyText += p == 33 ? QChar(u'C') : QChar(u'A' + p % 26);
        }
    }
    QTest::newRow("twenty at most") << 1 << "all" << twenty << twentyText << none << none << false;
    QTest::newRow("take back the last") << 1 << "11 12 13 back" << QList<int>{11, 12} << "LM"
                                        << QStringList{"clear"} << none << false;
    QTest::newRow("take back nothing") << 1 << "back" << QList<int>{} << "" << none << none << false;
    QTest::newRow("clear") << 1 << "11 12 clear" << QList<int>{} << "" << QStringList{"clear"} << none << false;
    QTest::newRow("clear nothing") << 1 << "clear" << QList<int>{} << "" << none << none << false;
    QTest::newRow("submit one tile") << 1 << "11 submit" << QList<int>{11} << "L" << none << tooShort << false;
    QTest::newRow("submit") << 1 << "11 12 submit" << QList<int>{11, 12} << "LM" << none << none << true;
    QTest::newRow("no input until the answer") << 1 << "11 12 submit 13 back" << QList<int>{11, 12} << "LM" << none
                                               << none << true;
    QTest::newRow("clear after the turn ended") << 1 << "11 12 submit clear" << QList<int>{} << ""
                                                << QStringList{"clear"} << none << true;
    QTest::newRow("refused letter: Enter warns") << 1 << "11 12 z enter" << QList<int>{11, 12} << "LM"
                                                 << QStringList{"badword", "badword"} << none << false;
    QTest::newRow("refused letter: a second Enter") << 1 << "11 12 z enter enter" << QList<int>{11, 12} << "LM"
                                                    << QStringList{"badword", "badword"} << none << true;
    QTest::newRow("refused letter alone: Enter twice") << 1 << "z enter enter" << QList<int>{} << ""
                                                       << QStringList{"badword", "badword", "badword"} << none
                                                       << false;
    QTest::newRow("refused letter: SUBMIT") << 1 << "11 12 z submit" << QList<int>{11, 12} << "LM"
                                            << QStringList{"badword"} << none << true;
    QTest::newRow("refused letter: forgotten") << 1 << "11 12 z forget enter" << QList<int>{11, 12} << "LM"
                                               << QStringList{"badword"} << none << true;
    // A refusal belongs to the word it was typed into: once that word went,
    // or its turn ended, the next Enter submits.
    QTest::newRow("refused letter: gone with SUBMIT") << 1 << "11 12 z submit refused enter" << QList<int>{11, 12}
                                                      << "LM" << QStringList{"badword"} << none << true;
    QTest::newRow("refused letter: gone with the turn") << 1 << "11 12 z CMD_nextplayer+1+ 11 12 enter"
                                                        << QList<int>{11, 12} << "LM" << QStringList{"badword"}
                                                        << none << true;
    QTest::newRow("the host took the word") << 1 << "11 12 submit CMD_hisword+1+LM+2+2+11+12" << QList<int>{} << ""
                                            << none << none << true;
    QTest::newRow("the host refused the word") << 1 << "11 12 submit CMD_invalid+1+1+lm+ 13"
                                               << QList<int>{11, 12, 13} << "LMN" << none << none << true;
    QTest::newRow("own time up puts the tiles back") << 1 << "11 12 CMD_timeup+1+" << QList<int>{} << ""
                                                     << QStringList{"clear"} << none << false;
    QTest::newRow("another seat's time up leaves the word") << 1 << "11 12 CMD_timeup+2+" << QList<int>{11, 12}
                                                            << "LM" << none << none << false;
    QTest::newRow("the next turn") << 1 << "11 12 CMD_nextplayer+1+" << QList<int>{} << "" << none << none << false;
    QTest::newRow("tiles dealt anew") << 1 << "11 12 CMD_theletters+12+5+0+" << QList<int>{11} << "L" << none
                                      << none << false;
    QTest::newRow("the host's state") << 1 << "11 12 state" << QList<int>{} << "" << none << none << false;
}

void TestSessionWord::wordRules()
{
    QFETCH(int, turn);
    QFETCH(QString, steps);
    QFETCH(QList<int>, chosen);
    QFETCH(QString, text);
    QFETCH(QStringList, sounds);
    QFETCH(QStringList, boxes);
    QFETCH(bool, sent);
    LoopbackHost host;
    QVERIFY(host.logIn(1));
    ClientSession &s = host.session;
    // 33: own and locked, usable; 44: the other seat's, locked.
    glyphon::TileGrid tiles = glyphon::test::tilesOf("33c1L 44d2L");
    for (int p : glyphon::tilePositions()) {
        if (p != 33 && p != 44)
            tiles[p].letter = p % 26 + 1;
    }
    host.feed(loadStatsMessage(turn, tiles));

    QStringList heard;
    QStringList shown;
    QString first; // a box comes before the sound that goes with it
    connect(&s, &ClientSession::soundCue, this, [&](const QString &name) {
        heard << name;
        if (first.isEmpty())
            first = QStringLiteral("sound");
    });
    connect(&s, &ClientSession::refusal, this, [&](const QString &box) {
        shown << box;
        if (first.isEmpty())
            first = QStringLiteral("box");
    });
    QList<int> submitted;
    for (const QString &step : steps.split(u' ')) {
        if (step == u"all") {
            for (int p : glyphon::tilePositions())
                s.chooseTile(p);
        } else if (step == u"back") {
            s.takeBack();
        } else if (step == u"clear") {
            s.clearWord();
        } else if (step == u"submit") {
            submitted = s.chosen();
            s.submitWord();
        } else if (step == u"enter") {
            submitted = s.chosen();
            s.enterTyped();
        } else if (step == u"forget") {
            s.forgetRefusedLetter();
        } else if (step == u"z") {
            s.letterRefused(QLatin1Char('z'));
        } else if (step == u"refused") {
            (void)host.sent(); // what went before: the host refuses it
            host.feed("CMD_invalid+1+1+lm+");
        } else if (step == u"state") {
            host.feed(loadStatsMessage(1, tiles));
        } else if (step.startsWith(u"CMD_")) {
            host.feed(step.toLatin1());
        } else {
            s.chooseTile(step.toInt());
        }
    }
    QCOMPARE(s.chosen(), chosen);
    QCOMPARE(s.wordText(), text);
    QCOMPARE(heard, sounds);
    QCOMPARE(shown, boxes);
    if (!boxes.isEmpty())
        QCOMPARE(first, QStringLiteral("box"));
    const QList<QByteArray> expected{glyphon::msg::SubmitIt{1, submitted}.encode().chopped(1)};
    QCOMPARE(host.sent(), sent ? expected : QList<QByteArray>{});
}

QTEST_GUILESS_MAIN(TestSessionWord)
#include "tst_sessionword.moc"
