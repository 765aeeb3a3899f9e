// The lobby's list without sockets: a clock of the test's own drives expiry
// and rates, probe results are handed in directly.

#include "lobby/memorylobbystore.h"
#include "storerows_support.h"

#include <QTest>

using namespace glyphon;
using Status = MemoryLobbyStore::Status;

namespace {

LobbyGameInfo game(quint16 port = 7772, int players = 1)
{
    LobbyGameInfo info;
    info.name = QStringLiteral("Ann");
    info.port = port;
    info.players = players;
    info.version = QStringLiteral("1.0.2");
    return info;
}

// Registers and greets, so the game is listed.
MemoryLobbyStore::Registration listed(MemoryLobbyStore &store, const QString &address, qint64 now, quint16 port = 7772)
{
    const MemoryLobbyStore::Registration r = store.registerGame(address, game(port), now);
    for (const LobbyProbeTask &task : store.takeProbes(now, 100))
        store.probed(task, true, now);
    return r;
}

QStringList ids(MemoryLobbyStore &store, qint64 now)
{
    QStringList result;
    for (const LobbyListing &g : store.list(now).games)
        result << g.id;
    return result;
}

} // namespace

class TestMemoryLobbyStore : public QObject
{
    Q_OBJECT
private slots:
    void secrets_data();
    void secrets();
    void listing_data();
    void listing();
    void caps_data();
    void caps();
    void etag_data();
    void etag();
    void changesWaitForTheRefresh_data();
    void changesWaitForTheRefresh();
};

void TestMemoryLobbyStore::secrets_data()
{
    test::secretRows();
}

void TestMemoryLobbyStore::secrets()
{
    MemoryLobbyStore store;
    test::checkSecretRow(store);
}

void TestMemoryLobbyStore::listing_data()
{
    // After registering at 0: what happens, then is the game listed at 'at'?
    QTest::addColumn<QString>("step");
    QTest::addColumn<qint64>("at");
    QTest::addColumn<bool>("expected");
    QTest::newRow("greeted") << "greet" << qint64(1) << true;
    QTest::newRow("not yet probed") << "none" << qint64(1) << false;
    QTest::newRow("nobody greeted") << "refuse" << qint64(1) << false;
    QTest::newRow("greeted, then not renewed") << "greet" << qint64(1000) << false;
    QTest::newRow("greeted, renewed in time") << "greet,renew@900" << qint64(1500) << true;
    QTest::newRow("moved to another port: probed again first") << "greet,port@500" << qint64(600) << false;
    QTest::newRow("probe of the old port is no greeting for the new")
        << "take,port@100,greet-taken" << qint64(200) << false;
    QTest::newRow("renewed past the reprobe time, not greeted now")
        << "greet,renew@700,refuse" << qint64(800) << false;
    QTest::newRow("renewed before the reprobe time: no probe") << "greet,renew@300,refuse" << qint64(400) << true;
}

void TestMemoryLobbyStore::listing()
{
    QFETCH(QString, step);
    QFETCH(qint64, at);
    QFETCH(bool, expected);
    LobbyLimits limits;
    limits.expireMs = 1000;
    limits.reprobeMs = 500;
    MemoryLobbyStore store(limits);
    const auto r = store.registerGame(QStringLiteral("192.0.2.1"), game(), 0);
    QList<LobbyProbeTask> taken;
    for (const QString &part : step.split(u',')) {
        const qint64 when = part.contains(u'@') ? part.section(u'@', 1).toLongLong() : 0;
        const QString what = part.section(u'@', 0, 0);
        if (what == u"greet" || what == u"refuse") {
            for (const LobbyProbeTask &task : store.takeProbes(when, 10))
                store.probed(task, what == u"greet", when);
        } else if (what == u"take") {
            taken = store.takeProbes(when, 10);
        } else if (what == u"greet-taken") {
            for (const LobbyProbeTask &task : std::as_const(taken))
                store.probed(task, true, when);
        } else if (what == u"renew") {
            QCOMPARE(store.renew(r.id, r.secret, game(), when), Status::Ok);
        } else if (what == u"port") {
            QCOMPARE(store.renew(r.id, r.secret, game(7773), when), Status::Ok);
        }
    }
    QCOMPARE(ids(store, at).contains(r.id), expected);
}

void TestMemoryLobbyStore::caps_data()
{
    // Registrations from these addresses at these times; the last one's status.
    QTest::addColumn<QStringList>("from");
    QTest::addColumn<Status>("expected");
    QTest::newRow("fourth game of one address") << QStringList{"a", "a", "a", "a"} << Status::AddressFull;
    QTest::newRow("another address is not held back") << QStringList{"a", "a", "a", "b"} << Status::Created;
    QTest::newRow("a deleted game frees its place") << QStringList{"a", "a", "a", "-a", "a"} << Status::Created;
    QTest::newRow("an expired game frees its place") << QStringList{"a", "a", "a", "a@5000"} << Status::Created;
    QTest::newRow("the lobby is full") << QStringList{"a", "b", "c", "d", "e"} << Status::LobbyFull;
    QTest::newRow("registering again and again is too fast")
        << QStringList{"r", "-r", "r", "-r", "r", "-r", "r", "-r", "r"} << Status::TooFast;
    QTest::newRow("the rate comes back after a minute")
        << QStringList{"r", "-r", "r", "-r", "r", "-r", "r", "-r", "r@61000"} << Status::Created;
}

void TestMemoryLobbyStore::caps()
{
    QFETCH(QStringList, from);
    QFETCH(Status, expected);
    LobbyLimits limits;
    limits.perAddress = 3;
    limits.maxGames = 4;
    limits.registrationsPerMinute = 4;
    limits.expireMs = 4000;
    MemoryLobbyStore store(limits);
    QList<MemoryLobbyStore::Registration> made;
    Status last = Status::Ok;
    for (const QString &entry : std::as_const(from)) {
        const qint64 when = entry.contains(u'@') ? entry.section(u'@', 1).toLongLong() : 0;
        const QString address = entry.section(u'@', 0, 0);
        if (address.startsWith(u'-')) { // deletes the game made last
            QCOMPARE(store.remove(made.last().id, made.last().secret, when), Status::Ok);
            made.removeLast();
            continue;
        }
        const auto r = store.registerGame(address, game(), when);
        last = r.status;
        if (r.status == Status::Created)
            made << r;
    }
    QCOMPARE(last, expected);
}

void TestMemoryLobbyStore::etag_data()
{
    test::tagRows();
}

void TestMemoryLobbyStore::etag()
{
    LobbyLimits limits;
    limits.expireMs = 1000;
    limits.listRefreshMs = 0;
    MemoryLobbyStore store(limits);
    test::checkTagRow(store, true);
}

void TestMemoryLobbyStore::changesWaitForTheRefresh_data()
{
    // The list is built at 0 and a game registered at 100 is greeted at 200:
    // is it listed when asked at 'at'?
    QTest::addColumn<qint64>("at");
    QTest::addColumn<bool>("expected");
    QTest::newRow("within the refresh time: the list as built") << qint64(999) << false;
    QTest::newRow("once the refresh time is up") << qint64(1000) << true;
}

void TestMemoryLobbyStore::changesWaitForTheRefresh()
{
    QFETCH(qint64, at);
    QFETCH(bool, expected);
    LobbyLimits limits;
    limits.listRefreshMs = 1000;
    MemoryLobbyStore store(limits);
    const QByteArray empty = store.list(0).etag;
    const auto r = store.registerGame(QStringLiteral("192.0.2.1"), game(), 100);
    for (const LobbyProbeTask &task : store.takeProbes(200, 10))
        store.probed(task, true, 200);
    const MemoryLobbyStore::List list = store.list(at);
    QCOMPARE(ids(store, at).contains(r.id), expected);
    QCOMPARE(list.etag != empty, expected); // the tag always matches the list given
}

QTEST_GUILESS_MAIN(TestMemoryLobbyStore)
#include "tst_memorylobbystore.moc"
