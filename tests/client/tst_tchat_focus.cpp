// Where the keyboard goes in the window: the board spells, the chat line
// keeps what is typed there, and menus, the smileys and the quick
// instructions give the keyboard back to where it was.

#include "tchat_support.h"

#include "chat/chatinput.h"
#include "chat/chatview.h"
#include "chat/phraserow.h"
#include "client/mainmenus.h"
#include "windows/quickinstructions.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace testsupport;

class TestTchatFocus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { enterTemporaryWorkingFolder(); }
    void init();
    void cleanup() { m_copy.reset(); }

    void keyboardLeavesTheChatAlone();
    void menusGiveTheKeyboardBack_data();
    void menusGiveTheKeyboardBack();
    void smileyLeavesTheKeyboardInTheChat();
    void turnLeavesATypedLineInAnInactiveWindow();
    void quickInstructionsGiveTheKeyboardBack();

private:
    Tchat *m_chat = nullptr;
    std::unique_ptr<GlyphonContext> m_copy;
};

void TestTchatFocus::init()
{
    m_copy = startUnconnectedWindow();
    QVERIFY(m_copy);
    m_chat = m_copy->chat;
}

void TestTchatFocus::menusGiveTheKeyboardBack_data()
{
    QTest::addColumn<bool>("chatLine"); // the chat line had the keyboard, else the board
    QTest::newRow("board") << false;
    QTest::newRow("chat line") << true;
}

// A menu left with Escape hands the keyboard back; letters typed next are
// no underlined letters of the menu bar.
void TestTchatFocus::menusGiveTheKeyboardBack()
{
    QFETCH(bool, chatLine);
    QWidget *had = chatLine ? static_cast<QWidget *>(m_chat->mychat) : m_chat->panel_board;
    had->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), had);
    QMenuBar *bar = m_chat->menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(bar->actions().constFirst()).center());
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QTRY_COMPARE(m_chat->focusWidget(), had);
}

void TestTchatFocus::keyboardLeavesTheChatAlone()
{
    m_chat->game()->loggedIn({1});
    feed(m_chat, loadstats(1, {{11, {2}}}));
    m_chat->mychat->setFocus();
    typeLetter(m_chat, 'b');
    QCOMPARE(m_chat->session()->chosen().size(), 0);
    QCOMPARE(m_chat->mychat->text(), QStringLiteral("b"));

    // A new own turn does not pull the keyboard away from a half-typed line.
    feed(m_chat, "CMD_nextplayer+1+");
    QCOMPARE(QApplication::focusWidget(), m_chat->mychat);
    typeKey(m_chat, Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), m_chat->panel_board);
    typeLetter(m_chat, 'b');
    QCOMPARE(m_chat->session()->chosen().size(), 1);
    QCOMPARE(m_chat->mychat->text(), QStringLiteral("b"));

    // With an empty input the turn takes the keyboard back.
    m_chat->mychat->clear();
    m_chat->mychat->setFocus();
    feed(m_chat, "CMD_nextplayer+1+");
    QCOMPARE(QApplication::focusWidget(), m_chat->panel_board);
}

void TestTchatFocus::smileyLeavesTheKeyboardInTheChat()
{
    m_chat->game()->loggedIn({1});
    // c, o and l on the board: typed into the board they would spell.
    feed(m_chat, loadstats(1, {{11, {3}}, {12, {15}}, {13, {15}}, {14, {12}}}));
    QCOMPARE(QApplication::focusWidget(), m_chat->panel_board);
    m_chat->button_smiliesClick();
    QMenu *menu = m_chat->popup_smilies;
    QTRY_VERIFY(menu->isVisible());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions().at(1)).center());
    QTRY_VERIFY(!menu->isVisible());
    QCOMPARE(QApplication::focusWidget(), m_chat->mychat);
    QCOMPARE(m_chat->mychat->cursorPosition(), m_chat->mychat->text().size());
    const QString smiley = m_chat->mychat->text();
    for (char c : {'c', 'o', 'o', 'l'})
        typeLetter(m_chat, c);
    typeKey(m_chat, Qt::Key_Return);
    QCOMPARE(m_chat->session()->chosen().size(), 0);
    QCOMPARE(m_chat->mychat->text(), smiley + QStringLiteral("cool"));
}

void TestTchatFocus::turnLeavesATypedLineInAnInactiveWindow()
{
    m_chat->game()->loggedIn({1});
    feed(m_chat, loadstats(2, {{11, {8}}}));
    m_chat->mychat->setFocus();
    typeLetter(m_chat, 'h');
    // The user is looking at another program's window.
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));

    feed(m_chat, "CMD_nextplayer+1+");
    QCOMPARE(m_chat->focusWidget(), m_chat->mychat);
    elsewhere.hide();
    m_chat->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_chat));
    typeLetter(m_chat, 'i');
    QCOMPARE(m_chat->mychat->text(), QStringLiteral("hi"));
    QCOMPARE(m_chat->session()->chosen().size(), 0);
}

void TestTchatFocus::quickInstructionsGiveTheKeyboardBack()
{
    m_chat->game()->loggedIn({1});
    feed(m_chat, loadstats(1, {{11, {2}}}));
    m_chat->menus()->QuickInstructions1->trigger();
    QPushButton *done = m_chat->panel_help->button_done;
    done->setFocus();
    QTest::mouseClick(done, Qt::LeftButton);
    QVERIFY(!m_chat->panel_help->isVisible());
    typeLetter(m_chat, 'b');
    QCOMPARE(m_chat->session()->chosen().size(), 1);
    QCOMPARE(m_chat->mychat->text(), QString::fromLatin1(Tchat::Placeholder));
}


QTEST_MAIN(TestTchatFocus)
#include "tst_tchat_focus.moc"
