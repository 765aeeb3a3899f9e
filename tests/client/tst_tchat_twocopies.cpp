// A whole game between a hosting and a joining copy on loopback, both
// driven by the test, checked against the server after every accepted word;
// a spectator arrives in the middle of a turn.

#include "tchat_support.h"

#include "board/tilewidget.h"
#include "board/turnwidgets.h"
#include "client/mainmenus.h"
#include "server/tserver.h"
#include "windows/gamestart.h"
#include "windows/spylist.h"
#include "windows/tallylist.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>

using namespace testsupport;

namespace {

// Where a window's copy of the game differs from the server's; empty when
// it agrees on every tile (letter, value, owner, lock) and both scores, and
// outlines exactly the tiles of the last word, lastWord.
QString differences(const Tchat *chat, const TServer *server, const QList<int> &lastWord = {})
{
    QStringList out;
    for (int p : glyphon::tilePositions()) {
        const glyphon::TCell &cell = server->board().cell(p);
        const glyphon::TCell &tile = chat->game()->board()[p];
        if (tile.letter != cell.letter || tile.value != cell.value || tile.owner != cell.owner
            || tile.locked != cell.locked)
            out << QStringLiteral("tile %1").arg(p);
        if (!lastWord.isEmpty() && (chat->tileAt(p)->lastMoveSlot() != 0) != lastWord.contains(p))
            out << QStringLiteral("outline %1").arg(p);
    }
    for (int seat = 1; seat <= 2; ++seat) {
        if (chat->scoreLabel(seat)->text() != QString::number(server->game().score(seat)))
            out << QStringLiteral("score %1").arg(seat);
    }
    return out.join(QStringLiteral(", "));
}

} // namespace

class TestTchatTwoCopies : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { enterTemporaryWorkingFolder(); }
    void hostAndJoinerPlayAWholeGame();
    void seatOneStartsOnAHostWithoutAWindow();
};

void TestTchatTwoCopies::hostAndJoinerPlayAWholeGame()
{
    useFreePort();
    auto host = startCopy({"Cid", "unused", "true"}, 10);
    QTRY_VERIFY(chatHas(host->chat, QStringLiteral("You are Connected.")));
    auto joiner = startCopy({"Ann", "127.0.0.1", "false"}, 10);
    Tchat *cid = host->chat;
    Tchat *ann = joiner->chat;
    TServer *server = &host->hosting->server();
    QTRY_VERIFY(chatHas(cid, QStringLiteral("Ann is Connected.")));

    // After every accepted word the server holds still until both windows
    // have been compared with it.
    int accepted = 0;
    int checked = 0;
    QList<int> lastWord; // the tiles of the word submitted last
    bool frozen = false;
    QElapsedTimer frozenFor;
    QStringList failures;
    connect(server, &TServer::wordAccepted, this, [&] {
        ++accepted;
        QTimer::singleShot(0, this, [&] {
            server->timer_breaks->stop();
            frozen = true;
            frozenFor.start();
        });
    });

    std::unique_ptr<GlyphonContext> spectator;
    bool hold = false; // no moves while the spectator is looked at
    QTimer driver;
    connect(&driver, &QTimer::timeout, this, [&] {
        if (frozen) {
            const QString cidDiff = differences(cid, server, lastWord);
            const QString annDiff = differences(ann, server, lastWord);
            const QString bobDiff = spectator ? differences(spectator->chat, server, lastWord) : QString();
            if (cidDiff.isEmpty() && annDiff.isEmpty() && bobDiff.isEmpty()) {
                ++checked;
            } else if (frozenFor.elapsed() > 5000) {
                failures << QStringLiteral("word %1: Cid %2; Ann %3; Bob %4").arg(accepted).arg(cidDiff, annDiff, bobDiff);
            } else {
                return;
            }
            frozen = false;
            server->timer_breaks->start();
            return;
        }
        if (hold)
            return;
        for (Tchat *player : {cid, ann}) {
            if (!player->myTurn() || player->session()->chosen().size() != 0 || server->game().currentPlayer() != player->game()->mySeat()
                || !server->game().inTurn())
                continue;
            if (const auto word = findWord(server, player->game()->mySeat())) {
                lastWord = *word;
                clickTiles(player, *word);
                player->hitdone();
            }
        }
    });

    cid->button_startClick();
    host->gamestart->setValues(50, 30);
    host->gamestart->button_startClick();
    QTRY_VERIFY(chatHas(ann, QStringLiteral("Cid has started a game.")));
    QVERIFY(!chatHas(ann, QStringLiteral("Rizi")));
    driver.start(2);

    // A spectator arrives while a turn runs, after a few words.
    QTRY_VERIFY_WITH_TIMEOUT(checked >= 3, 60000);
    hold = true;
    const auto turnUntouched = [&] {
        Tchat *inTurn = server->game().currentPlayer() == 1 ? cid : ann;
        return !frozen && server->game().inTurn() && inTurn->myTurn() && inTurn->session()->chosen().size() == 0;
    };
    QTRY_VERIFY_WITH_TIMEOUT(turnUntouched(), 10000);
    server->timer_breaks->stop();
    spectator = startCopy({"Bob", "127.0.0.1", "false"}, 10);
    Tchat *bob = spectator->chat;
    QTRY_VERIFY(bob->game()->turn() == server->game().currentPlayer() && differences(bob, server).isEmpty());
    // Arriving mid-turn, it cannot know the last word: no outline anywhere.
    for (int p : glyphon::tilePositions())
        QCOMPARE(bob->tileAt(p)->lastMoveSlot(), 0);
    QCOMPARE(bob->clock()->timeleft(), server->game().pauseTicks() - 4);
    QCOMPARE(bob->game()->mySeat(), 3);
    QCOMPARE(bob->label_playername1->text(), QStringLiteral("Cid"));
    QCOMPARE(bob->label_playername2->text(), QStringLiteral("Ann"));
    QCOMPARE(bob->label_status->text(), (server->game().currentPlayer() == 1 ? QStringLiteral("Cid") : QStringLiteral("Ann"))
                                            + QStringLiteral("'s turn."));
    QVERIFY(bob->turntime->isActive());
    QTRY_VERIFY(chatHas(cid, QStringLiteral("Bob is spying.")));
    QCOMPARE(host->spylist->entries(), QStringList{QStringLiteral("3: Bob")});
    hold = false;
    server->timer_breaks->start();

    QTRY_VERIFY_WITH_TIMEOUT(!failures.isEmpty() || (cid->panel_winner->isVisible() && ann->panel_winner->isVisible()
                                                     && bob->panel_winner->isVisible()),
                             300000);
    driver.stop();
    QCOMPARE(failures, QStringList());
    QCOMPARE(checked, accepted);
    QVERIFY(accepted >= 6);
    QVERIFY(differences(cid, server).isEmpty());
    QVERIFY(differences(ann, server).isEmpty());
    QVERIFY(differences(bob, server).isEmpty());

    const bool cidWon = server->game().score(1) > server->game().score(2);
    QCOMPARE(cid->label_winner1->text(), cidWon ? QStringLiteral("You have Won the Game!")
                                                : QStringLiteral("Ann has Won the Game!"));
    QCOMPARE(ann->label_winner1->text(), cidWon ? QStringLiteral("Cid has Won the Game!")
                                                : QStringLiteral("You have Won the Game!"));
    QCOMPARE(bob->label_winner1->text(), (cidWon ? QStringLiteral("Cid") : QStringLiteral("Ann"))
                                             + QStringLiteral(" has Won the Game!"));
    for (Tchat *chat : {cid, ann, bob})
        QCOMPARE(chat->label_status->text(), QStringLiteral("Game Over!"));
    QVERIFY(cid->button_start->isVisible());
    QVERIFY(!ann->button_start->isVisible());
    // Games and own wins: row 0, columns 1 and 2.
    QCOMPARE(host->tallylist->table().count(1, 0), 1);
    QCOMPARE(joiner->tallylist->table().count(1, 0), 1);
    QCOMPARE(spectator->tallylist->table().count(1, 0), 0);
    QCOMPARE(host->tallylist->table().count(2, 0) + joiner->tallylist->table().count(2, 0), 1);
}

QTEST_MAIN(TestTchatTwoCopies)
void TestTchatTwoCopies::seatOneStartsOnAHostWithoutAWindow()
{
    glyphon::HostConfig config;
    config.port = useFreePort();
    glyphon::Hosting dedicated(config, copyConfig().discovery, glyphon::Hosting::Reader::Console);
    dedicated.listen();
    auto first = startCopy({"Ann", "127.0.0.1", "false"}, 10);
    Tchat *ann = first->chat;
    QTRY_COMPARE(ann->game()->mySeat(), 1);
    QTRY_VERIFY(ann->menus()->StartGame1->isEnabled());
    QVERIFY(ann->button_start->isVisible());
    auto second = startCopy({"Bob", "127.0.0.1", "false"}, 10);
    Tchat *bob = second->chat;
    QTRY_COMPARE(bob->game()->mySeat(), 2);
    QTRY_VERIFY(chatHas(bob, QStringLiteral("You are Connected.")));
    QVERIFY(!bob->menus()->StartGame1->isEnabled());
    QVERIFY(!bob->button_start->isVisible());

    ann->menus()->StartGame1->trigger();
    first->gamestart->setValues(50, 30);
    first->gamestart->button_startClick();
    QTRY_VERIFY(chatHas(bob, QStringLiteral("Ann has started a game.")));
    QVERIFY(!ann->button_start->isVisible());
}

#include "tst_tchat_twocopies.moc"
