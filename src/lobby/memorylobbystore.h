#pragma once
// MemoryLobbyStore: the lobby's list of games in this process. A plain class
// guarded by one mutex: the HTTP server's thread registers and lists, the Qt
// thread probes and expires.

#include "lobby/lobbystorage.h"

#include <QHash>
#include <QMutex>

#include <limits>

namespace glyphon {

class MemoryLobbyStore : public LobbyStorage
{
public:
    explicit MemoryLobbyStore(const LobbyLimits &limits = {});

    Registration registerGame(const QString &address, const LobbyGameInfo &info, qint64 nowMs) override;
    Status renew(const QString &id, const QString &secret, const LobbyGameInfo &info, qint64 nowMs) override;
    Status remove(const QString &id, const QString &secret, qint64 nowMs) override;
    List list(qint64 nowMs) override;
    QList<LobbyProbeTask> takeProbes(qint64 nowMs, int max) override;
    void probed(const LobbyProbeTask &task, bool greeted, qint64 nowMs) override;
    int expire(qint64 nowMs) override;
    int size() const override;

private:
    struct Game
    {
        QString address;
        QByteArray secretHash;
        LobbyGameInfo info;
        qint64 renewedMs = 0;
        qint64 probedMs = 0;
        bool greeted = false;
        bool probing = false;
        bool probeDue = true;
    };
    struct Rate
    {
        qint64 windowStartMs = 0;
        int count = 0;
    };

    int expireLocked(qint64 nowMs);
    bool secretMatches(const Game &game, const QString &secret) const;
    // After expiring what is due: the game with that id, if the secret is its own.
    Status ownedLocked(const QString &id, const QString &secret, qint64 nowMs, Game **game);
    void changed() { m_dirty = true; }

    mutable QMutex m_mutex;
    LobbyLimits m_limits;
    QHash<QString, Game> m_games;
    QHash<QString, int> m_perAddress;
    QHash<QString, Rate> m_rates;
    QList<LobbyListing> m_listed; // as last built
    QByteArray m_etag;
    bool m_dirty = true;          // the list changed since it was built
    qint64 m_builtMs = std::numeric_limits<qint64>::min();
    qint64 m_nextExpiryMs = 0; // no game goes before this
};

} // namespace glyphon
