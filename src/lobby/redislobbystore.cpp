#include "lobby/redislobbystore.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>
#include <QRandomGenerator>

#include <hiredis/hiredis.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>

namespace glyphon {

namespace {

constexpr qint64 RateWindowMs = 60000;
constexpr qint64 ReconnectMs = 1000;
constexpr int MaxAttempts = 3; // writes raced by another node, before giving up
const QByteArray Prefix = "glyphon:lobby:";
const QByteArray IndexKey = Prefix + "games";
const QByteArray VersionKey = Prefix + "version";

QByteArray gameKey(const QByteArray &id) { return Prefix + "game:" + id; }
QByteArray addressKey(const QString &address) { return Prefix + "address:" + address.toLatin1(); }
QByteArray rateKey(const QString &address) { return Prefix + "rate:" + address.toLatin1(); }

QString randomHex(int words)
{
    QByteArray bytes(words * 4, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), words);
    return QString::fromLatin1(bytes.toHex());
}

QByteArray secretHash(const QString &secret)
{
    return QCryptographicHash::hash(secret.toUtf8(), QCryptographicHash::Sha256).toHex();
}

bool sameHash(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

QByteArray newVersion()
{
    // Random rather than counted: a Redis started afresh cannot hand out a
    // version some node already built a different list for.
    return randomHex(4).toLatin1();
}

} // namespace

// A game's record: what is listed, who owns it, and what its last probe found.
struct RedisLobbyStore::Record
{
    QString address;
    QByteArray secretHash;
    LobbyGameInfo info;
    bool greeted = false;
    // Times on Redis's clock, the one clock every node reads alike.
    qint64 probedMs = 0;
    qint64 renewedMs = 0; // 0 in a record written before it was kept

    QByteArray toJson() const
    {
        return QJsonDocument(QJsonObject{{QStringLiteral("address"), address},
                                         {QStringLiteral("secret"), QString::fromLatin1(secretHash)},
                                         {QStringLiteral("name"), info.name},
                                         {QStringLiteral("port"), info.port},
                                         {QStringLiteral("players"), info.players},
                                         {QStringLiteral("spectators"), info.spectators},
                                         {QStringLiteral("running"), info.running},
                                         {QStringLiteral("version"), info.version},
                                         {QStringLiteral("lan"), info.lan},
                                         {QStringLiteral("greeted"), greeted},
                                         {QStringLiteral("probed"), double(probedMs)},
                                         {QStringLiteral("renewed"), double(renewedMs)}})
            .toJson(QJsonDocument::Compact);
    }
    static bool fromJson(const QByteArray &json, Record *record)
    {
        const QJsonObject o = QJsonDocument::fromJson(json).object();
        if (o.isEmpty())
            return false;
        record->address = o.value(QStringLiteral("address")).toString();
        record->secretHash = o.value(QStringLiteral("secret")).toString().toLatin1();
        record->info.name = o.value(QStringLiteral("name")).toString();
        record->info.port = quint16(o.value(QStringLiteral("port")).toInt());
        record->info.players = o.value(QStringLiteral("players")).toInt();
        record->info.spectators = o.value(QStringLiteral("spectators")).toInt();
        record->info.running = o.value(QStringLiteral("running")).toBool();
        record->info.version = o.value(QStringLiteral("version")).toString();
        record->info.lan = o.value(QStringLiteral("lan")).toString();
        record->greeted = o.value(QStringLiteral("greeted")).toBool();
        record->probedMs = qint64(o.value(QStringLiteral("probed")).toDouble());
        record->renewedMs = qint64(o.value(QStringLiteral("renewed")).toDouble());
        return true;
    }
};

struct RedisLobbyStore::Reply
{
    std::unique_ptr<redisReply, void (*)(void *)> reply{nullptr, freeReplyObject};
    // False when Redis could not be asked or refused the command.
    bool ok() const { return reply && reply->type != REDIS_REPLY_ERROR; }
    bool isNil() const { return reply && reply->type == REDIS_REPLY_NIL; }
    // A transaction's answer to its i-th command was nil.
    bool isNilAt(size_t i) const
    {
        return reply && reply->type == REDIS_REPLY_ARRAY && i < reply->elements
            && reply->element[i]->type == REDIS_REPLY_NIL;
    }
    long long integer() const { return reply && reply->type == REDIS_REPLY_INTEGER ? reply->integer : 0; }
    QByteArray string() const
    {
        return reply && reply->type == REDIS_REPLY_STRING ? QByteArray(reply->str, qsizetype(reply->len)) : QByteArray();
    }
    QList<QByteArray> strings() const
    {
        QList<QByteArray> out;
        if (!reply || reply->type != REDIS_REPLY_ARRAY)
            return out;
        out.reserve(qsizetype(reply->elements));
        for (size_t i = 0; i < reply->elements; ++i) {
            const redisReply *element = reply->element[i];
            // A missing key reads as a null, kept apart from an empty value.
            out.append(element->type == REDIS_REPLY_STRING ? QByteArray(element->str, qsizetype(element->len))
                                                            : QByteArray());
        }
        return out;
    }
};

RedisLobbyStore::RedisLobbyStore(const QString &host, quint16 port, const LobbyLimits &limits, int timeoutMs)
    : m_host(host.toLatin1())
    , m_port(port)
    , m_limits(limits)
    , m_timeoutMs(timeoutMs)
{
}

RedisLobbyStore::~RedisLobbyStore()
{
    if (m_context)
        redisFree(m_context);
}

bool RedisLobbyStore::connectLocked() const
{
    if (m_context)
        return true;
    if (m_lastAttempt.isValid() && m_lastAttempt.elapsed() < ReconnectMs)
        return false;
    m_lastAttempt.start();
    const timeval timeout{m_timeoutMs / 1000, (m_timeoutMs % 1000) * 1000};
    redisContext *context = redisConnectWithTimeout(m_host.constData(), m_port, timeout);
    if (!context || context->err || redisSetTimeout(context, timeout) != REDIS_OK) {
        if (context)
            redisFree(context);
        return false;
    }
    m_context = context;
    return true;
}

RedisLobbyStore::Reply RedisLobbyStore::command(const QList<QByteArray> &args) const
{
    Reply result;
    if (!connectLocked())
        return result;
    std::vector<const char *> argv;
    std::vector<size_t> lengths;
    for (const QByteArray &arg : args) {
        argv.push_back(arg.constData());
        lengths.push_back(size_t(arg.size()));
    }
    result.reply.reset(static_cast<redisReply *>(
        redisCommandArgv(m_context, int(argv.size()), argv.data(), lengths.data())));
    if (!result.reply) {
        // The connection is broken or timed out: start afresh next time.
        redisFree(m_context);
        m_context = nullptr;
    }
    return result;
}

// Reads the records of the ids in a set and drops the ids whose key went.
bool RedisLobbyStore::pruneLocked(const QByteArray &setKey, const QList<QByteArray> &ids, Records *records)
{
    records->clear();
    if (ids.isEmpty())
        return true;
    QList<QByteArray> get{"MGET"};
    for (const QByteArray &id : ids)
        get.append(gameKey(id));
    const Reply values = command(get);
    if (!values.ok())
        return false;
    const QList<QByteArray> found = values.strings();
    QList<QByteArray> gone{"SREM", setKey};
    for (qsizetype i = 0; i < ids.size(); ++i) {
        if (i < found.size() && !found[i].isEmpty())
            records->append({ids[i], found[i]});
        else
            gone.append(ids[i]);
    }
    if (gone.size() > 2 && !command(gone).ok())
        return false;
    return true;
}

void RedisLobbyStore::queueProbeLocked(const QString &id, const QString &address, quint16 port)
{
    Probe &probe = m_probes[id];
    probe.address = address;
    probe.port = port;
    probe.due = true;
}

LobbyStorage::Registration RedisLobbyStore::registerGame(const QString &address, const LobbyGameInfo &info, qint64)
{
    QMutexLocker lock(&m_mutex);
    Registration result;
    result.status = Status::Unavailable;
    const Reply count = command({"SCARD", IndexKey});
    if (!count.ok())
        return result;
    if (count.integer() >= m_limits.maxGames) {
        const Reply ids = command({"SMEMBERS", IndexKey});
        Records records;
        if (!ids.ok() || !pruneLocked(IndexKey, ids.strings(), &records))
            return result;
        if (records.size() >= m_limits.maxGames) {
            result.status = Status::LobbyFull;
            return result;
        }
    }
    const QByteArray perAddressKey = addressKey(address);
    const Reply mine = command({"SMEMBERS", perAddressKey});
    Records records;
    if (!mine.ok() || !pruneLocked(perAddressKey, mine.strings(), &records))
        return result;
    if (records.size() >= m_limits.perAddress) {
        result.status = Status::AddressFull;
        return result;
    }
    const Reply rate = command({"INCR", rateKey(address)});
    if (!rate.ok())
        return result;
    if (rate.integer() == 1 && !command({"PEXPIRE", rateKey(address), QByteArray::number(RateWindowMs)}).ok())
        return result;
    if (rate.integer() > m_limits.registrationsPerMinute) {
        result.status = Status::TooFast;
        return result;
    }

    result.secret = randomHex(4);
    Record record;
    record.address = address;
    record.secretHash = secretHash(result.secret);
    record.info = info;
    const std::optional<qint64> now = timeLocked();
    if (!now)
        return result;
    record.renewedMs = *now;
    const QByteArray value = record.toJson();
    const QByteArray ttl = QByteArray::number(m_limits.expireMs);
    for (;;) {
        result.id = randomHex(2);
        const Reply set = command({"SET", gameKey(result.id.toLatin1()), value, "PX", ttl, "NX"});
        if (!set.ok())
            return result;
        if (!set.isNil())
            break;
    }
    const QByteArray id = result.id.toLatin1();
    if (!command({"SADD", IndexKey, id}).ok() || !command({"SADD", perAddressKey, id}).ok()
        || !command({"PEXPIRE", perAddressKey, ttl}).ok())
        return result;
    queueProbeLocked(result.id, address, info.port);
    result.status = Status::Created;
    return result;
}

LobbyStorage::Status RedisLobbyStore::ownedLocked(const QByteArray &key, const QString &secret, Record *record) const
{
    const Reply got = command({"GET", key});
    if (!got.ok())
        return Status::Unavailable;
    if (got.isNil() || !Record::fromJson(got.string(), record))
        return Status::UnknownGame;
    if (!sameHash(record->secretHash, secretHash(secret)))
        return Status::BadSecret;
    return Status::Ok;
}

LobbyStorage::Status RedisLobbyStore::renew(const QString &id, const QString &secret, const LobbyGameInfo &info, qint64)
{
    QMutexLocker lock(&m_mutex);
    const QByteArray key = gameKey(id.toLatin1());
    for (int attempt = 0; attempt < MaxAttempts; ++attempt) {
        if (!command({"WATCH", key}).ok())
            return Status::Unavailable;
        Record record;
        if (const Status status = ownedLocked(key, secret, &record); status != Status::Ok) {
            command({"UNWATCH"});
            return status;
        }
        const std::optional<qint64> now = timeLocked();
        if (!now) {
            command({"UNWATCH"});
            return Status::Unavailable;
        }
        const bool wasListed = record.greeted;
        if (info.port != record.info.port) {
            // Nobody has greeted on the new port yet.
            record.greeted = false;
            queueProbeLocked(id, record.address, info.port);
        } else if (*now - record.probedMs >= m_limits.reprobeMs) {
            queueProbeLocked(id, record.address, info.port);
        }
        const bool listChanged = wasListed && (!record.greeted || info != record.info);
        record.info = info;
        record.renewedMs = *now;
        const QByteArray ttl = QByteArray::number(m_limits.expireMs);
        switch (writeLocked({{"SET", key, record.toJson(), "PX", ttl, "XX"},
                             {"PEXPIRE", addressKey(record.address), ttl}}, listChanged)) {
        case Written::Done:
            return Status::Ok;
        case Written::Gone:
            return Status::UnknownGame; // went between the two calls
        case Written::Failed:
            return Status::Unavailable;
        case Written::Raced:
            continue;
        }
    }
    return Status::Unavailable; // changed under us again and again: the host tries at its next renewal
}

LobbyStorage::Status RedisLobbyStore::remove(const QString &id, const QString &secret, qint64)
{
    QMutexLocker lock(&m_mutex);
    const QByteArray key = gameKey(id.toLatin1());
    Record record;
    if (const Status status = ownedLocked(key, secret, &record); status != Status::Ok)
        return status;
    m_probes.remove(id);
    // Nothing watched: the transaction only keeps the key, its index entries
    // and the list's version together.
    const Written written = writeLocked({{"DEL", key},
                                         {"SREM", IndexKey, id.toLatin1()},
                                         {"SREM", addressKey(record.address), id.toLatin1()}},
                                        record.greeted);
    return written == Written::Failed ? Status::Unavailable : Status::Ok;
}

std::optional<qint64> RedisLobbyStore::timeLocked() const
{
    const Reply time = command({"TIME"});
    const QList<QByteArray> parts = time.ok() ? time.strings() : QList<QByteArray>();
    if (parts.size() != 2)
        return std::nullopt;
    return parts[0].toLongLong() * 1000 + parts[1].toLongLong() / 1000;
}

RedisLobbyStore::Written RedisLobbyStore::writeLocked(const QList<QList<QByteArray>> &writes, bool listChanged) const
{
    if (!command({"MULTI"}).ok())
        return Written::Failed;
    QList<QList<QByteArray>> all = writes;
    if (listChanged)
        all.append({"SET", VersionKey, newVersion()});
    for (const QList<QByteArray> &write : std::as_const(all)) {
        if (!command(write).ok()) {
            command({"DISCARD"});
            return Written::Failed;
        }
    }
    const Reply done = command({"EXEC"});
    if (!done.ok())
        return Written::Failed;
    if (done.isNil())
        return Written::Raced;
    return done.isNilAt(0) ? Written::Gone : Written::Done;
}

LobbyStorage::List RedisLobbyStore::list(qint64 nowMs)
{
    QMutexLocker lock(&m_mutex);
    List result;
    const bool built = !m_version.isEmpty();
    if (!built || nowMs - m_checkedMs >= m_limits.listRefreshMs) {
        if (!buildListLocked()) {
            result.status = Status::Unavailable;
            return result;
        }
        m_checkedMs = nowMs;
    }
    result.games = m_listed;
    result.etag = m_etag;
    return result;
}

// Reads the whole list again unless the version and the times say it is
// the one already built.
bool RedisLobbyStore::buildListLocked()
{
    const Reply version = command({"GET", VersionKey});
    if (!version.ok())
        return false;
    // A Redis that never saw a change has no version yet; any word will do.
    const QByteArray current = version.isNil() ? QByteArrayLiteral("-") : version.string();
    const std::optional<qint64> now = timeLocked();
    if (!now)
        return false;
    if (current == m_version && *now < m_validUntilMs)
        return true;
    QList<QByteArray> ids;
    Records records;
    const Reply members = command({"SMEMBERS", IndexKey});
    if (members.ok())
        ids = members.strings();
    if (!members.ok() || !pruneLocked(IndexKey, ids, &records))
        return false;
    QList<LobbyListing> listed;
    qint64 validUntil = std::numeric_limits<qint64>::max();
    for (const auto &[id, json] : std::as_const(records)) {
        Record record;
        if (!Record::fromJson(json, &record) || !record.greeted)
            continue;
        listed.append(LobbyListing{QString::fromLatin1(id), record.address, record.info});
        validUntil = std::min(validUntil, record.renewedMs + m_limits.expireMs);
    }
    std::sort(listed.begin(), listed.end(), [](const LobbyListing &a, const LobbyListing &b) { return a.id < b.id; });
    m_etag = lobbyListTag(listed);
    m_listed = std::move(listed);
    m_version = current;
    m_validUntilMs = validUntil;
    return true;
}

QList<LobbyProbeTask> RedisLobbyStore::takeProbes(qint64, int max)
{
    QMutexLocker lock(&m_mutex);
    QList<LobbyProbeTask> tasks;
    for (auto it = m_probes.begin(); it != m_probes.end() && tasks.size() < max; ++it) {
        if (!it->due || it->probing)
            continue;
        it->due = false;
        it->probing = true;
        tasks.append(LobbyProbeTask{it.key(), it->address, it->port});
    }
    return tasks;
}

void RedisLobbyStore::probed(const LobbyProbeTask &task, bool greeted, qint64)
{
    QMutexLocker lock(&m_mutex);
    const auto probe = m_probes.find(task.id);
    if (probe == m_probes.end())
        return;
    probe->probing = false;
    const QByteArray key = gameKey(task.id.toLatin1());
    for (int attempt = 0; attempt < MaxAttempts; ++attempt) {
        if (!command({"WATCH", key}).ok())
            break;
        const Reply got = command({"GET", key});
        if (!got.ok())
            break;
        Record record;
        if (got.isNil() || !Record::fromJson(got.string(), &record)) {
            command({"UNWATCH"});
            m_probes.remove(task.id);
            return;
        }
        if (record.info.port != task.port) {
            command({"UNWATCH"});
            queueProbeLocked(task.id, record.address, record.info.port);
            return;
        }
        const std::optional<qint64> now = timeLocked();
        if (!now)
            break;
        const bool listChanged = record.greeted != greeted;
        record.greeted = greeted;
        record.probedMs = *now;
        const Written written = writeLocked({{"SET", key, record.toJson(), "KEEPTTL", "XX"}}, listChanged);
        if (written == Written::Raced)
            continue;
        if (written == Written::Failed)
            break;
        m_probes.remove(task.id);
        return;
    }
    // Redis is away or the record kept changing: probe again later.
    if (const auto again = m_probes.find(task.id); again != m_probes.end())
        again->due = true;
}

int RedisLobbyStore::expire(qint64)
{
    return 0;
}

int RedisLobbyStore::size() const
{
    QMutexLocker lock(&m_mutex);
    const Reply count = command({"SCARD", IndexKey});
    return count.ok() ? int(count.integer()) : -1;
}

} // namespace glyphon
