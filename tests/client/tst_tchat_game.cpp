// Solo games against the computer player, on a real server over loopback:
// words found on the dealt board are clicked, submitted and shown.

#include "tchat_support.h"

#include "board/tilewidget.h"
#include "dictionary/letters.h"
#include "board/turnwidgets.h"
#include "server/tserver.h"
#include "windows/gamestart.h"
#include "windows/tallylist.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

using namespace testsupport;

namespace {

QString lettersOf(TServer *server, const QList<int> &positions)
{
    QString word;
    for (int p : positions) {
        QString letter;
        LetterOfCode(server->board().cell(p).letter, letter);
        word += letter.toUpper();
    }
    return word;
}

} // namespace

class TestTchatGame : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { enterTemporaryWorkingFolder(); }
    void init();
    void cleanup() { m_copy.reset(); }

    void acceptedWordIsShown();
    void unknownWordKeepsTheTiles_data();
    void unknownWordKeepsTheTiles();
    void lockedTileOfTheOtherSeat();
    void timeUpPutsTheTilesBack();
    void soloGameToTheWinner();

private:
    // Starts a solo copy and a game from its start dialog.
    void startSoloGame(int tickMs, int playTo, int turnSeconds);
    // Keeps the game where it is after the next accepted word.
    void freezeAfterNextWord();

    std::unique_ptr<GlyphonContext> m_copy;
    Tchat *m_chat = nullptr;
    TServer *m_server = nullptr;
};

void TestTchatGame::init()
{
    useFreePort();
}

void TestTchatGame::startSoloGame(int tickMs, int playTo, int turnSeconds)
{
    m_copy = startCopy({}, tickMs);
    m_chat = m_copy->chat;
    m_server = &m_copy->hosting->server();
    QTRY_VERIFY(chatHas(m_chat, QStringLiteral("You are Connected.")));
    QTest::mouseClick(m_chat->button_start, Qt::LeftButton);
    QVERIFY(m_copy->gamestart->isVisible());
    m_copy->gamestart->setValues(playTo, turnSeconds);
    m_copy->gamestart->button_startClick();
    QTRY_VERIFY(m_chat->myTurn());
    QVERIFY(chatHas(m_chat, QStringLiteral("You have started a game.")));
    QVERIFY(chatHas(m_chat, QStringLiteral("I am Rizi the bot. Good Luck!")));
    QCOMPARE(m_chat->label_playername2->text(), QStringLiteral("Rizi"));
    QCOMPARE(m_chat->label_status->text(), QStringLiteral("Your Turn."));
    QVERIFY(m_chat->button_submit->isVisible());
}

void TestTchatGame::freezeAfterNextWord()
{
    // Queued, so the server finishes the word (locks, pace) before it stops.
    connect(m_server, &TServer::wordAccepted, this,
            [this] { m_server->timer_breaks->stop(); }, Qt::QueuedConnection);
}

void TestTchatGame::acceptedWordIsShown()
{
    startSoloGame(100, 200, 60);
    freezeAfterNextWord();
    const auto word = findWord(m_server, 1);
    QVERIFY(word);
    const QString letters = lettersOf(m_server, *word);
    clickTiles(m_chat, *word);
    QCOMPARE(m_chat->label_word->text(), letters);
    for (int p : *word)
        QVERIFY(m_chat->tileAt(p)->isGap());
    QTest::mouseClick(m_chat->button_submit, Qt::LeftButton);

    QTRY_COMPARE(m_chat->label_status->text(), QStringLiteral("You made: ") + letters);
    const int score = m_server->game().score(1);
    QVERIFY(score > 0);
    QCOMPARE(m_chat->label_score1->text(), QString::number(score));
    QCOMPARE(m_chat->label_bonus1->text(), QStringLiteral("+%1").arg(score));
    QCOMPARE(m_chat->memo_thewords1->toPlainText(), QStringLiteral("%1 (%2)").arg(letters).arg(score));
    QVERIFY(m_chat->label_word->text().isEmpty());
    QVERIFY(!m_chat->button_submit->isVisible());
    QVERIFY(m_chat->soundLog().contains(QStringLiteral("goodword")));
    for (int p : *word) {
        QVERIFY(!m_chat->tileAt(p)->isGap());
        QCOMPARE(m_chat->game()->board()[p].owner, 1);
        QVERIFY(!m_chat->tileAt(p)->isChosen());
    }
}

void TestTchatGame::unknownWordKeepsTheTiles_data()
{
    // How the word changes after the refusal.
    QTest::addColumn<int>("key"); // 0: a click on a free tile
    QTest::newRow("Escape") << int(Qt::Key_Escape);
    QTest::newRow("Backspace") << int(Qt::Key_Backspace);
    QTest::newRow("a tile more") << 0;
}

void TestTchatGame::unknownWordKeepsTheTiles()
{
    QFETCH(int, key);
    startSoloGame(100, 200, 60);
    const auto tiles = findNonWord(m_server, 1);
    QVERIFY(tiles);
    const QString letters = lettersOf(m_server, *tiles);
    clickTiles(m_chat, *tiles);
    QTest::mouseClick(m_chat->tileAt(66), Qt::RightButton);
    QCOMPARE(m_chat->game()->turn(), 0);
    QTRY_COMPARE(m_chat->label_status->text(),
                 QStringLiteral("Oops! ") + letters.toLower() + QStringLiteral(" is not a valid word."));
    QCOMPARE(m_chat->game()->turn(), 1);
    QCOMPARE(m_chat->label_word->text(), letters);
    QCOMPARE(m_chat->session()->chosen().size(), 2);
    for (int p : *tiles)
        QVERIFY(m_chat->tileAt(p)->isGap());
    QCOMPARE(m_chat->soundLog().last(), QStringLiteral("badword"));
    QCOMPARE(m_server->game().score(1), 0);

    // The refusal is about that word: it goes when the word changes.
    if (key) {
        m_chat->panel_board->setFocus();
        QTest::keyClick(m_chat->panel_board, Qt::Key(key));
    } else {
        int other = 0;
        for (int p : glyphon::tilePositions())
            if (!tiles->contains(p) && m_server->board().cell(p).owner == 0 && !other)
                other = p;
        clickTiles(m_chat, {other});
    }
    QVERIFY(m_chat->label_word->text() != letters);
    QCOMPARE(m_chat->label_status->text(), QStringLiteral("Your Turn."));
}

void TestTchatGame::lockedTileOfTheOtherSeat()
{
    BoxAnswerer boxes;
    startSoloGame(100, 200, 60);
    // Rizi holds tile 11 and has it locked, on both boards.
    glyphon::TCell &cell = m_server->board().cell(11);
    cell.owner = 2;
    cell.locked = 1;
    feed(m_chat, "CMD_hisword+2+A+1+1+11");
    feed(m_chat, "CMD_lockthemup+11+1");
    feed(m_chat, "CMD_nextplayer+1"); // a word pauses the turns until the next
    m_chat->clearSoundLog();

    clickTiles(m_chat, {11});
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("letter is locked")});
    QCOMPARE(m_chat->soundLog(), QStringList{QStringLiteral("badword")});
    QCOMPARE(m_chat->session()->chosen().size(), 0);
    QVERIFY(!m_chat->tileAt(11)->isGap());
    QVERIFY(m_chat->myTurn());
}

void TestTchatGame::timeUpPutsTheTilesBack()
{
    startSoloGame(20, 200, 30);
    clickTiles(m_chat, {11, 12});
    QCOMPARE(m_chat->session()->chosen().size(), 2);
    QTRY_COMPARE(m_chat->label_status->text(), QStringLiteral("Time is Up."));
    QCOMPARE(m_chat->session()->chosen().size(), 0);
    QVERIFY(m_chat->label_word->text().isEmpty());
    QVERIFY(!m_chat->tileAt(11)->isGap());
    QVERIFY(!m_chat->tileAt(12)->isGap());
    QVERIFY(m_chat->soundLog().contains(QStringLiteral("timeup")));
    QTRY_COMPARE(m_chat->label_status->text(), QStringLiteral("Rizi's turn."));
}

void TestTchatGame::soloGameToTheWinner()
{
    startSoloGame(5, 50, 30);
    // Play every own turn with a word the computer finds for seat 1.
    QTimer player;
    connect(&player, &QTimer::timeout, this, [this] {
        if (!m_chat->myTurn() || m_chat->session()->chosen().size() != 0 || m_server->game().currentPlayer() != 1
            || !m_server->game().inTurn())
            return;
        if (const auto word = findWord(m_server, 1)) {
            clickTiles(m_chat, *word);
            m_chat->hitdone();
        }
    });
    player.start(2);
    QTRY_VERIFY_WITH_TIMEOUT(m_chat->panel_winner->isVisible(), 180000);
    player.stop();

    QCOMPARE(m_chat->label_status->text(), QStringLiteral("Game Over!"));
    const bool iWon = m_server->game().score(1) > m_server->game().score(2);
    const QString text = iWon ? QStringLiteral("You have Won the Game!") : QStringLiteral("Rizi has Won the Game!");
    QCOMPARE(m_chat->label_winner1->text(), text);
    QVERIFY(chatText(m_chat).endsWith(text));
    QVERIFY(m_chat->button_start->isVisible());
    QCOMPARE(m_chat->label_score1->text(), QString::number(m_server->game().score(1)));
    QCOMPARE(m_chat->label_score2->text(), QString::number(m_server->game().score(2)));
    // Rizi is not tallied until the user chooses to: only the own totals count.
    QCOMPARE(m_copy->tallylist->table().count(1, 0), 1);
    QCOMPARE(m_copy->tallylist->table().count(2, 0), iWon ? 1 : 0);
    QCOMPARE(m_copy->tallylist->table().rowCount(), 1);
}

QTEST_MAIN(TestTchatGame)
#include "tst_tchat_game.moc"
