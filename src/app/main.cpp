// glyphon: the desktop program. Without parameters a solo game against the
// computer player; "name address true" hosts, "name address other" joins;
// a glyphon:// link offers to join the game it names.

#include "app/glyphonapplication.h"
#include "app/quitsignals.h"
#include "client/glyphoncontext.h"
#include "client/tchat.h"
#include "server/hosting.h"
#include "windows/windowutil.h"

#include <QMessageBox>

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

namespace {

const char usage[] =
    "Usage: glyphon [name address role | glyphon://address[:port]]\n"
    "\n"
    "  (no parameters)     play a solo game against the computer player Rizi\n"
    "  name address true   host a game as name (others join this computer)\n"
    "  name address other  join the game hosted at address as name\n"
    "  glyphon://address[:port]\n"
    "                      play solo and offer to join the game at address\n"
    "                      (port 7772 when none is given) in Play with Others\n"
    "\n"
    "Options:\n"
    "  --help              show this text and exit\n"
    "  --version           show the version and exit\n"
    "\n"
    "Environment:\n"
    "  GLYPHON_PORT        TCP port to host on or to join, 1 to 65535 (default\n"
    "                      7772); a solo game listens there on 127.0.0.1 when it\n"
    "                      is free (else on a port the system chooses)\n";

// Said on standard error and in a box; the program then ends with code 2.
int refuseToStart(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Glyphon"), text, QMessageBox::Ok);
    // Before anything is said: a kill while the box is up ends the program
    // in the same way.
    glyphon::quitOnTerminationSignals(&box, [&box] { box.reject(); });
    std::fprintf(stderr, "glyphon: %s\n", qPrintable(text));
    std::fflush(stderr);
    glyphon::execOnTop(box);
    return 2;
}

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
    if (!config.portError.isEmpty())
        return refuseToStart(config.portError);
    config.files = glyphon::UserFiles(QCoreApplication::applicationDirPath());
    config.onMissingWordFile = [](const QString &text) { GlyphonApplication::showError(text); };
    // The host's word file must be somewhere: when it cannot be written
    // anywhere, the user is told why rather than see the program vanish.
    std::unique_ptr<GlyphonContext> made;
    try {
        made = std::make_unique<GlyphonContext>(params, config);
    } catch (const std::exception &e) {
        return refuseToStart(QString::fromLocal8Bit(e.what()));
    }
    GlyphonContext &context = *made;
    // The window is gone at once when closed; the program ends once the
    // host's goodbyes to the network are done (a few seconds at most), not
    // with its last window.
    app.setQuitOnLastWindowClosed(false);
    QObject::connect(context.hosting, &glyphon::Hosting::finished, &app, &QApplication::quit, Qt::QueuedConnection);
    // A session that ends, or a kill, closes the window like File > Exit, but
    // without asking: nobody may be there to answer.
    glyphon::quitOnTerminationSignals(&app, [&context] { context.chat->closeWithoutAsking(); });
    context.start();
    return app.exec();
}
