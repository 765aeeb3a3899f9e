#pragma once
// LobbyStorage: where the lobby's list of games lives, and what a game host
// says about its game. Every call takes the monotonic time in milliseconds,
// so tests drive a store with a clock of their own.
//
// A game is listed only once a probe of its address and port was greeted by
// a game host; it goes when it is deleted, when it is not renewed in time,
// or when a later probe is not greeted.

#include <QByteArray>
#include <QList>
#include <QString>

namespace glyphon {

struct LobbyLimits
{
    qint64 expireMs = 90000;       // not renewed for this long: gone
    qint64 reprobeMs = 60000;      // a game is probed at most once per this
    int perAddress = 3;            // games one address may register
    int maxGames = 10000;          // games in all; more get 503
    int registrationsPerMinute = 10; // new registrations one address may make
    int maxAddresses = 65536;      // addresses whose rate is remembered
    // A changed list is built again at most this often: every poll in between
    // gets the list as built, so hosts changing their games as fast as they
    // can cost one build a second, not one per poll.
    qint64 listRefreshMs = 1000;
};

// What a host says about its game, already checked and cleaned.
struct LobbyGameInfo
{
    QString name;
    quint16 port = 0;
    int players = 0;
    int spectators = 0;
    bool running = false;
    QString version;
    QString lan = {}; // the game's LAN announcement ID, or empty

    bool operator==(const LobbyGameInfo &) const = default;
};

struct LobbyListing
{
    QString id;
    QString address;
    LobbyGameInfo info;
};

struct LobbyProbeTask
{
    QString id;
    QString address;
    quint16 port = 0;
};

// Where the list lives: in this process (MemoryLobbyStore) or shared by
// several lobby nodes (RedisLobbyStore). Every call may come from either
// thread.
class LobbyStorage
{
public:
    enum class Status {
        Ok,
        Created,
        BadSecret,      // 403
        UnknownGame,    // 404
        AddressFull,    // 429: this address has its games
        TooFast,        // 429: this address registers too often
        LobbyFull,      // 503
        Unavailable,    // 503: the shared list cannot be reached
    };

    struct Registration
    {
        Status status = Status::Created;
        QString id;
        QString secret;
    };
    // The listed games, ordered by id, and a tag over exactly what is listed;
    // built at most once per listRefreshMs (copies share the games).
    struct List
    {
        QList<LobbyListing> games;
        QByteArray etag;
        Status status = Status::Ok;
    };

    virtual ~LobbyStorage() = default;
    virtual Registration registerGame(const QString &address, const LobbyGameInfo &info, qint64 nowMs) = 0;
    virtual Status renew(const QString &id, const QString &secret, const LobbyGameInfo &info, qint64 nowMs) = 0;
    virtual Status remove(const QString &id, const QString &secret, qint64 nowMs) = 0;
    virtual List list(qint64 nowMs) = 0;
    // Games due for a probe (new, or changed port, or renewed past the reprobe
    // time), marked as being probed so they are not handed out twice.
    virtual QList<LobbyProbeTask> takeProbes(qint64 nowMs, int max) = 0;
    // What a probe found; a game probed for an old port is probed again.
    virtual void probed(const LobbyProbeTask &task, bool greeted, qint64 nowMs) = 0;
    // Drops the games not renewed in time; returns how many went.
    virtual int expire(qint64 nowMs) = 0;
    virtual int size() const = 0;
};

// The tag two nodes agree on: a hash of the listed fields in id order.
QByteArray lobbyListTag(const QList<LobbyListing> &games);

} // namespace glyphon
