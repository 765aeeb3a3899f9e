// View > Hint and Rizi's level in the window: solo copies on loopback.

#include "tchat_support.h"

#include "board/turnwidgets.h"
#include "chat/chatinput.h"
#include "client/hintcontrol.h"
#include "server/tserver.h"
#include "windows/gamestart.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QApplication>
#include <QTest>

using namespace testsupport;

class TestTchatHint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { enterTemporaryWorkingFolder(); }
    void init() { useFreePort(); }
    void hintInASoloGame();
    void greyedWhenAnotherPersonPlays_data();
    void greyedWhenAnotherPersonPlays();

private:
    static void startGame(GlyphonContext &copy)
    {
        QTest::mouseClick(copy.chat->button_start, Qt::LeftButton);
        copy.gamestart->setValues(200, 120);
        copy.gamestart->button_startClick();
    }
};

void TestTchatHint::hintInASoloGame()
{
    // Long turns: the test, not the clock, ends them.
    auto copy = startCopy({}, 1000);
    Tchat *chat = copy->chat;
    TServer *server = &copy->hosting->server();
    QTRY_VERIFY(chatHas(chat, QStringLiteral("You are Connected.")));
    // Built off the window's thread once the window has logged in.
    QTRY_VERIFY_WITH_TIMEOUT(server->strongIndex(), 20000);
    QAction *hint = chat->hintControl()->Hint1;
    QVERIFY(!hint->isEnabled());
    startGame(*copy);
    QTRY_VERIFY(chat->myTurn());
    QVERIFY(hint->isEnabled());
    chat->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(chat));

    // A word of the user's own is replaced by the strong engine's word.
    const auto own = findWord(server, 1);
    QVERIFY(own);
    clickTiles(chat, own->mid(0, 1));
    const auto best = server->strongMove(1);
    QVERIFY(best);
    // Ctrl+H also while the chat line has the keyboard.
    chat->mychat->setFocus();
    QTRY_VERIFY(QApplication::focusWidget() == chat->mychat);
    QTest::keyClick(chat->mychat, Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(chat->label_word->text(), best->word.toUpper());
    QCOMPARE(chat->session()->chosen(), best->positions);
    QCOMPARE(chat->hintControl()->hintsTaken(), 1);

    chat->hitdone();
    QTRY_COMPARE(chat->label_score1->text(), QString::number(best->points));
    QTRY_VERIFY(!hint->isEnabled()); // Rizi's turn
    QTest::keyClick(chat, Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(chat->hintControl()->hintsTaken(), 1);

    // The hints taken are the user's, told on a line of their own.
    feed(chat, "CMD_winner+Rizi+");
    QTRY_VERIFY(chat->panel_winner->isVisible());
    QCOMPARE(chat->label_winner1->text(), QStringLiteral("Rizi has Won the Game!"));
    QVERIFY(chatText(chat).contains(QStringLiteral("Rizi has Won the Game!\nYou took 1 hint.")));
    startGame(*copy);
    QTRY_COMPARE(chat->hintControl()->hintsTaken(), 0);
}

void TestTchatHint::greyedWhenAnotherPersonPlays_data()
{
    QTest::addColumn<bool>("watching"); // the other seat's person only watches
    QTest::newRow("another person plays") << false;
    QTest::newRow("the other seat just watches: Rizi plays it") << true;
}

void TestTchatHint::greyedWhenAnotherPersonPlays()
{
    QFETCH(bool, watching);
    auto copy = startCopy({"Cid", "x", "true"}, 1000);
    Tchat *chat = copy->chat;
    QTRY_VERIFY(chatHas(chat, QStringLiteral("You are Connected.")));
    RawClient ann;
    QVERIFY(ann.connectTo(qEnvironmentVariable("GLYPHON_PORT").toUShort()));
    QVERIFY(ann.login(QStringLiteral("Ann")));
    QTRY_VERIFY(chatHas(chat, QStringLiteral("Ann is Connected.")));
    startGame(*copy);
    QTRY_VERIFY(chat->myTurn());
    if (watching)
        ann.send(glyphon::msg::JustWatch{ann.seat, true}.encode());
    QTRY_COMPARE(chat->hintControl()->Hint1->isEnabled(), watching);
    if (watching)
        return;
    chat->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(chat));
    QTest::keyClick(chat, Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(chat->session()->chosen().size(), 0);
}

QTEST_MAIN(TestTchatHint)
#include "tst_tchat_hint.moc"
