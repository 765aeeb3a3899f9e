#include "app/serveroptions.h"

#include "app/consolelines.h"
#include "protocol/wire.h"
#include "server/tserver.h"

#include <QCommandLineParser>

namespace glyphon {

namespace {

void refuse(const QString &why)
{
    writeError(QStringLiteral("glyphon-server: ") + why);
}

} // namespace

std::optional<ServerOptions> readServerOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Glyphon game server without a window."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
        QStringLiteral("TCP port to listen on (default 7772, or GLYPHON_PORT)."), QStringLiteral("N"));
    const QCommandLineOption botSpeedOption(QStringLiteral("bot-speed"),
        QStringLiteral("Computer player's delay before a move: 500, 1000 or 2000 ms."), QStringLiteral("MS"),
        QStringLiteral("1000"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
        QStringLiteral("Seed of the random generator (default: the clock)."), QStringLiteral("N"));
    const QCommandLineOption startOption(QStringLiteral("start-game"),
        QStringLiteral("Start a game at once; computer players take empty seats."), QStringLiteral("SCORE,SECONDS"));
    const QCommandLineOption tickOption(QStringLiteral("tick-ms"),
        QStringLiteral("Length of one pace tick in ms (default 1000); the bot delay scales with it."),
        QStringLiteral("N"), QStringLiteral("1000"));
    const QCommandLineOption quitOption(QStringLiteral("quit-after-game"),
        QStringLiteral("Exit once a game has a winner."));
    const QCommandLineOption riziOption(QStringLiteral("rizi"),
        QStringLiteral("How the computer player plays: gentle, classic (default) or strong; LEVEL1,LEVEL2 sets "
                       "seats 1 and 2 apart."),
        QStringLiteral("LEVEL"), QStringLiteral("classic"));
    const QCommandLineOption noAnnounceOption(QStringLiteral("no-announce"),
        QStringLiteral("Do not announce the game on the local network."));
    const QCommandLineOption openPortOption(QStringLiteral("open-port"),
        QStringLiteral("Ask the home router (UPnP IGD or NAT-PMP) to forward the port while the server runs."));
    const QCommandLineOption loginTimeoutOption(QStringLiteral("login-timeout"),
        QStringLiteral("Seconds a new connection has to log in before it is closed (default 20)."),
        QStringLiteral("SECONDS"), QString::number(TServer::DefaultLoginTimeoutMs / 1000));
    const QCommandLineOption chatLimitOption(QStringLiteral("chat-limit"),
        QStringLiteral("Chat, action and sound lines one connection may send each second after a burst of 5 "
                       "(default 1; 0: no limit)."),
        QStringLiteral("LINES_PER_SECOND"), QString::number(HostConfig{}.chatLinesPerSecond));
    const QCommandLineOption perAddressOption(QStringLiteral("per-address"),
        QStringLiteral("Connections one address may have at once, 1 to 9 (default 4)."), QStringLiteral("N"),
        QString::number(HostConfig::DefaultPerAddress));
    const QCommandLineOption lobbyOption(QStringLiteral("lobby"),
        QStringLiteral("List the game on the internet lobby at URL (such as https://lobby.example.org) while "
                       "the server runs."),
        QStringLiteral("URL"));
    parser.addOptions({portOption, botSpeedOption, seedOption, startOption, tickOption, quitOption, riziOption,
                       noAnnounceOption, openPortOption, loginTimeoutOption, chatLimitOption, perAddressOption,
                       lobbyOption});
    parser.process(app);

    auto number = [&](const QCommandLineOption &option, int min, int max) -> std::optional<int> {
        const std::optional<int> n = parseInt(parser.value(option).toUtf8());
        if (!n || *n < min || *n > max) {
            refuse(QStringLiteral("--%1 wants a number from %2 to %3").arg(option.names().constFirst()).arg(min).arg(max));
            return std::nullopt;
        }
        return n;
    };

    ServerOptions options;
    HostConfig &config = options.host;
    if (parser.isSet(portOption)) {
        const std::optional<int> port = number(portOption, 0, 65535);
        if (!port)
            return std::nullopt;
        config.port = quint16(*port);
    } else if (const QByteArray text = qgetenv("GLYPHON_PORT"); !text.isEmpty()) {
        // The environment is read here, once; the host is handed the number.
        const std::optional<int> port = parseInt(text);
        if (!port || *port < 0 || *port > 65535) {
            refuse(QStringLiteral("GLYPHON_PORT wants a number from 0 to 65535"));
            return std::nullopt;
        }
        config.port = quint16(*port);
    }
    options.discovery = lan::DiscoveryConfig::fromEnvironment();
    const std::optional<int> botSpeed = number(botSpeedOption, 500, 2000);
    const std::optional<int> tickMs = number(tickOption, 1, 3600000);
    const std::optional<int> loginTimeout = number(loginTimeoutOption, 1, 3600);
    const std::optional<int> chatLimit = number(chatLimitOption, 0, 1000);
    const std::optional<int> perAddress = number(perAddressOption, 1, TServer::MaxSeats);
    if (!botSpeed || !tickMs || !loginTimeout || !chatLimit || !perAddress)
        return std::nullopt;
    if (*botSpeed != 500 && *botSpeed != 1000 && *botSpeed != 2000) {
        refuse(QStringLiteral("--bot-speed is 500 (fast), 1000 (normal) or 2000 (slow)"));
        return std::nullopt;
    }
    config.tickMs = *tickMs;
    config.botSpeed = *botSpeed;
    config.loginTimeoutMs = *loginTimeout * 1000;
    config.chatLinesPerSecond = *chatLimit;
    config.perAddress = *perAddress;

    QStringList names = parser.value(riziOption).split(QLatin1Char(','));
    if (names.size() == 1)
        names << names.first();
    std::optional<RiziLevel> first, second;
    if (names.size() == 2)
        first = riziLevelFromName(names[0]), second = riziLevelFromName(names[1]);
    if (!first || !second) {
        refuse(QStringLiteral("--rizi wants gentle, classic or strong, or two of them as LEVEL1,LEVEL2"));
        return std::nullopt;
    }
    options.levels = {*first, *second};

    if (parser.isSet(seedOption)) {
        bool ok = false;
        const quint32 seed = parser.value(seedOption).toUInt(&ok);
        if (!ok) {
            refuse(QStringLiteral("--seed wants a whole number"));
            return std::nullopt;
        }
        config.seed = seed;
    }
    if (parser.isSet(lobbyOption)) {
        const QUrl lobby(parser.value(lobbyOption), QUrl::StrictMode);
        if (!lobby.isValid() || (lobby.scheme() != u"http" && lobby.scheme() != u"https") || lobby.host().isEmpty()) {
            refuse(QStringLiteral("--lobby wants an http or https address, such as https://lobby.example.org"));
            return std::nullopt;
        }
        options.reach.lobby = lobby;
    }
    if (parser.isSet(startOption)) {
        const QStringList parts = parser.value(startOption).split(QLatin1Char(','));
        if (parts.size() != 2) {
            refuse(QStringLiteral("--start-game wants SCORE,SECONDS"));
            return std::nullopt;
        }
        // Texts that are not numbers fall back to 200 and 30, as in any game start.
        msg::StartGame request;
        request.starter = QByteArrayLiteral("Server");
        request.playtoscore = parseInt(parts[0].trimmed().toUtf8()).value_or(request.playtoscore);
        request.timeperturn = parseInt(parts[1].trimmed().toUtf8()).value_or(request.timeperturn);
        options.start = request;
    }
    options.reach.announce = !parser.isSet(noAnnounceOption);
    options.reach.openPort = parser.isSet(openPortOption);
    options.quitAfterGame = parser.isSet(quitOption);
    return options;
}

} // namespace glyphon
