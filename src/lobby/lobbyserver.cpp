#include "lobby/lobbyserver.h"

#include "lobby/memorylobbystore.h"
#include "lobby/redislobbystore.h"

#include "protocol/codepage.h"
#include "net/logthrottle.h"
#include "protocol/peertext.h"
#include "protocol/hostprobe.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QTimer>

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace glyphon {

Q_LOGGING_CATEGORY(lcLobby, "glyphon.lobby")

namespace {

constexpr int TickMs = 250;
constexpr int MaxVersionLength = 32;
constexpr int MaxSpectators = 9999;
constexpr qint64 DrainBytes = 64 * 1024;

// What one request has sent so far; freed when MHD is done with it.
struct Request
{
    QByteArray body;
    qint64 discarded = 0;
    bool tooLarge = false;
};

LobbyReply jsonReply(unsigned status, const QJsonObject &object)
{
    LobbyReply reply;
    reply.status = status;
    reply.body = QJsonDocument(object).toJson(QJsonDocument::Compact);
    return reply;
}

LobbyReply errorReply(unsigned status, const QString &why)
{
    return jsonReply(status, QJsonObject{{QStringLiteral("error"), why}});
}

// The name as a game host would seat it: the code page's characters kept,
// others "?", control characters gone, cut to the wire's length.
QString cleanName(const QString &name)
{
    return fromAnsi(cleanLoginName(toAnsi(name)));
}

bool cleanVersion(const QString &version)
{
    if (version.isEmpty() || version.size() > MaxVersionLength)
        return false;
    for (const QChar c : version) {
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != u'.' && c != u'-' && c != u'+' && c != u'~')
            return false;
    }
    return true;
}

// Reads what a host says about its game; an empty error means it is fine.
QString readInfo(const QByteArray &body, LobbyGameInfo *info)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (!document.isObject())
        return QStringLiteral("The body must be a JSON object.");
    const QJsonObject object = document.object();
    const auto integer = [&object](const char *key, int low, int high, int *out) {
        const QJsonValue value = object.value(QLatin1String(key));
        const double number = value.toDouble(-1);
        if (!value.isDouble() || number != double(qint64(number)) || number < low || number > high)
            return false;
        *out = int(number);
        return true;
    };
    int port = 0;
    if (!integer("port", 1, 65535, &port))
        return QStringLiteral("\"port\" must be a whole number from 1 to 65535.");
    info->port = quint16(port);
    if (!integer("players", 0, 2, &info->players))
        return QStringLiteral("\"players\" must be 0, 1 or 2.");
    if (!integer("spectators", 0, MaxSpectators, &info->spectators))
        return QStringLiteral("\"spectators\" must be a whole number from 0 to %1.").arg(MaxSpectators);
    if (!object.value(QLatin1String("running")).isBool())
        return QStringLiteral("\"running\" must be true or false.");
    info->running = object.value(QLatin1String("running")).toBool();
    info->version = object.value(QLatin1String("version")).toString();
    if (!cleanVersion(info->version))
        return QStringLiteral("\"version\" must be a version number such as 1.0.2.");
    const QJsonValue lan = object.value(QLatin1String("lan"));
    if (!lan.isUndefined()) {
        static const QRegularExpression lanId(QStringLiteral("^[0-9a-f]{16}$"));
        info->lan = lan.toString();
        if (!lan.isString() || !lanId.match(info->lan).hasMatch())
            return QStringLiteral("\"lan\" must be 16 lower-case hex digits.");
    }
    info->name = cleanName(object.value(QLatin1String("name")).toString());
    if (info->name.isEmpty())
        return QStringLiteral("\"name\" must name the host.");
    return {};
}

// GET /v1/games: the listed games as JSON.
QByteArray listJson(const QList<LobbyListing> &listed)
{
    QJsonArray games;
    for (const LobbyListing &game : listed) {
        games.append(QJsonObject{{QStringLiteral("id"), game.id},
                                 {QStringLiteral("name"), game.info.name},
                                 {QStringLiteral("address"), game.address},
                                 {QStringLiteral("port"), game.info.port},
                                 {QStringLiteral("players"), game.info.players},
                                 {QStringLiteral("spectators"), game.info.spectators},
                                 {QStringLiteral("running"), game.info.running},
                                 {QStringLiteral("version"), game.info.version},
                                 {QStringLiteral("lan"), game.info.lan}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("games"), games}}).toJson(QJsonDocument::Compact);
}

// GET /: a plain page with a glyphon:// link per game, readable on a phone.
QByteArray listPage(const QList<LobbyListing> &listed)
{
    QString html = QStringLiteral(
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
        "<title>Glyphon games</title><style>"
        "body{font-family:sans-serif;margin:1em;max-width:40em}"
        "li{margin:.6em 0;font-size:1.1em}a{display:inline-block;padding:.2em 0}"
        ".d{color:#555;font-size:.9em}</style></head><body>\n<h1>Glyphon games</h1>\n");
    if (listed.isEmpty()) {
        html += QStringLiteral("<p>No open games right now.</p>\n");
    } else {
        html += QStringLiteral("<ul>\n");
        for (const LobbyListing &game : listed) {
            const QString link = QStringLiteral("glyphon://%1:%2").arg(game.address).arg(game.info.port);
            // The address too: two hosts may share a name, and a phone without
            // the game can still pass it on.
            html += QStringLiteral("<li><a href=\"%1\">%2</a><br><span class=\"d\">%3 playing, %4 watching%5, "
                                   "version %6, at %7:%8</span></li>\n")
                        .arg(link.toHtmlEscaped(), game.info.name.toHtmlEscaped())
                        .arg(game.info.players)
                        .arg(game.info.spectators)
                        .arg(game.info.running ? QStringLiteral(", game on") : QString(),
                             game.info.version.toHtmlEscaped(), game.address.toHtmlEscaped())
                        .arg(game.info.port);
        }
        html += QStringLiteral("</ul>\n");
    }
    html += QStringLiteral("</body></html>\n");
    return html.toUtf8();
}

QByteArray header(MHD_Connection *connection, const char *name)
{
    return QByteArray(MHD_lookup_connection_value(connection, MHD_HEADER_KIND, name));
}

// An IPv4 address in IPv6 clothes (a dual-stack socket's view) is IPv4.
QHostAddress plain(const QHostAddress &address)
{
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    return mapped ? QHostAddress(v4) : address;
}

QHostAddress socketAddress(const sockaddr *address)
{
    if (!address)
        return {};
    return QHostAddress(address);
}

MHD_Result answer(void *cls, MHD_Connection *connection, const char *url, const char *method,
                  const char *, const char *uploadData, size_t *uploadSize, void **state)
{
    auto *server = static_cast<LobbyServer *>(cls);
    auto *request = static_cast<Request *>(*state);
    if (!request) {
        request = new Request;
        *state = request;
        return MHD_YES;
    }
    if (*uploadSize > 0) {
        const qint64 size = qint64(*uploadSize);
        if (request->body.size() + size > server->maxBodyBytes())
            request->tooLarge = true;
        request->discarded += request->tooLarge ? size : 0;
        // A body somewhat too large is read to its end and thrown away, so the
        // client reads the 413 rather than a reset; a huge one is answered at
        // once, and the connection closes under what is left of it.
        if (request->discarded <= DrainBytes) {
            if (!request->tooLarge)
                request->body.append(uploadData, qsizetype(size));
            *uploadSize = 0;
            return MHD_YES;
        }
    }
    const LobbyReply reply = server->handle(connection, QByteArray(method), QByteArray(url), request->body,
                                            request->tooLarge);
    // The list's body is shared with the rendered copy rather than copied:
    // MHD holds a reference until it has sent it.
    auto *kept = new QByteArray(reply.body);
    MHD_Response *response = MHD_create_response_from_buffer_with_free_callback_cls(
        size_t(kept->size()), const_cast<char *>(kept->constData()),
        [](void *body) { delete static_cast<QByteArray *>(body); }, kept);
    if (!response) {
        delete kept;
        return MHD_NO;
    }
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, reply.contentType.constData());
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-cache");
    if (!reply.etag.isEmpty())
        MHD_add_response_header(response, MHD_HTTP_HEADER_ETAG, reply.etag.constData());
    const MHD_Result queued = MHD_queue_response(connection, reply.status, response);
    MHD_destroy_response(response);
    return queued;
}

void completed(void *, MHD_Connection *, void **state, MHD_RequestTerminationCode)
{
    delete static_cast<Request *>(*state);
    *state = nullptr;
}

} // namespace

LobbyServer::LobbyServer(const LobbyConfig &config, QObject *parent)
    : QObject(parent)
    , m_config(config)
    , m_store(config.redisPort ? std::unique_ptr<LobbyStorage>(std::make_unique<RedisLobbyStore>(
                                     config.redisHost, config.redisPort, config.limits, config.redisTimeoutMs))
                               : std::make_unique<MemoryLobbyStore>(config.limits))
    , m_ticker(new QTimer(this))
    , m_throttle(std::make_unique<LogThrottle>())
{
    m_clock.start();
    m_ticker->setInterval(TickMs);
    connect(m_ticker, &QTimer::timeout, this, &LobbyServer::tick);
}

LobbyServer::~LobbyServer()
{
    stop();
}

bool LobbyServer::start()
{
    stop();
    const bool proxied = !m_config.trustedProxies.isEmpty();
    const auto run = [&](unsigned flags) {
        return MHD_start_daemon(
            flags | MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO, m_config.port, nullptr, nullptr, &answer, this,
            MHD_OPTION_CONNECTION_LIMIT, unsigned(m_config.maxConnections),
            MHD_OPTION_PER_IP_CONNECTION_LIMIT, unsigned(proxied ? 0 : m_config.connectionsPerAddress),
            MHD_OPTION_CONNECTION_TIMEOUT, unsigned(m_config.connectionTimeoutSeconds),
            MHD_OPTION_CONNECTION_MEMORY_LIMIT, size_t(m_config.memoryPerConnection),
            MHD_OPTION_NOTIFY_COMPLETED, &completed, nullptr,
            MHD_OPTION_END);
    };
    // Both families where the machine has IPv6 (to tell an IPv6 host plainly
    // why it cannot be listed), else IPv4 alone.
    m_daemon = run(MHD_USE_DUAL_STACK);
    if (!m_daemon)
        m_daemon = run(0);
    if (!m_daemon)
        return false;
    const MHD_DaemonInfo *info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_BIND_PORT);
    m_port = info ? info->port : m_config.port;
    m_ticker->start();
    return true;
}

void LobbyServer::stop()
{
    m_ticker->stop();
    if (m_daemon) {
        MHD_stop_daemon(m_daemon);
        m_daemon = nullptr;
    }
}

QString LobbyServer::peerAddress(MHD_Connection *connection, bool *ipv6) const
{
    const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    QHostAddress peer = plain(socketAddress(info ? info->client_addr : nullptr));
    if (m_config.trustedProxies.contains(peer)) {
        // The proxy adds the address it took the request from last.
        const QList<QByteArray> hops = header(connection, "X-Forwarded-For").split(',');
        const QHostAddress forwarded(QString::fromLatin1(hops.last().trimmed()));
        if (!forwarded.isNull())
            peer = plain(forwarded);
    }
    *ipv6 = peer.protocol() != QAbstractSocket::IPv4Protocol;
    return peer.toString();
}

void LobbyServer::log(const QString &subject, const QString &line)
{
    QMutexLocker lock(&m_logMutex);
    int held = 0;
    if (!m_throttle->admit(subject, now(), &held))
        return;
    if (held > 0)
        qCInfo(lcLobby).noquote() << line << QStringLiteral("(and %1 more like it)").arg(held);
    else
        qCInfo(lcLobby).noquote() << line;
}

LobbyReply LobbyServer::handle(MHD_Connection *connection, const QByteArray &method, const QByteArray &path,
                               const QByteArray &body, bool bodyTooLarge)
{
    const bool reading = method == "GET" || method == "HEAD";
    if (bodyTooLarge)
        return errorReply(MHD_HTTP_CONTENT_TOO_LARGE,
                          QStringLiteral("The body is larger than %1 bytes.").arg(m_config.maxBodyBytes));
    if (path == "/")
        return reading ? page() : errorReply(MHD_HTTP_METHOD_NOT_ALLOWED, QStringLiteral("Only GET here."));
    if (path == "/v1/games") {
        if (reading)
            return listGames(connection);
        if (method == "POST")
            return store(connection, method, {}, body);
        return errorReply(MHD_HTTP_METHOD_NOT_ALLOWED, QStringLiteral("GET or POST here."));
    }
    static const QByteArray GamePrefix = "/v1/games/";
    if (path.startsWith(GamePrefix) && path.size() > GamePrefix.size() && path.size() <= GamePrefix.size() + 64) {
        if (method == "PUT" || method == "DELETE")
            return store(connection, method, QString::fromLatin1(path.mid(GamePrefix.size())), body);
        return errorReply(MHD_HTTP_METHOD_NOT_ALLOWED, QStringLiteral("PUT or DELETE here."));
    }
    return errorReply(MHD_HTTP_NOT_FOUND, QStringLiteral("Nothing here."));
}

LobbyReply LobbyServer::store(MHD_Connection *connection, const QByteArray &method, const QString &id,
                              const QByteArray &body)
{
    bool ipv6 = false;
    const QString address = peerAddress(connection, &ipv6);
    LobbyGameInfo info;
    if (method != "DELETE") {
        if (ipv6) {
            log(address + QStringLiteral(" ipv6"), QStringLiteral("Refused a game from %1: IPv6").arg(address));
            return errorReply(MHD_HTTP_BAD_REQUEST,
                              QStringLiteral("Only IPv4 games can be listed: the game host speaks IPv4 only."));
        }
        const QString error = readInfo(body, &info);
        if (!error.isEmpty()) {
            log(address + QStringLiteral(" body"), QStringLiteral("Refused a game from %1: %2").arg(address, error));
            return errorReply(MHD_HTTP_BAD_REQUEST, error);
        }
    }
    if (method == "POST") {
        const LobbyStorage::Registration registration = m_store->registerGame(address, info, now());
        switch (registration.status) {
        case LobbyStorage::Status::Created:
            log(address + QStringLiteral(" new"), QStringLiteral("Game %1 from %2, port %3: %4")
                    .arg(registration.id, address).arg(info.port).arg(logText(info.name)));
            return jsonReply(MHD_HTTP_CREATED, QJsonObject{{QStringLiteral("id"), registration.id},
                                                          {QStringLiteral("secret"), registration.secret},
                                                          {QStringLiteral("renew"), m_config.renewSeconds}});
        case LobbyStorage::Status::AddressFull:
            log(address + QStringLiteral(" full"), QStringLiteral("Refused a game from %1: it has its games").arg(address));
            return errorReply(MHD_HTTP_TOO_MANY_REQUESTS,
                              QStringLiteral("This address has %1 games listed already.").arg(m_config.limits.perAddress));
        case LobbyStorage::Status::TooFast:
            log(address + QStringLiteral(" rate"), QStringLiteral("Refused a game from %1: too many registrations").arg(address));
            return errorReply(MHD_HTTP_TOO_MANY_REQUESTS, QStringLiteral("Too many registrations: try again in a minute."));
        case LobbyStorage::Status::Unavailable:
            return unavailable();
        default:
            log(QStringLiteral("full"), QStringLiteral("Refused a game from %1: the lobby is full").arg(address));
            return errorReply(MHD_HTTP_SERVICE_UNAVAILABLE, QStringLiteral("The lobby is full."));
        }
    }
    const QByteArray authorization = header(connection, MHD_HTTP_HEADER_AUTHORIZATION);
    const QString secret = authorization.startsWith("Bearer ") ? QString::fromLatin1(authorization.mid(7).trimmed())
                                                               : QString();
    const LobbyStorage::Status status = method == "PUT" ? m_store->renew(id, secret, info, now())
                                                      : m_store->remove(id, secret, now());
    switch (status) {
    case LobbyStorage::Status::Ok:
        if (method == "DELETE")
            log(address + QStringLiteral(" gone"), QStringLiteral("Game %1 from %2 ended").arg(id, address));
        return jsonReply(MHD_HTTP_OK, QJsonObject{{QStringLiteral("id"), id},
                                                  {QStringLiteral("renew"), m_config.renewSeconds}});
    case LobbyStorage::Status::Unavailable:
        return unavailable();
    case LobbyStorage::Status::UnknownGame:
        return errorReply(MHD_HTTP_NOT_FOUND, QStringLiteral("No such game: register it again."));
    default:
        log(address + QStringLiteral(" secret"), QStringLiteral("Wrong secret from %1").arg(address));
        return errorReply(MHD_HTTP_FORBIDDEN, QStringLiteral("Wrong or missing secret."));
    }
}

LobbyReply LobbyServer::listGames(MHD_Connection *connection)
{
    const LobbyStorage::List list = m_store->list(now());
    if (list.status == LobbyStorage::Status::Unavailable)
        return unavailable();
    const QByteArray asked = header(connection, MHD_HTTP_HEADER_IF_NONE_MATCH);
    if (!asked.isEmpty()) {
        for (const QByteArray &tag : asked.split(',')) {
            if (tag.trimmed() == list.etag) {
                LobbyReply reply;
                reply.status = MHD_HTTP_NOT_MODIFIED;
                reply.etag = list.etag;
                return reply;
            }
        }
    }
    LobbyReply reply;
    reply.body = rendered(list, false);
    reply.etag = list.etag;
    return reply;
}

LobbyReply LobbyServer::page()
{
    const LobbyStorage::List list = m_store->list(now());
    if (list.status == LobbyStorage::Status::Unavailable)
        return unavailable();
    LobbyReply reply;
    reply.contentType = "text/html; charset=utf-8";
    reply.body = rendered(list, true);
    return reply;
}

QByteArray LobbyServer::rendered(const LobbyStorage::List &list, bool page)
{
    QMutexLocker lock(&m_renderMutex);
    if (m_renderedTag != list.etag) {
        m_renderedTag = list.etag;
        m_renderedJson.clear();
        m_renderedPage.clear();
    }
    QByteArray &body = page ? m_renderedPage : m_renderedJson;
    if (body.isEmpty())
        body = page ? listPage(list.games) : listJson(list.games);
    return body;
}

LobbyReply LobbyServer::unavailable()
{
    log(QStringLiteral("redis"), QStringLiteral("Redis at %1:%2 cannot be reached: answering 503")
            .arg(m_config.redisHost).arg(m_config.redisPort));
    return errorReply(MHD_HTTP_SERVICE_UNAVAILABLE, QStringLiteral("The list cannot be reached: try again soon."));
}

void LobbyServer::tick()
{
    const int gone = m_store->expire(now());
    if (gone > 0)
        log(QStringLiteral("expired"), QStringLiteral("%1 games were not renewed and went").arg(gone));
    {
        QMutexLocker lock(&m_logMutex);
        for (const auto &[subject, held] : m_throttle->takeHeld(now()))
            qCInfo(lcLobby).noquote() << QStringLiteral("%1 more lines about %2 were held back").arg(held).arg(subject);
    }
    startProbes();
}

void LobbyServer::startProbes()
{
    m_probesQueued = false;
    const int room = m_config.maxProbes - m_probesRunning;
    if (room <= 0)
        return;
    for (const LobbyProbeTask &task : m_store->takeProbes(now(), room)) {
        auto *probe = new HostProbe(this);
        ++m_probesRunning;
        connect(probe, &HostProbe::finished, this, [this, probe, task](HostProbe::Result result) {
            --m_probesRunning;
            const bool greeted = result == HostProbe::Result::Greeted || result == HostProbe::Result::Full;
            m_store->probed(task, greeted, now());
            if (!greeted)
                log(task.address + QStringLiteral(" probe"), QStringLiteral("Game %1: no game host greets at %2, port %3")
                        .arg(task.id, task.address).arg(task.port));
            probe->deleteLater();
            // The free place goes to the next game at once, not at the next
            // tick: many hosts registering together are listed in seconds.
            if (!m_probesQueued) {
                m_probesQueued = true;
                QTimer::singleShot(0, this, &LobbyServer::startProbes);
            }
        });
        probe->start(task.address, task.port, m_config.probeTimeoutMs);
    }
}

} // namespace glyphon
