// glyphon-server: the game server without a window, for hosting on a
// machine with no display, and for tests and demos.

#include "app/consolelines.h"
#include "app/quitsignals.h"
#include "protocol/wire.h"
#include "net/lanannouncement.h"
#include "net/lobbyregistration.h"
#include "net/portmapper.h"
#include "server/closelog.h"
#include "protocol/peertext.h"
#include "server/serverlog.h"
#include "server/serverannouncement.h"
#include "server/tserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSysInfo>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

namespace {

void say(const QString &line)
{
    qCInfo(glyphon::lcServer).noquote() << line;
}

// Every room's log, in its own words and without a prefix: information on
// standard output, where tests and benchmarks read it line by line, and
// warnings on standard error.
QString playerLabel(const TServer &server, int seat)
{
    QString name = glyphon::fromWire(server.seats[seat].shownName());
    // The computer plays a seat that is empty or whose player just watches.
    if (server.computerMoving()) {
        const QString player = glyphon::fromWire(server.seats[seat].name);
        const QString rizi = QString::fromLatin1(glyphon::RiziName);
        name = player.isEmpty() ? rizi : QStringLiteral("%1 for %2").arg(rizi, player);
    }
    return name.isEmpty() ? QStringLiteral("seat %1").arg(seat)
                          : QStringLiteral("seat %1 (%2)").arg(seat).arg(glyphon::logText(name));
}

QString reasonText(int reason)
{
    switch (glyphon::RejectReason(reason)) {
    case glyphon::RejectReason::NotAWord: return QStringLiteral("not a word");
    case glyphon::RejectReason::AlreadyPlayed: return QStringLiteral("already played");
    case glyphon::RejectReason::LockedTile: return QStringLiteral("locked tile");
    }
    return QStringLiteral("reason %1").arg(reason);
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(glyphon::writeLogLine);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("glyphon-server"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(glyphon::VersionText));

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
        QStringLiteral("LINES_PER_SECOND"), QString::number(glyphon::HostConfig{}.chatLinesPerSecond));
    const QCommandLineOption perAddressOption(QStringLiteral("per-address"),
        QStringLiteral("Connections one address may have at once, 1 to 9 (default 4)."), QStringLiteral("N"),
        QString::number(glyphon::HostConfig::DefaultPerAddress));
    const QCommandLineOption lobbyOption(QStringLiteral("lobby"),
        QStringLiteral("List the game on the internet lobby at URL (such as https://lobby.example.org) while "
                       "the server runs."),
        QStringLiteral("URL"));
    parser.addOptions({portOption, botSpeedOption, seedOption, startOption, tickOption, quitOption, riziOption,
                       noAnnounceOption, openPortOption, loginTimeoutOption, chatLimitOption, perAddressOption,
                       lobbyOption});
    parser.process(app);

    auto number = [&](const QCommandLineOption &option, int min, int max) -> std::optional<int> {
        const std::optional<int> n = glyphon::parseInt(parser.value(option).toUtf8());
        if (!n || *n < min || *n > max) {
            glyphon::writeError(QStringLiteral("glyphon-server: --%1 wants a number from %2 to %3")
                     .arg(option.names().constFirst()).arg(min).arg(max));
            return std::nullopt;
        }
        return n;
    };

    glyphon::HostConfig config;
    if (parser.isSet(portOption)) {
        const std::optional<int> port = number(portOption, 0, 65535);
        if (!port)
            return 2;
        config.port = quint16(*port);
    } else if (const QByteArray text = qgetenv("GLYPHON_PORT"); !text.isEmpty()) {
        // The environment is read here, once; the host is handed the number.
        const std::optional<int> port = glyphon::parseInt(text);
        if (!port || *port < 0 || *port > 65535) {
            glyphon::writeError(QStringLiteral("glyphon-server: GLYPHON_PORT wants a number from 0 to 65535"));
            return 2;
        }
        config.port = quint16(*port);
    }
    // Also read once: the announcement and the router's question are handed it.
    const glyphon::lan::DiscoveryConfig discovery = glyphon::lan::DiscoveryConfig::fromEnvironment();
    const std::optional<int> botSpeed = number(botSpeedOption, 500, 2000);
    const std::optional<int> tickMs = number(tickOption, 1, 3600000);
    const std::optional<int> loginTimeout = number(loginTimeoutOption, 1, 3600);
    const std::optional<int> chatLimit = number(chatLimitOption, 0, 1000);
    const std::optional<int> perAddress = number(perAddressOption, 1, TServer::MaxSeats);
    if (!botSpeed || !tickMs || !loginTimeout || !chatLimit || !perAddress)
        return 2;
    if (*botSpeed != 500 && *botSpeed != 1000 && *botSpeed != 2000) {
        glyphon::writeError(QStringLiteral("glyphon-server: --bot-speed is 500 (fast), 1000 (normal) or 2000 (slow)"));
        return 2;
    }
    std::array<glyphon::RiziLevel, 2> levels{};
    {
        QStringList names = parser.value(riziOption).split(QLatin1Char(','));
        if (names.size() == 1)
            names << names.first();
        std::optional<glyphon::RiziLevel> first, second;
        if (names.size() == 2)
            first = glyphon::riziLevelFromName(names[0]), second = glyphon::riziLevelFromName(names[1]);
        if (!first || !second) {
            glyphon::writeError(QStringLiteral("glyphon-server: --rizi wants gentle, classic or strong, or two of them as LEVEL1,LEVEL2"));
            return 2;
        }
        levels = {*first, *second};
    }
    if (parser.isSet(seedOption)) {
        bool ok = false;
        const quint32 seed = parser.value(seedOption).toUInt(&ok);
        if (!ok) {
            glyphon::writeError(QStringLiteral("glyphon-server: --seed wants a whole number"));
            return 2;
        }
        config.seed = seed;
    }
    QUrl lobbyUrl;
    if (parser.isSet(lobbyOption)) {
        lobbyUrl = QUrl(parser.value(lobbyOption), QUrl::StrictMode);
        if (!lobbyUrl.isValid() || (lobbyUrl.scheme() != u"http" && lobbyUrl.scheme() != u"https")
            || lobbyUrl.host().isEmpty()) {
            glyphon::writeError(QStringLiteral("glyphon-server: --lobby wants an http or https address, such as "
                                "https://lobby.example.org"));
            return 2;
        }
    }
    std::optional<glyphon::msg::StartGame> start;
    if (parser.isSet(startOption)) {
        const QStringList parts = parser.value(startOption).split(QLatin1Char(','));
        if (parts.size() != 2) {
            glyphon::writeError(QStringLiteral("glyphon-server: --start-game wants SCORE,SECONDS"));
            return 2;
        }
        // Texts that are not numbers fall back to 200 and 30, as in any game start.
        glyphon::msg::StartGame request;
        request.starter = QByteArrayLiteral("Server");
        request.playtoscore = glyphon::parseInt(parts[0].trimmed().toUtf8()).value_or(request.playtoscore);
        request.timeperturn = glyphon::parseInt(parts[1].trimmed().toUtf8()).value_or(request.timeperturn);
        start = request;
    }

    glyphon::quitOnTerminationSignals(&app, [] { QCoreApplication::quit(); });

    std::unique_ptr<TServer> owner;
    try {
        config.tickMs = *tickMs;
        config.botSpeed = *botSpeed;
        config.loginTimeoutMs = *loginTimeout * 1000;
        config.chatLinesPerSecond = *chatLimit;
        config.perAddress = *perAddress;
        owner = std::make_unique<TServer>(config);
    } catch (const std::exception &e) {
        glyphon::writeError(QStringLiteral("glyphon-server: %1").arg(QString::fromLocal8Bit(e.what())));
        return 1;
    }
    TServer &server = *owner;
    for (int seat : {1, 2})
        server.setRiziLevel(seat, levels[size_t(seat - 1)]);
    try {
        server.Sock1->setListen(true);
    } catch (const std::exception &e) {
        glyphon::writeError(QStringLiteral("glyphon-server: cannot listen on port %1: %2")
                 .arg(server.Sock1->PortName(), QString::fromLocal8Bit(e.what())));
        return 1;
    }
    if (std::find(levels.begin(), levels.end(), glyphon::RiziLevel::Strong) != levels.end())
        server.prepareStrong();
    say(QStringLiteral("glyphon-server %1 listening on port %2")
            .arg(QCoreApplication::applicationVersion()).arg(server.Sock1->localPort()));

    QElapsedTimer clock;
    int accepted = 0;
    int rejected = 0;
    QObject::connect(&server, &TServer::gameStarted, &app, [&](int score, int seconds) {
        clock.start();
        accepted = rejected = 0;
        say(QStringLiteral("Game to %1 points, %2 s per turn; Rizi plays %3 in seat 1, %4 in seat 2")
                .arg(score).arg(seconds)
                .arg(glyphon::riziLevelTitle(server.riziLevel(1)), glyphon::riziLevelTitle(server.riziLevel(2))));
    });
    QObject::connect(&server, &TServer::roundStarted, &app,
                     [&](int round) { say(QStringLiteral("Round %1").arg(round)); });
    QObject::connect(&server, &TServer::wordAccepted, &app, [&](int seat, const QString &word, int points) {
        ++accepted;
        say(QStringLiteral("  %1: %2 +%3 = %4")
                .arg(playerLabel(server, seat), word.toUpper()).arg(points).arg(server.game().score(seat)));
    });
    // Closes, and every line that a peer's own sending causes, are noted once
    // per address, reason and minute: a peer that repeats one thousands of
    // times must not fill the disk. Names and words are written escaped, so
    // none can start a line of its own.
    glyphon::CloseLog closeLog;
    const auto seatAddress = [&](int seat) {
        const TSeat &s = server.seats[seat];
        return s.connected ? server.hub().address(s.conn) : QStringLiteral("seat %1").arg(seat);
    };
    QObject::connect(&server, &TServer::wordRejected, &app, [&](int seat, int reason, const QString &word) {
        ++rejected;
        const QString line = QStringLiteral("  %1: %2 rejected (%3)")
                                 .arg(playerLabel(server, seat), glyphon::logText(word), reasonText(reason));
        if (server.computerMoving())
            say(line);
        else
            closeLog.note(seatAddress(seat), QStringLiteral("word rejected on seat %1").arg(seat), line);
    });
    QObject::connect(&server, &TServer::connectionDropped, &app,
                     [&](int seat, const QString &address, const QString &why) {
        closeLog.note(address, why, seat == 0
            ? QStringLiteral("Refused a connection from %1: %2").arg(address, why)
            : QStringLiteral("Closed the connection from %1 on seat %2: %3").arg(address).arg(seat).arg(why));
    });
    QObject::connect(&server, &TServer::playerArrived, &app, [&](int seat, const QString &name) {
        closeLog.note(seatAddress(seat), QStringLiteral("login on seat %1").arg(seat),
                      QStringLiteral("Seat %1: %2 arrived").arg(seat).arg(glyphon::logText(name)));
    });
    QObject::connect(&server, &TServer::seatFreed, &app,
                     [&](int seat, const QString &name, const QString &address) {
        if (name.isEmpty())
            closeLog.note(address, QStringLiteral("left before its login"),
                          QStringLiteral("Seat %1: the connection from %2 left before its login").arg(seat).arg(address));
        else
            closeLog.note(address, QStringLiteral("leaving seat %1").arg(seat),
                          QStringLiteral("Seat %1: %2 left").arg(seat).arg(glyphon::logText(name)));
    });
    const bool quitAfterGame = parser.isSet(quitOption);
    QObject::connect(&server, &TServer::gameWon, &app, [&](int seat, const QString &) {
        const int other = seat == 1 ? 2 : 1;
        say(QStringLiteral("Winner: %1 (%2 to %3) after %4 rounds; %5 words accepted, %6 rejected; %7 s")
                .arg(playerLabel(server, seat)).arg(server.game().score(seat)).arg(server.game().score(other)).arg(server.game().round())
                .arg(accepted).arg(rejected).arg(clock.elapsed() / 1000.0, 0, 'f', 2));
        if (!quitAfterGame)
            return;
        // Give the clients their CMD_winner before the connections go.
        auto *wait = new QTimer(&app);
        QObject::connect(wait, &QTimer::timeout, &app, [&server, wait, left = 200]() mutable {
            if (server.pendingOutput() == 0 || --left <= 0) {
                wait->stop();
                QCoreApplication::quit();
            }
        });
        wait->start(10);
    });

    glyphon::ServerAnnouncement announcement(server, discovery);
    if (!parser.isSet(noAnnounceOption))
        announcement.start();
    glyphon::PortMapper mapper;
    if (parser.isSet(openPortOption)) {
        if (discovery.loopbackOnly) {
            say(QStringLiteral("Not asking the router for a port: GLYPHON_LOOPBACK_ONLY is set."));
        } else {
            mapper.setPort(server.Sock1->localPort());
            mapper.setEnabled(true);
        }
    }

    // The lobby hears of every change the local network hears of, and is
    // told only what it would probe anyway: the port and the seats.
    std::unique_ptr<glyphon::LobbyRegistration> lobbyOwner;
    if (!lobbyUrl.isEmpty()) {
        lobbyOwner = std::make_unique<glyphon::LobbyRegistration>(lobbyUrl);
        glyphon::LobbyRegistration &lobby = *lobbyOwner;
        lobby.setVersion(QCoreApplication::applicationVersion());
        const QString machine = QSysInfo::machineHostName();
        lobby.setFallbackName(machine.isEmpty() ? QStringLiteral("Glyphon") : machine);
        const bool announced = !parser.isSet(noAnnounceOption);
        const auto refresh = [&lobby, &server, &announcement, announced] {
            glyphon::LanGame game = glyphon::describeGame(server);
            if (announced)
                game.id = announcement.announcer().id();
            lobby.setGame(game);
        };
        QObject::connect(&server, &TServer::playerArrived, &app, refresh, Qt::QueuedConnection);
        QObject::connect(&server, &TServer::gameStarted, &app, refresh, Qt::QueuedConnection);
        QObject::connect(&server, &TServer::seatFreed, &app, refresh, Qt::QueuedConnection);
        QObject::connect(&server, &TServer::gameWon, &app, refresh, Qt::QueuedConnection);
        const QString where = lobbyUrl.toDisplayString(QUrl::RemoveUserInfo);
        QObject::connect(&lobby, &glyphon::LobbyRegistration::registered, &app, [where](const QString &id) {
            say(QStringLiteral("Listed on the lobby %1 as game %2").arg(where, id));
        });
        // One line per reason until the lobby takes the game again.
        QObject::connect(&lobby, &glyphon::LobbyRegistration::refused, &app,
                         [where, last = QString()](const QString &why) mutable {
            if (why != std::exchange(last, why))
                say(QStringLiteral("The lobby %1 does not list the game: %2").arg(where, glyphon::logText(why)));
        });
        refresh();
        // Behind a router the lobby's probe would find nothing until the
        // port is forwarded: register once the router has answered either way
        // (a machine with a public address is still reachable without it).
        if (mapper.enabled()) {
            QObject::connect(&mapper, &glyphon::PortMapper::stateChanged, &app,
                             [&lobby](glyphon::PortMapper::State state) {
                if (state == glyphon::PortMapper::State::Mapped || state == glyphon::PortMapper::State::Error)
                    lobby.start();
            });
        } else {
            lobby.start();
        }
    }

    if (start)
        server.startgame(TServer::LocalRequest, *start);

    const int status = app.exec();
    // The last datagram removes the game from others' lists at once, and
    // the router is asked to close the port before the program goes.
    announcement.stop();
    if (lobbyOwner)
        lobbyOwner->finish(3000);
    mapper.finish(3000);
    return status;
}
