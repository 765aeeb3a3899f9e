// glyphon-server: the game server without a window, for hosting on a
// machine with no display, and for tests and demos.

#include "app/consolelines.h"
#include "app/gamelog.h"
#include "app/quitsignals.h"
#include "app/serveroptions.h"
#include "protocol/wire.h"
#include "server/serverlog.h"
#include "server/tserver.h"

#include <QCoreApplication>

#include <algorithm>
#include <memory>

namespace {

// Every room's log, in its own words and without a prefix: information on
// standard output, where tests and benchmarks read it line by line, and
// warnings on standard error.
void say(const QString &line)
{
    qCInfo(glyphon::lcServer).noquote() << line;
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(glyphon::writeLogLine);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("glyphon-server"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(glyphon::VersionText));
    const std::optional<glyphon::ServerOptions> options = glyphon::readServerOptions(app);
    if (!options)
        return 2;

    // A signal ends the host in order: the port and the connections close at
    // once, the router and the lobby are told, and the program ends once
    // they have answered or a few seconds have passed.
    std::unique_ptr<glyphon::Hosting> hosting;
    glyphon::quitOnTerminationSignals(&app, [&hosting] {
        if (hosting)
            hosting->shutDown();
        else
            QCoreApplication::quit();
    });
    try {
        hosting = std::make_unique<glyphon::Hosting>(options->host, options->discovery,
                                                     glyphon::Hosting::Reader::Console);
    } catch (const std::exception &e) {
        glyphon::writeError(QStringLiteral("glyphon-server: %1").arg(QString::fromLocal8Bit(e.what())));
        return 1;
    }
    for (int seat : {1, 2})
        hosting->setRiziLevel(seat, options->levels[size_t(seat - 1)]);
    try {
        hosting->listen();
    } catch (const std::exception &e) {
        glyphon::writeError(QStringLiteral("glyphon-server: cannot listen on port %1: %2")
                                .arg(hosting->portName(), QString::fromLocal8Bit(e.what())));
        return 1;
    }
    TServer &server = hosting->server();
    if (std::find(options->levels.begin(), options->levels.end(), glyphon::RiziLevel::Strong) != options->levels.end())
        server.prepareStrong();
    say(QStringLiteral("glyphon-server %1 listening on port %2")
            .arg(QCoreApplication::applicationVersion()).arg(hosting->port()));

    glyphon::GameLog log(server);
    // Once a game has a winner the clients are given their CMD_winner before
    // the connections go.
    if (options->quitAfterGame)
        QObject::connect(&log, &glyphon::GameLog::gameOver, hosting.get(), &glyphon::Hosting::shutDownWhenSent);
    QObject::connect(hosting.get(), &glyphon::Hosting::statusLine, &app, say);
    QObject::connect(hosting.get(), &glyphon::Hosting::finished, &app, &QCoreApplication::quit);
    hosting->start(options->reach);
    if (options->start)
        server.startgame(TServer::LocalRequest, *options->start);
    return app.exec();
}
