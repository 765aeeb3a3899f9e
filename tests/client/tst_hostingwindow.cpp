// Closing a window that hosts for others, with a router and a lobby that
// never answer the goodbyes: the window goes at once, the port and the
// players' connections with it, and the copy's host reports its end (the
// program's cue to exit) once it has given up on them, within the cap.

#include "tchat_support.h"

#include "net/mappingprotocol.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

using namespace testsupport;

namespace {

// Forwards the port at once and never lets go of it.
class ClingingRouter : public glyphon::MappingProtocol
{
public:
    QString name() const override { return QStringLiteral("clinging router"); }
    void map(quint16) override { m_step = Step::Mapping; }
    void unmap() override { m_step = Step::Unmapping; }
    void pulse(qint64) override
    {
        if (m_step == Step::Mapping) {
            m_publicAddress = QStringLiteral("11.77.0.1");
            m_step = Step::Mapped;
        }
    }
};

// Takes a registration, and never answers anything else.
class DeafLobby : public QTcpServer
{
public:
    int removals = 0;
    DeafLobby()
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, this, [this, s] {
                    const QByteArray in = s->readAll();
                    removals += in.count("DELETE ");
                    if (!in.startsWith("POST "))
                        return;
                    const QByteArray body = R"({"id":"g1","secret":"s1","renew":30})";
                    s->write("HTTP/1.1 201 Created\r\nContent-Type: application/json\r\nContent-Length: "
                             + QByteArray::number(body.size()) + "\r\n\r\n" + body);
                });
            }
        });
    }
};

} // namespace

class TestHostingWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { enterTemporaryWorkingFolder(); }
    void closesAtOnceWhateverTheNetworkDoes();
};

void TestHostingWindow::closesAtOnceWhateverTheNetworkDoes()
{
    DeafLobby lobby;
    QFile settings(QDir::current().filePath(QStringLiteral("marnetlobby.ini")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write(QStringLiteral("[Glyphon]\nHelp=2\nOpenPortOnRouter=true\nListOnLobby=true\n"
                                  "LobbyAddress=http://127.0.0.1:%1\n").arg(lobby.serverPort()).toLatin1());
    settings.close();
    const quint16 port = useFreePort();
    GlyphonContext copy({QStringLiteral("Cid"), QStringLiteral("x"), QStringLiteral("true")}, copyConfig());
    copy.hosting->setMapper(std::make_unique<glyphon::PortMapper>(std::make_unique<ClingingRouter>(),
                                                                  std::make_unique<ClingingRouter>()));
    copy.start();
    Tchat *chat = copy.chat;
    QTRY_VERIFY(chatHas(chat, QStringLiteral("You are Connected.")));
    RawClient ann;
    QVERIFY(ann.connectTo(port));
    QVERIFY(ann.login(QStringLiteral("Ann")));
    // Forwarded and registered: both have a goodbye to wait for.
    QTRY_VERIFY(chatHas(chat, QStringLiteral("Friends on the internet can join at 11.77.0.1")));
    QTRY_VERIFY(chatHas(chat, QStringLiteral("The game is listed on the internet lobby"))
                || chatHas(chat, QStringLiteral("lists the game only once")));

    QSignalSpy finished(copy.hosting, &glyphon::Hosting::finished);
    QElapsedTimer clock;
    clock.start();
    chat->close();
    const qint64 windowGone = clock.elapsed();
    QVERIFY(!chat->isVisible());
    QVERIFY2(finished.isEmpty(), "the window waited for the router and the lobby");
    // Another copy may host on the port at once, and the players are let go.
    QTcpServer next;
    QVERIFY2(next.listen(QHostAddress::Any, port), qPrintable(next.errorString()));
    next.close();
    QTRY_COMPARE(ann.socket.state(), QAbstractSocket::UnconnectedState);
    QTRY_COMPARE(lobby.removals, 1);

    QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), glyphon::Hosting::ShutDownCapMs + 5000);
    qInfo("window gone after %lld ms, host ended after %lld ms", windowGone, clock.elapsed());
}

QTEST_MAIN(TestHostingWindow)
#include "tst_hostingwindow.moc"
