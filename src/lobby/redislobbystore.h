#pragma once
// RedisLobbyStore: the lobby's list shared by several lobby nodes in one
// Redis. One key per game carrying its time to live (Redis expires it), an
// index set of ids pruned of keys that went, and per-address game sets and
// registration counters, so any node answers like any other. What a node
// keeps for itself is only the probes it owes for registrations it took.
//
// A record's read-modify-write (renewal, probe result) is one WATCH/MULTI
// transaction, so two nodes writing one game never lose each other's part.
//
// hiredis blocks: every call runs under the mutex with a short connect and
// command time-out, so a dead Redis costs a request half a second, not more.
// A lost connection answers Unavailable and is tried again at most once a
// second, on the next call.
//
// Listing reads every game, so a node keeps the list it built and reads it
// again only when it may have changed: every change to what is listed sets a
// new random version key, and the list stays good until the first listed
// game's time would run out. A node looks at the version and the time at
// most once per listRefreshMs; a poll in between costs Redis nothing.

#include "lobby/lobbystorage.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMutex>

#include <optional>
#include <utility>

struct redisContext;
struct redisReply;

namespace glyphon {

class RedisLobbyStore : public LobbyStorage
{
public:
    RedisLobbyStore(const QString &host, quint16 port, const LobbyLimits &limits = {}, int timeoutMs = 500);
    ~RedisLobbyStore() override;

    Registration registerGame(const QString &address, const LobbyGameInfo &info, qint64 nowMs) override;
    Status renew(const QString &id, const QString &secret, const LobbyGameInfo &info, qint64 nowMs) override;
    Status remove(const QString &id, const QString &secret, qint64 nowMs) override;
    List list(qint64 nowMs) override;
    QList<LobbyProbeTask> takeProbes(qint64 nowMs, int max) override;
    void probed(const LobbyProbeTask &task, bool greeted, qint64 nowMs) override;
    int expire(qint64 nowMs) override; // Redis expires: nothing to do
    int size() const override;         // games in the index, -1 without Redis

private:
    struct Reply;
    struct Record;
    struct Probe
    {
        QString address;
        quint16 port = 0;
        bool probing = false;
        bool due = true;
    };

    bool connectLocked() const;
    Reply command(const QList<QByteArray> &args) const;
    // The game's record at key, if the secret is its own.
    Status ownedLocked(const QByteArray &key, const QString &secret, Record *record) const;
    using Records = QList<std::pair<QByteArray, QByteArray>>; // id, record
    bool pruneLocked(const QByteArray &setKey, const QList<QByteArray> &ids, Records *records);
    void queueProbeLocked(const QString &id, const QString &address, quint16 port);
    // Writes in one transaction (a record's after WATCH), with a new list
    // version when what is listed changed; Raced when another node wrote a
    // watched record in between (read it again), Gone when the first write,
    // a SET … XX, found its key expired.
    enum class Written { Done, Gone, Raced, Failed };
    Written writeLocked(const QList<QList<QByteArray>> &writes, bool listChanged) const;
    // Redis's own clock, in milliseconds: times compared across nodes.
    std::optional<qint64> timeLocked() const;
    bool buildListLocked();

    mutable QMutex m_mutex;
    QByteArray m_host;
    quint16 m_port;
    LobbyLimits m_limits;
    int m_timeoutMs;
    mutable redisContext *m_context = nullptr;
    mutable QElapsedTimer m_lastAttempt;
    QHash<QString, Probe> m_probes; // registrations this node took and owes a probe
    // The list as last built, and what it was built from.
    QList<LobbyListing> m_listed;
    QByteArray m_etag;
    QByteArray m_version;           // empty: nothing built yet
    qint64 m_checkedMs = 0;         // the version was last asked then
    qint64 m_validUntilMs = 0;  // a listed game's time runs out then
};

} // namespace glyphon
