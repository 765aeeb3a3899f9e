// What the session makes of the host's messages, without a window: the news
// it tells (who came, left or watches, how a turn went, how the game goes)
// and the game model it leaves behind, which the window only renders.

#include "session_support.h"

#include "protocol/wire.h"

#include <QTest>

using namespace testsupport;
using glyphon::ClientSession;
using glyphon::GameNews;
using glyphon::SeatNews;
using glyphon::TurnNews;

namespace {

QString told(const SeatNews &n)
{
    static const char *kinds[] = {"login", "arrived", "left", "watching"};
    QString line = QString::fromLatin1(kinds[n.kind]) + (n.me ? QStringLiteral(" me") : QString());
    line += QStringLiteral(" %1 %2").arg(n.who.seat).arg(glyphon::fromWire(n.who.name));
    if (n.who.watching)
        line += QStringLiteral(" watching");
    if (n.kind == SeatNews::Arrived && n.me && !n.firstTime)
        line += QStringLiteral(" again");
    return line;
}

QString told(const TurnNews &n)
{
    static const char *kinds[] = {"turn", "played", "refused", "timeup", "restored", "paused"};
    QString line = QStringLiteral("%1 %2").arg(QString::fromLatin1(kinds[n.kind])).arg(n.seat);
    if (n.kind == TurnNews::WordPlayed)
        line += QStringLiteral(" %1 %2%3").arg(glyphon::fromWire(n.word)).arg(n.points).arg(n.history ? " history" : "");
    if (n.kind == TurnNews::WordRefused)
        line += QStringLiteral(" %1 %2").arg(int(n.reason)).arg(glyphon::fromWire(n.word));
    if (n.kind == TurnNews::TimeUp && n.passed)
        line += QStringLiteral(" passed");
    if (n.kind == TurnNews::Restored)
        line += QStringLiteral(" %1%2").arg(n.pauseTicks).arg(n.turnRunning ? " running" : "");
    return line;
}

QString told(const GameNews &n)
{
    static const char *kinds[] = {"started", "round", "roundend", "won", "full"};
    QString line = QString::fromLatin1(kinds[n.kind]) + (n.me ? QStringLiteral(" me") : QString());
    if (!n.name.isEmpty())
        line += u' ' + glyphon::fromWire(n.name);
    if (n.computerJoins)
        line += QStringLiteral(" +computer");
    return line;
}

// The model in one line: whose turn, then each filled seat ("w" watching)
// and the spectators.
QString model(const glyphon::ClientGame &game)
{
    QString line = QStringLiteral("turn %1;").arg(game.turn());
    for (int s = 1; s <= glyphon::ClientGame::PlayerSeats; ++s) {
        const glyphon::ClientGame::Seat &seat = game.seat(s);
        if (seat.filled)
            line += QStringLiteral(" %1 %2%3").arg(s).arg(glyphon::fromWire(seat.name), seat.watching ? "w" : "");
    }
    for (const glyphon::msg::SeatEntry &e : game.spectators())
        line += QStringLiteral(" %1 %2").arg(e.seat).arg(glyphon::fromWire(e.name));
    return line;
}

// The host's state with the turn of seat inTurn, and what its pace does next.
QByteArray state(int inTurn, glyphon::PaceAction pending)
{
    QList<QByteArray> f{"3", "12", "9", "60", "200", "2", "40", glyphon::number(int(pending)), glyphon::number(inTurn)};
    for (int p : glyphon::tilePositions())
        f << glyphon::number(p) << "1" << "0" << "0" << "0";
    return glyphon::buildMessage("CMD_loadstats", f).chopped(1);
}

} // namespace

class TestSessionNews : public QObject
{
    Q_OBJECT

private slots:
    void news_data();
    void news();
    void replayedWords_data();
    void replayedWords();
    void seatOneLeaving_data();
    void seatOneLeaving();
};

void TestSessionNews::news_data()
{
    QTest::addColumn<int>("myseat");
    QTest::addColumn<QByteArrayList>("messages"); // "clock": the own clock ran out
    QTest::addColumn<QStringList>("told");
    QTest::addColumn<QString>("model");
    const QByteArray both = "CMD_existingplayers+1+Ann+0+2+Bob+0";
    const QByteArray plain = plainLettersMessage();

    // Who comes and goes.
    QTest::newRow("own seat announced") << 1 << QByteArrayList{"CMD_newplayerinfo+1+Ann+0"}
                                        << QStringList{"arrived me 1 Ann"} << "turn 0; 1 Ann";
    QTest::newRow("others listed, a spectator among them")
        << 1 << QByteArrayList{"CMD_existingplayers+2+Bob+1+4+Cat+0"}
        << QStringList{"arrived 2 Bob watching", "arrived 4 Cat"} << "turn 0; 2 Bobw 4 Cat";
    QTest::newRow("own spectator seat") << 4 << QByteArrayList{"CMD_newplayerinfo+4+Ann+0"}
                                        << QStringList{"arrived me 4 Ann"} << "turn 0; 4 Ann";
    QTest::newRow("a player leaves by name") << 1 << QByteArrayList{both, "CMD_playerdisconnected+2+Bob"}
                                             << QStringList{"arrived me 1 Ann", "arrived 2 Bob", "left 2 Bob"}
                                             << "turn 0; 1 Ann";
    QTest::newRow("a free seat leaves nobody") << 1 << QByteArrayList{"CMD_playerdisconnected+2+"} << QStringList{}
                                               << "turn 0;";
    QTest::newRow("the computer player leaves unnamed")
        << 1 << QByteArrayList{"CMD_nextplayer+2+", "CMD_playerdisconnected+2+"} << QStringList{"turn 2"} << "turn 2;";
    QTest::newRow("a spectator leaves by name")
        << 1 << QByteArrayList{"CMD_newplayerinfo+4+Cat+0", "CMD_playerdisconnected+4+Cat"}
        << QStringList{"arrived 4 Cat", "left 4 Cat"} << "turn 0;";
    QTest::newRow("a spectator nobody knew") << 1 << QByteArrayList{"CMD_playerdisconnected+5+Dan"} << QStringList{}
                                             << "turn 0;";

    // Just watching.
    QTest::newRow("own seat watches") << 1 << QByteArrayList{both, "CMD_justwatching+1+1"}
                                      << QStringList{"arrived me 1 Ann", "arrived 2 Bob", "watching me 1 Ann watching"}
                                      << "turn 0; 1 Annw 2 Bob";
    QTest::newRow("seat 2 sees itself watch") << 2 << QByteArrayList{both, "CMD_justwatching+2+1"}
                                              << QStringList{"arrived 1 Ann", "arrived me 2 Bob", "watching me 2 Bob watching"}
                                              << "turn 0; 1 Ann 2 Bobw";
    QTest::newRow("the other plays again") << 1 << QByteArrayList{"CMD_existingplayers+2+Bob+1", "CMD_justwatching+2+0"}
                                           << QStringList{"arrived 2 Bob watching", "watching 2 Bob"} << "turn 0; 2 Bob";
    QTest::newRow("no spectator seat watches") << 3 << QByteArrayList{"CMD_justwatching+3+1"} << QStringList{}
                                               << "turn 0;";
    QTest::newRow("a newcomer plays on a seat set to watch")
        << 1 << QByteArrayList{"CMD_justwatching+2+1", "CMD_newplayerinfo+2+Cy+0"}
        << QStringList{"watching 2  watching", "arrived 2 Cy"} << "turn 0; 2 Cy";

    // How the game goes.
    QTest::newRow("own start, the computer joins")
        << 1 << QByteArrayList{"CMD_newplayerinfo+1+Ann+0", "CMD_startgame+Ann+200+60+"}
        << QStringList{"arrived me 1 Ann", "started me Ann +computer"} << "turn 0; 1 Ann 2 Rizi";
    QTest::newRow("the other's start, both seats taken") << 1 << QByteArrayList{both, "CMD_startgame+Bob+200+60+"}
                                                         << QStringList{"arrived me 1 Ann", "arrived 2 Bob", "started Bob"}
                                                         << "turn 0; 1 Ann 2 Bob";
    QTest::newRow("a name asked for is not the own seat's")
        << 1 << QByteArrayList{"CMD_newplayerinfo+1+Ann(2)+0", "CMD_startgame+Ann+200+60+"}
        << QStringList{"arrived me 1 Ann(2)", "started Ann +computer"} << "turn 0; 1 Ann(2) 2 Rizi";
    QTest::newRow("own win") << 1 << QByteArrayList{both, "CMD_winner+Ann"}
                             << QStringList{"arrived me 1 Ann", "arrived 2 Bob", "won me Ann"} << "turn 0; 1 Ann 2 Bob";
    QTest::newRow("the other's win") << 1 << QByteArrayList{both, "CMD_winner+Bob"}
                                     << QStringList{"arrived me 1 Ann", "arrived 2 Bob", "won Bob"}
                                     << "turn 0; 1 Ann 2 Bob";
    QTest::newRow("rounds and a full game") << 1 << QByteArrayList{"CMD_roundstart+2+", "CMD_endround+", "CMD_full+"}
                                            << QStringList{"round", "roundend", "full"} << "turn 0;";

    // Turns: when input closes.
    const QStringList seated{"arrived me 1 Ann", "arrived 2 Bob"};
    QTest::newRow("the own turn") << 1 << QByteArrayList{both, plain, "CMD_nextplayer+1+"}
                                  << seated + QStringList{"turn 1"} << "turn 1; 1 Ann 2 Bob";
    QTest::newRow("a word taken closes input")
        << 1 << QByteArrayList{both, plain, "CMD_nextplayer+1+", "CMD_hisword+1+AA+5+9+11+12"}
        << QStringList{"arrived me 1 Ann", "arrived 2 Bob", "turn 1", "played 1 AA 5"} << "turn 0; 1 Ann 2 Bob";
    QTest::newRow("a word of no player seat is no news")
        << 1 << QByteArrayList{both, plain, "CMD_nextplayer+1+", "CMD_hisword+3+AA+5+9+11+12"}
        << seated + QStringList{"turn 1"} << "turn 1; 1 Ann 2 Bob";
    QTest::newRow("a refused word gives the turn back")
        << 1 << QByteArrayList{both, plain, "CMD_nextplayer+1+", "CMD_hisword+1+AA+5+9+11+12", "CMD_invalid+1+2+ab+"}
        << seated + QStringList{"turn 1", "played 1 AA 5", "refused 1 2 ab"} << "turn 1; 1 Ann 2 Bob";
    QTest::newRow("time up closes input") << 1 << QByteArrayList{both, plain, "CMD_nextplayer+1+", "CMD_timeup+1+"}
                                          << seated + QStringList{"turn 1", "timeup 1"} << "turn 0; 1 Ann 2 Bob";
    QTest::newRow("the computer passes")
        << 1 << QByteArrayList{"CMD_newplayerinfo+1+Ann+0", "CMD_startgame+Ann+200+60+", plain, "CMD_nextplayer+2+",
                               "CMD_timeup+2+"}
        << QStringList{"arrived me 1 Ann", "started me Ann +computer", "turn 2", "timeup 2 passed"}
        << "turn 0; 1 Ann 2 Rizi";
    QTest::newRow("the computer passes for a player who watches")
        << 1 << QByteArrayList{both, plain, "CMD_justwatching+2+1", "CMD_nextplayer+2+", "CMD_timeup+2+"}
        << seated + QStringList{"watching 2 Bob watching", "turn 2", "timeup 2 passed"} << "turn 0; 1 Ann 2 Bobw";
    QTest::newRow("the other player's time runs out")
        << 1 << QByteArrayList{both, plain, "CMD_nextplayer+2+", "CMD_timeup+2+"}
        << seated + QStringList{"turn 2", "timeup 2"} << "turn 0; 1 Ann 2 Bob";
    QTest::newRow("the own clock closes input") << 1 << QByteArrayList{both, plain, "CMD_nextplayer+1+", "clock"}
                                                << seated + QStringList{"turn 1"} << "turn 0; 1 Ann 2 Bob";
    QTest::newRow("the host's state in a running turn")
        << 1 << QByteArrayList{both, state(1, glyphon::PaceAction::TimeUp)}
        << QStringList{"arrived me 1 Ann", "arrived 2 Bob", "restored 1 40 running"} << "turn 1; 1 Ann 2 Bob";
    QTest::newRow("the host's state between turns")
        << 1 << QByteArrayList{both, state(1, glyphon::PaceAction::NextTurn)}
        << QStringList{"arrived me 1 Ann", "arrived 2 Bob", "restored 1 40"} << "turn 0; 1 Ann 2 Bob";
}

void TestSessionNews::news()
{
    QFETCH(int, myseat);
    QFETCH(QByteArrayList, messages);
    QFETCH(QStringList, told);
    QFETCH(QString, model);
    LoopbackHost host;
    QVERIFY(host.logIn(myseat));
    ClientSession &s = host.session;
    QStringList heard;
    connect(&s, &ClientSession::seatNews, this, [&](const SeatNews &n) { heard << ::told(n); });
    connect(&s, &ClientSession::turnNews, this, [&](const TurnNews &n) { heard << ::told(n); });
    connect(&s, &ClientSession::gameNews, this, [&](const GameNews &n) { heard << ::told(n); });
    for (const QByteArray &message : messages) {
        if (message == "clock")
            s.clockRanOut();
        else
            host.feed(message);
    }
    QCOMPARE(heard, told);
    QCOMPARE(::model(*s.game()), model);
}

// The host replays the round's words to a newcomer between its arrival and
// the board: they fill the word lists and nothing else.
void TestSessionNews::replayedWords_data()
{
    QTest::addColumn<QByteArrayList>("messages");
    QTest::addColumn<QStringList>("told"); // the turn news
    QTest::addColumn<QString>("model");    // the lists, then tile 11's holder, the scores and the last word
    const QByteArray me = "CMD_newplayerinfo+1+Ann+0";
    const QByteArray others = "CMD_existingplayers+2+Bob+0";
    const QByteArray tea = "CMD_hisword+1+TEA+3+3+11+12+13";
    const QByteArray eat = "CMD_hisword+2+EAT+4+4+21+22+23";
    const QByteArray running = state(1, glyphon::PaceAction::TimeUp); // round 2, scores 12 and 9
    const QByteArray round2 = "CMD_roundstart+2+";
    const QByteArray plain = plainLettersMessage();

    QTest::newRow("two words before the board")
        << QByteArrayList{me, others, tea, eat}
        << QStringList{"played 1 TEA 3 history", "played 2 EAT 4 history"} << "TEA 3 | EAT 4 | 0 | 0 0 | none";
    QTest::newRow("then the board: later words are news")
        << QByteArrayList{me, others, tea, running, "CMD_nextplayer+1+", eat}
        << QStringList{"played 1 TEA 3 history", "restored 1 40 running", "turn 1", "played 2 EAT 4"}
        << "TEA 3 | EAT 4 | 0 | 12 4 | 2";
    QTest::newRow("back after a lost line: the replay replaces the lists")
        << QByteArrayList{round2, plain, "CMD_nextplayer+1+", tea, me, others, tea, eat, running}
        << QStringList{"turn 1", "played 1 TEA 3", "played 1 TEA 3 history", "played 2 EAT 4 history",
                       "restored 1 40 running"}
        << "TEA 3 | EAT 4 | 0 | 12 9 | none";
    QTest::newRow("back in a new round without words")
        << QByteArrayList{"CMD_roundstart+1+", plain, "CMD_nextplayer+1+", tea, me, running}
        << QStringList{"turn 1", "played 1 TEA 3", "restored 1 40 running"} << " |  | 0 | 12 9 | none";
    QTest::newRow("back in the same round from a host that replays nothing")
        << QByteArrayList{round2, plain, "CMD_nextplayer+1+", tea, me, running}
        << QStringList{"turn 1", "played 1 TEA 3", "restored 1 40 running"} << "TEA 3 |  | 0 | 12 9 | none";
    QTest::newRow("a game started after the arrival is news")
        << QByteArrayList{me, others, "CMD_startgame+Bob+200+60+", "CMD_roundstart+1+", plain, "CMD_nextplayer+1+", tea}
        << QStringList{"turn 1", "played 1 TEA 3"} << "TEA 3 |  | 1 | 3 0 | 1";
    QTest::newRow("a new round empties the lists")
        << QByteArrayList{me, others, tea, running, round2} << QStringList{"played 1 TEA 3 history", "restored 1 40 running"}
        << " |  | 0 | 12 9 | none";
}

void TestSessionNews::replayedWords()
{
    QFETCH(QByteArrayList, messages);
    QFETCH(QStringList, told);
    QFETCH(QString, model);
    LoopbackHost host;
    QVERIFY(host.logIn(1));
    ClientSession &s = host.session;
    QStringList heard;
    QStringList said;
    connect(&s, &ClientSession::turnNews, this, [&](const TurnNews &n) { heard << ::told(n); });
    connect(&s, &ClientSession::statusLine, this, [&](const QString &text) { said << text; });
    connect(&s, &ClientSession::soundCue, this, [&](const QString &name) { said << name; });
    for (const QByteArray &message : messages)
        host.feed(message);
    QCOMPARE(heard, told);
    const glyphon::ClientGame &g = *s.game();
    const auto list = [&](int seat) {
        QStringList words;
        for (const glyphon::ClientGame::PlayedWord &w : g.words(seat))
            words << QStringLiteral("%1 %2").arg(glyphon::fromWire(w.word)).arg(w.points);
        return words.join(QStringLiteral(", "));
    };
    const QString last = g.lastMove().positions().isEmpty() ? QStringLiteral("none") : QString::number(g.lastMove().seat());
    QCOMPARE(QStringLiteral("%1 | %2 | %3 | %4 %5 | %6")
                 .arg(list(1), list(2))
                 .arg(g.board()[11].owner)
                 .arg(g.seat(1).score)
                 .arg(g.seat(2).score)
                 .arg(last),
             model);
    said.removeAll(QStringLiteral("entered")); // the arrival's own cue
    QCOMPARE(said, QStringList{});
}

QTEST_GUILESS_MAIN(TestSessionNews)
// A connection that closes after seat 1 left was ended by the host.
void TestSessionNews::seatOneLeaving_data()
{
    QTest::addColumn<int>("myseat");
    QTest::addColumn<QByteArrayList>("messages");
    QTest::addColumn<bool>("seatOneLeft");
    const QByteArray both = "CMD_existingplayers+1+Ann+0+2+Bob+0";
    QTest::newRow("seat 1 leaves") << 2 << QByteArrayList{both, "CMD_playerdisconnected+1+Ann"} << true;
    QTest::newRow("seat 2 leaves") << 3 << QByteArrayList{both, "CMD_playerdisconnected+2+Bob"} << false;
    QTest::newRow("seat 1 taken again")
        << 3 << QByteArrayList{both, "CMD_playerdisconnected+1+Ann", "CMD_newplayerinfo+1+Cid+0"} << false;
}

void TestSessionNews::seatOneLeaving()
{
    QFETCH(int, myseat);
    QFETCH(QByteArrayList, messages);
    QFETCH(bool, seatOneLeft);
    LoopbackHost host;
    QVERIFY(host.logIn(myseat));
    for (const QByteArray &message : messages)
        host.feed(message);
    QCOMPARE(host.session.seatOneLeft(), seatOneLeft);
}

#include "tst_sessionnews.moc"
