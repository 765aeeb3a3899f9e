#include "lobby/memorylobbystore.h"

#include <QCryptographicHash>
#include <QMutexLocker>
#include <QRandomGenerator>

#include <algorithm>
#include <limits>

namespace glyphon {

namespace {

constexpr qint64 RateWindowMs = 60000;

QString randomHex(int words)
{
    QByteArray bytes(words * 4, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), words);
    return QString::fromLatin1(bytes.toHex());
}

// Only a hash of the secret is kept, so a dump of the list lends no game.
QByteArray secretHash(const QString &secret)
{
    return QCryptographicHash::hash(secret.toUtf8(), QCryptographicHash::Sha256);
}

} // namespace

MemoryLobbyStore::MemoryLobbyStore(const LobbyLimits &limits)
    : m_limits(limits)
{
}

bool MemoryLobbyStore::secretMatches(const Game &game, const QString &secret) const
{
    const QByteArray given = secretHash(secret);
    // Compared in full whatever differs first: the time tells nothing.
    unsigned char diff = 0;
    for (qsizetype i = 0; i < given.size(); ++i)
        diff |= static_cast<unsigned char>(given[i] ^ game.secretHash[i]);
    return diff == 0;
}

MemoryLobbyStore::Registration MemoryLobbyStore::registerGame(const QString &address, const LobbyGameInfo &info, qint64 nowMs)
{
    QMutexLocker lock(&m_mutex);
    expireLocked(nowMs);
    Registration result;
    if (m_games.size() >= m_limits.maxGames) {
        result.status = Status::LobbyFull;
        return result;
    }
    if (m_perAddress.value(address) >= m_limits.perAddress) {
        result.status = Status::AddressFull;
        return result;
    }
    auto rate = m_rates.find(address);
    if (rate == m_rates.end()) {
        if (m_rates.size() >= m_limits.maxAddresses) {
            m_rates.removeIf([nowMs](const auto &it) { return nowMs - it.value().windowStartMs >= RateWindowMs; });
            if (m_rates.size() >= m_limits.maxAddresses) {
                result.status = Status::TooFast;
                return result;
            }
        }
        rate = m_rates.insert(address, Rate{nowMs, 0});
    }
    if (nowMs - rate->windowStartMs >= RateWindowMs)
        *rate = Rate{nowMs, 0};
    if (rate->count >= m_limits.registrationsPerMinute) {
        result.status = Status::TooFast;
        return result;
    }
    ++rate->count;

    do
        result.id = randomHex(2);
    while (m_games.contains(result.id));
    result.secret = randomHex(4);
    Game game;
    game.address = address;
    game.secretHash = secretHash(result.secret);
    game.info = info;
    game.renewedMs = nowMs;
    m_games.insert(result.id, game);
    m_nextExpiryMs = std::min(m_nextExpiryMs, nowMs + m_limits.expireMs);
    ++m_perAddress[address];
    return result;
}

MemoryLobbyStore::Status MemoryLobbyStore::renew(const QString &id, const QString &secret, const LobbyGameInfo &info, qint64 nowMs)
{
    QMutexLocker lock(&m_mutex);
    Game *found = nullptr;
    if (const Status status = ownedLocked(id, secret, nowMs, &found); status != Status::Ok)
        return status;
    Game &game = *found;
    game.renewedMs = nowMs;
    if (info.port != game.info.port) {
        // Nobody has greeted on the new port yet.
        if (game.greeted)
            changed();
        game.greeted = false;
        game.probeDue = true;
    } else if (info != game.info && game.greeted) {
        changed();
    }
    game.info = info;
    if (!game.probing && nowMs - game.probedMs >= m_limits.reprobeMs)
        game.probeDue = true;
    return Status::Ok;
}

MemoryLobbyStore::Status MemoryLobbyStore::remove(const QString &id, const QString &secret, qint64 nowMs)
{
    QMutexLocker lock(&m_mutex);
    Game *found = nullptr;
    if (const Status status = ownedLocked(id, secret, nowMs, &found); status != Status::Ok)
        return status;
    if (found->greeted)
        changed();
    if (--m_perAddress[found->address] <= 0)
        m_perAddress.remove(found->address);
    m_games.remove(id);
    return Status::Ok;
}

MemoryLobbyStore::Status MemoryLobbyStore::ownedLocked(const QString &id, const QString &secret, qint64 nowMs, Game **game)
{
    expireLocked(nowMs);
    const auto it = m_games.find(id);
    if (it == m_games.end())
        return Status::UnknownGame;
    if (!secretMatches(*it, secret))
        return Status::BadSecret;
    *game = &*it;
    return Status::Ok;
}

MemoryLobbyStore::List MemoryLobbyStore::list(qint64 nowMs)
{
    QMutexLocker lock(&m_mutex);
    expireLocked(nowMs);
    if (m_dirty && (m_builtMs == std::numeric_limits<qint64>::min() || nowMs - m_builtMs >= m_limits.listRefreshMs)) {
        m_listed.clear();
        for (auto it = m_games.cbegin(); it != m_games.cend(); ++it) {
            if (it->greeted)
                m_listed.append(LobbyListing{it.key(), it->address, it->info});
        }
        std::sort(m_listed.begin(), m_listed.end(),
                  [](const LobbyListing &a, const LobbyListing &b) { return a.id < b.id; });
        m_etag = lobbyListTag(m_listed);
        m_dirty = false;
        m_builtMs = nowMs;
    }
    List result;
    result.games = m_listed;
    result.etag = m_etag;
    return result;
}

QList<LobbyProbeTask> MemoryLobbyStore::takeProbes(qint64 nowMs, int max)
{
    QMutexLocker lock(&m_mutex);
    expireLocked(nowMs);
    QList<LobbyProbeTask> tasks;
    for (auto it = m_games.begin(); it != m_games.end() && tasks.size() < max; ++it) {
        if (!it->probeDue || it->probing)
            continue;
        it->probeDue = false;
        it->probing = true;
        tasks.append(LobbyProbeTask{it.key(), it->address, it->info.port});
    }
    return tasks;
}

void MemoryLobbyStore::probed(const LobbyProbeTask &task, bool greeted, qint64 nowMs)
{
    QMutexLocker lock(&m_mutex);
    const auto it = m_games.find(task.id);
    if (it == m_games.end())
        return;
    it->probing = false;
    if (task.port != it->info.port) {
        it->probeDue = true;
        return;
    }
    it->probedMs = nowMs;
    if (it->greeted != greeted)
        changed();
    it->greeted = greeted;
}

int MemoryLobbyStore::expire(qint64 nowMs)
{
    QMutexLocker lock(&m_mutex);
    return expireLocked(nowMs);
}

int MemoryLobbyStore::expireLocked(qint64 nowMs)
{
    // Renewals only move a game's end later, so the earliest end seen at the
    // last pass is a safe bound: most calls need no pass over the list.
    if (nowMs < m_nextExpiryMs)
        return 0;
    int gone = 0;
    m_nextExpiryMs = std::numeric_limits<qint64>::max();
    for (auto it = m_games.begin(); it != m_games.end();) {
        if (nowMs - it->renewedMs < m_limits.expireMs) {
            m_nextExpiryMs = std::min(m_nextExpiryMs, it->renewedMs + m_limits.expireMs);
            ++it;
            continue;
        }
        if (it->greeted)
            changed();
        if (--m_perAddress[it->address] <= 0)
            m_perAddress.remove(it->address);
        it = m_games.erase(it);
        ++gone;
    }
    return gone;
}

int MemoryLobbyStore::size() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_games.size());
}

} // namespace glyphon
