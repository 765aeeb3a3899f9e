// Game announcements: what a listener takes and what it drops, and the real
// thing on loopback.

#include "net/lanannouncement.h"
#include "net/lanannouncer.h"
#include "net/lanbrowser.h"

#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

using namespace glyphon;

Q_DECLARE_METATYPE(std::optional<glyphon::LanGame>)

namespace {

const QByteArray Id = "0123456789abcdef";
const QHostAddress Lan(QStringLiteral("192.0.2.10"));

LanGame sample()
{
    LanGame g;
    g.id = Id;
    g.hostName = QStringLiteral("Ann");
    g.port = 7772;
    g.seatsTaken = 1;
    g.watchers = 2;
    g.running = true;
    return g;
}

QByteArray datagram(const QByteArray &name, const QByteArray &kind = "game")
{
    return "GLYPHON/1 " + kind + " " + Id + " 7772 1 2 1 " + name;
}

// For browsers that are only handed datagrams: never bound.
const lan::DiscoveryConfig Unbound;

quint16 freeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

} // namespace

class tst_LanAnnouncement : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void hostileDatagrams_data();
    void hostileDatagrams();
    void browserLimits();
    void rowsBelongToTheirAddress_data();
    void rowsBelongToTheirAddress();
    void closingAndAgeing();
    void loopbackAnnouncer();
    void settingsFromEnvironment_data();
    void settingsFromEnvironment();
};

void tst_LanAnnouncement::roundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "Ann" << "Ann";
    QTest::newRow("blanks and plus") << "Ann + Bob" << "Ann + Bob";
    QTest::newRow("accents") << QStringLiteral("Zoë Čapek") << QStringLiteral("Zoë Čapek");
    QTest::newRow("empty: nobody on the host's seat") << "" << "";
    // Names the server let through longer are cut to the login rule.
    QTest::newRow("too long is cut") << QString(30, QLatin1Char('x')) << QString(20, QLatin1Char('x'));
    // Cutting never leaves half of a surrogate pair.
    QTest::newRow("cut at a pair") << (QString(19, QLatin1Char('x')) + QStringLiteral("\U0001F600y"))
                                   << QString(19, QLatin1Char('x'));
}

void tst_LanAnnouncement::roundTrip()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    LanGame game = sample();
    game.hostName = name;
    const QByteArray bytes = lan::encode(game);
    QVERIFY(bytes.size() <= lan::MaxBytes);
    const auto back = lan::decode(bytes);
    QVERIFY(back);
    game.hostName = expected;
    QCOMPARE(*back, game);
}

void tst_LanAnnouncement::hostileDatagrams_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("other magic") << QByteArray("GLYPHUN/1 game " + Id + " 7772 1 2 1 Ann");
    QTest::newRow("later version") << QByteArray("GLYPHON/2 game " + Id + " 7772 1 2 1 Ann");
    QTest::newRow("unknown kind") << datagram("Ann", "join");
    QTest::newRow("missing field") << QByteArray("GLYPHON/1 game " + Id + " 7772 1 2 Ann");
    QTest::newRow("extra field") << datagram("Ann x");
    QTest::newRow("two blanks") << QByteArray("GLYPHON/1 game " + Id + "  7772 1 2 1 Ann");
    QTest::newRow("short id") << QByteArray("GLYPHON/1 game 0123 7772 1 2 1 Ann");
    QTest::newRow("upper-case id") << QByteArray("GLYPHON/1 game 0123456789ABCDEF 7772 1 2 1 Ann");
    QTest::newRow("port 0") << QByteArray("GLYPHON/1 game " + Id + " 0 1 2 1 Ann");
    QTest::newRow("port too big") << QByteArray("GLYPHON/1 game " + Id + " 65536 1 2 1 Ann");
    QTest::newRow("signed port") << QByteArray("GLYPHON/1 game " + Id + " +7772 1 2 1 Ann");
    QTest::newRow("three seats") << QByteArray("GLYPHON/1 game " + Id + " 7772 3 2 1 Ann");
    QTest::newRow("eight watchers") << QByteArray("GLYPHON/1 game " + Id + " 7772 1 8 1 Ann");
    QTest::newRow("running 2") << QByteArray("GLYPHON/1 game " + Id + " 7772 1 2 2 Ann");
    QTest::newRow("raw blank-free bytes in name") << datagram("Ann\xc3\xa9");
    QTest::newRow("cut percent") << datagram("Ann%4");
    QTest::newRow("bad percent") << datagram("Ann%zz");
    QTest::newRow("invalid utf-8") << datagram("%C3%28");
    QTest::newRow("line break in name") << datagram("Ann%0AYou%20are%20hosting");
    QTest::newRow("direction override") << datagram("%E2%80%AEnnA");
    QTest::newRow("21 characters") << datagram(QByteArray(21, 'x'));
    QTest::newRow("oversize") << datagram(QByteArray(600, 'x'));
    QTest::newRow("trailing line end") << datagram("Ann\n");
}

void tst_LanAnnouncement::hostileDatagrams()
{
    QFETCH(QByteArray, bytes);
    QCOMPARE(lan::decode(bytes).has_value(), false);
    LanBrowser browser(Unbound);
    QVERIFY(!browser.receive(bytes, Lan, 0));
    QVERIFY(browser.rows().isEmpty());
}

void tst_LanAnnouncement::browserLimits()
{
    LanBrowser browser(Unbound);
    auto game = [](int n) {
        LanGame g = sample();
        g.id = QByteArray::number(n, 16).rightJustified(16, '0');
        return lan::encode(g);
    };
    // Fifty games from fifty hosts, then no more.
    for (int n = 0; n < LanBrowser::MaxGames + 5; ++n)
        browser.receive(game(n), QHostAddress(quint32(0xC0000200 + n)), 0);
    QCOMPARE(browser.rows().size(), LanBrowser::MaxGames);

    // One address may not fill the list with made-up games.
    LanBrowser one(Unbound);
    for (int n = 0; n < 30; ++n)
        one.receive(game(n), Lan, 0);
    QCOMPARE(one.rows().size(), LanBrowser::MaxGamesPerSender);

    // A flood from one address is dropped past the rate; a quiet host at
    // another address is still heard, and the flooder again after the window.
    LanBrowser flooded(Unbound);
    for (int n = 0; n < 500; ++n)
        flooded.receive(lan::encode(sample()), Lan, 10);
    LanGame changed = sample();
    changed.watchers = 5;
    QVERIFY(!flooded.receive(lan::encode(changed), Lan, 20));
    QCOMPARE(flooded.rows().constFirst().game.watchers, 2);
    QVERIFY(flooded.receive(game(99), QHostAddress(QStringLiteral("192.0.2.11")), 20));
    QVERIFY(flooded.receive(lan::encode(changed), Lan, 10 + LanBrowser::SenderWindowMs));

    // A full list: an address with few rows pushes out the latest row of the
    // address with the most, never the other way round.
    LanBrowser full(Unbound);
    const auto host = [](int n) { return QHostAddress(quint32(0xC6336400 + n)); };
    int id = 0;
    for (int h = 0; h < 12; ++h) {
        for (int g = 0; g < LanBrowser::MaxGamesPerSender; ++g)
            QVERIFY(full.receive(game(id++), host(h), 0));
    }
    QVERIFY(full.receive(game(id++), host(12), 0));
    QVERIFY(full.receive(game(id++), host(12), 0));
    QCOMPARE(full.rows().size(), LanBrowser::MaxGames);
    QVERIFY(full.receive(game(id++), host(13), 0));
    QCOMPARE(full.rows().size(), LanBrowser::MaxGames);
    QCOMPARE(full.rows().constLast().address, host(13));
    const auto rowsOf = [&](const QHostAddress &a) {
        return std::count_if(full.rows().cbegin(), full.rows().cend(), [&](const LanRow &r) { return r.address == a; });
    };
    QCOMPARE(rowsOf(host(11)), 3);
    QCOMPARE(rowsOf(host(10)), 4);
    // The one that lost a row cannot take it back from an equal or smaller one.
    QVERIFY(!full.receive(game(47), host(11), 0));
    QCOMPARE(rowsOf(host(11)), 3);
    QCOMPARE(full.rows().size(), LanBrowser::MaxGames);
}

void tst_LanAnnouncement::rowsBelongToTheirAddress_data()
{
    // Each datagram is "address:game", address a letter (L loopback, M this
    // computer's network address, others strangers), then "wN" for N
    // watchers or "x" for closing. rows lists them as "address:game:watchers".
    QTest::addColumn<QStringList>("datagrams");
    QTest::addColumn<QString>("rows");
    QTest::newRow("another address cannot rewrite a row") << QStringList{"A:1", "B:1w5"} << "A:1:2 B:1:5";
    QTest::newRow("another address cannot close a row") << QStringList{"A:1", "B:1x"} << "A:1:2";
    QTest::newRow("the own address changes and closes") << QStringList{"A:1", "A:1w5", "A:2", "A:2x"} << "A:1:5";
    QTest::newRow("four games per address")
        << QStringList{"A:1", "A:2", "A:3", "A:4", "A:5", "B:5"} << "A:1:2 A:2:2 A:3:2 A:4:2 B:5:2";
    QTest::newRow("this computer: loopback gives way to its network address")
        << QStringList{"L:1", "M:1w4", "L:1w3"} << "M:1:3";
    QTest::newRow("a stranger's game is not this computer's") << QStringList{"L:1", "A:1w4"} << "L:1:2 A:1:4";
    QTest::newRow("this computer cannot rewrite a stranger's game") << QStringList{"A:1", "L:1w4"} << "A:1:2 L:1:4";
}

void tst_LanAnnouncement::rowsBelongToTheirAddress()
{
    QFETCH(QStringList, datagrams);
    QFETCH(QString, rows);
    const auto address = [](QChar letter) {
        if (letter == QLatin1Char('L'))
            return QHostAddress(QHostAddress::LocalHost);
        if (letter == QLatin1Char('M'))
            return Lan;
        return QHostAddress(quint32(0xCB007100 + letter.unicode()));
    };
    LanBrowser browser(Unbound);
    browser.setLocalAddresses({Lan});
    for (const QString &d : datagrams) {
        const QStringList parts = d.split(QLatin1Char(':'));
        LanGame g = sample();
        QString rest = parts[1];
        g.closing = rest.endsWith(QLatin1Char('x'));
        if (const qsizetype w = rest.indexOf(QLatin1Char('w')); w >= 0)
            g.watchers = rest.mid(w + 1).toInt(), rest.truncate(w);
        rest.remove(QLatin1Char('x'));
        g.id = rest.toLatin1().rightJustified(16, '0');
        browser.receive(lan::encode(g), address(parts[0].at(0)), 0);
    }
    QStringList got;
    for (const LanRow &r : browser.rows()) {
        QChar letter = QLatin1Char('?');
        for (const char c : QByteArrayLiteral("LMAB")) {
            if (c && address(QLatin1Char(c)) == r.address)
                letter = QLatin1Char(c);
        }
        got << QStringLiteral("%1:%2:%3").arg(letter).arg(QString::fromLatin1(r.game.id).toInt()).arg(r.game.watchers);
    }
    QCOMPARE(got.join(QLatin1Char(' ')), rows);
}

void tst_LanAnnouncement::closingAndAgeing()
{
    LanBrowser browser(Unbound);
    QVERIFY(browser.receive(lan::encode(sample()), Lan, 0));
    LanGame bye = sample();
    bye.closing = true;
    // Only the game's own address closes it.
    QVERIFY(!browser.receive(lan::encode(bye), QHostAddress(QStringLiteral("192.0.2.99")), 100));
    QCOMPARE(browser.rows().size(), 1);
    QVERIFY(browser.receive(lan::encode(bye), Lan, 100));
    QVERIFY(browser.rows().isEmpty());

    // A game not heard for six seconds goes; one heard meanwhile stays.
    browser.receive(lan::encode(sample()), Lan, 1000);
    QVERIFY(!browser.expire(1000 + LanBrowser::ExpireMs));
    browser.receive(lan::encode(sample()), Lan, 4000); // the same again keeps it
    QVERIFY(!browser.expire(1001 + LanBrowser::ExpireMs));
    QCOMPARE(browser.rows().size(), 1);
    QVERIFY(browser.expire(4001 + LanBrowser::ExpireMs));
    QVERIFY(browser.rows().isEmpty());
}

void tst_LanAnnouncement::loopbackAnnouncer()
{
    const lan::DiscoveryConfig here{freeUdpPort(), true};
    LanBrowser first(here);
    LanBrowser second(here); // two windows on one computer both hear the game
    QVERIFY2(first.start(), qPrintable(first.errorString()));
    QVERIFY2(second.start(), qPrintable(second.errorString()));

    LanAnnouncer announcer(here);
    for (const QHostAddress &target : announcer.targets())
        QVERIFY(target.isLoopback());
    LanGame game = sample();
    announcer.announce(game);
    QTRY_COMPARE(first.rows().size(), 1);
    QTRY_COMPARE(second.rows().size(), 1);
    QCOMPARE(first.rows().constFirst().game.hostName, QStringLiteral("Ann"));
    QVERIFY(first.rows().constFirst().address.isLoopback());

    // A change goes out at once, not with the next beat.
    game.seatsTaken = 2;
    announcer.announce(game);
    QTRY_COMPARE_WITH_TIMEOUT(first.rows().constFirst().game.seatsTaken, 2, LanAnnouncer::IntervalMs / 2);

    announcer.stop();
    QTRY_VERIFY_WITH_TIMEOUT(first.rows().isEmpty(), LanAnnouncer::IntervalMs / 2);
    QTRY_VERIFY(second.rows().isEmpty());
}

void tst_LanAnnouncement::settingsFromEnvironment_data()
{
    QTest::addColumn<QByteArray>("port");     // empty: unset
    QTest::addColumn<QByteArray>("loopback"); // empty: unset
    QTest::addColumn<int>("wantPort");
    QTest::addColumn<bool>("wantLoopback");
    QTest::newRow("neither set") << QByteArray() << QByteArray() << 7772 << false;
    QTest::newRow("both set") << QByteArray("7800") << QByteArray("1") << 7800 << true;
    QTest::newRow("port 0") << QByteArray("0") << QByteArray("0") << 7772 << false;
    QTest::newRow("port past 65535 must not wrap") << QByteArray("70000") << QByteArray() << 7772 << false;
    QTest::newRow("port with junk") << QByteArray("78x") << QByteArray("yes") << 7772 << false;
}

void tst_LanAnnouncement::settingsFromEnvironment()
{
    QFETCH(QByteArray, port);
    QFETCH(QByteArray, loopback);
    const QByteArray oldPort = qgetenv("GLYPHON_DISCOVERY_PORT");
    const QByteArray oldLoopback = qgetenv("GLYPHON_LOOPBACK_ONLY");
    auto put = [](const char *name, const QByteArray &value) {
        value.isEmpty() ? qunsetenv(name) : qputenv(name, value);
    };
    put("GLYPHON_DISCOVERY_PORT", port);
    put("GLYPHON_LOOPBACK_ONLY", loopback);
    const lan::DiscoveryConfig config = lan::DiscoveryConfig::fromEnvironment();
    put("GLYPHON_DISCOVERY_PORT", oldPort);
    put("GLYPHON_LOOPBACK_ONLY", oldLoopback);
    QTEST(int(config.port), "wantPort");
    QTEST(config.loopbackOnly, "wantLoopback");
}

QTEST_GUILESS_MAIN(tst_LanAnnouncement)
#include "tst_lanannouncement.moc"
