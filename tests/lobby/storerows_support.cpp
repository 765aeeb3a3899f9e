#include "storerows_support.h"

#include <QTest>

namespace glyphon::test {

namespace {

using Status = LobbyStorage::Status;

LobbyGameInfo game(int players = 1)
{
    LobbyGameInfo info;
    info.name = QStringLiteral("Ann");
    info.port = 7772;
    info.players = players;
    info.version = QStringLiteral("1.0.2");
    return info;
}

// Registers and greets, so the game is listed.
LobbyStorage::Registration listed(LobbyStorage &store, const QString &address, qint64 now)
{
    const LobbyStorage::Registration r = store.registerGame(address, game(), now);
    for (const LobbyProbeTask &task : store.takeProbes(now, 100))
        store.probed(task, true, now);
    return r;
}

} // namespace

void secretRows()
{
    QTest::addColumn<bool>("remove");
    QTest::addColumn<QString>("which"); // own, other (another game's), empty, unknown
    QTest::addColumn<Status>("expected");
    QTest::newRow("renew own") << false << "own" << Status::Ok;
    QTest::newRow("renew with another game's secret") << false << "other" << Status::BadSecret;
    QTest::newRow("renew without secret") << false << "empty" << Status::BadSecret;
    QTest::newRow("renew unknown id") << false << "unknown" << Status::UnknownGame;
    QTest::newRow("delete own") << true << "own" << Status::Ok;
    QTest::newRow("delete with another game's secret") << true << "other" << Status::BadSecret;
    QTest::newRow("delete without secret") << true << "empty" << Status::BadSecret;
}

void checkSecretRow(LobbyStorage &store)
{
    QFETCH(bool, remove);
    QFETCH(QString, which);
    QFETCH(Status, expected);
    const auto mine = listed(store, QStringLiteral("192.0.2.1"), 0);
    const auto other = listed(store, QStringLiteral("192.0.2.2"), 0);
    QString id = mine.id, secret = mine.secret;
    if (which == u"other")
        secret = other.secret;
    else if (which == u"empty")
        secret.clear();
    else if (which == u"unknown")
        id = QStringLiteral("0123456789abcdef");
    const Status status = remove ? store.remove(id, secret, 1) : store.renew(id, secret, game(), 1);
    QCOMPARE(status, expected);
    // A refused request leaves both games listed.
    QCOMPARE(store.list(1).games.size(), remove && status == Status::Ok ? 1 : 2);
}

void tagRows()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("same");
    QTest::newRow("renewal that changes nothing") << "renew" << true;
    QTest::newRow("a player more") << "players" << false;
    QTest::newRow("a game registered but not greeted") << "unlisted" << true;
    QTest::newRow("a game deleted") << "delete" << false;
    QTest::newRow("a game expired") << "expire" << false;
}

void checkTagRow(LobbyStorage &store, bool clockDriven)
{
    QFETCH(QString, change);
    QFETCH(bool, same);
    if (change == u"expire" && !clockDriven)
        QSKIP("the store keeps its own clock");
    const auto r = listed(store, QStringLiteral("192.0.2.1"), 0);
    listed(store, QStringLiteral("192.0.2.2"), 500);
    const QByteArray before = store.list(600).etag;
    qint64 at = 600;
    if (change == u"renew")
        store.renew(r.id, r.secret, game(), 700);
    else if (change == u"players")
        store.renew(r.id, r.secret, game(2), 700);
    else if (change == u"unlisted")
        store.registerGame(QStringLiteral("192.0.2.3"), game(), 700);
    else if (change == u"delete")
        store.remove(r.id, r.secret, 700);
    else if (change == u"expire")
        at = 1200;
    QCOMPARE(store.list(at).etag == before, same);
}

} // namespace glyphon::test
