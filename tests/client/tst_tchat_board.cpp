// The board half of the window driven by server messages handed straight to
// its dispatch: colour slots, choosing tiles, the countdown, the game events
// and spelling with the keyboard (where the keyboard goes: tst_tchat_focus).

#include "tchat_support.h"

#include "chat/chatview.h"

#include "client/mainmenus.h"

#include "chat/chatinput.h"
#include "chat/phraserow.h"
#include "artwork/tilepainter.h"
#include "board/tilewidget.h"
#include "board/turnwidgets.h"
#include "core/board.h"
#include "protocol/messagepump.h"
#include "session/serverlink.h"
#include "windows/quickinstructions.h"
#include "windows/spylist.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <limits>
#include <map>

using namespace testsupport;
using glyphon::BoardTile;

namespace {

QImage shown(Tchat *chat, int position)
{
    return chat->tileAt(position)->picture(1.0).toImage();
}

QImage expected(const BoardTile &tile, int slot)
{
    return glyphon::TilePainter::drawtile(tile, slot, 1.0).toImage();
}

int count(const QStringList &log, const QString &name)
{
    return int(log.count(name));
}

} // namespace

class TestTchatBoard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { enterTemporaryWorkingFolder(); }
    void init();
    void cleanup() { m_copy.reset(); }

    void colourSlots_data();
    void colourSlots();
    void countdown();
    void clockCountsFromTheMessagesArrival_data();
    void clockCountsFromTheMessagesArrival();
    void choosingTiles();
    void takingLettersBack();
    void outsideTheOwnTurn();
    void otherSeatsTimeUp();
    void playersArrivingAndLeaving();
    void keyboardSpelling();
    void longNamesStayOnTheirCard();
    void tilesReadAloud_data();
    void tilesReadAloud();
    void backFromAReconnection_data();
    void backFromAReconnection();
    void thePauseBeforeTheOwnTurn();
    void lateArrivalSeesTheRoundsWords();
    void enterAfterARefusedLetter_data();
    void enterAfterARefusedLetter();
    void rightClickOnTheTray_data();
    void rightClickOnTheTray();
    void growsWithTheWindow();

private:
    Tchat *m_chat = nullptr;
    std::unique_ptr<GlyphonContext> m_copy;
};

void TestTchatBoard::init()
{
    m_copy = startUnconnectedWindow();
    QVERIFY(m_copy);
    m_chat = m_copy->chat;
}

void TestTchatBoard::colourSlots_data()
{
    QTest::addColumn<int>("myseat");
    QTest::addColumn<int>("slotOfSeat1");
    QTest::addColumn<int>("slotOfSeat2");
    QTest::newRow("seat 1") << 1 << 1 << 2;
    QTest::newRow("seat 2") << 2 << 2 << 1;
    QTest::newRow("spectator") << 5 << 1 << 2;
}

void TestTchatBoard::colourSlots()
{
    QFETCH(int, myseat);
    QFETCH(int, slotOfSeat1);
    QFETCH(int, slotOfSeat2);
    // A fresh window shows no word's points yet, as a score of its own.
    QCOMPARE(m_chat->label_bonus1->text() + m_chat->label_bonus2->text(), QStringLiteral("00"));
    m_chat->game()->loggedIn({myseat});
    feed(m_chat, "CMD_startgame+Cid+200+60+");
    feed(m_chat, "CMD_roundstart+1+");
    feed(m_chat, plainLetters());
    feed(m_chat, "CMD_hisword+1+AA+2+2+11+12");
    feed(m_chat, "CMD_hisword+2+AA+2+2+21+22");
    feed(m_chat, "CMD_lockthemup+11+1+21+1");

    QCOMPARE(shown(m_chat, 11), expected({0, 1, 1, 1}, slotOfSeat1));
    QCOMPARE(shown(m_chat, 12), expected({0, 1, 0, 1}, slotOfSeat1));
    QCOMPARE(shown(m_chat, 21), expected({0, 1, 1, 2}, slotOfSeat2));
    QCOMPARE(shown(m_chat, 66), expected({0, 1, 0, 0}, 0));
    // The frame follows the holder's slot: a light frame on a dark tile
    // differs from a dark frame on a light one.
    QVERIFY(shown(m_chat, 11) != shown(m_chat, 21));
    QCOMPARE(m_chat->game()->board()[12].owner, 1);
    QCOMPARE(m_chat->game()->board()[22].owner, 2);
    QCOMPARE(m_chat->memo_thewords2->toPlainText(), QStringLiteral("AA (2)"));
    QCOMPARE(m_chat->label_bonus2->text(), QStringLiteral("+2"));

    // The last word is outlined in its mover's slot, the one before is not;
    // the outline lasts through the answering turn, not the one after.
    const auto outlined = [this] {
        QMap<int, int> out;
        for (int p : glyphon::tilePositions())
            if (const int slot = m_chat->tileAt(p)->lastMoveSlot())
                out.insert(p, slot);
        return out;
    };
    const QMap<int, int> lastWord{{21, slotOfSeat2}, {22, slotOfSeat2}};
    QCOMPARE(outlined(), lastWord);
    feed(m_chat, "CMD_nextplayer+1+");
    QCOMPARE(outlined(), lastWord);
    feed(m_chat, "CMD_nextplayer+2+");
    QCOMPARE(outlined(), (QMap<int, int>{}));
    QCOMPARE(shown(m_chat, 21), expected({0, 1, 1, 2}, slotOfSeat2)); // the picture itself never changes
    feed(m_chat, "CMD_hisword+1+AA+2+4+31+32");
    QCOMPARE(outlined(), (QMap<int, int>{{31, slotOfSeat1}, {32, slotOfSeat1}}));
    feed(m_chat, "CMD_roundstart+2+");
    QCOMPARE(outlined(), (QMap<int, int>{}));
}

void TestTchatBoard::countdown()
{
    m_chat->game()->loggedIn({1});
    feed(m_chat, "CMD_startgame+Ann+200+90+");
    QCOMPARE(m_chat->clock()->barstep(), 4); // 365 div 90
    feed(m_chat, "CMD_nextplayer+1+");
    QVERIFY(m_chat->turntime->isActive());
    QCOMPARE(m_chat->label_status->text(), QStringLiteral("Your Turn."));
    QCOMPARE(m_chat->soundLog().last(), QStringLiteral("turn"));
    m_chat->clearSoundLog();

    QMap<int, QString> texts;
    QMap<int, QColor> colours;
    while (m_chat->clock()->timeleft() > 0) {
        m_chat->turntimeTimer();
        texts[m_chat->clock()->timeleft()] = m_chat->label_timer->text();
        colours[m_chat->clock()->timeleft()] = m_chat->label_timer->palette().color(QPalette::WindowText);
        if (m_chat->clock()->timeleft() > 0)
            QCOMPARE(m_chat->image_timer->barWidth(), 4 * m_chat->clock()->timeleft());
    }
    QCOMPARE(texts[89], QStringLiteral("Time: 1:29"));
    QCOMPARE(texts[65], QStringLiteral("Time: 1:05"));
    QCOMPARE(texts[9], QStringLiteral("Time: 0:09"));
    QCOMPARE(colours[20], QColor(Qt::black));
    QCOMPARE(colours[19], QColor(160, 0, 0));
    QCOMPARE(count(m_chat->soundLog(), QStringLiteral("tick")), 12); // 20, 15, 10..1
    QCOMPARE(texts[0], QStringLiteral("Time: 0:00"));
    QCOMPARE(m_chat->image_timer->barWidth(), 0);
    // Out of time: no more input, even before the server's time-up.
    QCOMPARE(m_chat->game()->turn(), 0);
    clickTiles(m_chat, {11});
    QCOMPARE(m_chat->session()->chosen().size(), 0);
    m_chat->turntimeTimer();
    QCOMPARE(m_chat->clock()->timeleft(), 0);

    // Lengths at the bottom of the int range do not wrap round into a long turn.
    feed(m_chat, "CMD_startgame+Ann+200+-2147483648+");
    feed(m_chat, "CMD_nextplayer+1+");
    m_chat->turntimeTimer();
    QCOMPARE(m_chat->label_timer->text(), QStringLiteral("Time: 0:00"));
    feed(m_chat, loadstats(1, {}, std::numeric_limits<int>::min()));
    m_chat->turntimeTimer();
    QCOMPARE(m_chat->label_timer->text(), QStringLiteral("Time: 0:00"));
}

// A box held the window's messages (or the host was slow to send the next):
// the turn's clock runs from when the host's message was read, through the
// window's own pump, not from when the window got round to it.
void TestTchatBoard::clockCountsFromTheMessagesArrival_data()
{
    QTest::addColumn<int>("heldMs");
    QTest::addColumn<QString>("clock");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("open"); // input taken and the clock running
    QTest::newRow("handled at once") << 0 << "" << "Your Turn." << true;
    QTest::newRow("held 17 s") << 17000 << "Time: 0:43" << "Your Turn." << true;
    QTest::newRow("held 17.5 s") << 17500 << "Time: 0:43" << "Your Turn." << true;
    QTest::newRow("held past the turn") << 65000 << "Time: 0:00" << "Time is Up." << false;
}

void TestTchatBoard::clockCountsFromTheMessagesArrival()
{
    QFETCH(int, heldMs);
    QFETCH(QString, clock);
    QFETCH(QString, status);
    QFETCH(bool, open);
    qint64 now = 50000;
    glyphon::MessagePump *pump = m_chat->session()->link()->pump();
    pump->setClock([&now] { return now; });
    m_chat->clock()->setClock([&now] { return now; });
    m_chat->game()->loggedIn({1});
    feed(m_chat, "CMD_startgame+Ann+200+60+");
    pump->setPaused(true);
    pump->feed(1, "CMD_nextplayer+1+\xFF");
    now += heldMs;
    pump->setPaused(false);
    pump->tick();
    QCOMPARE(m_chat->game()->turn(), open ? 1 : 0);
    QCOMPARE(m_chat->label_status->text(), status);
    QCOMPARE(m_chat->turntime->isActive(), open);
    if (!clock.isEmpty())
        QCOMPARE(m_chat->label_timer->text(), clock);
    if (!open)
        return;
    // The next tick comes when the next second is due, and shows it.
    const int shown = m_chat->clock()->timeleft();
    QCOMPARE(shown, 60 - heldMs / 1000);
    QVERIFY(m_chat->turntime->interval() <= 1000 - heldMs % 1000);
    now += m_chat->turntime->interval();
    m_chat->turntimeTimer();
    QCOMPARE(m_chat->clock()->timeleft(), shown - 1);
    // A tick held back by a busy window catches up instead of drifting.
    now += 5000;
    m_chat->turntimeTimer();
    QCOMPARE(m_chat->clock()->timeleft(), shown - 6);
}

// Which tiles a click takes, and the twenty-tile cap, are the session's
// (tests/session); here the clicks, the gaps, the word and the box.
void TestTchatBoard::choosingTiles()
{
    BoxAnswerer boxes;
    m_chat->game()->loggedIn({1});
    std::map<int, Tile> tiles;
    for (int p : glyphon::tilePositions())
        tiles[p] = {p % 26 + 1};
    tiles[44] = {4, 2, 0, 1}; // the other seat's, locked
    feed(m_chat, loadstats(1, tiles));
    QVERIFY(m_chat->button_submit->isVisibleTo(m_chat));

    clickTiles(m_chat, {11, 66, 12});
    QCOMPARE(m_chat->label_word->text(), QStringLiteral("LOM"));
    QCOMPARE(m_chat->session()->chosen(), QList<int>({11, 66, 12}));
    QVERIFY(m_chat->tileAt(66)->isGap());
    QVERIFY(m_chat->tileAt(66)->isChosen());

    m_chat->clearSoundLog();
    clickTiles(m_chat, {44});
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("letter is locked")});
    QCOMPARE(m_chat->soundLog(), QStringList{QStringLiteral("badword")});
    QVERIFY(!m_chat->tileAt(44)->isGap());

    // A right click submits, whatever the tile.
    QTest::mouseClick(m_chat->tileAt(44), Qt::RightButton);
    QCOMPARE(m_chat->game()->turn(), 0);
    QVERIFY(m_chat->tileAt(66)->isGap()); // still gaps until the answer
}

// Taking back and clearing by the session's rules (tests/session); here the
// word label's click and the tiles shown again in their holders' colours.
void TestTchatBoard::takingLettersBack()
{
    m_chat->game()->loggedIn({2});
    feed(m_chat, loadstats(2, {{11, {2, 2, 0, 1}}, {12, {3, 1, 2, 0}}, {13, {4, 0, 1, 0}}}));
    m_chat->clearSoundLog();
    clickTiles(m_chat, {11, 12, 13});
    QTest::mouseClick(m_chat->label_word, Qt::LeftButton);
    QCOMPARE(m_chat->label_word->text(), QStringLiteral("BC"));
    QCOMPARE(shown(m_chat, 13), expected({1, 4, 0, 0}, 0));
    QVERIFY(!m_chat->tileAt(13)->isChosen());
    QCOMPARE(m_chat->soundLog(), QStringList{QStringLiteral("clear")});

    m_chat->hitclear();
    QVERIFY(m_chat->label_word->text().isEmpty());
    // Each tile back with its holder's colour (seat 2 is light here) and frame.
    QCOMPARE(shown(m_chat, 11), expected({0, 2, 1, 2}, 1));
    QCOMPARE(shown(m_chat, 12), expected({2, 3, 0, 1}, 2));
    QVERIFY(!m_chat->tileAt(11)->isChosen() && !m_chat->tileAt(12)->isChosen());
}

void TestTchatBoard::outsideTheOwnTurn()
{
    m_chat->game()->loggedIn({1});
    feed(m_chat, loadstats(2, {}));
    clickTiles(m_chat, {11});
    QCOMPARE(m_chat->session()->chosen().size(), 0);

    // The countdown ran out with tiles chosen: Clear still puts them back.
    feed(m_chat, "CMD_nextplayer+1+");
    clickTiles(m_chat, {11, 12});
    m_chat->clock()->setTimeleft(1);
    m_chat->turntimeTimer();
    QCOMPARE(m_chat->game()->turn(), 0);
    QVERIFY(m_chat->button_clear->isVisibleTo(m_chat));
    m_chat->hitclear();
    QCOMPARE(m_chat->session()->chosen().size(), 0);
    QVERIFY(!m_chat->tileAt(11)->isGap());
    QVERIFY(!m_chat->button_clear->isVisibleTo(m_chat));
    QVERIFY(!m_chat->button_submit->isVisibleTo(m_chat));
}

void TestTchatBoard::otherSeatsTimeUp()
{
    m_chat->game()->loggedIn({1});
    feed(m_chat, "CMD_newplayerinfo+1+Ann+0+2+Cid+0");
    feed(m_chat, loadstats(1, {}));
    clickTiles(m_chat, {11, 12});
    feed(m_chat, "CMD_timeup+2+");
    QCOMPARE(m_chat->label_status->text(), QStringLiteral("Time is Up."));
    QVERIFY(!m_chat->turntime->isActive());
    QVERIFY(m_chat->tileAt(11)->isGap()); // the own board is not touched
    QCOMPARE(m_chat->soundLog().last(), QStringLiteral("timeup"));
    // The computer ends its turn early only when it passes.
    feed(m_chat, "CMD_playerdisconnected+2+Cid");
    feed(m_chat, "CMD_nextplayer+2");
    feed(m_chat, "CMD_timeup+2+");
    QCOMPARE(m_chat->label_status->text(), QStringLiteral("Rizi passes."));
}

// Who is announced, and what the game keeps of them, is the session's
// (tst_sessionnews): here the news reaches the cards, the list and the chat.
void TestTchatBoard::playersArrivingAndLeaving()
{
    m_chat->game()->loggedIn({1});
    feed(m_chat, "CMD_newplayerinfo+1+Ann+0");
    feed(m_chat, "CMD_existingplayers+2+Bob+1+4+Cat+0");
    QCOMPARE(m_chat->label_playername2->text(), QStringLiteral("Bob"));
    QVERIFY(m_chat->image_eyes2->isVisibleTo(m_chat));
    QCOMPARE(m_copy->spylist->entries(), QStringList{QStringLiteral("4: Cat")});
    QVERIFY(chatText(m_chat).endsWith(QStringLiteral("Bob is Connected.\nCat is Connected.\nCat is spying.")));

    feed(m_chat, "CMD_playerdisconnected+2+Bob");
    QVERIFY(chatText(m_chat).endsWith(QStringLiteral("Bob disconnected.")));
    QCOMPARE(m_chat->label_playername2->text(), QStringLiteral("<Waiting>"));
    feed(m_chat, "CMD_playerdisconnected+4+Cat");
    QVERIFY(chatText(m_chat).endsWith(QStringLiteral("Cat has left.")));
    QVERIFY(m_copy->spylist->entries().isEmpty());
}

// Which tile a letter takes and what each key does are the word builder's
// and the session's (tst_wordbuilder, tst_sessionword): here the keys reach
// them and the board shows the word.
void TestTchatBoard::keyboardSpelling()
{
    BoxAnswerer boxes;
    m_chat->game()->loggedIn({1});
    // The letter b: 11 own, 12 the opponent's, 13 nobody's; tile 15 is an e.
    feed(m_chat, loadstats(2, {{11, {2, 1}}, {12, {2, 2}}, {13, {2, 0}}, {15, {5}}}));
    feed(m_chat, "CMD_nextplayer+1+");
    QCOMPARE(QApplication::focusWidget(), m_chat->panel_board);
    typeLetter(m_chat, 'b');
    typeLetter(m_chat, 'e');
    QCOMPARE(m_chat->label_word->text(), QStringLiteral("BE"));
    QVERIFY(m_chat->tileAt(13)->isGap());
    QVERIFY(m_chat->tileAt(15)->isGap());

    typeKey(m_chat, Qt::Key_Backspace);
    QCOMPARE(m_chat->label_word->text(), QStringLiteral("B"));
    QVERIFY(!m_chat->tileAt(15)->isGap());
    typeKey(m_chat, Qt::Key_Escape);
    QCOMPARE(m_chat->label_word->text(), QString());
    QVERIFY(!m_chat->tileAt(13)->isGap());

    typeLetter(m_chat, 'b');
    typeLetter(m_chat, 'e');
    typeKey(m_chat, Qt::Key_Return);
    QCOMPARE(m_chat->game()->turn(), 0); // submitted
    QVERIFY(boxes.texts.isEmpty());
    // Clicks still work as before alongside the keyboard.
    feed(m_chat, "CMD_invalid+1+1+be+");
    clickTiles(m_chat, {11});
    QCOMPARE(m_chat->label_word->text(), QStringLiteral("BEB"));
}

namespace {
// Whether anything darker than the label's light background is drawn in the
// two outermost pixel columns on either side: text cut off at the edges.
bool inkAtEdges(QLabel *label)
{
    const QImage image = label->grab().toImage();
    for (int x : {0, 1, image.width() - 2, image.width() - 1})
        for (int y = 0; y < image.height(); ++y)
            if (const QColor c = QColor::fromRgba(image.pixel(x, y)); c.alpha() > 128 && c.lightness() < 200)
                return true;
    return false;
}
} // namespace

void TestTchatBoard::longNamesStayOnTheirCard()
{
    m_chat->game()->loggedIn({2});
    const QString name = QStringLiteral("<b>Bartholomew_Longname_The_Third</b>");
    feed(m_chat, "CMD_newplayerinfo+2+" + name.toUtf8() + "+0");
    feed(m_chat, "CMD_hisword+2+AB+120+1050+11+12");
    QLabel *label = m_chat->label_playername2;
    QCOMPARE(label->text(), name);
    // Shown as it was typed, not read as markup.
    QVERIFY(label->sizeHint().width() >= label->fontMetrics().horizontalAdvance(name));
    // Score and bonus stay on the card, however long the name.
    QVERIFY(m_chat->label_score2->geometry().right() < m_chat->label_bonus2->geometry().left());
    QVERIFY(m_chat->label_bonus2->geometry().right() <= m_chat->image_turn2->geometry().right());

    // The whole name still counts when the winner is named.
    feed(m_chat, "CMD_winner+" + name.toUtf8() + "+");
    QCOMPARE(m_chat->label_winner1->text(), QStringLiteral("You have Won the Game!"));
    feed(m_chat, "CMD_winner+Maximiliana_Wolkenstein-Trostberg+");
    QVERIFY(m_chat->label_winner1->text().startsWith(QStringLiteral("Maximiliana_")));
    QVERIFY(!inkAtEdges(m_chat->label_winner1));
    QVERIFY(!inkAtEdges(m_chat->label_winner2));
}

void TestTchatBoard::tilesReadAloud_data()
{
    QTest::addColumn<int>("myseat");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("name");

    // On the board below: 11 chosen, 12 the last move of seat 2, 13 locked
    // seat 1 bonus tile, 14 free.
    QTest::newRow("chosen") << 1 << 11 << "Row 1, column 1: B, 1 point, free, chosen for your word";
    QTest::newRow("opponent's last move") << 1 << 12 << "Row 1, column 2: A, 1 point, the opponent's, part of the last move";
    QTest::newRow("own last move") << 2 << 12 << "Row 1, column 2: A, 1 point, yours, part of the last move";
    QTest::newRow("own locked bonus") << 1 << 13 << "Row 1, column 3: C, bonus 3 points, yours, locked";
    QTest::newRow("spectator sees names") << 3 << 13 << "Row 1, column 3: C, bonus 3 points, held by Cid, locked";
    QTest::newRow("free") << 1 << 14 << "Row 1, column 4: A, 1 point, free";
}

void TestTchatBoard::tilesReadAloud()
{
    QFETCH(int, myseat);
    QFETCH(int, position);
    QFETCH(QString, name);
    m_chat->game()->loggedIn({myseat});
    feed(m_chat, "CMD_newplayerinfo+1+Cid+0+2+Ann+0");
    feed(m_chat, loadstats(2, {{11, {2}}, {13, {3, 1, 3, 1}}}));
    feed(m_chat, "CMD_hisword+2+AA+2+2+12");
    feed(m_chat, "CMD_nextplayer+1+");
    clickTiles(m_chat, {11});

    QAccessibleInterface *tile = QAccessible::queryAccessibleInterface(m_chat->tileAt(position));
    QVERIFY(tile);
    QCOMPARE(tile->role(), QAccessible::Button);
    QCOMPARE(tile->text(QAccessible::Name), name);
    // The word, the turn and the time read as text, with what they are.
    QAccessibleInterface *word = QAccessible::queryAccessibleInterface(m_chat->label_word);
    QCOMPARE(word->text(QAccessible::Name), myseat == 1 ? QStringLiteral("B") : QString());
    QCOMPARE(word->text(QAccessible::Description), QStringLiteral("The word being built"));
    QAccessibleInterface *status = QAccessible::queryAccessibleInterface(m_chat->label_status);
    QCOMPARE(status->text(QAccessible::Name), myseat == 1 ? QStringLiteral("Your Turn.") : QStringLiteral("Cid's turn."));
    QAccessibleInterface *score = QAccessible::queryAccessibleInterface(m_chat->label_score2);
    QCOMPARE(score->text(QAccessible::Name) + u' ' + score->text(QAccessible::Description),
             QStringLiteral("2 Score of the second player"));
    // A tile's description tells what it does, not its bare place code.
    QVERIFY(!tile->text(QAccessible::Description).contains(QString::number(position)));
    QVERIFY(tile->text(QAccessible::Description).contains(QStringLiteral("word")));
    // Picture buttons read by what they do; a changed phrase reads anew.
    const auto nameOf = [](QWidget *w) { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name); };
    m_chat->phraseRow()->setPhrase(3, QStringLiteral("Well played"));
    QCOMPARE(nameOf(m_chat->phraseRow()->button(1)), QStringLiteral("Way To Go!"));
    QCOMPARE(nameOf(m_chat->phraseRow()->button(3)), QStringLiteral("Well played"));
    QCOMPARE(nameOf(m_chat->phraseRow()->button(10)), QStringLiteral("Chatter sound"));
    QCOMPARE(nameOf(m_chat->button_smilies), QStringLiteral("Smileys"));
    QCOMPARE(m_chat->button_smilies->toolTip(), QStringLiteral("Chatter Sounds"));
}

// After a reconnection the window shows what the host says at once: whose
// turn, the clock, the buttons; the word it was building is gone.
void TestTchatBoard::backFromAReconnection_data()
{
    QTest::addColumn<int>("inTurn");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("clock");
    QTest::addColumn<bool>("buttons");
    QTest::newRow("turn passed on meanwhile") << 2 << 4 << "Cid's turn." << "Time: 0:30" << false;
    QTest::newRow("in the pause after a word") << 1 << 2 << "Please wait for the next turn." << "Time: 1:00" << false;
    QTest::newRow("own turn again") << 1 << 4 << "Your Turn." << "Time: 0:30" << true;
}

void TestTchatBoard::backFromAReconnection()
{
    QFETCH(int, inTurn);
    QFETCH(int, action);
    QFETCH(QString, status);
    QFETCH(QString, clock);
    QFETCH(bool, buttons);
    m_chat->game()->loggedIn({1});
    feed(m_chat, "CMD_newplayerinfo+1+Ann+0+2+Cid+0");
    feed(m_chat, loadstats(1, {}, 20));
    clickTiles(m_chat, {11, 12});
    QCOMPARE(m_chat->label_timer->palette().color(QPalette::WindowText), QColor(160, 0, 0));

    feed(m_chat, loadstats(inTurn, {{11, {1, 2}}}, 34, action));
    QCOMPARE(m_chat->label_status->text(), status);
    QCOMPARE(m_chat->label_timer->text(), clock); // before any tick
    QCOMPARE(m_chat->button_submit->isVisible(), buttons);
    QCOMPARE(m_chat->button_clear->isVisible(), buttons);
    QCOMPARE(m_chat->turntime->isActive(), action == 4);
    QCOMPARE(m_chat->myTurn(), buttons);
    QCOMPARE(m_chat->session()->chosen().size(), 0);
    QCOMPARE(m_chat->label_word->text(), QString());
    QVERIFY(!m_chat->tileAt(11)->isGap());
    QVERIFY(!m_chat->tileAt(11)->isChosen()); // shown in its holder's colour now
}

void TestTchatBoard::thePauseBeforeTheOwnTurn()
{
    m_chat->game()->loggedIn({1});
    feed(m_chat, "CMD_newplayerinfo+1+Ann+0+2+Cid+0");
    feed(m_chat, "CMD_startgame+Cid+200+60+");
    feed(m_chat, plainLetters());
    feed(m_chat, "CMD_nextplayer+2");
    for (int i = 0; i < 45; ++i)
        m_chat->turntimeTimer(); // 15 seconds left: red
    feed(m_chat, "CMD_hisword+2+AA+2+2+11+12");
    // The pause: the word made, the clock at rest, no input.
    QCOMPARE(m_chat->label_status->text(), QStringLiteral("Cid made: AA"));
    QCOMPARE(m_chat->label_timer->text(), QStringLiteral("Time: 1:00"));
    QCOMPARE(m_chat->label_timer->palette().color(QPalette::WindowText), QColor(68, 65, 126));
    QVERIFY(!m_chat->turntime->isActive());
    m_chat->panel_board->setFocus();
    typeLetter(m_chat, 'a');
    typeLetter(m_chat, 'a');
    QCOMPARE(m_chat->session()->chosen().size(), 0);
    // Refused aloud, once for the pause.
    const QString early = QStringLiteral("It is not your turn yet: letters typed now are not taken.");
    QCOMPARE(chatText(m_chat).count(early), 1);
    feed(m_chat, "CMD_nextplayer+1");
    QVERIFY(m_chat->myTurn());
    typeLetter(m_chat, 'a');
    QCOMPARE(m_chat->session()->chosen().size(), 1);
}

void TestTchatBoard::lateArrivalSeesTheRoundsWords()
{
    m_chat->game()->loggedIn({4});
    feed(m_chat, "CMD_newplayerinfo+4+Spy+0");
    feed(m_chat, "CMD_existingplayers+1+Ann+0+2+Cid+0");
    const QString status = m_chat->label_status->text();
    const QStringList sounds = m_chat->soundLog();
    feed(m_chat, "CMD_hisword+1+AA+2+2+11+12");
    feed(m_chat, "CMD_hisword+2+AB+3+3+21+22");
    // The lists only: no word announced, no sound, no outline.
    QCOMPARE(m_chat->memo_thewords1->toPlainText(), QStringLiteral("AA (2)"));
    QCOMPARE(m_chat->memo_thewords2->toPlainText(), QStringLiteral("AB (3)"));
    QCOMPARE(m_chat->label_status->text(), status);
    QCOMPARE(m_chat->soundLog(), sounds);
    QCOMPARE(m_chat->tileAt(21)->lastMoveSlot(), 0);
    feed(m_chat, loadstats(1, {{11, {1, 2}}}, 20));
    feed(m_chat, "CMD_hisword+1+BA+2+4+31+32");
    QCOMPARE(m_chat->memo_thewords1->toPlainText(), QStringLiteral("AA (2)\nBA (2)"));
    QCOMPARE(m_chat->soundLog().last(), QStringLiteral("goodword"));
}

void TestTchatBoard::enterAfterARefusedLetter_data()
{
    QTest::addColumn<QString>("clearedBy");
    QTest::newRow("Backspace") << "backspace";
    QTest::newRow("Escape") << "escape";
}

// "tow" on a board without a free w: the first Enter only warns, so "TO" is
// not played unseen; Backspace and Escape mean the word as it then stands.
// A second Enter and SUBMIT are the session's (tests/session).
void TestTchatBoard::enterAfterARefusedLetter()
{
    QFETCH(QString, clearedBy);
    m_chat->game()->loggedIn({1});
    feed(m_chat, loadstats(1, {{11, {20}}, {12, {15}}, {13, {23, 2, 0, 1}}}));
    m_chat->panel_board->setFocus();
    for (char c : {'t', 'o', 'w'})
        typeLetter(m_chat, c);
    QCOMPARE(m_chat->label_word->text(), QStringLiteral("TO"));
    typeKey(m_chat, Qt::Key_Return);
    QVERIFY(m_chat->myTurn()); // not sent
    QVERIFY(chatHas(m_chat, QStringLiteral("Press Enter again to submit it.")));

    typeKey(m_chat, clearedBy == "escape" ? Qt::Key_Escape : Qt::Key_Backspace);
    // The state is gone: a word typed now goes with the first Enter.
    typeLetter(m_chat, 'o');
    if (clearedBy == "escape")
        typeLetter(m_chat, 't');
    typeKey(m_chat, Qt::Key_Return);
    QVERIFY(!m_chat->myTurn()); // submitted
}

void TestTchatBoard::rightClickOnTheTray_data()
{
    QTest::addColumn<QPoint>("where"); // in the board panel
    QTest::addColumn<bool>("submits");
    QTest::newRow("between two tiles") << QPoint(52 + 44 + 2, 80) << true;
    QTest::newRow("between two rows") << QPoint(70, 70 + 44 + 2) << true;
    QTest::newRow("the tray's margin") << QPoint(44, 62) << true;
    QTest::newRow("the paper beside the tray") << QPoint(20, 200) << false;
}

void TestTchatBoard::rightClickOnTheTray()
{
    QFETCH(QPoint, where);
    QFETCH(bool, submits);
    m_chat->game()->loggedIn({1});
    feed(m_chat, loadstats(1, {}));
    clickTiles(m_chat, {11, 12});
    QTest::mouseClick(m_chat->panel_board, Qt::RightButton, {}, where);
    QCOMPARE(m_chat->myTurn(), !submits);
}

void TestTchatBoard::growsWithTheWindow()
{
    // The board panel at twice its design height, wider still: the board
    // doubles, the chat pane takes the width left over.
    QWidget *panel = m_chat->panel_board;
    const QSize around = m_chat->size() - panel->size();
    m_chat->resize(QSize(1800, 1052) + around);
    QTRY_COMPARE(panel->size(), QSize(1800, 1052));
    QCOMPARE(m_chat->tileAt(11)->geometry(), QRect(104, 140, 88, 88));
    QCOMPARE(m_chat->tileAt(66)->geometry(), QRect(584, 630, 88, 88));
    QCOMPARE(m_chat->label_word->font().pixelSize(), 48);
    QCOMPARE(m_chat->panel_chat->geometry(), QRect(778, 510, 1800 - 9 - 778, 1052 - 28 - 510));
    QCOMPARE(m_chat->mychat->geometry().bottom(), 1052 - 4 - 1);
    QCOMPARE(m_chat->mainchat->width(), m_chat->panel_chat->width() - 4);
    // The tray where it is shown now takes the right-click.
    m_chat->game()->loggedIn({1});
    feed(m_chat, loadstats(1, {}));
    clickTiles(m_chat, {11, 12});
    QTest::mouseClick(panel, Qt::RightButton, {}, QPoint(680, 730));
    QVERIFY(!m_chat->myTurn());

    // Never smaller than a board of 32-pixel tiles.
    m_chat->resize(100, 100);
    QTRY_COMPARE(m_chat->tileAt(11)->width(), 32);
    QVERIFY(m_chat->width() <= 940 && m_chat->height() <= 480);
}

QTEST_MAIN(TestTchatBoard)
#include "tst_tchat_board.moc"
