// The client window's dispatch of everything a server can send: the input is
// the byte stream from the server, framed as the window frames it, and each
// message goes to its handler (wrong field counts, huge numbers, positions
// off the board, empty names and all). One window serves every input; a
// fresh one replaces it now and then, so what accumulates stays small.

#include "fuzz_support.h"

#include "client/glyphoncontext.h"
#include "chat/chatview.h"
#include "client/tchat.h"
#include "protocol/wire.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QTimer>


namespace {

// Never destroyed at exit: by then the application object's statics are gone.
GlyphonContext *context = nullptr;
int inputsOnThisWindow = 0;

void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    (void)argc;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = 1;
    static char *qtArgv[] = {(*argv)[0], nullptr};
    new QApplication(qtArgc, qtArgv);
    qInstallMessageHandler(quiet);
    fuzz::enterTemporaryFolder();
    // A word file of our own, so no window writes and removes one each time.
    QFile::copy(QStringLiteral(":/TEXT_DEMO"), QStringLiteral("English"));
    QFile::setPermissions(QStringLiteral("English"), QFile::ReadOwner | QFile::WriteOwner);
    // A message box a handler opens answers itself at once.
    auto *answer = new QTimer;
    answer->setInterval(0);
    QObject::connect(answer, &QTimer::timeout, [] {
        if (QWidget *box = QApplication::activeModalWidget())
            box->close();
    });
    answer->start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!context || ++inputsOnThisWindow > 500) {
        delete context;
        context = new GlyphonContext;
        inputsOnThisWindow = 0;
    }
    Tchat *chat = context->chat;
    glyphon::FrameBuffer frames;
    QList<QByteArray> messages;
    frames.append(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)), messages);
    for (const QByteArray &m : messages)
        chat->processsocktimer(m);
    // What piles up from input to input only slows the next ones down.
    chat->mainchat->clearChat();
    chat->memo_thewords1->clear();
    chat->memo_thewords2->clear();
    return 0;
}
