// The window's tile sets and its controls over who plays: Options > Just
// Watch, the host's menu on the player names, the server's just-watch
// announcements, the Tiles menu and the repaint a chosen set brings.

#include "tchat_support.h"

#include "session/clientsession.h"

#include "artwork/tilepainter.h"
#include "client/seatcontrol.h"
#include "client/tilesetmenu.h"
#include "board/tilewidget.h"
#include "board/turnwidgets.h"
#include "settings/profilefile.h"
#include "settings/settingsstore.h"
#include "settings/userfiles.h"

#include <QAction>
#include <QBuffer>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

using namespace testsupport;
using glyphon::SeatControl;
using glyphon::TilePainter;

namespace {

// A set whose three backgrounds are flat colours of its own and whose other
// cells are all green, so a tile shows exactly its background.
QRgb backgroundOf(int set, int slot)
{
    return qRgb(30 + 90 * slot, 200 - 60 * set, 20 + 100 * set);
}

void writeSet(const QString &path, int set)
{
    QImage strip(44 * 34, 44, QImage::Format_RGB32);
    strip.fill(qRgb(0, 255, 0));
    for (int slot = 0; slot < 3; ++slot)
        for (int y = 0; y < 44; ++y)
            for (int x = 0; x < 44; ++x)
                strip.setPixel(44 * (27 + slot) + x, y, backgroundOf(set, slot));
    QVERIFY(strip.save(path, "BMP"));
}

// The items of the Tiles menu, separators left out.
QStringList captions(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *item : menu->actions())
        if (!item->isSeparator())
            texts << item->text() + (item->isChecked() ? "*" : "");
    return texts;
}

QRgb centreOf(QWidget *widget)
{
    const QImage shot = widget->grab().toImage();
    return shot.pixel(shot.width() / 2, shot.height() / 2);
}

} // namespace

class TestTchatTilesAndSeats : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void playerPopup_data();
    void playerPopup();
    void justWatchAnnouncements_data();
    void justWatchAnnouncements();
    void tileSetsMenu();
    void turnMarkerColours_data();
    void turnMarkerColours();
    void badSetNamesAreSkipped();
    void damagedSetsAreRefused_data();
    void damagedSetsAreRefused();

private:
    std::unique_ptr<GlyphonContext> start(const QStringList &files);

    QTemporaryDir m_folder;
};

void TestTchatTilesAndSeats::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    enterTemporaryWorkingFolder();
}

void TestTchatTilesAndSeats::cleanup()
{
    QDir(m_folder.filePath("glyphontiles")).removeRecursively();
}

// A copy whose tile folder holds the given sets (set i draws with colours i).
std::unique_ptr<GlyphonContext> TestTchatTilesAndSeats::start(const QStringList &files)
{
    QDir(m_folder.path()).mkpath("glyphontiles");
    for (int i = 0; i < files.size(); ++i)
        writeSet(m_folder.filePath("glyphontiles/" + files.at(i)), i);
    useFreePort();
    glyphon::ClientConfig config = copyConfig();
    config.files = glyphon::UserFiles(m_folder.path());
    return startCopy({"Ann"}, 10, config); // unconnected: the test plays server
}

void TestTchatTilesAndSeats::playerPopup_data()
{
    QTest::addColumn<bool>("host");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<bool>>("enabled");
    QTest::newRow("host") << true << "Bob" << QList<bool>{true, true, true};
    QTest::newRow("host, empty seat") << true << "<Waiting>" << QList<bool>{false, true, true};
    QTest::newRow("not the host") << false << "Bob" << QList<bool>{false, false, false};
}

// Which request each item sends, by role and seat, is the session's (tests/session).
void TestTchatTilesAndSeats::playerPopup()
{
    QFETCH(bool, host);
    QFETCH(QString, name);
    QFETCH(QList<bool>, enabled);
    QWidget window;
    glyphon::ClientSession session(QString::number(useFreePort()));
    if (host)
        session.connectToOwnHost(QString::number(useFreePort()));
    SeatControl seats(session, &window);
    QLabel label(name, &window);
    seats.attachNameLabel(&label, 2);
    emit label.customContextMenuRequested(QPoint(2, 2));
    QTRY_VERIFY(seats.popup_kick->isVisible());
    seats.popup_kick->close();
    QCOMPARE(seats.popupSeat(), 2);
    const QList<QAction *> items{seats.RemoveFromGame1, seats.SettoJustWatch1, seats.UnsetJustWatch1};
    for (int i = 0; i < items.size(); ++i)
        QCOMPARE(items[i]->isEnabled(), enabled[i]);
    // Just Watch's check waits for the server's answer.
    seats.setOwnJustWatching(true);
    seats.JustWatch1->trigger();
    QVERIFY(seats.JustWatch1->isChecked());
}

// Whose seat a just-watch message concerns, and what the game keeps, is
// the session's (tst_sessionnews): here the news reaches the menu, the eyes
// and the chat.
void TestTchatTilesAndSeats::justWatchAnnouncements_data()
{
    QTest::addColumn<int>("myseat");
    QTest::addColumn<QByteArray>("message"); // 0xFF between several
    QTest::addColumn<bool>("before");
    QTest::addColumn<bool>("after");
    QTest::addColumn<bool>("eyes1");
    QTest::addColumn<bool>("eyes2");
    QTest::addColumn<QString>("line");
    QTest::newRow("own seat watches") << 1 << QByteArray("CMD_justwatching+1+1") << false << true << true << false
                                      << "Ann is just watching";
    QTest::newRow("other seat watches") << 1 << QByteArray("CMD_justwatching+2+1") << false << false << false
                                        << true << "Bob is just watching";
    QTest::newRow("own seat plays again") << 1 << QByteArray("CMD_justwatching+1+2") << true << false << false
                                          << false << "Ann is now playing again";
    QTest::newRow("own seat announced playing") << 2 << QByteArray("CMD_newplayerinfo+2+Bob+0") << true << false
                                                << false << false << "You are Connected.";
}

void TestTchatTilesAndSeats::justWatchAnnouncements()
{
    QFETCH(int, myseat);
    QFETCH(QByteArray, message);
    QFETCH(bool, before);
    QFETCH(bool, after);
    QFETCH(bool, eyes1);
    QFETCH(bool, eyes2);
    QFETCH(QString, line);
    auto copy = start({});
    Tchat *chat = copy->chat;
    chat->game()->loggedIn({myseat});
    feed(chat, "CMD_existingplayers+1+Ann+0+2+Bob+0");
    chat->JustWatch1->setChecked(before);
    const QString text = chatText(chat);
    for (const QByteArray &one : message.split('\xFF'))
        feed(chat, one);
    QCOMPARE(chat->JustWatch1->isChecked(), after);
    QCOMPARE(chat->image_eyes1->isVisibleTo(chat), eyes1);
    QCOMPARE(chat->image_eyes2->isVisibleTo(chat), eyes2);
    if (line.isEmpty())
        QCOMPARE(chatText(chat), text);
    else
        QVERIFY(chatText(chat).endsWith(line));

    // A new game starts with everybody playing.
    chat->JustWatch1->setChecked(true);
    feed(chat, "CMD_startgame+Ann+200+60+");
    QVERIFY(!chat->JustWatch1->isChecked());
}

void TestTchatTilesAndSeats::tileSetsMenu()
{
    auto copy = start({"Wood.bmp", "Ice.bmp"});
    Tchat *chat = copy->chat;
    QMenu *menu = chat->grouptilesitem;
    QCOMPARE(menu->title().remove('&'), QStringLiteral("Tiles"));
    QStringList items;
    for (QAction *item : menu->actions())
        if (!item->isSeparator())
            items << item->text() + "/" + item->objectName() + "/" + item->toolTip();
    // The built-in pictures first, so there is always a way back to them.
    QCOMPARE(items, QStringList({"Classic/Classic3/Classic", "Ice/Ice3/Ice", "Wood/Wood3/Wood"}));

    // "classic" from the settings: built-in pictures, their item checked.
    chat->game()->loggedIn({1});
    feed(chat, plainLetters());
    feed(chat, "CMD_hisword+2+AA+2+2+11+12");
    const QImage builtin = chat->tileAt(11)->picture(1).toImage();
    chat->loadgrouptiles("classic");
    QCOMPARE(captions(menu), QStringList({"Classic*", "Ice", "Wood"}));
    QCOMPARE(chat->tileAt(11)->picture(1).toImage(), builtin);

    // Choosing Ice repaints every tile and both markers at once and keeps the name.
    feed(chat, "CMD_nextplayer+1+");
    chat->session()->chooseTile(66); // a tile in the word being built stays a gap
    QVERIFY(chat->tileAt(66)->isChosen());
    chat->tileSets()->item("Ice")->trigger();
    QCOMPARE(chat->settings.tiles, QStringLiteral("Ice"));
    QCOMPARE(captions(menu), QStringList({"Classic", "Ice*", "Wood"}));
    for (int row = 1; row <= 6; ++row) {
        for (int col = 1; col <= 6; ++col) {
            const int position = row * 10 + col;
            TileWidget *tile = chat->tileAt(position);
            if (position == 66) {
                QVERIFY(tile->isGap());
                continue;
            }
            const int slot = position == 11 || position == 12 ? 2 : 0;
            QCOMPARE(tile->picture(1).toImage().pixel(22, 22), backgroundOf(1, slot));
        }
    }
    QCOMPARE(centreOf(chat->image_Turn1), backgroundOf(1, 1));
    QCOMPARE(centreOf(chat->image_turn2), backgroundOf(1, 2));
    // Another copy in the same process keeps its own pictures.
    auto other = start({});
    other->chat->game()->loggedIn({1});
    feed(other->chat, plainLetters());
    feed(other->chat, "CMD_hisword+2+AA+2+2+11+12");
    QCOMPARE(other->chat->tileAt(11)->picture(1).toImage(), builtin);
    other.reset();

    // A set whose file has gone keeps the pictures and the name.
    chat->settings.tiles = "Gone";
    chat->loadgrouptiles("Gone");
    QCOMPARE(chat->settings.tiles, QStringLiteral("Gone"));
    QCOMPARE(chat->tileAt(11)->picture(1).toImage().pixel(22, 22), backgroundOf(1, 2));

    // The first item brings the built-in pictures back, saved as Classic.
    chat->settings.tiles = "Ice";
    chat->tileSets()->item("Classic")->trigger();
    QCOMPARE(chat->settings.tiles, QStringLiteral("Classic"));
    QCOMPARE(captions(menu), QStringList({"Classic*", "Ice", "Wood"}));
    QCOMPARE(chat->tileAt(11)->picture(1).toImage(), builtin);
}

void TestTchatTilesAndSeats::turnMarkerColours_data()
{
    QTest::addColumn<int>("myseat");
    QTest::addColumn<int>("slot1");
    QTest::addColumn<int>("slot2");
    QTest::newRow("seat 1") << 1 << 1 << 2;
    QTest::newRow("seat 2") << 2 << 2 << 1;
    QTest::newRow("spectator") << 4 << 1 << 2;
}

void TestTchatTilesAndSeats::turnMarkerColours()
{
    QFETCH(int, myseat);
    QFETCH(int, slot1);
    QFETCH(int, slot2);
    auto copy = start({"Wood.bmp"});
    Tchat *chat = copy->chat;
    feed(chat, "CMD_sendlogininfo+" + QByteArray::number(myseat));
    feed(chat, "CMD_nextplayer+1");
    chat->loadgrouptiles("Wood");
    QCOMPARE(centreOf(chat->image_Turn1), backgroundOf(0, slot1));
    QCOMPARE(centreOf(chat->image_turn2), backgroundOf(0, slot2));
}

void TestTchatTilesAndSeats::badSetNamesAreSkipped()
{
    BoxAnswerer boxes;
    auto copy = start({"9bad.bmp", "Alpha.bmp", "B-c.bmp", "Zulu.bmp"});
    QCOMPARE(captions(copy->chat->grouptilesitem), QStringList({"Classic", "Alpha", "Zulu"}));
    QTRY_COMPARE(boxes.texts.size(), 1);
    QVERIFY(boxes.texts.at(0).contains("\"9bad.bmp\"") && boxes.texts.at(0).contains("\"B-c.bmp\""));
}

void TestTchatTilesAndSeats::damagedSetsAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImage(2, 2, QImage::Format_RGB32).save(&buffer, "BMP");
    QTest::newRow("two by two") << buffer.data() << "it is 2 by 2 pixels";
    QTemporaryDir scratch;
    writeSet(scratch.filePath("whole.bmp"), 3);
    QFile whole(scratch.filePath("whole.bmp"));
    QVERIFY(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    QTest::newRow("cut short") << bytes.left(bytes.size() / 2) << "cut short";
}

// A damaged set chosen in the menu, or named in the settings, says why and
// keeps the pictures, the check and the setting.
void TestTchatTilesAndSeats::damagedSetsAreRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QDir(m_folder.path()).mkpath("glyphontiles");
    QFile damaged(m_folder.filePath("glyphontiles/Bad.bmp"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(bytes);
    damaged.close();
    auto copy = start({"Wood.bmp"});
    Tchat *chat = copy->chat;
    chat->tileSets()->item("Wood")->trigger();
    QCOMPARE(centreOf(chat->image_Turn1), backgroundOf(0, 1));

    BoxAnswerer boxes;
    chat->tileSets()->item("Bad")->trigger();
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts.at(0).startsWith("Cannot load the tile set Bad: ") && boxes.texts.at(0).contains(reason),
             qPrintable(boxes.texts.at(0)));
    QCOMPARE(chat->settings.tiles, QStringLiteral("Wood"));
    QCOMPARE(captions(chat->grouptilesitem), QStringList({"Classic", "Bad", "Wood*"}));
    QCOMPARE(centreOf(chat->image_Turn1), backgroundOf(0, 1));

    // Named in the settings at start: said once, then Classic ticked and saved,
    // so the next start is quiet.
    const QString settingsPath = glyphon::SettingsStore(glyphon::UserFiles(m_folder.path())).path();
    copy.reset();
    QFile settings(settingsPath);
    QVERIFY(settings.open(QIODevice::WriteOnly | QIODevice::Truncate));
    settings.write("[Glyphon]\nTiles=Bad\nHelp=2\n");
    settings.close();
    const qsizetype boxesBefore = boxes.texts.size();
    const auto loggedIn = [](Tchat *window) { // the settings are read at the login
        window->game()->loggedIn({1});
        feed(window, "CMD_newplayerinfo+1+Ann+0");
    };
    copy = start({"Wood.bmp"});
    loggedIn(copy->chat);
    QTRY_COMPARE(boxes.texts.size(), boxesBefore + 1);
    QCOMPARE(captions(copy->chat->grouptilesitem), QStringList({"Classic*", "Bad", "Wood"}));
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QCOMPARE(glyphon::ProfileText(settings.readAll()).value("Glyphon", "Tiles"), QStringLiteral("Classic"));
    copy.reset();
    copy = start({"Wood.bmp"});
    loggedIn(copy->chat);
    QCOMPARE(captions(copy->chat->grouptilesitem), QStringList({"Classic*", "Bad", "Wood"}));
    QTest::qWait(0);
    QCOMPARE(boxes.texts.size(), boxesBefore + 1);
}

QTEST_MAIN(TestTchatTilesAndSeats)
#include "tst_tchat_tilesandseats.moc"
