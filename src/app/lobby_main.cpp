// glyphon-lobby: the internet lobby. Game hosts register their games over
// HTTP, windows and browsers list them; the list is kept in memory, or in
// Redis for several nodes.

#include "app/consolelines.h"
#include "app/quitsignals.h"
#include "lobby/lobbyserver.h"
#include "protocol/wire.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>

#include <cstdio>
#include <optional>

int main(int argc, char *argv[])
{
    qInstallMessageHandler(glyphon::writeLogLine);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("glyphon-lobby"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(glyphon::VersionText));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Glyphon's internet lobby: game hosts register, players list."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
        QStringLiteral("TCP port of the HTTP service (default 7780)."), QStringLiteral("N"), QStringLiteral("7780"));
    const QCommandLineOption proxyOption(QStringLiteral("trusted-proxy"),
        QStringLiteral("A reverse proxy whose X-Forwarded-For is believed (repeatable)."), QStringLiteral("ADDRESS"));
    const QCommandLineOption renewOption(QStringLiteral("renew-seconds"),
        QStringLiteral("How often hosts are asked to renew their games (default 30)."), QStringLiteral("SECONDS"),
        QStringLiteral("30"));
    const QCommandLineOption expireOption(QStringLiteral("expire-seconds"),
        QStringLiteral("A game not renewed for this long goes (default 90)."), QStringLiteral("SECONDS"),
        QStringLiteral("90"));
    const QCommandLineOption perAddressOption(QStringLiteral("per-address"),
        QStringLiteral("Games one address may list (default 3)."), QStringLiteral("N"), QStringLiteral("3"));
    const QCommandLineOption maxGamesOption(QStringLiteral("max-games"),
        QStringLiteral("Games listed in all; registrations beyond get 503 (default 10000)."), QStringLiteral("N"),
        QStringLiteral("10000"));
    const QCommandLineOption redisOption(QStringLiteral("redis"),
        QStringLiteral("Keep the list in Redis at HOST:PORT, shared with other lobby nodes (default: in memory)."),
        QStringLiteral("HOST:PORT"));
    parser.addOptions({portOption, proxyOption, renewOption, expireOption, perAddressOption, maxGamesOption,
                       redisOption});
    parser.process(app);

    auto number = [&](const QCommandLineOption &option, int min, int max) -> std::optional<int> {
        const std::optional<int> n = glyphon::parseInt(parser.value(option).toUtf8());
        if (!n || *n < min || *n > max) {
            glyphon::writeError(QStringLiteral("glyphon-lobby: --%1 wants a number from %2 to %3")
                     .arg(option.names().constFirst()).arg(min).arg(max));
            return std::nullopt;
        }
        return n;
    };
    const std::optional<int> port = number(portOption, 0, 65535);
    const std::optional<int> renew = number(renewOption, 1, 3600);
    const std::optional<int> expire = number(expireOption, 1, 3 * 3600);
    const std::optional<int> perAddress = number(perAddressOption, 1, 1000000);
    const std::optional<int> maxGames = number(maxGamesOption, 1, 10000000);
    if (!port || !renew || !expire || !perAddress || !maxGames)
        return 2;
    if (*expire <= *renew) {
        glyphon::writeError(QStringLiteral("glyphon-lobby: --expire-seconds must be longer than --renew-seconds"));
        return 2;
    }
    glyphon::LobbyConfig config;
    config.port = quint16(*port);
    config.renewSeconds = *renew;
    config.limits.expireMs = qint64(*expire) * 1000;
    config.limits.perAddress = *perAddress;
    config.limits.maxGames = *maxGames;
    for (const QString &text : parser.values(proxyOption)) {
        const QHostAddress proxy(text);
        if (proxy.isNull()) {
            glyphon::writeError(QStringLiteral("glyphon-lobby: --trusted-proxy wants an address, not %1").arg(text));
            return 2;
        }
        config.trustedProxies.append(proxy);
    }

    if (parser.isSet(redisOption)) {
        const QString text = parser.value(redisOption);
        const qsizetype colon = text.lastIndexOf(u':');
        const std::optional<int> redisPort = colon > 0 ? glyphon::parseInt(text.mid(colon + 1).toUtf8())
                                                       : std::optional<int>();
        if (!redisPort || *redisPort < 1 || *redisPort > 65535) {
            glyphon::writeError(QStringLiteral("glyphon-lobby: --redis wants HOST:PORT, not %1").arg(text));
            return 2;
        }
        config.redisHost = text.left(colon);
        config.redisPort = quint16(*redisPort);
    }

    glyphon::quitOnTerminationSignals(&app, [] { QCoreApplication::quit(); });
    glyphon::LobbyServer lobby(config);
    if (!lobby.start()) {
        glyphon::writeError(QStringLiteral("glyphon-lobby: cannot listen on port %1").arg(config.port));
        return 1;
    }
    std::fprintf(stdout, "glyphon-lobby %s listening on port %u\n", glyphon::VersionText, unsigned(lobby.port()));
    std::fflush(stdout);
    const int status = app.exec();
    lobby.stop();
    return status;
}
