// A joining player for the network lab: connects to HOST PORT as NAME, starts
// a game when it holds seat 1 (the seat a dedicated host gives the first
// arrival), and plays one word on its first turn, found on the board it was
// sent. Prints what happens; exit 0 once the server accepted its word.
// With --find ADDRESS it only listens for game announcements and exits 0
// once a game announced from ADDRESS is listed. With --lobby URL NAME it
// finds the game as the window's "Games on the internet" list does (the
// same LobbyBrowser, polling the lobby) and joins the first game listed.

#include "net/lanbrowser.h"
#include "net/lobbybrowser.h"
#include "protocol/wire.h"
#include "core/board.h"
#include "core/messages.h"
#include "dictionary/random.h"
#include "server/computerplayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>
#include <optional>

using namespace glyphon;

namespace {

void say(const QString &line)
{
    std::printf("labplayer: %s\n", qPrintable(line));
    std::fflush(stdout);
}

QStringList candidates()
{
    QFile file(QStringLiteral(":/words/candidates.txt"));
    QStringList words;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (!line.trimmed().isEmpty())
                words.append(QString::fromLatin1(line.trimmed()));
        }
    }
    words.sort();
    return words;
}

int find(QCoreApplication &app, const QHostAddress &from, const lan::DiscoveryConfig &discovery)
{
    LanBrowser browser(discovery);
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&browser, &LanBrowser::rowsChanged, &app, [&] {
        for (const LanRow &row : browser.rows()) {
            if (row.address == from) {
                say(QStringLiteral("found the game of %1 at %2:%3 after %4 ms")
                        .arg(row.game.hostName.isEmpty() ? QStringLiteral("a dedicated host") : row.game.hostName,
                             row.address.toString()).arg(row.game.port).arg(clock.elapsed()));
                app.exit(0);
            }
        }
    });
    if (!browser.start()) {
        say(QStringLiteral("cannot listen: %1").arg(browser.errorString()));
        return 1;
    }
    QTimer::singleShot(10000, &app, [&] {
        say(QStringLiteral("no game from %1 within 10 s").arg(from.toString()));
        app.exit(1);
    });
    return app.exec();
}

int play(QCoreApplication &app, const QString &host, quint16 port, const QString &name);

// The row the window would show, then the join its Join button makes.
int joinFromLobby(QCoreApplication &app, const QUrl &lobby, const QString &name)
{
    LobbyBrowser browser(QString::fromLatin1(VersionText));
    browser.setLobby(lobby);
    browser.setPollMs(500);
    QElapsedTimer clock;
    clock.start();
    std::optional<LobbyRow> found;
    QObject::connect(&browser, &LobbyBrowser::rowsChanged, &app, [&] {
        if (browser.rows().isEmpty() || found)
            return;
        found = browser.rows().constFirst();
        say(QStringLiteral("the lobby lists the game of %1 at %2:%3 after %4 ms")
                .arg(found->name, found->address).arg(found->port).arg(clock.elapsed()));
        app.exit(0);
    });
    QObject::connect(&browser, &LobbyBrowser::errorChanged, &app, [&] {
        if (!browser.errorString().isEmpty())
            say(QStringLiteral("the lobby: %1").arg(browser.errorString()));
    });
    browser.start();
    QTimer::singleShot(20000, &app, [&] {
        say(QStringLiteral("no game in the lobby's list within 20 s"));
        app.exit(1);
    });
    if (app.exec() != 0 || !found)
        return 1;
    browser.stop();
    return play(app, found->address, found->port, name);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--find"))
        return find(app, QHostAddress(args[2]), lan::DiscoveryConfig::fromEnvironment());
    if (args.size() == 4 && args[1] == QLatin1String("--lobby"))
        return joinFromLobby(app, QUrl(args[2]), args[3]);
    if (args.size() != 4) {
        std::fputs("usage: glyphon_labplayer HOST PORT NAME | --find ADDRESS | --lobby URL NAME\n", stderr);
        return 2;
    }
    return play(app, args[1], quint16(args[2].toUInt()), args[3]);
}

namespace {

int play(QCoreApplication &app, const QString &host, quint16 port, const QString &name)
{
    QTcpSocket socket;
    FrameBuffer frames;
    Board board;
    ComputerPlayer player(candidates());
    std::mt19937 generator(glyphon::clockSeed());
    QSet<QString> used;
    int seat = 0;

    auto send = [&](const QByteArray &message) { socket.write(message); };
    QObject::connect(&socket, &QTcpSocket::connected, [&] { say(QStringLiteral("connected")); });
    QObject::connect(&socket, &QTcpSocket::errorOccurred, [&] {
        say(QStringLiteral("connection failed: %1").arg(socket.errorString()));
        app.exit(1);
    });
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] {
        QList<QByteArray> messages;
        if (!frames.append(socket.readAll(), messages)) {
            app.exit(1);
            return;
        }
        for (const QByteArray &message : messages) {
            const auto [command, data] = splitCommand(message);
            if (command == msg::SendLoginInfo::Name) {
                seat = msg::SendLoginInfo::decode(data).value_or(msg::SendLoginInfo{}).seat;
                send(msg::LoginInfo{seat, VersionText, toWire(name)}.encode());
                say(QStringLiteral("seat %1").arg(seat));
                if (seat == 1)
                    send(msg::StartGame{toWire(name), 100, 60}.encode());
            } else if (command == msg::TheLetters::Name) {
                for (const msg::TileGroup &tile : msg::TheLetters::decode(data).value_or(msg::TheLetters{}).tiles) {
                    TCell &cell = board.cell(tile.position);
                    cell.letter = tile.letter;
                    cell.value = tile.value;
                    cell.owner = 0;
                    cell.locked = 0;
                }
                used.clear();
            } else if (command == msg::HisWord::Name) {
                const std::optional<msg::HisWord> m = msg::HisWord::decode(data);
                if (!m)
                    continue;
                const QString word = fromWire(m->word);
                QList<int> positions;
                for (int p : m->positions)
                    if (isTilePosition(p))
                        positions.append(p);
                board.take(m->seat, positions);
                used.insert(word.toLower());
                if (m->seat == seat) {
                    say(QStringLiteral("played %1 for %2 points").arg(word).arg(m->points));
                    app.exit(0);
                }
            } else if (command == msg::NextPlayer::Name && seat >= 1 && seat <= 2
                       && msg::NextPlayer::decode(data).value_or(msg::NextPlayer{}).seat == seat) {
                const auto word = player.computerplay(board, seat, [&](const QString &w) { return used.contains(w); }, generator);
                if (!word) {
                    say(QStringLiteral("no word found on this board"));
                    continue;
                }
                send(msg::SubmitIt{seat, *word}.encode());
            } else if (command == msg::Invalid::Name) {
                say(QStringLiteral("word refused: %1").arg(QString::fromUtf8(message)));
            }
        }
    });
    QTimer::singleShot(60000, &app, [&] {
        say(QStringLiteral("gave up after 60 s"));
        app.exit(1);
    });
    socket.connectToHost(host, port);
    return app.exec();
}

} // namespace
