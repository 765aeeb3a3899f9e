// Start-up, hosting, joining, login and the people arriving and leaving,
// with whole copies of the program on loopback.

#include "tchat_support.h"

#include "client/mainmenus.h"

#include "chat/chatinput.h"
#include "chat/chatpane.h"
#include "chat/chatview.h"
#include "chat/colours.h"
#include "chat/phraserow.h"
#include "protocol/messagepump.h"
#include "session/clientsession.h"
#include "session/serverlink.h"
#include "board/turnwidgets.h"
#include "protocol/tsock.h"
#include "server/tserver.h"
#include "windows/about.h"
#include "windows/download.h"
#include "windows/gamestart.h"
#include "windows/help.h"
#include "windows/quickinstructions.h"
#include "windows/spylist.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

using namespace testsupport;

class TestTchatConnection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { enterTemporaryWorkingFolder(); }
    void init() { useFreePort(); }

    void soloStartConnectsAsYou();
    void commandLine_data();
    void commandLine();
    void hostAndJoinerMeetChatAndPart();
    void spectatorEntersAndLeavesTheSpyList();
    void fullServerClosesTheWindowAfterItsBox();
    void noGameToJoinOrHostSaysWhyAndCloses_data();
    void noGameToJoinOrHostSaysWhyAndCloses();
    void hostingOnATakenPortLeavesTheWindow();
    void chatCommandsSendWhatTheyShould();
    void startGameNeedsAConnection();
    void startDialogSendsTheGame();
    void helpMenuShowsItsWindows();
    void hostLeavingClosesTheJoiner();
    void framingFromAHostOfOurOwn();
    void messagesWaitWhileABoxIsOpen();
    void hostBreakingTheBoundsIsLeft_data();
    void hostBreakingTheBoundsIsLeft();
    void smileyMenuAndLinks();
};

void TestTchatConnection::soloStartConnectsAsYou()
{
    auto copy = startCopy({});
    Tchat *chat = copy->chat;
    QTRY_VERIFY(chatHas(chat, QStringLiteral("You are Connected.")));
    QVERIFY(chatHas(chat, QStringLiteral("Loading Solo Game..Please wait.")));
    QCOMPARE(chat->myname(), QStringLiteral("You"));
    QCOMPARE(chat->game()->mySeat(), 1);
    QVERIFY(chat->ishost());
    QVERIFY(chat->isconnected());
    QCOMPARE(chat->label_playername1->text(), QStringLiteral("You"));
    QVERIFY(copy->download->isVisible());
    QVERIFY(chat->button_start->isVisible());
    QCOMPARE(chat->soundLog(), QStringList{QStringLiteral("entered")});
    // The status line has an empty head: its paragraph starts with a blank.
    QVERIFY(chat->mainchat->toPlainText().contains(QStringLiteral("\nYou are Connected.")));
}

void TestTchatConnection::commandLine_data()
{
    QTest::addColumn<QStringList>("params");
    QTest::addColumn<bool>("hosts");
    QTest::addColumn<QString>("connectsTo");

    // The host's own client always goes to loopback, whatever the address.
    QTest::newRow("true hosts") << QStringList{"Ann", "192.0.2.7", "true"} << true << "127.0.0.1";
    QTest::newRow("True joins") << QStringList{"Ann", "192.0.2.7", "True"} << false << "192.0.2.7";
    QTest::newRow("yes joins") << QStringList{"Ann", "192.0.2.7", "yes", "extra"} << false << "192.0.2.7";
    QTest::newRow("two stay idle") << QStringList{"Ann", "192.0.2.7"} << false << "";
    QTest::newRow("one stays idle") << QStringList{"Ann"} << false << "";
}

void TestTchatConnection::commandLine()
{
    QFETCH(QStringList, params);
    QFETCH(bool, hosts);
    QFETCH(QString, connectsTo);

    auto copy = startCopy(params);
    Tchat *chat = copy->chat;
    QVERIFY(chatHas(chat, QStringLiteral("Loading Multi-player Game.. Please Wait.")));
    QCOMPARE(chat->ishost(), hosts);
    QCOMPARE(chat->sock->HostName(), connectsTo);
    QCOMPARE(chat->menus()->StartGame1->isEnabled(), hosts);
    QCOMPARE(chat->button_start->isVisible(), hosts);
    QCOMPARE(copy->hosting->server().Sock1->Listen(), hosts);
    QVERIFY(!copy->download->isVisible());
    if (params.size() >= 3) {
        QCOMPARE(chat->myname(), QStringLiteral("Ann"));
        QCOMPARE(chat->hostaddress(), QStringLiteral("192.0.2.7"));
    } else {
        QVERIFY(chat->myname().isEmpty());
        QVERIFY(!chat->sock->Connected());
    }
    if (hosts)
        QTRY_VERIFY(chatHas(chat, QStringLiteral("You are Connected.")));
}

void TestTchatConnection::hostAndJoinerMeetChatAndPart()
{
    auto host = startCopy({"Cid", "somewhere", "true"});
    QTRY_VERIFY(chatHas(host->chat, QStringLiteral("You are Connected.")));
    auto joiner = startCopy({"Ann", "127.0.0.1", "false"});
    Tchat *cid = host->chat;
    Tchat *ann = joiner->chat;

    QTRY_VERIFY(chatHas(cid, QStringLiteral("Ann is Connected.")));
    QTRY_VERIFY(chatHas(ann, QStringLiteral("You are Connected.")));
    QTRY_VERIFY(chatHas(ann, QStringLiteral("Cid is Connected.")));
    QCOMPARE(ann->game()->mySeat(), 2);
    QCOMPARE(cid->label_playername2->text(), QStringLiteral("Ann"));
    QCOMPARE(ann->label_playername1->text(), QStringLiteral("Cid"));
    QVERIFY(!ann->menus()->StartGame1->isEnabled());
    // Seat 2 sees its own word list in the light colours.
    QCOMPARE(ann->memo_thewords2->palette().color(QPalette::Base), glyphon::toQColor(13289672));
    QCOMPARE(ann->memo_thewords1->palette().color(QPalette::Base), glyphon::toQColor(8274244));
    // Score labels follow their names at 4 pixels.
    QCOMPARE(cid->label_score2->x(), cid->label_playername2->geometry().right() + 1 + 4);

    // Chat both ways, each in its sender's colour.
    cid->settings.textColour = 0x00FF8040;
    ann->mychat->setFocus();
    QTest::keyClicks(ann->mychat, QStringLiteral("hello there"));
    QTest::keyClick(ann->mychat, Qt::Key_Return);
    QVERIFY(ann->mychat->text().isEmpty());
    QTRY_VERIFY(chatHas(cid, QStringLiteral("Ann chats: hello there")));
    QTRY_VERIFY(chatHas(ann, QStringLiteral("Ann chats: hello there")));
    QCOMPARE(cid->mainchat->styleColour(2 + 5), QColor(Qt::black));

    cid->mychat->setText(QStringLiteral("hi + welcome"));
    cid->sendit();
    QTRY_VERIFY(chatHas(ann, QStringLiteral("Cid chats: hi + welcome")));
    QCOMPARE(ann->mainchat->styleColour(1 + 5), glyphon::toQColor(0x00FF8040));

    // Ann leaves: her window closes and the host sees her go.
    QSignalSpy closed(ann, &Tchat::closed);
    ann->menus()->Exit1->trigger();
    QCOMPARE(closed.count(), 1);
    QTRY_VERIFY(chatHas(cid, QStringLiteral("Ann disconnected.")));
    QCOMPARE(cid->label_playername2->text(), QStringLiteral("<Waiting>"));
}

void TestTchatConnection::spectatorEntersAndLeavesTheSpyList()
{
    auto host = startCopy({"Cid", "x", "true"});
    QTRY_VERIFY(chatHas(host->chat, QStringLiteral("You are Connected.")));
    RawClient ann;
    QVERIFY(ann.connectTo(qEnvironmentVariable("GLYPHON_PORT").toUShort()));
    QVERIFY(ann.login(QStringLiteral("Ann")));
    QTRY_VERIFY(chatHas(host->chat, QStringLiteral("Ann is Connected.")));
    // Ann just watches: the newcomer sees her eyes.
    host->hosting->server().seats[2].watching = true;

    auto spy = startCopy({"Bob", "127.0.0.1", "no"});
    Tchat *bob = spy->chat;
    QTRY_VERIFY(chatHas(host->chat, QStringLiteral("Bob is spying.")));
    QTRY_VERIFY(chatHas(bob, QStringLiteral("You are spying.")));
    QCOMPARE(host->spylist->entries(), QStringList{QStringLiteral("3: Bob")});
    QCOMPARE(spy->spylist->entries(), QStringList{QStringLiteral("3: Bob")});
    QTRY_COMPARE(bob->label_playername2->text(), QStringLiteral("Ann"));
    QVERIFY(bob->image_eyes2->isVisibleTo(bob));
    QVERIFY(!bob->image_eyes1->isVisibleTo(bob));
    // Bob's arrival brings no player label changes to the host.
    QCOMPARE(host->chat->label_playername1->text(), QStringLiteral("Cid"));
    QCOMPARE(host->chat->label_playername2->text(), QStringLiteral("Ann"));

    // The host removes a spectator from the spy list's menu.
    RawClient dan;
    QVERIFY(dan.connectTo(qEnvironmentVariable("GLYPHON_PORT").toUShort()));
    QVERIFY(dan.login(QStringLiteral("Dan")));
    QTRY_COMPARE(host->spylist->entries(), QStringList({"3: Bob", "4: Dan"}));
    emit host->spylist->removeRequested(4);
    QTRY_VERIFY(dan.socket.state() == QAbstractSocket::UnconnectedState);
    QTRY_VERIFY(chatHas(host->chat, QStringLiteral("Dan has left.")));

    bob->close();
    QTRY_VERIFY(chatHas(host->chat, QStringLiteral("Bob has left.")));
    QVERIFY(host->spylist->entries().isEmpty());
    // A spectator who was never listed leaves no line.
    const QString before = chatText(host->chat);
    feed(host->chat, "CMD_playerdisconnected+5+Zed");
    QCOMPARE(chatText(host->chat), before);
}

void TestTchatConnection::fullServerClosesTheWindowAfterItsBox()
{
    auto host = startCopy({"Cid", "x", "true"});
    QTRY_VERIFY(chatHas(host->chat, QStringLiteral("You are Connected.")));
    const quint16 port = qEnvironmentVariable("GLYPHON_PORT").toUShort();
    std::vector<std::unique_ptr<RawClient>> others;
    for (int seat = 2; seat <= 9; ++seat) {
        others.push_back(std::make_unique<RawClient>());
        // Each from an address of its own: the host takes four from one.
        QVERIFY(others.back()->connectTo(port, QHostAddress(QStringLiteral("127.0.0.%1").arg(seat))));
        QVERIFY(others.back()->login(QStringLiteral("P%1").arg(seat)));
    }
    QTRY_COMPARE(host->hosting->server().slotsused, 9);

    BoxAnswerer boxes;
    auto late = startCopy({"Late", "127.0.0.1", "false"});
    QSignalSpy closed(late->chat, &Tchat::closed);
    QTRY_COMPARE(closed.count(), 1);
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("Game is full")});
    QCOMPARE(boxes.ownerVisible, QList<bool>{true});
    QVERIFY(!late->chat->isVisible());
    // The seats stay as they were.
    QCOMPARE(host->hosting->server().slotsused, 9);
    QVERIFY(host->chat->isVisible());
}

void TestTchatConnection::noGameToJoinOrHostSaysWhyAndCloses_data()
{
    QTest::addColumn<QStringList>("params");
    QTest::addColumn<QString>("portHolder"); // "listens", "silent" (accepts, never answers) or "none"
    QTest::addColumn<QString>("told");
    QTest::newRow("joiner, nobody there") << QStringList{"Ann", "127.0.0.1", "false"} << "none"
                                          << "The host at 127.0.0.1 could not be reached.";
    QTest::newRow("joiner, host never answers") << QStringList{"Ann", "127.0.0.1", "false"} << "silent"
                                                << "The host at 127.0.0.1 could not be reached.";
}

void TestTchatConnection::noGameToJoinOrHostSaysWhyAndCloses()
{
    QFETCH(QStringList, params);
    QFETCH(QString, portHolder);
    QFETCH(QString, told);
    const quint16 port = qEnvironmentVariable("GLYPHON_PORT").toUShort();
    QTcpServer holder;
    if (portHolder != "none")
        QVERIFY(holder.listen(QHostAddress::Any, port));

    BoxAnswerer boxes;
    auto copy = std::make_unique<GlyphonContext>(params, copyConfig());
    copy->chat->session()->link()->setJoinTimeLimitMs(300);
    QSignalSpy closed(copy->chat, &Tchat::closed);
    copy->start();
    QTRY_COMPARE(closed.count(), 1);
    const QString text = told.contains("%1") ? told.arg(port) : told;
    QCOMPARE(boxes.texts, QStringList{text + QStringLiteral(" The window will close.")});
    QCOMPARE(boxes.ownerVisible, QList<bool>{true});
    QVERIFY(chatHas(copy->chat, text));
}

void TestTchatConnection::hostingOnATakenPortLeavesTheWindow()
{
    const quint16 port = qEnvironmentVariable("GLYPHON_PORT").toUShort();
    QTcpServer holder;
    QVERIFY(holder.listen(QHostAddress::Any, port));
    BoxAnswerer boxes;
    auto copy = std::make_unique<GlyphonContext>(QStringList{"Cid", "x", "true"}, copyConfig());
    QSignalSpy closed(copy->chat, &Tchat::closed);
    copy->start();
    const QString text = QStringLiteral("Cannot host a game: another program already uses port %1. Close the other "
                                        "program, or host on another port (Play with Others).")
                             .arg(port);
    QTRY_COMPARE(boxes.texts, QStringList{text});
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(closed.count(), 0);
    QVERIFY(copy->chat->isVisible());
    QVERIFY(!copy->chat->isconnected());
}

void TestTchatConnection::chatCommandsSendWhatTheyShould()
{
    auto host = startCopy({"Cid", "x", "true"});
    QTRY_VERIFY(chatHas(host->chat, QStringLiteral("You are Connected.")));
    RawClient ann;
    QVERIFY(ann.connectTo(qEnvironmentVariable("GLYPHON_PORT").toUShort()));
    QVERIFY(ann.login(QStringLiteral("Ann")));
    QVERIFY(ann.waitFor("CMD_existingplayers+"));
    Tchat *cid = host->chat;
    cid->session()->setClock([] { return 0; }); // the whole burst at one moment

    const auto send = [cid](const QString &text) {
        cid->mychat->setText(text);
        QTest::keyClick(cid->mychat, Qt::Key_Return);
    };
    send(QStringLiteral("/meow"));
    QCOMPARE(cid->mychat->text(), QString());
    send(QStringLiteral("/help"));
    QCOMPARE(cid->mychat->text(), QString());
    send(QStringLiteral("/me"));
    send(QStringLiteral("a|b"));

    // "/help" went nowhere: the line after the action is the one that followed it.
    QTRY_COMPARE(ann.messages.mid(ann.taken),
                 QList<QByteArray>({"CMD_action+1+Cid w|clBlack", "CMD_action+1+Cid |clBlack",
                                    "CMD_chat+1+Cid chats: a|b|clBlack"}));
    // A bar in the text leaves the colour unreadable: the line shows red.
    QTRY_VERIFY(chatHas(cid, QStringLiteral("Cid chats: a")));
    QCOMPARE(cid->mainchat->styleColour(1 + 5), QColor(255, 0, 0));

    // Past the burst lines wait, each its own; past those a line stays
    // typed, and the user is told why.
    const QStringList waiting{"six", "seven", "eight", "nine", "ten"};
    for (const QString &line : QStringList{"four", "five"} + waiting) {
        send(line);
        QCOMPARE(cid->mychat->text(), QString());
    }
    send(QStringLiteral("eleven"));
    QCOMPARE(cid->mychat->text(), QStringLiteral("eleven"));
    QVERIFY(chatHas(cid, QStringLiteral("Slow down: one line a second.")));
    QTRY_COMPARE(ann.messages.size() - ann.taken, 5);
    // A rest on both sides: the waiting lines go, and the host relays them.
    host->hosting->server().hub().setClock([] { return qint64(36000000); });
    cid->session()->setClock([] { return 3600000; });
    QTRY_COMPARE(ann.messages.size() - ann.taken, 10);
    for (qsizetype i = 0; i < waiting.size(); ++i)
        QCOMPARE(ann.messages.at(ann.taken + 5 + i), "CMD_chat+1+Cid chats: " + waiting[i].toLatin1() + "|clBlack");

    // The input holds at most a line the server takes in one piece.
    cid->mychat->setText(QString(100000, QLatin1Char('x')));
    QCOMPARE(cid->mychat->text().size(), glyphon::ChatPane::MaxInput);
    QVERIFY(cid->mychat->text().toUtf8().size() * 2 < 64 * 1024);
}

void TestTchatConnection::startGameNeedsAConnection()
{
    BoxAnswerer boxes;
    auto idle = startCopy({"Ann", "127.0.0.1"});
    idle->chat->mychat->setText(QStringLiteral("not sent"));
    idle->chat->sendit();
    QCOMPARE(idle->chat->mychat->text(), QStringLiteral("not sent"));
    idle->chat->button_startClick();
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("You are not connected")});
    QVERIFY(!idle->gamestart->isVisible());
}

void TestTchatConnection::startDialogSendsTheGame()
{
    auto host = startCopy({"Cid", "x", "true"});
    QTRY_VERIFY(chatHas(host->chat, QStringLiteral("You are Connected.")));
    RawClient ann;
    QVERIFY(ann.connectTo(qEnvironmentVariable("GLYPHON_PORT").toUShort()));
    QVERIFY(ann.login(QStringLiteral("Ann")));

    host->chat->menus()->StartGame1->trigger();
    QVERIFY(host->gamestart->isVisible());
    QCOMPARE(host->gamestart->edit_playtoscore->text(), QStringLiteral("200"));
    // The settings file has no game start values yet: its defaults.
    QCOMPARE(host->gamestart->edit_creationtime->text(), QStringLiteral("90"));
    host->gamestart->setValues(350, 45);
    host->gamestart->button_startClick();
    const auto start = ann.waitFor("CMD_startgame+");
    QVERIFY(start);
    QCOMPARE(*start, QByteArray("CMD_startgame+Cid+350+45+"));
    QVERIFY(!host->gamestart->isVisible());
    QCOMPARE(host->chat->settings.playToScore, 350);
    QCOMPARE(host->chat->settings.timePerTurn, 45);
    QTRY_VERIFY(chatHas(host->chat, QStringLiteral("You have started a game.")));
    QTRY_VERIFY(!host->chat->button_start->isVisible());
}

void TestTchatConnection::helpMenuShowsItsWindows()
{
    auto idle = startCopy({"Ann"});
    Tchat *chat = idle->chat;
    chat->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(chat));
    QTest::keyClick(chat, Qt::Key_F1);
    QVERIFY(idle->help->isVisible());
    chat->menus()->About1->trigger();
    QVERIFY(idle->about->isVisible());
    chat->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(chat));
    QTest::keyClick(chat, Qt::Key_I, Qt::ControlModifier);
    QVERIFY(chat->panel_help->isVisible());
}

void TestTchatConnection::hostLeavingClosesTheJoiner()
{
    auto host = startCopy({"Cid", "x", "true"});
    QTRY_VERIFY(chatHas(host->chat, QStringLiteral("You are Connected.")));
    auto joiner = startCopy({"Ann", "127.0.0.1", "false"});
    QTRY_VERIFY(chatHas(joiner->chat, QStringLiteral("Cid is Connected.")));
    QSignalSpy closed(joiner->chat, &Tchat::closed);
    BoxAnswerer boxes; // the joiner is told before it closes
    host.reset(); // the host's program ends: server, sockets and all
    QTRY_COMPARE(closed.count(), 1);
    QVERIFY(!joiner->chat->isVisible());
}

namespace {

// Stands in for a host: accepts one window and sends it raw bytes.
struct FakeHost
{
    QTcpServer server;
    QTcpSocket *peer = nullptr;
    bool listen() { return server.listen(QHostAddress::Any, qEnvironmentVariable("GLYPHON_PORT").toUShort()); }
    bool accept()
    {
        if (!QTest::qWaitFor([this] { return server.hasPendingConnections(); }, 5000))
            return false;
        peer = server.nextPendingConnection();
        return true;
    }
    void send(const QByteArray &bytes)
    {
        peer->write(bytes);
        peer->flush();
    }
};

} // namespace

void TestTchatConnection::framingFromAHostOfOurOwn()
{
    FakeHost fake;
    QVERIFY(fake.listen());
    auto copy = startCopy({"Ann", "127.0.0.1", "false"});
    Tchat *ann = copy->chat;
    QVERIFY(fake.accept());
    // Several messages in one piece, one split inside its name, an empty
    // one and one without "+".
    fake.send("CMD_sendlogininfo+2\xFF" "CMD_newplayerinfo+2+Ann+0\xFF\xFF" "CMD_endround\xFF" "CMD_newplayer");
    const auto login = QTest::qWaitFor([&] { return fake.peer->bytesAvailable() > 0; }, 5000);
    QVERIFY(login);
    QCOMPARE(fake.peer->readAll(), QByteArray("CMD_logininfo+2+1.0.2+Ann\xFF"));
    QTRY_VERIFY(chatHas(ann, QStringLiteral("You are Connected.")));
    fake.send("info+1+Cid+0\xFF" "CMD_chat+1+Cid chats: a+b|clBlack\xFF");
    QTRY_VERIFY(chatHas(ann, QStringLiteral("Cid chats: a+b")));
    QVERIFY(chatText(ann).endsWith(QStringLiteral("You are Connected.\nCid is Connected.\nCid chats: a+b")));
    QVERIFY(ann->label_status->text() != QStringLiteral("Round has ended.. Please Wait."));
    // Nothing queued: the dispatch timer rests.
    QTRY_VERIFY(!ann->Timer1->isActive());
    QCOMPARE(ann->session()->link()->pump()->queued(), 0);

    // A chatter sound goes out with its empty last field.
    ann->phraseRow()->popup_sounds->actions().at(11)->trigger(); // "Yippee"
    QVERIFY(QTest::qWaitFor([&] { return fake.peer->bytesAvailable() > 0; }, 5000));
    QCOMPARE(fake.peer->readAll(), QByteArray("CMD_playasound+2+wave11+\xFF"));
}

// The handler that opened a box has not finished: a message that comes in
// meanwhile waits for the box to go.
void TestTchatConnection::messagesWaitWhileABoxIsOpen()
{
    FakeHost fake;
    QVERIFY(fake.listen());
    auto copy = startCopy({"Ann", "127.0.0.1", "false"});
    Tchat *ann = copy->chat;
    QVERIFY(fake.accept());
    QString boxText;
    bool queuedDuringBox = false;
    bool shownDuringBox = true;
    // Runs in the box's own loop: a line arrives while the box waits.
    QMetaObject::invokeMethod(ann, [&] {
        auto *box = ann->findChild<QMessageBox *>();
        QVERIFY(box);
        boxText = box->text();
        glyphon::MessagePump *pump = ann->session()->link()->pump();
        fake.send("CMD_chat+1+Cid chats: held.|clBlack\xFF");
        queuedDuringBox = QTest::qWaitFor([&] { return pump->queued() == 1; }, 5000);
        // A second line that has come in too, and the pump's ticks after
        // it: a pump that ran would have handed out the first by then.
        fake.send("CMD_chat+1+Cid chats: later.|clBlack\xFF");
        queuedDuringBox = queuedDuringBox && QTest::qWaitFor([&] { return pump->queued() == 2; }, 5000);
        pump->tick();
        pump->tick();
        shownDuringBox = chatHas(ann, QStringLiteral("held.")) || chatHas(ann, QStringLiteral("later."));
        box->done(QMessageBox::Ok);
    }, Qt::QueuedConnection);
    ann->button_startClick(); // not logged in yet: a box says so
    QCOMPARE(boxText, QStringLiteral("You are not connected"));
    QVERIFY(queuedDuringBox);
    QVERIFY(!shownDuringBox);
    QTRY_VERIFY(chatHas(ann, QStringLiteral("later.")));
    QVERIFY(chatText(ann).endsWith(QStringLiteral("held.\nCid chats: later.")));
}

void TestTchatConnection::hostBreakingTheBoundsIsLeft_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("a message without end") << "CMD_chat+1+" + QByteArray(70 * 1024, 'x') << QStringList{};
    QByteArray flood;
    for (int i = 0; i < 20000; ++i)
        flood += "CMD_flood\xFF";
    QTest::newRow("more messages than may wait")
        << flood << QStringList{QStringLiteral("The host sent more than this window can take. The window will close.")};
}

void TestTchatConnection::hostBreakingTheBoundsIsLeft()
{
    QFETCH(QByteArray, sent);
    QFETCH(QStringList, boxes);
    BoxAnswerer answerer;
    FakeHost fake;
    QVERIFY(fake.listen());
    auto copy = startCopy({"Ann", "127.0.0.1", "false"});
    QVERIFY(fake.accept());
    QSignalSpy closed(copy->chat, &Tchat::closed);
    fake.send(sent);
    QTRY_COMPARE(closed.count(), 1);
    QTRY_VERIFY(fake.peer->state() == QAbstractSocket::UnconnectedState);
    QCOMPARE(answerer.texts, boxes);
}

void TestTchatConnection::smileyMenuAndLinks()
{
    BoxAnswerer boxes;
    auto idle = startCopy({"Ann"});
    Tchat *chat = idle->chat;
    QCOMPARE(chat->popup_smilies->actions().size(), 18);
    chat->popup_smilies->actions().at(2)->trigger();
    QCOMPARE(chat->mychat->text(), QStringLiteral(":)#12"));
    chat->popup_smilies->actions().at(17)->trigger();
    QCOMPARE(chat->mychat->text(), QStringLiteral(":)#12:)#27"));

    // Text that is no web address is no link, and would open nothing.
    chat->addlinetochat(QStringLiteral("1+Cid: see file:///etc/passwd?www.x"), 0);
    QVERIFY(chat->mainchat->linkTexts().isEmpty());
    emit chat->mainchat->linkClicked(0, QStringLiteral("file:///etc/passwd?www.x "));
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("Cannot open Webpage")});
}

QTEST_MAIN(TestTchatConnection)
#include "tst_tchat_connection.moc"
