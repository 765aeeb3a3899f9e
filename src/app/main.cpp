// glyphon: the desktop program. Without parameters a solo game against the
// computer player; "name address true" hosts, "name address other" joins.

#include "app/glyphonapplication.h"
#include "app/quitsignals.h"
#include "client/glyphoncontext.h"
#include "client/tchat.h"

#include <cstdio>
#include <cstring>

namespace {

const char usage[] =
    "Usage: glyphon [name address role]\n"
    "\n"
    "  (no parameters)     play a solo game against the computer player Rizi\n"
    "  name address true   host a game as name (others join this computer)\n"
    "  name address other  join the game hosted at address as name\n"
    "\n"
    "Options:\n"
    "  --help              show this text and exit\n"
    "  --version           show the version and exit\n"
    "\n"
    "Environment:\n"
    "  GLYPHON_PORT        TCP port to host on or to join (default 7772); a solo\n"
    "                      game listens there on 127.0.0.1 when it is free (else\n"
    "                      on a port the system chooses)\n";

} // namespace

int main(int argc, char **argv)
{
    // Answered before any window system is touched.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(usage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("glyphon 1.0.2");
            return 0;
        }
    }

    GlyphonApplication app(argc, argv);

    QStringList params = app.arguments();
    params.removeFirst();
    // The environment is read here once; everything below is handed it.
    glyphon::ClientConfig config = glyphon::ClientConfig::fromEnvironment();
    config.files = glyphon::UserFiles(QCoreApplication::applicationDirPath());
    config.onMissingWordFile = [](const QString &text) { GlyphonApplication::showError(text); };
    GlyphonContext context(params, config);
    QObject::connect(context.chat, &Tchat::closed, &app, &QApplication::quit, Qt::QueuedConnection);
    // A session that ends, or a kill, closes the window like File > Exit, but
    // without asking: nobody may be there to answer.
    glyphon::quitOnTerminationSignals(&app, [&context] { context.chat->closeWithoutAsking(); });
    context.start();
    return app.exec();
}
