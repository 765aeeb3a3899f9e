// Hosting without a window: whether the internet can reach the game, what
// each reader is told, the one rule for the lobby, and the goodbyes at the
// end, which never hold up the close. A real host on loopback; the router
// is a stand-in and the lobby a small HTTP responder of the test's own.

#include "net/lanannouncement.h"
#include "net/mappingprotocol.h"
#include "server/hosting.h"
#include "server/tserver.h"
#include "server_support.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>

using namespace glyphon;
using State = PortMapper::State;
Q_DECLARE_METATYPE(State)
Q_DECLARE_METATYPE(Hosting::Reader)

namespace {

// Maps and unmaps at the mapper's next pulse while it answers; silent, it
// leaves every question open.
class TestRouter : public MappingProtocol
{
public:
    explicit TestRouter(bool *answers) : m_answers(answers) {}
    QString name() const override { return QStringLiteral("test router"); }
    void map(quint16) override { m_step = Step::Mapping; }
    void unmap() override { m_step = Step::Unmapping; }
    void pulse(qint64) override
    {
        if (!*m_answers)
            return;
        if (m_step == Step::Mapping) {
            m_publicAddress = QStringLiteral("11.77.0.1");
            m_step = Step::Mapped;
        } else if (m_step == Step::Unmapping) {
            m_step = Step::Idle;
        }
    }

private:
    bool *m_answers;
};

// The lobby's side of HTTP, as far as a host uses it: each request's method
// and path is noted; a registration is answered 201 (or refused), a renewal
// or removal 200, unless the lobby is silent for that method.
class TestLobby : public QTcpServer
{
public:
    QByteArray refuse;        // a 429 with this error for registrations
    QByteArrayList silentFor; // methods never answered
    QByteArrayList requests;  // "POST /v1/games", ...

    TestLobby()
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = nextPendingConnection())
                connect(s, &QTcpSocket::readyRead, this, [this, s] { read(s); });
        });
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(serverPort())); }

private:
    void read(QTcpSocket *s)
    {
        QByteArray &in = m_input[s];
        in += s->readAll();
        for (;;) {
            const qsizetype end = in.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QByteArray head = in.left(end);
            qsizetype length = 0;
            for (const QByteArray &line : head.split('\n'))
                if (line.toLower().startsWith("content-length:"))
                    length = line.mid(15).trimmed().toInt();
            if (in.size() < end + 4 + length)
                return;
            in.remove(0, end + 4 + length);
            const QList<QByteArray> first = head.left(head.indexOf('\r')).split(' ');
            const QByteArray method = first.value(0);
            requests.append(method + ' ' + first.value(1));
            if (silentFor.contains(method))
                continue;
            QByteArray status = "200 OK";
            QByteArray body = R"({"id":"g1","renew":30})";
            if (method == "POST" && !refuse.isEmpty()) {
                status = "429 Too Many Requests";
                body = R"({"error":")" + refuse + R"("})";
            } else if (method == "POST") {
                status = "201 Created";
                body = R"({"id":"g1","secret":"s1","renew":30})";
            }
            s->write("HTTP/1.1 " + status + "\r\nContent-Type: application/json\r\nContent-Length: "
                     + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        }
    }

    QHash<QTcpSocket *, QByteArray> m_input;
};

HostConfig hostConfig()
{
    HostConfig config;
    config.port = 0;
    return config;
}

lan::DiscoveryConfig quietDiscovery()
{
    lan::DiscoveryConfig discovery;
    discovery.loopbackOnly = true;
    discovery.port = 0; // nobody hears the announcement
    return discovery;
}

QStringList linesOf(const QSignalSpy &spy)
{
    QStringList lines;
    for (const QList<QVariant> &line : spy)
        lines.append(line.at(0).toString());
    return lines;
}

bool thisComputerIsPublic()
{
    return Hosting::whyNotReachable(Hosting::localAddress(), State::Unmapped, {}, {}).isEmpty();
}

} // namespace

class TestHosting : public QObject
{
    Q_OBJECT

private slots:
    void reachableFromTheInternet_data();
    void reachableFromTheInternet();
    void linesAtTheStart_data();
    void linesAtTheStart();
    void lobbyRegistersAtOnce_data();
    void lobbyRegistersAtOnce();
    void lobbyRefusalSaidOnce_data();
    void lobbyRefusalSaidOnce();
    void goodbyes_data();
    void goodbyes();
    void hintOnlyAgainstTheComputer_data();
    void hintOnlyAgainstTheComputer();
};

// A game said to be reachable where nobody can reach it leaves its host
// waiting for nobody; one said unreachable sends the user looking for a
// fault that is not there.
void TestHosting::reachableFromTheInternet_data()
{
    QTest::addColumn<QString>("local");
    QTest::addColumn<State>("state");
    QTest::addColumn<QString>("outside");
    QTest::addColumn<QString>("why"); // the reason's start; empty: reachable
    QTest::newRow("public address, no router") << "11.77.0.5" << State::Unmapped << "" << "";
    QTest::newRow("public address, the router refused") << "11.77.0.5" << State::Error << "" << "";
    QTest::newRow("home network, port opened") << "192.168.1.4" << State::Mapped << "11.77.0.1" << "";
    QTest::newRow("router still asked") << "192.168.1.4" << State::Mapping << "" << "your router has not answered";
    QTest::newRow("router behind the provider's")
        << "192.168.1.4" << State::Mapped << "100.64.3.9" << "your router's own outside address 100.64.3.9 is private";
    QTest::newRow("router refused") << "10.0.0.7" << State::Error << "" << "your router did not open the port";
    QTest::newRow("port left closed") << "172.16.0.2" << State::Unmapped << ""
                                      << "this computer has no public address and the router has not opened the "
                                         "port (the hint)";
    QTest::newRow("port being closed") << "172.16.0.2" << State::Unmapping << "" << "this computer has no public";
    QTest::newRow("no network") << "" << State::Unmapped << "" << "this computer has no public address";
    QTest::newRow("link-local") << "169.254.3.3" << State::Unmapped << "" << "this computer has no public address";
    QTest::newRow("documentation network, port left closed")
        << "192.0.2.2" << State::Unmapped << "" << "this computer has no public address";
    QTest::newRow("documentation network behind the router")
        << "192.168.1.4" << State::Mapped << "203.0.113.9" << "your router's own outside address";
}

void TestHosting::reachableFromTheInternet()
{
    QFETCH(QString, local);
    QFETCH(State, state);
    QFETCH(QString, outside);
    QFETCH(QString, why);
    const QString said = Hosting::whyNotReachable(local, state, outside, QStringLiteral("the hint"));
    if (why.isEmpty())
        QCOMPARE(said, QString());
    else
        QVERIFY2(said.startsWith(why), qPrintable(said));
}

// The window's lines name its menus and help; the console's log names the
// options and hears the router from the network log, so it gets fewer.
void TestHosting::linesAtTheStart_data()
{
    QTest::addColumn<Hosting::Reader>("reader");
    QTest::addColumn<bool>("openPort");
    QTest::addColumn<QStringList>("ends"); // how each line after the first window line ends
    QTest::newRow("window, port left closed") << Hosting::Reader::Window << false
                                              << QStringList{"by hand (see Help \u25B8 Connecting)."};
    QTest::newRow("window, loopback only") << Hosting::Reader::Window << true
                                           << QStringList{"(GLYPHON_LOOPBACK_ONLY is set)."};
    QTest::newRow("console, port left closed") << Hosting::Reader::Console << false << QStringList{};
    QTest::newRow("console, loopback only") << Hosting::Reader::Console << true
                                            << QStringList{"Not asking the router for a port: GLYPHON_LOOPBACK_ONLY is set."};
}

void TestHosting::linesAtTheStart()
{
    QFETCH(Hosting::Reader, reader);
    QFETCH(bool, openPort);
    QFETCH(QStringList, ends);
    Hosting hosting(hostConfig(), quietDiscovery(), reader);
    hosting.listen();
    QSignalSpy lines(&hosting, &Hosting::statusLine);
    Hosting::Reach reach;
    reach.openPort = openPort;
    hosting.start(reach);
    QStringList said = linesOf(lines);
    // The window first says where players on this network join.
    if (reader == Hosting::Reader::Window && !said.isEmpty())
        said.removeFirst();
    QCOMPARE(said.size(), ends.size());
    for (int i = 0; i < ends.size(); ++i)
        QVERIFY2(said[i].endsWith(ends[i]), qPrintable(said[i]));
    QCOMPARE(hosting.mapper().state(), State::Unmapped); // the real router is never asked here
}

// Registered as soon as hosting starts, while the router is still asked;
// the line says why the lobby may not list it yet, and once the router has
// opened the port the game registers anew so that the lobby probes it again.
void TestHosting::lobbyRegistersAtOnce_data()
{
    QTest::addColumn<Hosting::Reader>("reader");
    QTest::addColumn<QString>("waiting"); // said while the router is asked
    QTest::addColumn<QString>("listed");  // said once the port is open
    QTest::newRow("window") << Hosting::Reader::Window
                            << "The internet lobby %1 lists the game only once players on the internet can reach it: "
                               "your router has not answered yet"
                            << "The game is listed on the internet lobby %1: players anywhere find it";
    QTest::newRow("console") << Hosting::Reader::Console << "Listed on the lobby %1 as game g1|The lobby %1 lists the "
                                "game only once players on the internet can reach it: your router has not answered yet"
                             << "Listed on the lobby %1 as game g1";
}

void TestHosting::lobbyRegistersAtOnce()
{
    QFETCH(Hosting::Reader, reader);
    QFETCH(QString, waiting);
    QFETCH(QString, listed);
    if (thisComputerIsPublic())
        QSKIP("this computer has a public address: its games are reachable without the router");
    TestLobby lobby;
    const QString where = lobby.url().toString();
    bool routerAnswers = false;
    Hosting hosting(hostConfig(), quietDiscovery(), reader);
    hosting.setMapper(std::make_unique<PortMapper>(std::make_unique<TestRouter>(&routerAnswers),
                                                   std::make_unique<TestRouter>(&routerAnswers)));
    hosting.listen();
    QSignalSpy lines(&hosting, &Hosting::statusLine);
    hosting.start({true, true, lobby.url()});

    QTRY_COMPARE(lobby.requests, QByteArrayList{"POST /v1/games"});
    QTRY_VERIFY2(linesOf(lines).join(u'|').contains(waiting.arg(where)), qPrintable(linesOf(lines).join(u'\n')));
    QCOMPARE(hosting.mapper().state(), State::Mapping);

    routerAnswers = true;
    QTRY_COMPARE(lobby.requests, (QByteArrayList{"POST /v1/games", "DELETE /v1/games/g1", "POST /v1/games"}));
    QTRY_VERIFY2(linesOf(lines).constLast().startsWith(listed.arg(where)), qPrintable(linesOf(lines).join(u'\n')));
}

// The lobby's refusal in each reader's words, said once per reason: every
// change of the game is sent at once and would be refused again.
void TestHosting::lobbyRefusalSaidOnce_data()
{
    QTest::addColumn<Hosting::Reader>("reader");
    QTest::addColumn<QString>("refused");
    QTest::addColumn<QString>("registered"); // a line said once the lobby took the game
    QTest::newRow("window") << Hosting::Reader::Window
                            << "The internet lobby %1 does not list the game (429 Too many\nregistrations.)."
                            << "^(The game is listed on the internet lobby|The internet lobby \\S+ lists the game only once)";
    // A lobby's words may not start a log line of their own.
    QTest::newRow("console") << Hosting::Reader::Console
                             << "The lobby %1 does not list the game: 429 Too many\\x0aregistrations."
                             << "^Listed on the lobby \\S+ as game g1$";
}

void TestHosting::lobbyRefusalSaidOnce()
{
    QFETCH(Hosting::Reader, reader);
    QFETCH(QString, refused);
    QFETCH(QString, registered);
    TestLobby lobby;
    lobby.refuse = "Too many\\nregistrations.";
    refused = refused.arg(lobby.url().toString());
    Hosting hosting(hostConfig(), quietDiscovery(), reader);
    hosting.listen();
    QSignalSpy lines(&hosting, &Hosting::statusLine);
    Hosting::Reach reach;
    reach.lobby = lobby.url();
    hosting.start(reach);
    QTRY_VERIFY2(linesOf(lines).contains(refused), qPrintable(linesOf(lines).join(u'\n')));
    const auto arrive = [&hosting](const char *name) {
        TSeat &seat = hosting.server().seats[1];
        seat.loggedin = true;
        seat.name = name;
        emit hosting.server().playerArrived(1, QString::fromLatin1(name));
    };
    arrive("Ann");
    QTRY_COMPARE(lobby.requests.size(), 2);
    // Taken at the next change: the second refusal was read by then.
    lobby.refuse.clear();
    arrive("Bea");
    const QRegularExpression taken(registered);
    const auto said = [&] {
        const QStringList all = linesOf(lines);
        return std::any_of(all.cbegin(), all.cend(), [&](const QString &line) { return taken.match(line).hasMatch(); });
    };
    QTRY_VERIFY2(said(), qPrintable(linesOf(lines).join(u'\n')));
    QCOMPARE(lobby.requests.size(), 3);
    QCOMPARE(linesOf(lines).count(refused), 1);
}

// The port and every connection close at once, whatever the network does;
// the goodbyes follow, and finished() comes when they are done, or at the
// cap when the router or the lobby never answers.
void TestHosting::goodbyes_data()
{
    QTest::addColumn<bool>("routerAnswers");
    QTest::addColumn<bool>("lobbyAnswers");
    QTest::addColumn<bool>("renewalOut"); // a renewal the lobby never answers is out at the end
    QTest::newRow("both answer: done before the cap") << true << true << false;
    QTest::newRow("the router never lets go") << false << true << false;
    QTest::newRow("the lobby never answers the removal") << true << false << false;
    QTest::newRow("a renewal is out") << true << true << true;
}

void TestHosting::goodbyes()
{
    QFETCH(bool, routerAnswers);
    QFETCH(bool, lobbyAnswers);
    QFETCH(bool, renewalOut);
    TestLobby lobby;
    if (!lobbyAnswers)
        lobby.silentFor = {"DELETE"};
    if (renewalOut)
        lobby.silentFor = {"PUT"};
    QUdpSocket others; // the local network's lists
    QVERIFY(others.bind(QHostAddress::LocalHost, 0));
    lan::DiscoveryConfig discovery = quietDiscovery();
    discovery.port = others.localPort();
    bool answers = true;
    Hosting hosting(hostConfig(), discovery, Hosting::Reader::Console);
    hosting.setMapper(std::make_unique<PortMapper>(std::make_unique<TestRouter>(&answers),
                                                   std::make_unique<TestRouter>(&answers)));
    hosting.listen();
    const quint16 port = hosting.port();
    QSignalSpy lines(&hosting, &Hosting::statusLine);
    hosting.start({true, true, lobby.url()});
    // Registered for good: once the port is open a game that was registered
    // before registers anew, and only its last registration is answered.
    QTRY_VERIFY2(hosting.mapper().state() == State::Mapped && !lines.isEmpty()
                     && linesOf(lines).constLast().startsWith(QStringLiteral("Listed on the lobby"))
                     && lobby.requests.constLast() == "POST /v1/games"
                     && lobby.requests.count("POST /v1/games") == lobby.requests.count("DELETE /v1/games/g1") + 1,
                 qPrintable(linesOf(lines).join(u'\n')));
    QTcpSocket player;
    player.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(player.waitForConnected(5000));
    QTRY_COMPARE(hosting.server().slotsused, 1);
    while (others.hasPendingDatagrams())
        others.receiveDatagram();
    answers = routerAnswers;
    if (renewalOut) {
        hosting.server().seats[1].loggedin = true;
        hosting.server().seats[1].name = "Ann";
        emit hosting.server().playerArrived(1, QStringLiteral("Ann"));
        QTRY_COMPARE(lobby.requests.constLast(), QByteArray("PUT /v1/games/g1"));
    }

    QSignalSpy finished(&hosting, &Hosting::finished);
    const qsizetype asked = lobby.requests.size();
    QElapsedTimer clock;
    clock.start();
    hosting.shutDown();
    // Another host may listen on the port straight away.
    QTcpServer next;
    QVERIFY2(next.listen(QHostAddress::Any, port), qPrintable(next.errorString()));
    QTRY_COMPARE(player.state(), QAbstractSocket::UnconnectedState);
    // The last datagram says the game is gone.
    bool gone = false;
    const auto goneSaid = [&others, &gone] {
        while (!gone && others.hasPendingDatagrams()) {
            const std::optional<LanGame> game = lan::decode(others.receiveDatagram().data());
            gone = game && game->closing;
        }
        return gone;
    };
    QTRY_VERIFY(goneSaid());

    QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 1, Hosting::ShutDownCapMs + 5000);
    QTRY_COMPARE(lobby.requests.mid(asked), QByteArrayList{"DELETE /v1/games/g1"});
    if (routerAnswers && lobbyAnswers)
        QVERIFY2(clock.elapsed() < Hosting::ShutDownCapMs, "finished only at the cap");
    else
        // Given up near the cap (the request's own time-out is the cap too), not at once.
        QVERIFY2(clock.elapsed() >= Hosting::ShutDownCapMs / 2, "finished before the network answered");
    QCOMPARE(hosting.mapper().state() == State::Unmapped, routerAnswers);
    // Once is enough: a second end changes nothing.
    hosting.shutDown();
    QTest::qWait(0);
    QCOMPARE(finished.size(), 1);
}

// View > Hint asks the host; it helps only against the computer, only in the
// seat's own turn, and never a seat that just watches.
void TestHosting::hintOnlyAgainstTheComputer_data()
{
    QTest::addColumn<bool>("bobPlays");    // a person takes seat 2
    QTest::addColumn<bool>("bobWatches");  // ... and steps aside to watch
    QTest::addColumn<bool>("annWatches");  // seat 1's own person watches
    QTest::addColumn<bool>("available");   // in seat 1's turn
    QTest::newRow("Rizi plays the other seat") << false << false << false << true;
    QTest::newRow("another person plays") << true << false << false << false;
    QTest::newRow("the other person just watches") << true << true << false << true;
    QTest::newRow("the own seat just watches") << false << false << true << false;
}

void TestHosting::hintOnlyAgainstTheComputer()
{
    QFETCH(bool, bobPlays);
    QFETCH(bool, bobWatches);
    QFETCH(bool, annWatches);
    QFETCH(bool, available);
    HostConfig config = hostConfig();
    config.tickMs = 5; // turns come quickly; Rizi's delay scales with them
    Hosting hosting(config, quietDiscovery(), Hosting::Reader::Window);
    hosting.listen();
    QSignalSpy changed(&hosting, &Hosting::hintChanged);
    test::TestClient ann, bob;
    QCOMPARE(ann.join(hosting.port()), 1);
    QVERIFY(ann.login("Ann"));
    if (bobPlays) {
        QCOMPARE(bob.join(hosting.port()), 2);
        QVERIFY(bob.login("Bob"));
    }
    // What the hint says at the start of each turn of seat 1, for seats 1 to
    // 3, once the seats are as the row has them (watching needs a game).
    QList<QList<bool>> said;
    bool ready = false;
    connect(&hosting.server(), &TServer::turnStarted, this, [&](int seat) {
        if (seat == 1 && ready)
            said.append({hosting.hintAvailable(1), hosting.hintAvailable(2), hosting.hintAvailable(3)});
    });
    hosting.server().startgame(TServer::LocalRequest, "Server+100+60+");
    if (bobWatches) {
        bob.send("CMD_justwatch", {"2", "1"});
        QVERIFY(!bob.waitFor("CMD_justwatching+2+1").isEmpty());
    }
    if (annWatches) {
        ann.send("CMD_justwatch", {"1", "1"});
        QVERIFY(!ann.waitFor("CMD_justwatching+1+1").isEmpty());
    }
    ready = true;
    changed.clear();
    QTRY_VERIFY(!said.isEmpty());
    QCOMPARE(said.constFirst(), (QList<bool>{available, false, false}));
    QVERIFY(!changed.isEmpty()); // the window greys or frees the item then
    // Outside any turn of seat 1 there is no hint for it.
    hosting.server().resetGame();
    QVERIFY(!hosting.hintAvailable(1));
}

QTEST_GUILESS_MAIN(TestHosting)
#include "tst_hosting.moc"
