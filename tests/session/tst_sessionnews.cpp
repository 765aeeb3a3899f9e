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
        line += QStringLiteral(" %1 %2").arg(glyphon::fromWire(n.word)).arg(n.points);
    if (n.kind == TurnNews::WordRefused)
        line += QStringLiteral(" %1 %2").arg(int(n.reason)).arg(glyphon::fromWire(n.word));
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

QTEST_GUILESS_MAIN(TestSessionNews)
#include "tst_sessionnews.moc"
