// Playing with others without a lobby program: two copies on one computer
// find each other through the Play with Others window, and the window's own
// rules for what the user types.

#include "tchat_support.h"

#include "server/hosting.h"
#include "client/leaveguard.h"
#include "client/playwithotherscoordinator.h"
#include "net/lanbrowser.h"
#include "server/tserver.h"
#include "windows/download.h"
#include "windows/playwithothersdialog.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTcpServer>
#include <QTreeWidget>
#include <QUdpSocket>

using namespace testsupport;
using glyphon::PlayWithOthersWindow;

class TestPlayWithOthers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void addresses_data();
    void addresses();
    void lobbyAddresses_data();
    void lobbyAddresses();
    void rememberedSettings();
    void hostFoundAndJoinedThroughTheWindow();
    void failedChoicesKeepTheSoloGame();
    void startedByALink_data();
    void startedByALink();

private:
    glyphon::ClientConfig config() const;

    glyphon::lan::DiscoveryConfig m_discovery;
};

void TestPlayWithOthers::initTestCase()
{
    enterTemporaryWorkingFolder();
    // Announcements of this test only: other tests' hosts use 7772.
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    m_discovery = {probe.localPort(), true};
}

glyphon::ClientConfig TestPlayWithOthers::config() const
{
    glyphon::ClientConfig config = copyConfig();
    config.discovery = m_discovery;
    return config;
}

void TestPlayWithOthers::addresses_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("host"); // empty: refused
    QTest::addColumn<int>("port");
    QTest::newRow("name") << "example.org" << "example.org" << 7772;
    QTest::newRow("blanks around") << "  192.0.2.10 " << "192.0.2.10" << 7772;
    QTest::newRow("with port") << "192.0.2.10:7800" << "192.0.2.10" << 7800;
    QTest::newRow("IPv6 with port") << "[2001:db8::1]:7800" << "2001:db8::1" << 7800;
    QTest::newRow("empty") << "" << "" << 0;
    QTest::newRow("blank inside") << "my host" << "" << 0;
    QTest::newRow("port 0") << "host:0" << "" << 0;
    QTest::newRow("port too big") << "host:70000" << "" << 0;
    QTest::newRow("signed port") << "host:+80" << "" << 0;
    QTest::newRow("empty port") << "host:" << "" << 0;
    QTest::newRow("a URL") << "http://host/" << "" << 0;
    QTest::newRow("unclosed bracket") << "[2001:db8::1:7800" << "" << 0;
    // Digits and dots are looked up nowhere unless they are an address.
    QTest::newRow("part over 255") << "127.0.0.999" << "" << 0;
    QTest::newRow("part over 255, with port") << "10.0.300.1:7800" << "" << 0;
    QTest::newRow("three parts") << "127.0.1" << "" << 0;
    QTest::newRow("address as one number") << "2130706433" << "" << 0;
    QTest::newRow("empty part") << "10..0.1" << "" << 0;
    QTest::newRow("highest parts") << "255.255.255.254" << "255.255.255.254" << 7772;
    // A link pasted from a message joins what it names, no more.
    QTest::newRow("link") << "glyphon://Game.Example.org:7800" << "game.example.org" << 7800;
    QTest::newRow("link without port") << "  glyphon://192.0.2.10/ " << "192.0.2.10" << 7772;
    QTest::newRow("link with a path") << "glyphon://example.org/join" << "" << 0;
}

void TestPlayWithOthers::addresses()
{
    QFETCH(QString, typed);
    QFETCH(QString, host);
    QFETCH(int, port);
    QString h;
    quint16 p = 0;
    QCOMPARE(PlayWithOthersWindow::parseAddress(typed, &h, &p), !host.isEmpty());
    if (!host.isEmpty()) {
        QCOMPARE(h, host);
        QCOMPARE(int(p), port);
    }
}

void TestPlayWithOthers::lobbyAddresses_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("valid");
    QTest::newRow("none") << "" << true;
    QTest::newRow("https") << "https://lobby.example.org" << true;
    QTest::newRow("http with port and slash") << "http://192.0.2.1:7780/" << true;
    QTest::newRow("no scheme") << "lobby.example.org" << false;
    QTest::newRow("other scheme") << "ftp://lobby.example.org" << false;
    QTest::newRow("no host") << "https://" << false;
    QTest::newRow("script") << "javascript:alert(1)" << false;
    QTest::newRow("blank in host") << "https://lobby example.org" << false;
}

void TestPlayWithOthers::lobbyAddresses()
{
    QFETCH(QString, typed);
    QFETCH(bool, valid);
    QCOMPARE(glyphon::LobbySettings::validLobbyAddress(typed), valid);
}

void TestPlayWithOthers::rememberedSettings()
{
    using glyphon::LobbySettings;
    const glyphon::SettingsStore store(copyConfig().files);
    QVERIFY(LobbySettings::load(store).openPort); // checked by default
    QStringList hosts;
    for (const char *h : {"a", "b", "c", "d", "e", "f", "c"})
        hosts = LobbySettings::remember(hosts, QString::fromLatin1(h));
    QCOMPARE(hosts, (QStringList{"c", "f", "e", "d", "b"}));
    // A hand-edited line keeps only what could have been typed.
    QVERIFY(LobbySettings::saveRecentHosts(store, {"c", "bad:port", "f:7800"}));
    QVERIFY(LobbySettings::saveOpenPort(store, false));
    QCOMPARE(LobbySettings::load(store).recentHosts, (QStringList{"c", "f:7800"}));
    QVERIFY(!LobbySettings::load(store).openPort);
    QVERIFY(LobbySettings::saveOpenPort(store, true));
    QVERIFY(LobbySettings::saveRecentHosts(store, {}));
    // No lobby is contacted until one is set, and never one edited in badly.
    QCOMPARE(LobbySettings::load(store).lobbyAddress, QString());
    QVERIFY(LobbySettings::saveLobbyAddress(store, "ftp://lobby.example.org"));
    QCOMPARE(LobbySettings::load(store).lobbyAddress, QString());
    QVERIFY(LobbySettings::saveLobbyAddress(store, {}));
    // Listing makes the address public: off until chosen, and kept once chosen.
    QVERIFY(!LobbySettings::load(store).listOnLobby);
    QVERIFY(LobbySettings::saveListOnLobby(store, true));
    QVERIFY(LobbySettings::load(store).listOnLobby);
    QVERIFY(LobbySettings::saveListOnLobby(store, false));
}

void TestPlayWithOthers::hostFoundAndJoinedThroughTheWindow()
{
    const quint16 port = useFreePort();
    std::vector<std::unique_ptr<GlyphonContext>> started;
    // What the program would start as a new process starts here as a copy.
    auto launcher = [&](const QStringList &args, quint16 gamePort) {
        // A new process starts long after the host has seen the address
        // tried and let go; a copy in this process starts at once.
        if (!started.empty() && !QTest::qWaitFor([&] { return !started[0]->hosting->server().seats[2].connected; }))
            qWarning("the probe still holds seat 2");
        qputenv("GLYPHON_PORT", QByteArray::number(gamePort));
        started.push_back(startCopy(args, 10, config()));
        return true;
    };

    // A copy without a game has its window open, waiting for games.
    auto idle = startCopy({QStringLiteral("Ann")}, 10, config());
    idle->chat->playWithOthers()->setLauncher(launcher);
    idle->chat->PlayWithOthers1Click();
    PlayWithOthersWindow *joinWindow = idle->chat->playWithOthers()->window();
    joinWindow->edit_name->setText(QStringLiteral("Ann"));
    QCOMPARE(joinWindow->list_games->topLevelItemCount(), 0);

    // A solo copy hosts for others through its window.
    BoxAnswerer boxes;
    auto solo = startCopy({}, 10, config());
    QTRY_VERIFY(chatHas(solo->chat, QStringLiteral("You are Connected.")));
    solo->chat->playWithOthers()->setLauncher(launcher);
    solo->chat->PlayWithOthers1Click();
    PlayWithOthersWindow *hostWindow = solo->chat->playWithOthers()->window();
    QVERIFY(hostWindow->isVisible());
    hostWindow->edit_name->setText(QStringLiteral("Cid"));
    QElapsedTimer sinceHosting;
    sinceHosting.start();
    QTest::mouseClick(hostWindow->button_host, Qt::LeftButton);
    QCOMPARE(started.size(), size_t(1));
    QTRY_VERIFY(!solo->chat->isVisible()); // this copy ends once the new one runs
    GlyphonContext *host = started[0].get();
    QTRY_VERIFY(chatHas(host->chat, QStringLiteral("You are Connected.")));
    QCOMPARE(int(host->hosting->server().Sock1->localPort()), int(port));
    QVERIFY(chatHas(host->chat, QStringLiteral("Players on your network")));

    QTRY_COMPARE_WITH_TIMEOUT(joinWindow->list_games->topLevelItemCount(), 1, 3000);
    qInfo("the host's row was listed %lld ms after \"Host a Game\"", qint64(sinceHosting.elapsed()));
    QTreeWidgetItem *row = joinWindow->list_games->topLevelItem(0);
    QCOMPARE(row->text(0), QStringLiteral("Cid"));
    QCOMPARE(row->text(1), QStringLiteral("1 of 2"));
    QCOMPARE(row->text(3), QStringLiteral("not started"));

    // "Join" with nothing selected takes the first row, once its host has
    // answered; the try takes no seat and is announced to nobody.
    QTest::mouseClick(joinWindow->button_join, Qt::LeftButton);
    QCOMPARE(joinWindow->label_info->text(), QStringLiteral("Connecting\u2026"));
    QTRY_COMPARE(started.size(), size_t(2));
    QTRY_VERIFY(!idle->chat->isVisible());
    QTRY_VERIFY(chatHas(host->chat, QStringLiteral("Ann is Connected.")));
    QCOMPARE(host->hosting->server().seats[2].name, QByteArray("Ann"));
    QVERIFY(!chatHas(host->chat, QStringLiteral(" disconnected.")));
    const glyphon::SettingsStore store(copyConfig().files);
    QCOMPARE(glyphon::LobbySettings::load(store).name, QStringLiteral("Ann"));
    QCOMPARE(glyphon::LobbySettings::load(store).recentHosts.value(0),
             PlayWithOthersWindow::addressText(QStringLiteral("127.0.0.1"), port));

    // The announcement follows: both player seats are taken now, and a
    // third connection watches.
    glyphon::LanBrowser listener(m_discovery);
    QVERIFY(listener.start());
    QTRY_VERIFY(!listener.rows().isEmpty() && listener.rows().constFirst().game.seatsTaken == 2);
    RawClient third;
    QVERIFY(third.connectTo(port));
    QVERIFY(third.login(QStringLiteral("Bob")));
    QCOMPARE(third.seat, 3);
    QTRY_VERIFY(listener.rows().constFirst().game.watchers == 1);

    // A game that starts is announced as running at once; going to another
    // game from it asks first, as leaving does.
    host->hosting->server().startgame(TServer::LocalRequest, "Server+100+60+");
    QTRY_VERIFY(listener.rows().constFirst().game.running);
    QTRY_VERIFY(host->chat->closer()->leaveGuard()->gameRunning());
    QStringList asked;
    host->chat->closer()->leaveGuard()->setAsk([&](const QString &question) {
        asked << question;
        return false;
    });
    host->chat->PlayWithOthers1Click();
    QCOMPARE(asked.size(), 1);
    QVERIFY(!host->chat->playWithOthers()->window() || !host->chat->playWithOthers()->window()->isVisible());

    // The host's end removes the row at once.
    host->chat->closeWithoutAsking();
    QTRY_VERIFY_WITH_TIMEOUT(listener.rows().isEmpty(), 1000);
    // Its connections close with its window: the joiner is told.
    QTRY_COMPARE(boxes.texts, QStringList{QStringLiteral("The host has ended the game.")});
}

// Another program holds the game port, and an address has no host: the
// window says so and stays, and the solo game goes on meanwhile.
void TestPlayWithOthers::failedChoicesKeepTheSoloGame()
{
    const quint16 gamePort = useFreePort();
    QTcpServer other; // a dedicated host, say
    QVERIFY(other.listen(QHostAddress::AnyIPv4, gamePort));
    QTcpServer gone;
    QVERIFY(gone.listen(QHostAddress::LocalHost, 0));
    const quint16 nobody = gone.serverPort();
    gone.close();

    BoxAnswerer boxes;
    auto solo = startCopy({}, 10, config());
    QTRY_VERIFY(chatHas(solo->chat, QStringLiteral("You are Connected.")));
    QVERIFY(solo->hosting->server().Sock1->localPort() != gamePort);
    int launched = 0;
    solo->chat->playWithOthers()->setLauncher([&](const QStringList &, quint16) { return ++launched, true; });
    solo->chat->PlayWithOthers1Click();
    PlayWithOthersWindow *window = solo->chat->playWithOthers()->window();
    window->edit_name->setText(QStringLiteral("Cid"));

    QTest::mouseClick(window->button_host, Qt::LeftButton);
    QVERIFY2(window->label_info->text().contains(QStringLiteral("already uses port %1").arg(gamePort)),
             qPrintable(window->label_info->text()));

    // Digits and dots that are no address are said so at once, before any lookup.
    window->edit_address->setEditText(QStringLiteral("127.0.0.999"));
    QTest::mouseClick(window->button_joinaddress, Qt::LeftButton);
    QCOMPARE(window->label_info->text(), QStringLiteral("127.0.0.999 is no address: an address is four numbers "
                                                        "from 0 to 255, such as 192.168.1.5."));
    QVERIFY(window->button_joinaddress->isEnabled());

    window->edit_address->setEditText(QStringLiteral("127.0.0.1:%1").arg(nobody));
    QTest::mouseClick(window->button_joinaddress, Qt::LeftButton);
    QCOMPARE(window->label_info->text(), QStringLiteral("Connecting\u2026"));
    QVERIFY(!window->button_joinaddress->isEnabled());
    QTRY_COMPARE(window->label_info->text(), QStringLiteral("Could not reach 127.0.0.1, port %1.").arg(nobody));
    QVERIFY(window->button_joinaddress->isEnabled());
    // The keyboard is where it was, not in the name field.
    QCOMPARE(window->focusWidget(), window->button_joinaddress);
    // Only an address that answered is remembered.
    QVERIFY(!glyphon::LobbySettings::load(glyphon::SettingsStore(copyConfig().files))
                 .recentHosts.contains(QStringLiteral("127.0.0.1:%1").arg(nobody)));

    QCOMPARE(launched, 0);
    QVERIFY(window->isVisible());
    QVERIFY(solo->chat->isVisible());
    QVERIFY(solo->chat->isconnected());
    QVERIFY(boxes.texts.isEmpty());
}

void TestPlayWithOthers::startedByALink_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("address"); // empty: unreadable
    QTest::newRow("address and port") << "glyphon://127.0.0.1:7800/" << "127.0.0.1:7800";
    QTest::newRow("port past 65535") << "glyphon://127.0.0.1:65536" << "";
}

// A link from a browser or the chat pane only fills in the window: the solo
// game goes on, and nothing is joined before the user's Join Address.
void TestPlayWithOthers::startedByALink()
{
    QFETCH(QString, link);
    QFETCH(QString, address);
    useFreePort();
    BoxAnswerer boxes;
    auto copy = startCopy({link}, 10, config());
    int launched = 0;
    copy->chat->playWithOthers()->setLauncher([&](const QStringList &, quint16) { return ++launched, true; });
    QTRY_VERIFY(chatHas(copy->chat, QStringLiteral("You are Connected.")));
    PlayWithOthersWindow *window = copy->chat->playWithOthers()->window();
    QVERIFY(window && window->isVisible());
    QVERIFY(!copy->download->isVisible()); // it stays on top and would hide the window
    if (address.isEmpty()) {
        QVERIFY2(window->label_info->text().contains(QStringLiteral("could not be read")),
                 qPrintable(window->label_info->text()));
    } else {
        QCOMPARE(window->edit_address->currentText(), address);
        QVERIFY(window->button_joinaddress->isDefault());
        // A game's link in the chat pane fills in the same window.
        copy->chat->mainchatJump(0, QStringLiteral("glyphon://Example.ORG:7801. "));
        QCOMPARE(window->edit_address->currentText(), QStringLiteral("example.org:7801"));
    }
    QCOMPARE(launched, 0);
    QVERIFY(copy->chat->isconnected());
    QVERIFY(boxes.texts.isEmpty());
}

QTEST_MAIN(TestPlayWithOthers)
#include "tst_playwithothers.moc"
