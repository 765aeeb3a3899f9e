// The lobby download window against a real HTTP server on loopback: the
// installer it fetches is a script that records how it was started.

#include "client/glyphoncontext.h"
#include "net/httpcli.h"
#include "client/tchat.h"
#include "settings/userfiles.h"
#include "tchat_support.h"
#include "windows/download.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Takes one request at a time; the test decides what goes back and when.
class LoopbackHttp : public QObject
{
public:
    LoopbackHttp()
    {
        server.listen(QHostAddress::LocalHost, 0);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            client = server.nextPendingConnection();
            request.clear();
            connect(client, &QTcpSocket::readyRead, this, [this] { request += client->readAll(); });
        });
    }
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server.serverPort()).arg(path);
    }
    bool waitForRequest()
    {
        return QTest::qWaitFor([this] { return request.contains("\r\n\r\n"); }, 5000);
    }
    void send(const QByteArray &bytes)
    {
        client->write(bytes);
        client->flush();
    }
    void hangUp() { client->disconnectFromHost(); }

    QTcpServer server;
    QTcpSocket *client = nullptr;
    QByteArray request;
};

// A response head with exactly three header lines.
QByteArray head(qint64 length, const QByteArray &status = "200 OK")
{
    return "HTTP/1.1 " + status + "\r\nContent-Type: application/octet-stream\r\nContent-Length: "
           + QByteArray::number(length) + "\r\nConnection: close\r\n\r\n";
}

QByteArray fileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &content, bool executable = false)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
}

// A shell script that writes its arguments, one per line, into record.
QByteArray recordingScript(const QString &record)
{
    return "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + QFile::encodeName(record) + "'\n";
}

} // namespace

class TstDownload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windowAsDesigned();
    void completedDownload_data();
    void completedDownload();
    void failedDownloadLeavesNoInstaller_data();
    void failedDownloadLeavesNoInstaller();
    void stopBeforeAnyDownload();
    void playWithOthers_data();
    void playWithOthers();
    void exitRequestEndsTheProgram();
    void lobbyPlacesComeFromTheEnvironment();

private:
    QString inFolder(const QString &name) const { return m_folder->filePath(name); }
    // A fresh window over the program folder, shown, with its exit watched.
    void openWindow(const Tdownload::LobbyPlaces &lobby);

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<LoopbackHttp> m_http;
    std::unique_ptr<Tdownload> m_window;
    std::unique_ptr<QSignalSpy> m_exit;
    // Answers every message box, so that an unexpected one fails a test
    // instead of waiting for a click.
    std::unique_ptr<testsupport::BoxAnswerer> m_boxes;
};

void TstDownload::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    testsupport::enterTemporaryWorkingFolder();
}

void TstDownload::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    m_http = std::make_unique<LoopbackHttp>();
    m_boxes = std::make_unique<testsupport::BoxAnswerer>();
    openWindow({m_http->url(QStringLiteral("/files/lobbysetup")), {}});
}

void TstDownload::openWindow(const Tdownload::LobbyPlaces &lobby)
{
    m_exit.reset();
    m_window = std::make_unique<Tdownload>(glyphon::UserFiles(m_folder->path()), lobby);
    m_exit = std::make_unique<QSignalSpy>(m_window.get(), &Tdownload::exitRequested);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TstDownload::cleanup()
{
    m_boxes.reset();
    m_exit.reset();
    m_window.reset();
    m_http.reset();
    m_folder.reset();
}

void TstDownload::windowAsDesigned()
{
    Tdownload &w = *m_window;
    QCOMPARE(w.size(), QSize(724, 500));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QCOMPARE(w.windowFlags() & (Qt::WindowType_Mask | Qt::WindowStaysOnTopHint), Qt::Tool | Qt::WindowStaysOnTopHint);
    QCOMPARE(w.image_lobby->pixmap().size(), QSize(436, 360)); // the JPEG decodes
    QCOMPARE(w.label_closed->parentWidget(), w.image_lobby);
    QVERIFY(w.label_closed->font().bold());
    for (QLabel *red : {w.label_closed, w.Label3})
        QCOMPARE(red->palette().color(QPalette::WindowText), QColor(Qt::red));

    const QList<std::pair<QWidget *, QString>> texts = {
        {w.label_closed, "IS CLOSED"},
        {w.Label1, "Download The Marnet Lobby Now to play this  and other exciting games online with other players! "},
        {w.getbutton, "Download And Install The Marnet Lobby Now"},
        {w.abortbutton, "Stop Download"},
        {w.infolabel, ""},
        {w.infolabel3, ""},
        {w.Label7, "To proceed to the game without the ability to play against others click the button below."},
        {w.Button1, "Play Solo Game"},
        {w.Label3, "Note: Even if you are playing offline, you will need to configure your FIREWALL to allow the "
                   "game to access the internet components."},
        {w.Label5, "If you already have The Marnet Lobby and you wish to play with others then click the button "
                   "below to close this game and open The Marnet Lobby."},
        {w.Button2, "Play with Others"}};
    for (const auto &[control, text] : texts) {
        QCOMPARE(control->property("text").toString(), text);
        // Nothing is cut off at the fixed size.
        if (auto *label = qobject_cast<QLabel *>(control); label && label->wordWrap())
            QVERIFY2(label->height() >= label->heightForWidth(label->width()), qPrintable(text));
    }
    QVERIFY(w.infolabel2->isHidden());
    QVERIFY(w.abortbutton->isEnabled());
    QCOMPARE(w.downloadState(), 0);

    QVERIFY(w.Button1->isDefault());
    QTest::keyClick(&w, Qt::Key_Return);
    QVERIFY(w.isHidden());
}

void TstDownload::completedDownload_data()
{
    QTest::addColumn<bool>("startable");
    QTest::addColumn<bool>("redirected");
    QTest::newRow("installer starts") << true << false;
    QTest::newRow("installer starts after a redirect") << true << true;
    QTest::newRow("a program for another system") << false << false;
}

void TstDownload::completedDownload()
{
    QFETCH(bool, startable);
    QFETCH(bool, redirected);
    Tdownload &w = *m_window;
    const QString installer = inFolder(QStringLiteral("lobbysetup"));
    writeFile(installer, "an older installer");
    const QString record = inFolder(QStringLiteral("arguments.txt"));
    const QByteArray body = startable ? recordingScript(record) + QByteArray(3000, '#') + '\n'
                                      : QByteArray("MZ\x90\x00\x03\x00\x00\x00", 8) + QByteArray(3000, '\0');

    QTest::mouseClick(w.getbutton, Qt::LeftButton);
    QCOMPARE(w.downloadState(), 1);
    QCOMPARE(w.infolabel->text(), QStringLiteral("Loading"));
    QVERIFY(!w.getbutton->isEnabled());
    QVERIFY(w.abortbutton->isEnabled());
    if (redirected) {
        QVERIFY(m_http->waitForRequest());
        m_http->send("HTTP/1.1 302 Found\r\nLocation: /mirror/setup\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        m_http->hangUp();
        m_http->request.clear();
    }
    QVERIFY(m_http->waitForRequest());
    QVERIFY(m_http->request.startsWith(redirected ? "GET /mirror/setup HTTP/1." : "GET /files/lobbysetup HTTP/1."));
    QVERIFY(m_http->request.contains("\r\nUser-Agent: Mozilla/3.0 (compatible)\r\n"));
    QVERIFY(m_http->request.contains("\r\nAccept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"));

    m_http->send(head(body.size()));
    QTRY_COMPARE(w.infolabel->text(), QStringLiteral("Loading..."));
    QCOMPARE(w.infolabel3->text(), QStringLiteral("Downloading: lobbysetup"));
    m_http->send(body.left(1000));
    QTRY_COMPARE(w.infolabel->text(), QStringLiteral("1000 bytes"));
    QCOMPARE(fileText(installer), QByteArray("an older installer")); // untouched while in transfer
    m_http->send(body.mid(1000));
    m_http->hangUp();

    QTRY_VERIFY(w.getbutton->isEnabled());
    QCOMPARE(w.infolabel->text(), QStringLiteral("Received %1 bytes").arg(body.size()));
    QCOMPARE(fileText(installer), body);
    QVERIFY(!QFile::exists(installer + QStringLiteral(".part")));
    if (startable) {
        QTRY_COMPARE(fileText(record), QByteArray("/SP-\n/silent\n/noicons\n"));
        QCOMPARE(m_exit->count(), 1);
    } else {
        QTRY_COMPARE(m_boxes->texts, QStringList{QStringLiteral("An Error has Occurred.")});
        QCOMPARE(m_exit->count(), 0);
        QVERIFY(!w.abortbutton->isEnabled());
    }
}

void TstDownload::failedDownloadLeavesNoInstaller_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("stop"); // press Stop once the reply arrived, instead of hanging up
    QTest::addColumn<qint64>("cap");
    QTest::addColumn<QString>("url"); // instead of the server's
    QTest::addColumn<bool>("hangUp"); // the server ends the connection after its reply
    QTest::addColumn<QString>("why"); // part of the reason shown under the progress

    const QByteArray partial = QByteArray(400, 'x');
    const qint64 noCap = THttpCli::DefaultMaxBodySize;
    QTest::newRow("stopped during a slow body") << head(1000) + partial << true << noCap << QString() << true
                                                << "Download Aborted";
    QTest::newRow("not found") << head(9, "404 Not Found") + "not found" << false << noCap << QString() << true
                               << "HTTP status 404";
    // Not an error to the network layer, yet no document either.
    QTest::newRow("choices without a target") << head(5, "300 Multiple Choices") + "pick!" << false << noCap
                                              << QString() << true << "HTTP status 300";
    QTest::newRow("dropped half way") << head(1000) + partial << false << noCap << QString() << true
                                      << "Connection closed";
    // Refused on its head alone: the server keeps the line open.
    QTest::newRow("announced larger than the cap") << head(1000) + partial << false << qint64(999) << QString() << false
                                                   << "";
    QTest::newRow("sent larger than the cap") << "HTTP/1.0 200 OK\r\n\r\n" + partial << false << qint64(399)
                                              << QString() << true << "";
    QTest::newRow("redirected to a file") << QByteArray("HTTP/1.1 302 Found\r\nLocation: file:///bin/sh\r\n"
                                                       "Content-Length: 0\r\n\r\n")
                                           << false << noCap << QString() << true << "";
    QTest::newRow("file address") << QByteArray() << false << noCap << QStringLiteral("file:///bin/sh") << true
                                  << "Not an http or https address";
    // Nobody listens there: the reason says the connection was refused.
    QTest::newRow("cannot connect") << QByteArray() << false << noCap << QStringLiteral("http://127.0.0.1:1/setup")
                                    << true << "refused";
}

void TstDownload::failedDownloadLeavesNoInstaller()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, stop);
    QFETCH(qint64, cap);
    QFETCH(QString, url);
    QFETCH(bool, hangUp);
    QFETCH(QString, why);

    if (!url.isEmpty())
        openWindow({url, {}});
    Tdownload &w = *m_window;
    w.HttpCli1->setMaxBodySize(cap);
    QTest::mouseClick(w.getbutton, Qt::LeftButton);
    const QString target = w.installerPath();
    if (url.isEmpty()) {
        writeFile(target, "an older installer");
        QVERIFY(m_http->waitForRequest());
        m_http->send(reply);
        if (stop) {
            QTRY_COMPARE(w.infolabel->text(), QStringLiteral("400 bytes"));
            QTest::mouseClick(w.abortbutton, Qt::LeftButton);
            QCOMPARE(w.infolabel->text(), QStringLiteral("Download has been aborted."));
            QCOMPARE(w.infolabel3->text(), QStringLiteral("Download Aborted"));
        } else if (hangUp) {
            m_http->hangUp();
        }
    }

    QTRY_VERIFY(w.getbutton->isEnabled());
    QCOMPARE(w.infolabel->text(), QStringLiteral("Download Aborted"));
    // A reason is always given; the rows that know it check its words.
    QVERIFY2(!w.infolabel3->text().isEmpty() && !w.infolabel3->text().startsWith(QLatin1String("Downloading")),
             qPrintable(w.infolabel3->text()));
    QVERIFY2(w.infolabel3->text().contains(why, Qt::CaseInsensitive), qPrintable(w.infolabel3->text()));
    QCOMPARE(w.downloadState(), 2);
    QVERIFY(!w.abortbutton->isEnabled());
    QCOMPARE(m_exit->count(), 0);
    QCOMPARE(m_boxes->texts, QStringList());
    QVERIFY(!QFile::exists(target + QStringLiteral(".part")));
    if (url.isEmpty())
        QCOMPARE(fileText(target), QByteArray("an older installer"));
    else
        QVERIFY(!QFile::exists(target));
}

void TstDownload::stopBeforeAnyDownload()
{
    Tdownload &w = *m_window;
    QTest::mouseClick(w.abortbutton, Qt::LeftButton);
    QCOMPARE(w.infolabel->text(), QStringLiteral("Download has been aborted."));
    QCOMPARE(w.infolabel3->text(), QStringLiteral("Download Aborted"));
    QCOMPARE(w.downloadState(), 2);
    QVERIFY(w.getbutton->isEnabled());

    // A later download starts afresh.
    QTest::mouseClick(w.getbutton, Qt::LeftButton);
    QCOMPARE(w.downloadState(), 1);
    QVERIFY(m_http->waitForRequest());
    QCOMPARE(w.infolabel->text(), QStringLiteral("Loading"));
    m_http->send(head(4, "404 Not Found") + "gone");
    m_http->hangUp();
    QTRY_VERIFY(w.getbutton->isEnabled());
    QCOMPARE(w.downloadState(), 2);
}

void TstDownload::playWithOthers_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<bool>("ends");

    QTest::newRow("installed") << true << true << true;
    QTest::newRow("installed but cannot start") << true << false << true;
    QTest::newRow("not installed") << false << false << false;
}

void TstDownload::playWithOthers()
{
    QFETCH(bool, present);
    QFETCH(bool, executable);
    QFETCH(bool, ends);

    const QString lobby = inFolder(QStringLiteral("MarnetLobby"));
    const QString record = inFolder(QStringLiteral("lobby-ran.txt"));
    if (present)
        writeFile(lobby, recordingScript(record), executable);
    openWindow({m_http->url(QStringLiteral("/files/lobbysetup")), lobby});

    QSignalSpy others(m_window.get(), &Tdownload::playWithOthersRequested);
    QTest::mouseClick(m_window->Button2, Qt::LeftButton);
    QCOMPARE(m_exit->count(), ends ? 1 : 0);
    if (present && executable)
        QTRY_VERIFY(QFile::exists(record));
    // Without the lobby the game's own Play with Others window takes over.
    QCOMPARE(others.count(), present ? 0 : 1);
    if (!present) {
        QVERIFY(m_boxes->texts.isEmpty());
        QVERIFY(!m_window->isVisible());
    }
}

void TstDownload::exitRequestEndsTheProgram()
{
    GlyphonContext copy({}, testsupport::copyConfig());
    QSignalSpy closed(copy.chat, &Tchat::closed);
    emit copy.download->exitRequested();
    QCOMPARE(closed.count(), 1);
}

// Read once at start-up and handed down: a copy that dropped them would
// fetch from and start the built-in places instead.
void TstDownload::lobbyPlacesComeFromTheEnvironment()
{
    qputenv("GLYPHON_LOBBY_URL", "http://127.0.0.1:1/elsewhere/setup");
    qputenv("GLYPHON_LOBBY_PROGRAM", "/nowhere/Lobby");
    GlyphonContext copy({}, glyphon::ClientConfig::fromEnvironment());
    qunsetenv("GLYPHON_LOBBY_URL");
    qunsetenv("GLYPHON_LOBBY_PROGRAM");
    QCOMPARE(copy.download->installerUrl(), QStringLiteral("http://127.0.0.1:1/elsewhere/setup"));
    QCOMPARE(copy.download->lobbyProgram(), QStringLiteral("/nowhere/Lobby"));
    // Set later, they change nothing in a running copy.
    qputenv("GLYPHON_LOBBY_PROGRAM", "/later/Lobby");
    QCOMPARE(copy.download->lobbyProgram(), QStringLiteral("/nowhere/Lobby"));
    qunsetenv("GLYPHON_LOBBY_PROGRAM");
}

QTEST_MAIN(TstDownload)
#include "tst_download.moc"
