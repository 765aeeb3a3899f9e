#include "net/lobbybrowser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace glyphon {

LobbyBrowser::LobbyBrowser(const QString &version, QObject *parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
    , m_timer(new QTimer(this))
    , m_version(version)
{
    m_timer->setInterval(DefaultPollMs);
    connect(m_timer, &QTimer::timeout, this, &LobbyBrowser::poll);
}

LobbyBrowser::~LobbyBrowser()
{
    stop();
}

void LobbyBrowser::setLobby(const QUrl &lobby)
{
    if (lobby == m_lobby)
        return;
    m_lobby = lobby;
    m_etag.clear();
    const bool running = m_timer->isActive();
    stop();
    if (!m_rows.isEmpty()) {
        m_rows.clear();
        emit rowsChanged();
    }
    setError({});
    if (running)
        start();
}

void LobbyBrowser::setPollMs(int ms)
{
    m_timer->setInterval(ms);
}

void LobbyBrowser::start()
{
    if (m_lobby.isEmpty())
        return;
    m_timer->start();
    poll();
}

void LobbyBrowser::stop()
{
    m_timer->stop();
    if (QNetworkReply *reply = m_pending.data()) {
        m_pending = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void LobbyBrowser::poll()
{
    if (m_pending || m_lobby.isEmpty())
        return;
    QUrl url = m_lobby;
    QString path = url.path();
    if (path.endsWith(u'/'))
        path.chop(1);
    url.setPath(path + QStringLiteral("/v1/games"));
    QNetworkRequest request(url);
    request.setTransferTimeout(m_timer->interval() * 2);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    if (!m_etag.isEmpty())
        request.setRawHeader("If-None-Match", m_etag);
    m_pending = m_network->get(request);
    QNetworkReply *reply = m_pending;
    connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received, qint64) {
        if (received > MaxAnswer)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { answered(reply); });
}

void LobbyBrowser::answered(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply != m_pending)
        return;
    m_pending = nullptr;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 304) {
        setError({});
        return;
    }
    if (status != 200) {
        setError(status == 0 ? reply->errorString() : QStringLiteral("the lobby answered %1").arg(status));
        return;
    }
    const QByteArray body = reply->read(MaxAnswer + 1);
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (body.size() > MaxAnswer || !document.isObject()) {
        setError(QStringLiteral("the lobby's answer is no list of games"));
        return;
    }
    QList<LobbyRow> rows;
    for (const QJsonValue &value : document.object().value(QStringLiteral("games")).toArray()) {
        const QJsonObject game = value.toObject();
        if (game.value(QStringLiteral("version")).toString() != m_version)
            continue;
        LobbyRow row;
        row.id = game.value(QStringLiteral("id")).toString().left(64);
        row.name = game.value(QStringLiteral("name")).toString().left(20);
        row.address = game.value(QStringLiteral("address")).toString().left(64);
        const int port = game.value(QStringLiteral("port")).toInt();
        row.players = qBound(0, game.value(QStringLiteral("players")).toInt(), 2);
        row.spectators = qBound(0, game.value(QStringLiteral("spectators")).toInt(), 9999);
        row.running = game.value(QStringLiteral("running")).toBool();
        row.lan = game.value(QStringLiteral("lan")).toString().left(16).toLatin1();
        if (row.address.isEmpty() || port < 1 || port > 65535)
            continue;
        row.port = quint16(port);
        rows.append(row);
        if (rows.size() >= MaxRows)
            break;
    }
    m_etag = reply->rawHeader("ETag").left(128);
    setError({});
    if (rows != m_rows) {
        m_rows = rows;
        emit rowsChanged();
    }
}

void LobbyBrowser::setError(const QString &error)
{
    if (error == m_error)
        return;
    m_error = error;
    emit errorChanged();
}

} // namespace glyphon
