#include "tchat_support.h"

#include "chat/chatview.h"
#include "board/tilewidget.h"
#include "dictionary/tdictn.h"
#include "core/board.h"
#include "protocol/wire.h"
#include "server/tserver.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPointer>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace testsupport {

namespace {

QTemporaryDir &workingFolder()
{
    static QTemporaryDir folder;
    return folder;
}

} // namespace

void enterTemporaryWorkingFolder()
{
    QTemporaryDir &folder = workingFolder();
    QDir::setCurrent(folder.path());
    // The settings and tally files land here too, not beside the test
    // program; the quick instructions count as seen, so they never cover
    // the board.
    QStandardPaths::setTestModeEnabled(true);
    QFile settings(folder.filePath(QStringLiteral("marnetlobby.ini")));
    if (settings.open(QIODevice::WriteOnly))
        settings.write("[Glyphon]\nHelp=2\n");
}

quint16 useFreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::Any, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    qputenv("GLYPHON_PORT", QByteArray::number(port));
    return port;
}

glyphon::ClientConfig copyConfig()
{
    glyphon::ClientConfig config = glyphon::ClientConfig::fromEnvironment();
    config.files = glyphon::UserFiles(workingFolder().path());
    // Tests may only talk to this computer, whatever the environment says.
    config.discovery.loopbackOnly = true;
    return config;
}

std::unique_ptr<GlyphonContext> startCopy(const QStringList &params, int tickMs, const glyphon::ClientConfig &config)
{
    auto context = std::make_unique<GlyphonContext>(params, config);
    context->hosting->server().setTickMs(tickMs);
    context->start();
    return context;
}

BoxAnswerer::BoxAnswerer()
{
    qApp->installEventFilter(this);
}

bool BoxAnswerer::eventFilter(QObject *watched, QEvent *event)
{
    auto *box = event->type() == QEvent::Show ? qobject_cast<QMessageBox *>(watched) : nullptr;
    if (box) {
        texts.append(box->text());
        ownerVisible.append(box->parentWidget() && box->parentWidget()->window()->isVisible());
        // Answered from the box's own loop, once it runs.
        QMetaObject::invokeMethod(box, [guarded = QPointer<QMessageBox>(box)] {
            if (guarded)
                guarded->done(QMessageBox::Ok);
        }, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

QString chatText(const Tchat *chat)
{
    // Lines as a reader sees them: the renderer's blanks between head, words
    // and smileys folded away.
    QStringList lines = chat->mainchat->toPlainText().split(QLatin1Char('\n'));
    for (QString &line : lines)
        line = line.simplified();
    return lines.join(QLatin1Char('\n'));
}

bool chatHas(const Tchat *chat, const QString &text)
{
    return chatText(chat).contains(text);
}

void feed(Tchat *chat, const QByteArray &message)
{
    chat->processsocktimer(message);
}

bool RawClient::connectTo(quint16 port, const QHostAddress &from)
{
    connect(&socket, &QTcpSocket::readyRead, this, &RawClient::readAll);
    if (from != QHostAddress::LocalHost && !socket.bind(from))
        return false;
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(5000);
}

bool RawClient::login(const QString &name)
{
    const auto hello = waitFor("CMD_sendlogininfo+");
    if (!hello)
        return false;
    seat = hello->mid(int(qstrlen("CMD_sendlogininfo+"))).toInt();
    send(glyphon::buildMessage("CMD_logininfo", {glyphon::number(seat), "1.0.2", glyphon::toWire(name)}));
    return true;
}

void RawClient::send(const QByteArray &message)
{
    socket.write(message);
    socket.flush();
}

void RawClient::readAll()
{
    m_buffer += socket.readAll();
    qsizetype end;
    while ((end = m_buffer.indexOf(glyphon::Terminator)) >= 0) {
        messages.append(m_buffer.left(end));
        m_buffer.remove(0, end + 1);
    }
}

std::optional<QByteArray> RawClient::waitFor(const QByteArray &prefix, int timeoutMs)
{
    std::optional<QByteArray> found;
    (void)QTest::qWaitFor(
        [&] {
            for (; taken < messages.size(); ++taken) {
                if (messages.at(taken).startsWith(prefix)) {
                    found = messages.at(taken++);
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

QList<QByteArray> RawClient::received(const QByteArray &prefix) const
{
    QList<QByteArray> out;
    for (const QByteArray &m : messages)
        if (m.startsWith(prefix))
            out.append(m);
    return out;
}

std::optional<QList<int>> findWord(TServer *server, int seat)
{
    return server->listbox_words.computerplay(
        server->board(), seat, [server](const QString &w) { return server->checkforused(w); }, server->random());
}

std::optional<QList<int>> findNonWord(TServer *server, int seat)
{
    const auto &positions = glyphon::tilePositions();
    for (int a : positions) {
        for (int b : positions) {
            if (a == b)
                continue;
            const auto reading = server->board().read(seat, {a, b});
            if (reading.outcome == glyphon::Board::Reading::Ok && !server->spell->CheckWord(reading.word))
                return QList<int>{a, b};
        }
    }
    return std::nullopt;
}

void clickTiles(Tchat *chat, const QList<int> &positions)
{
    for (int p : positions)
        QTest::mouseClick(chat->tileAt(p), Qt::LeftButton);
}

QByteArray plainLetters()
{
    QList<QByteArray> fields;
    for (int p : glyphon::tilePositions())
        fields << glyphon::number(p) << "1" << "0";
    fields << QByteArray();
    return glyphon::buildMessage("CMD_theletters", fields).chopped(1);
}

QByteArray loadstats(int inTurn, const std::map<int, Tile> &tiles, int pauseTicks, int action, int turnLength)
{
    QList<QByteArray> f{"3", "12", "9", glyphon::number(turnLength), "200", "2", glyphon::number(pauseTicks),
                        glyphon::number(action), glyphon::number(inTurn)};
    for (int p : glyphon::tilePositions()) {
        const auto it = tiles.find(p);
        const Tile t = it == tiles.end() ? Tile{} : it->second;
        f << glyphon::number(p) << glyphon::number(t.letter) << glyphon::number(t.owner) << glyphon::number(t.value)
          << glyphon::number(t.locked);
    }
    return glyphon::buildMessage("CMD_loadstats", f).chopped(1);
}

std::unique_ptr<GlyphonContext> startUnconnectedWindow()
{
    useFreePort();
    std::unique_ptr<GlyphonContext> copy = startCopy({"Ann"});
    copy->chat->activateWindow();
    if (!QTest::qWaitForWindowActive(copy->chat))
        return nullptr;
    return copy;
}

void typeKey(Tchat *chat, Qt::Key key, const QString &text)
{
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : chat;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

void typeLetter(Tchat *chat, char letter)
{
    typeKey(chat, Qt::Key(Qt::Key_A + (letter - 'a')), QString(QLatin1Char(letter)));
}

} // namespace testsupport
