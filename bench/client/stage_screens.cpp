// Stages a solo game window for screenshots and holds it still:
//   stage_screens game [seconds]    a game in progress: tiles of both
//                                   players, a lock frame, a word being built
//   stage_screens winner [seconds]  the winner panel after a short game
//   stage_screens tally [seconds]   the tally window after two short games
//                                   with Rizi tallied
// A third argument names a shipped tile set to draw the board with.
// Prints READY when the window is in place. Seat 1 plays the words the
// computer player finds for it; the game uses a fixed seed.

#include "chat/chatinput.h"
#include "client/glyphoncontext.h"
#include "session/clientsession.h"
#include "client/tchat.h"
#include "board/tilewidget.h"
#include "settings/userfiles.h"
#include "server/hosting.h"
#include "server/tserver.h"
#include "windows/download.h"
#include "windows/gamestart.h"
#include "windows/tallylist.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

bool hasLock(const TServer &server)
{
    for (int p : glyphon::tilePositions())
        if (server.board().cell(p).locked)
            return true;
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("game");
    const int holdSeconds = argc > 2 ? atoi(argv[2]) : 20;
    const bool tallyMode = mode == QLatin1String("tally");
    const bool winnerMode = mode == QLatin1String("winner") || tallyMode;
    const QString tileSet = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();

    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    // No settings or tally of earlier runs.
    glyphon::ClientConfig config;
    config.files = glyphon::UserFiles(folder.path());
    {
        // The quick instructions count as seen, so they leave the board free.
        QFile settings(folder.filePath(QStringLiteral("marnetlobby.ini")));
        if (settings.open(QIODevice::WriteOnly))
            settings.write("[Glyphon]\nHelp=2\n");
    }
    if (!tileSet.isEmpty()) {
        QDir().mkpath(folder.filePath(QStringLiteral("glyphontiles")));
        const QString name = tileSet + QStringLiteral(".bmp");
        QFile::copy(QDir(QStringLiteral(GLYPHON_TILE_FOLDER)).filePath(name),
                    folder.filePath(QStringLiteral("glyphontiles/") + name));
    }
    {
        QTcpServer probe;
        probe.listen(QHostAddress::Any, 0);
        qputenv("GLYPHON_PORT", QByteArray::number(probe.serverPort()));
    }
    GlyphonContext context(QStringList(), config);
    Tchat *chat = context.chat;
    TServer *server = &context.hosting->server();
    // The same deals every run, so the pictures only change with the code.
    server->random().seed(winnerMode ? 11 : 7);
    server->setTickMs(winnerMode ? 5 : 40);
    context.start();

    bool started = false;
    bool ready = false;
    int ownWords = 0;
    int gamesOver = 0;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        context.download->hide();
        if (ready)
            return;
        if (!started) {
            if (chat->game()->mySeat() != 1)
                return;
            started = true;
            if (!tileSet.isEmpty()) {
                chat->grouptilesmenu();
                chat->loadgrouptiles(tileSet);
            }
            chat->mychat->setText(QStringLiteral("Good luck, Rizi! :)#10"));
            chat->sendit();
            context.gamestart->setValues(winnerMode ? 50 : 200, 60);
            context.gamestart->button_startClick();
            return;
        }
        if (tallyMode && context.tallylist->table().rowCount() == 1
            && chat->label_playername2->text() == QLatin1String("Rizi")) {
            chat->loadchecklist();
            context.tallylist->checklist->item(0)->setCheckState(Qt::Checked);
        }
        if (winnerMode && chat->panel_winner->isVisible()) {
            if (tallyMode && gamesOver == context.tallylist->table().count(1, 0))
                return; // the next game is on its way
            gamesOver = context.tallylist->table().count(1, 0);
            if (tallyMode && gamesOver < 2) {
                context.gamestart->button_startClick();
                return;
            }
            if (tallyMode) {
                chat->ViewTally1Click();
                context.tallylist->listbox_tally->setCurrentRow(0);
            }
            ready = true;
        } else if (chat->myTurn() && chat->session()->chosen().isEmpty() && server->game().currentPlayer() == 1
                   && server->game().inTurn()) {
            const auto word = server->listbox_words.computerplay(
                server->board(), 1, [server](const QString &w) { return server->checkforused(w); }, server->random());
            if (!word)
                return;
            const bool last = !winnerMode && ownWords >= 6 && hasLock(*server);
            for (int i = 0; i < word->size() - (last ? 1 : 0); ++i)
                chat->image_word51MouseUp(chat->tileAt(word->at(i)), Qt::LeftButton);
            if (last) {
                // Hold the turn: the word stays half built on screen.
                server->timer_breaks->stop();
                ready = true;
            } else {
                chat->hitdone();
                ++ownWords;
            }
        }
        if (ready) {
            std::puts("READY");
            std::fflush(stdout);
            QTimer::singleShot(holdSeconds * 1000, &app, &QApplication::quit);
        }
    });
    driver.start(5);
    return app.exec();
}
