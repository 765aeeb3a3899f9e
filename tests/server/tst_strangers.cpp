// What a stranger at the table may do, and no more: logins that name
// nobody or somebody else, many connections from one address, a flood of
// chat, and text meant to forge the host's log. Then all of them at once at
// a table where two players finish their game.

#include "server_support.h"

#include "board_support.h"
#include "core/messages.h"
#include "core/rules.h"
#include "protocol/peertext.h"

#include <QSignalSpy>
#include <QTest>

#include <algorithm>

using namespace glyphon;
using namespace glyphon::test;

namespace {

QString loopback(int n)
{
    return QStringLiteral("127.0.0.%1").arg(n);
}

qsizetype countStarting(const QList<QByteArray> &messages, const QByteArray &prefix)
{
    return std::count_if(messages.begin(), messages.end(), [&](const QByteArray &m) { return m.startsWith(prefix); });
}

// The host's own limits, with their clock in the test's hands.
struct LimitedTable
{
    explicit LimitedTable(int perAddress = 4, int linesPerSecond = 1)
        : fixture(1, [=](HostConfig &c) {
            c.perAddress = perAddress;
            c.chatLinesPerSecond = linesPerSecond;
        })
    {
        fixture.server().hub().setClock([this] { return nowMs; });
    }
    // Every connection's lines are spent again: settle() chats.
    void rest() { nowMs += 3600 * 1000; }
    ServerFixture fixture;
    qint64 nowMs = 0;
};

} // namespace

class TstStrangers : public HostTestCase
{
    Q_OBJECT
public:
    TstStrangers() : HostTestCase({"tea", "eats"}) {}

private slots:
    void loginNames_data();
    void loginNames();
    void secondLoginIsIgnored();
    void connectionsPerAddress_data();
    void connectionsPerAddress();
    void linesKeepToTheirPace_data();
    void linesKeepToTheirPace();
    void longLinesAreCut_data();
    void longLinesAreCut();
    void peerTextCannotStartALogLine_data();
    void peerTextCannotStartALogLine();
    void strangersShareATableWithAGame();
    void seatOneOfAWindowlessHost_data();
    void seatOneOfAWindowlessHost();
};

void TstStrangers::loginNames_data()
{
    QTest::addColumn<QList<QByteArray>>("seated"); // names already at the table
    QTest::addColumn<QByteArray>("asked");
    QTest::addColumn<QByteArray>("given"); // empty: no login at all
    QTest::newRow("a forged log line") << QList<QByteArray>{"Bob"} << QByteArray("x\nSeat 1: Bob left")
                                       << QByteArray("xSeat 1: Bob left");
    QTest::newRow("DEL and tabs") << QList<QByteArray>{"Bob"} << QByteArray("\tA\x7F" "n\rn") << QByteArray("Ann");
    QTest::newRow("blanks around") << QList<QByteArray>{"Bob"} << QByteArray("  Ann  ") << QByteArray("Ann");
    QTest::newRow("blanks left by the cut") << QList<QByteArray>{"Bob"} << QByteArray(19, 'n') + "  x"
                                            << QByteArray(19, 'n');
    QTest::newRow("empty") << QList<QByteArray>{"Bob"} << QByteArray() << QByteArray();
    QTest::newRow("control bytes only") << QList<QByteArray>{"Bob"} << QByteArray("\x01\x1F\x7F") << QByteArray();
    QTest::newRow("blanks only") << QList<QByteArray>{"Bob"} << QByteArray("   ") << QByteArray();
    QTest::newRow("another seat's name") << QList<QByteArray>{"Bob"} << QByteArray("Bob") << QByteArray("Bob 2");
    QTest::newRow("another case") << QList<QByteArray>{"Bob"} << QByteArray("bOB") << QByteArray("bOB 2");
    QTest::newRow("accented capitals in the code page")
        << QList<QByteArray>{"\xC9va \x8A"} << QByteArray("\xE9VA \x9A") << QByteArray("\xE9VA \x9A 2");
    QTest::newRow("the computer player's name") << QList<QByteArray>{"Bob"} << QByteArray("rIZI") << QByteArray("rIZI 2");
    QTest::newRow("the next free number") << QList<QByteArray>{"Bob", "Ann", "Ann 2"} << QByteArray("ANN")
                                          << QByteArray("ANN 3");
    QTest::newRow("the number fits in 20 bytes") << QList<QByteArray>{QByteArray(20, 'n')} << QByteArray(20, 'N')
                                                 << QByteArray(18, 'N') + " 2";
    QTest::newRow("a name unlike the others stays") << QList<QByteArray>{"Bob"} << QByteArray("Bobby")
                                                    << QByteArray("Bobby");
}

void TstStrangers::loginNames()
{
    QFETCH(QList<QByteArray>, seated);
    QFETCH(QByteArray, asked);
    QFETCH(QByteArray, given);
    ServerFixture f;
    TestClient *first = nullptr;
    for (const QByteArray &name : seated) {
        TestClient *c = f.connection();
        QVERIFY(c->login(name));
        first = first ? first : c;
    }
    f.settle();
    TestClient *eve = f.connection();
    eve->send("CMD_logininfo", {QByteArray::number(eve->seat), "1.0.2", asked});
    // Its own chat comes after whatever its login caused.
    const QList<QByteArray> seen = eve->sync();
    const TSeat &seat = f.server().seats[eve->seat];
    if (given.isEmpty()) {
        // Nobody is told, and the login deadline still runs.
        QCOMPARE(countStarting(seen, "CMD_newplayerinfo+"), 0);
        QVERIFY(!seat.loggedin);
        QVERIFY(!f.server().hub().isAdmitted(seat.conn));
        QVERIFY(eve->login("Eve"));
        return;
    }
    QVERIFY(seen.contains("CMD_newplayerinfo+" + QByteArray::number(eve->seat) + '+' + given + "+0"));
    QCOMPARE(seat.name, given);
}

void TstStrangers::secondLoginIsIgnored()
{
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *eve = f.player("Eve");
    eve->send("CMD_logininfo", {"2", "1.0.2", "Host"});
    eve->send("CMD_logininfo", {"2", "0.9", "Bob"});
    QCOMPARE(countStarting(bob->sync(), "CMD_newplayerinfo+"), 0);
    QCOMPARE(f.server().seats[2].name, QByteArray("Eve"));
    eve->send("CMD_chat", {"2", "I am the host|clBlack"});
    QCOMPARE(bob->waitFor("CMD_chat+2+"), QByteArray("CMD_chat+2+Eve chats: I am the host|clBlack"));
}

void TstStrangers::connectionsPerAddress_data()
{
    // Each step: "cN" connects from 127.0.0.N and logs in, "lN" the latest
    // connection from N leaves, "kN" seat 1 removes the latest from N,
    // "+ms" moves the clock. seats says per step which seat it got (0:
    // refused), or "-" for a step that takes none.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("seats");
    QTest::newRow("four from one address, then none")
        << QStringList{"c1", "c2", "c2", "c2", "c2", "c2", "c3"} << "1 2 3 4 5 0 6";
    QTest::newRow("a place that is left is free again")
        << QStringList{"c2", "c2", "c2", "c2", "l2", "c2"} << "1 2 3 4 - 4";
    QTest::newRow("a removed spectator waits a minute")
        << QStringList{"c1", "c2", "c3", "k3", "c3", "c4", "+59999", "c3", "+1", "c3"} << "1 2 3 - 0 3 - 0 - 4";
    // Clearing out the bans that ran out keeps those still in force.
    QTest::newRow("a second removal keeps the first one's ban")
        << QStringList{"c1", "c2", "c3", "c4", "k3", "+1000", "k4", "c3", "c4"} << "1 2 3 4 - - - 0 0";
    QTest::newRow("a removed player may come back")
        << QStringList{"c1", "c2", "k2", "c2"} << "1 2 - 2";
}

void TstStrangers::connectionsPerAddress()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, seats);
    LimitedTable t;
    std::vector<std::unique_ptr<TestClient>> clients;
    QHash<int, TestClient *> latest;
    TestClient *host = nullptr;
    QStringList got;
    for (const QString &step : steps) {
        const int n = step.mid(1).toInt();
        if (step.startsWith(QLatin1Char('+'))) {
            t.nowMs += n;
            got << QStringLiteral("-");
        } else if (step.startsWith(QLatin1Char('c'))) {
            clients.push_back(std::make_unique<TestClient>());
            TestClient *c = clients.back().get();
            const int seat = c->join(t.fixture.port(), loopback(n));
            if (seat > 0) {
                QVERIFY(c->login("p" + QByteArray::number(clients.size())));
                latest.insert(n, c);
                host = host ? host : c;
            } else {
                QVERIFY(c->waitClosed());
            }
            got << QString::number(seat);
        } else {
            TestClient *c = latest.take(n);
            const int seat = c->seat;
            if (step.startsWith(QLatin1Char('k')))
                host->send("CMD_kickhim", {"1", QByteArray::number(seat), {}});
            else
                c->socket().disconnectFromHost();
            QVERIFY(spinUntil([&] { return !t.fixture.server().seats[seat].connected; }));
            got << QStringLiteral("-");
        }
    }
    QCOMPARE(got.join(QLatin1Char(' ')), seats);
}

void TstStrangers::linesKeepToTheirPace_data()
{
    // Lines sent at once, each "ms:kind" (kind c chat, a action, s sound)
    // or "ms*N:kind" for N of them; relayed counts the lines the others
    // get; closed: the sender was closed for the lines it had dropped.
    QTest::addColumn<int>("rate");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("relayed");
    QTest::addColumn<bool>("closed");
    QTest::newRow("a burst of five") << 1 << QStringList{"0*7:c"} << 5 << false;
    QTest::newRow("then one a second") << 1 << QStringList{"0*5:c", "500:c", "1000:c", "1999:c", "2000:c"} << 7 << false;
    QTest::newRow("actions and sounds count alike") << 1 << QStringList{"0*2:c", "0*2:a", "0*3:s"} << 5 << false;
    QTest::newRow("rest fills the burst, no more") << 1 << QStringList{"0*5:c", "100000*8:c"} << 10 << false;
    QTest::newRow("a faster rate") << 5 << QStringList{"0*5:c", "1000*7:c"} << 10 << false;
    QTest::newRow("29 dropped within a minute") << 1 << QStringList{"0*34:c"} << 5 << false;
    QTest::newRow("30 dropped within a minute") << 1 << QStringList{"0*35:c"} << 5 << true;
    QTest::newRow("30 dropped over more than a minute")
        << 1 << QStringList{"0*20:c", "60500*20:c"} << 10 << false;
    QTest::newRow("no limit") << 0 << QStringList{"0*60:c"} << 60 << false;
}

void TstStrangers::linesKeepToTheirPace()
{
    QFETCH(int, rate);
    QFETCH(QStringList, lines);
    QFETCH(int, relayed);
    QFETCH(bool, closed);
    LimitedTable t(4, rate);
    TestClient *bob = t.fixture.player("Bob");
    TestClient *eve = t.fixture.player("Eve");
    for (const QString &line : lines) {
        const QStringList parts = line.split(QLatin1Char(':'));
        const QStringList when = parts[0].split(QLatin1Char('*'));
        const int count = when.size() > 1 ? when[1].toInt() : 1;
        t.nowMs = when[0].toLongLong();
        for (int i = 0; i < count; ++i) {
            if (parts[1] == QLatin1String("c"))
                eve->sendRaw(msg::ChatRequest{2, "hi|clBlack"}.encode());
            else if (parts[1] == QLatin1String("a"))
                eve->sendRaw(msg::ActionRequest{2, "waves|clBlack"}.encode());
            else
                eve->sendRaw(msg::PlayASoundRequest::ofSound(2, "wave1").encode());
        }
        // Each batch is handled at its time before the clock moves on: a
        // request that is no line comes back once those before it are done.
        const auto answers = [&] { return countStarting(eve->messages(), "CMD_justwatching+2+"); };
        const qsizetype before = answers();
        eve->sendRaw(msg::JustWatch{2, false}.encode());
        QVERIFY(spinUntil([&] { return !eve->isOpen() || answers() > before; }));
    }
    t.rest();
    const QList<QByteArray> seen = bob->sync();
    QCOMPARE(countStarting(seen, "CMD_chat+2+") + countStarting(seen, "CMD_action+2+")
                 + countStarting(seen, "CMD_playasound+2+"),
             relayed);
    QCOMPARE(eve->waitClosed(closed ? WaitMs : 0), closed);
}

void TstStrangers::longLinesAreCut_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("relayed");
    const QByteArray line400(400, 'a');
    QTest::newRow("400 bytes stay") << line400 + "|clRed" << line400 + "|clRed";
    QTest::newRow("401 bytes are cut, the colour stays") << line400 + "b|clRed" << line400 + "|clRed";
    QTest::newRow("60 KB") << QByteArray(60000, 'x') + "|clBlue" << QByteArray(400, 'x') + "|clBlue";
    QTest::newRow("only the first bar counts") << line400 + "b|c|" + QByteArray(500, 'd')
                                               << line400 + "|c|" + QByteArray(38, 'd');
    QTest::newRow("a long colour is cut") << "hi|" + QByteArray(5000, 'c') << "hi|" + QByteArray(40, 'c');
    QTest::newRow("no colour") << QByteArray(500, 'z') << QByteArray(400, 'z');
}

void TstStrangers::longLinesAreCut()
{
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, relayed);
    ServerFixture f;
    TestClient *bob = f.player("Bob");
    TestClient *eve = f.player("Eve");
    eve->sendRaw(msg::ChatRequest{2, sent}.encode());
    QCOMPARE(bob->waitFor("CMD_chat+2+"), "CMD_chat+2+Eve chats: " + relayed);
    eve->sendRaw(msg::ActionRequest{2, sent}.encode());
    QCOMPARE(bob->waitFor("CMD_action+2+"), "CMD_action+2+Eve " + relayed);
}

void TstStrangers::peerTextCannotStartALogLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("logged");
    QTest::newRow("plain") << QStringLiteral("Ann") << QStringLiteral("Ann");
    QTest::newRow("line feed") << QStringLiteral("x\nSeat 1: Bob left") << QStringLiteral("x\\x0aSeat 1: Bob left");
    QTest::newRow("carriage return") << QStringLiteral("x\rY") << QStringLiteral("x\\x0dY");
    QTest::newRow("a code page gap read as C1") << QString(QChar(0x81)) << QStringLiteral("\\x81");
    QTest::newRow("Unicode line separator") << QString(QChar(0x2028)) << QStringLiteral("\\x2028");
    QTest::newRow("accents stay") << QStringLiteral("Zoë") << QStringLiteral("Zoë");
}

void TstStrangers::peerTextCannotStartALogLine()
{
    QFETCH(QString, text);
    QFETCH(QString, logged);
    QCOMPARE(logText(text), logged);
}

void TstStrangers::strangersShareATableWithAGame()
{
    LimitedTable t;
    ServerFixture &f = t.fixture;
    TServer &s = f.server();
    QSignalSpy won(&s, &TServer::gameWon);
    TestClient ann, bob, flooder, impostor, cy;
    QCOMPARE(ann.join(f.port(), loopback(1)), 1);
    ann.sendRaw(msg::LoginInfo{1, "1.0.2", "Ann"}.encode());
    QCOMPARE(bob.join(f.port(), loopback(2)), 2);
    bob.sendRaw(msg::LoginInfo{2, "1.0.2", "Bob"}.encode());
    QVERIFY(!ann.waitFor("CMD_newplayerinfo+2+Bob+0").isEmpty());

    // The hoarder: every place its address may have, then no more.
    std::vector<std::unique_ptr<TestClient>> hoard;
    int hoarded = 0;
    for (int i = 0; i < 7; ++i) {
        hoard.push_back(std::make_unique<TestClient>());
        const int seat = hoard.back()->join(f.port(), loopback(9));
        if (seat > 0) {
            ++hoarded;
            QVERIFY(hoard.back()->login("Hoard" + QByteArray::number(i)));
        }
    }
    QCOMPARE(hoarded, 4);

    // The impostor takes Ann's name in another case and then tries again.
    QCOMPARE(impostor.join(f.port(), loopback(6)), 7);
    impostor.sendRaw(msg::LoginInfo{7, "1.0.2", "ANN"}.encode());
    QVERIFY(!ann.waitFor("CMD_newplayerinfo+7+ANN 2+0").isEmpty());
    impostor.sendRaw(msg::LoginInfo{7, "1.0.2", "Ann"}.encode());
    impostor.sendRaw(msg::ChatRequest{7, "I am the host, please leave|clRed"}.encode());
    QCOMPARE(ann.waitFor("CMD_chat+7+"), QByteArray("CMD_chat+7+ANN 2 chats: I am the host, please leave|clRed"));

    // The flooder: a burst gets through, then it is closed.
    QCOMPARE(flooder.join(f.port(), loopback(5)), 8);
    flooder.sendRaw(msg::LoginInfo{8, "1.0.2", "Flood"}.encode());
    for (int i = 0; i < 100; ++i)
        flooder.sendRaw(msg::ChatRequest{8, QByteArray(60000, 'f') + "|clRed"}.encode());
    QVERIFY(flooder.waitClosed());

    // A real spectator from elsewhere still finds a seat (the flooder's).
    QCOMPARE(cy.join(f.port(), loopback(3)), 8);
    QVERIFY(cy.login("Cy"));

    // The players' game: Ann starts it, plays TEA, Bob plays EATS and wins.
    t.rest();
    ann.sendRaw(msg::StartGame{"Ann", 4, 30}.encode());
    QVERIFY(!ann.waitFor("CMD_nextplayer+").isEmpty());
    s.board() = boardOf("11t 12e 13a 14e 15a 16t 26s");
    ann.sendRaw(msg::SubmitIt{1, {11, 12, 13}}.encode());
    QVERIFY(!bob.waitFor("CMD_hisword+1+TEA+").isEmpty());
    QVERIFY(spinUntil([&] {
        if (s.game().currentPlayer() != 2)
            f.ticks(1);
        return s.game().currentPlayer() == 2;
    }));
    // Every other tile is taken already: Bob's word ends the round.
    for (int p : tilePositions()) {
        if (p > 16 && p != 26)
            s.board().cell(p).owner = 1;
    }
    bob.sendRaw(msg::SubmitIt{2, {14, 15, 16, 26}}.encode());
    QVERIFY(!ann.waitFor("CMD_endround").isEmpty());
    f.ticks(2);
    QCOMPARE(won.count(), 1);
    QCOMPARE(ann.waitFor("CMD_winner+"), QByteArray("CMD_winner+Bob+"));
    QCOMPARE(bob.waitFor("CMD_winner+"), QByteArray("CMD_winner+Bob+"));

    // Nobody honest was thrown off, and the flood reached them as five cut lines.
    QVERIFY(ann.isOpen() && bob.isOpen() && cy.isOpen());
    const QList<QByteArray> &seen = ann.messages();
    QCOMPARE(countStarting(seen, "CMD_chat+8+"), 5);
    for (const QByteArray &m : seen)
        QVERIFY(m.size() < 1000 || !m.startsWith("CMD_chat+"));
    QCOMPARE(countStarting(seen, "CMD_newplayerinfo+7+Ann"), 0);
}

QTEST_GUILESS_MAIN(TstStrangers)
// Seat 1 of a host with no window of its own is a stranger: it may start a
// game while none runs, within the start dialog's ranges and under its own
// name, and no more.
void TstStrangers::seatOneOfAWindowlessHost_data()
{
    QTest::addColumn<bool>("gameOn");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer"); // what seat 2 sees; empty: nothing
    QTest::newRow("start, under another name") << false << buildMessage("CMD_startgame", {"Ann", "300", "60", ""})
                                               << QByteArray("CMD_startgame+Bob+300+60+");
    QTest::newRow("start below the ranges") << false << buildMessage("CMD_startgame", {"Bob", "1", "2", ""})
                                            << QByteArray("CMD_startgame+Bob+50+30+");
    QTest::newRow("start above the ranges") << false << buildMessage("CMD_startgame", {"Bob", "90000", "9999", ""})
                                            << QByteArray("CMD_startgame+Bob+1000+120+");
    QTest::newRow("start over a running game") << true << buildMessage("CMD_startgame", {"Bob", "300", "60", ""})
                                               << QByteArray();
    QTest::newRow("remove the spectator") << false << buildMessage("CMD_kickhim", {"1", "3", ""}) << QByteArray();
    QTest::newRow("player 2 to just-watch") << true << buildMessage("CMD_justwatch", {"2", "1"}) << QByteArray();
    QTest::newRow("itself to just-watch") << true << buildMessage("CMD_justwatch", {"1", "1"})
                                          << QByteArray("CMD_justwatching+1+1");
}

void TstStrangers::seatOneOfAWindowlessHost()
{
    QFETCH(bool, gameOn);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    ServerFixture f;
    f.server().setSeatOneHosts(false);
    TestClient *bob = f.player("Bob");
    TestClient *ann = f.player("Ann");
    TestClient *spy = f.player("Spy");
    if (gameOn)
        f.server().startgame(TServer::LocalRequest, QByteArray("Host+200+30+"));
    f.settle();
    bob->sendRaw(request);
    bob->sync();
    const QList<QByteArray> seen = ann->sync();
    if (answer.isEmpty()) {
        QVERIFY2(!seen.join(' ').contains("CMD_startgame") && !seen.join(' ').contains("CMD_justwatching"),
                 seen.join(' ').constData());
        QVERIFY(spy->isOpen() && f.server().seats[3].connected);
        QVERIFY(!f.server().seats[2].watching);
    } else {
        QVERIFY2(!seen.isEmpty() && seen.first() == answer, seen.join(' ').constData());
    }
}

#include "tst_strangers.moc"
