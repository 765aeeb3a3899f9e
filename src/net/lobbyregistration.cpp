#include "net/lobbyregistration.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace glyphon {

namespace {

constexpr int RequestTimeoutMs = 10000;
constexpr qint64 MaxAnswer = 4096;

} // namespace

LobbyRegistration::LobbyRegistration(const QUrl &lobby, QObject *parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
    , m_renew(new QTimer(this))
    , m_lobby(lobby)
{
    m_renew->setInterval(DefaultRenewSeconds * 1000);
    connect(m_renew, &QTimer::timeout, this, &LobbyRegistration::send);
}

LobbyRegistration::~LobbyRegistration()
{
    if (QNetworkReply *reply = m_pending.data()) {
        reply->disconnect(this);
        reply->abort();
    }
}

void LobbyRegistration::setGame(const LanGame &game)
{
    if (game == m_game)
        return;
    m_game = game;
    if (!m_started)
        return;
    if (m_pending)
        m_changed = true; // sent when the answer is in
    else
        send();
}

void LobbyRegistration::start()
{
    m_started = true;
    m_renew->start();
    send();
}

QByteArray LobbyRegistration::body() const
{
    const QString name = m_game.hostName.isEmpty() ? m_fallbackName : m_game.hostName;
    QJsonObject object{{QStringLiteral("name"), name},
                       {QStringLiteral("port"), m_game.port},
                       {QStringLiteral("players"), m_game.seatsTaken},
                       {QStringLiteral("spectators"), m_game.watchers},
                       {QStringLiteral("running"), m_game.running},
                       {QStringLiteral("version"), m_version}};
    // The ID the local network hears: a window that hears both shows one row.
    if (!m_game.id.isEmpty())
        object.insert(QStringLiteral("lan"), QString::fromLatin1(m_game.id));
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

void LobbyRegistration::send()
{
    if (!m_started || m_pending || m_game.port == 0)
        return;
    m_changed = false;
    QUrl url = m_lobby;
    QString path = url.path();
    if (path.endsWith(u'/'))
        path.chop(1);
    url.setPath(path + (m_id.isEmpty() ? QStringLiteral("/v1/games") : QStringLiteral("/v1/games/") + m_id));
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setTransferTimeout(RequestTimeoutMs);
    // A lobby's redirect could send the secret elsewhere.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    if (!m_id.isEmpty())
        request.setRawHeader("Authorization", "Bearer " + m_secret);
    m_pending = m_id.isEmpty() ? m_network->post(request, body()) : m_network->put(request, body());
    QNetworkReply *reply = m_pending;
    connect(reply, &QNetworkReply::finished, this, [this, reply] { answered(reply); });
}

void LobbyRegistration::answered(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply != m_pending)
        return;
    m_pending = nullptr;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QJsonObject answer = QJsonDocument::fromJson(reply->read(MaxAnswer)).object();
    const bool registering = m_id.isEmpty();
    if (registering && status == 201) {
        m_id = answer.value(QStringLiteral("id")).toString().left(64);
        m_secret = answer.value(QStringLiteral("secret")).toString().left(256).toLatin1();
        if (m_id.isEmpty() || m_secret.isEmpty()) {
            m_id.clear();
            emit refused(QStringLiteral("the lobby gave no id"));
            return;
        }
        if (std::exchange(m_again, false)) {
            // Probed before the port was open: anew, probed again.
            registerAgain();
            return;
        }
        emit registered(m_id);
    } else if (!registering && status >= 200 && status <= 299) {
        emit renewed();
    } else if (!registering && status == 404) {
        // The lobby forgot the game (it restarted, or the game expired): anew.
        m_id.clear();
        m_secret.clear();
        send();
        return;
    } else if (status < 200 || status > 299) {
        const QString error = answer.value(QStringLiteral("error")).toString().left(200);
        emit refused(status == 0 ? reply->errorString()
                                 : QStringLiteral("%1 %2").arg(status).arg(error.isEmpty() ? reply->errorString() : error));
    }
    const int renew = answer.value(QStringLiteral("renew")).toInt(0);
    if (renew >= 1 && renew <= 3600 && renew * 1000 != m_renew->interval())
        m_renew->start(renew * 1000);
    if (m_changed)
        send();
}

QNetworkReply *LobbyRegistration::sendDelete(int timeoutMs)
{
    m_started = false;
    m_renew->stop();
    if (QNetworkReply *reply = m_pending.data()) {
        m_pending = nullptr; // its end is no answer any more
        reply->abort();
    }
    if (m_id.isEmpty())
        return nullptr;
    QUrl url = m_lobby;
    QString path = url.path();
    if (path.endsWith(u'/'))
        path.chop(1);
    url.setPath(path + QStringLiteral("/v1/games/") + m_id);
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", "Bearer " + m_secret);
    request.setTransferTimeout(timeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    m_id.clear();
    m_secret.clear();
    return m_network->deleteResource(request);
}

void LobbyRegistration::registerAgain()
{
    if (!m_started)
        return;
    if (m_pending && m_id.isEmpty()) {
        // The registration is out: aborting it could leave an entry at the
        // lobby that nobody deletes. Anew once its answer is in.
        m_again = true;
        return;
    }
    withdraw();
    start();
}

void LobbyRegistration::finishAsync(int timeoutMs)
{
    m_again = false;
    QNetworkReply *reply = sendDelete(timeoutMs);
    if (!reply) {
        QMetaObject::invokeMethod(this, &LobbyRegistration::finished, Qt::QueuedConnection);
        return;
    }
    // The transfer timeout ends the request at the latest; a lobby that
    // accepts and never answers is then given up on.
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        emit finished();
    });
}

void LobbyRegistration::withdraw()
{
    if (QNetworkReply *reply = sendDelete(RequestTimeoutMs))
        connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
}

} // namespace glyphon
