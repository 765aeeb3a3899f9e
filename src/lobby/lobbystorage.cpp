#include "lobby/lobbystorage.h"

#include <QCryptographicHash>
#include <QStringList>

namespace glyphon {

QByteArray lobbyListTag(const QList<LobbyListing> &games)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const LobbyListing &game : games) {
        const QStringList fields{game.id, game.info.name, game.address, QString::number(game.info.port),
                                 QString::number(game.info.players), QString::number(game.info.spectators),
                                 game.info.running ? QStringLiteral("1") : QStringLiteral("0"), game.info.version,
                                 game.info.lan};
        for (const QString &field : fields) {
            hash.addData(field.toUtf8());
            hash.addData(QByteArrayView("\0", 1));
        }
    }
    return '"' + hash.result().toHex().left(32) + '"';
}

} // namespace glyphon
