// Tchat: the board, choosing tiles, the turn and its countdown.

#include "client/tchat.h"

#include "chat/chatinput.h"
#include "board/boardcontrols.h"
#include "core/rules.h"
#include "board/turnclock.h"
#include "board/playercard.h"
#include "chat/colours.h"
#include "board/tilewidget.h"
#include "board/turnwidgets.h"
#include "board/wordbuilder.h"
#include "session/clientsession.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <algorithm>
#include <limits>

using glyphon::fromWire;

void Tchat::drawtile(int position)
{
    TileWidget *tile = tileAt(position);
    if (!tile)
        return;
    const glyphon::TCell &record = m_game->board()[position];
    const int me = m_game->mySeat();
    tile->setHolder(tileHolder(record.owner));
    tile->showTile(record, glyphon::viewcolour(record.owner, me));
    if (m_session->isChosen(position))
        tile->showChosen();
    const glyphon::LastMove &last = m_game->lastMove();
    tile->setLastMoveSlot(last.contains(position) ? glyphon::viewcolour(last.seat(), me) : 0);
}

QString Tchat::tileHolder(int owner) const
{
    if (owner == 0)
        return QStringLiteral("free");
    if (owner == m_game->mySeat())
        return QStringLiteral("yours");
    if (m_game->iPlay())
        return QStringLiteral("the opponent's");
    return QStringLiteral("held by ")
        + (glyphon::ClientGame::isPlayerSeat(owner) ? shownName(owner) : QString::number(owner));
}

void Tchat::redrawTiles(const QList<int> &positions)
{
    for (int position : positions)
        drawtile(position);
}

void Tchat::startthegame(const glyphon::GameNews &news)
{
    turntime->stop();
    button_start->hide();
    JustWatch1->setChecked(false);
    panel_winner->hide();

    if (news.me)
        statusLine(QStringLiteral("You have started a game."));
    else
        statusLine(fromWire(news.name) + QStringLiteral(" has started a game."));
    if (news.computerJoins)
        statusLine(QStringLiteral("I am Rizi the bot. Good Luck!"));
    label_playtoscore->setText(QStringLiteral("Play to Score: %1").arg(m_game->playTo()));
    m_clock->setTurnLength(m_game->turnLength());
}

void Tchat::roundstart()
{
    turntime->stop();
    label_roundnum->setText(QStringLiteral("Round: %1").arg(m_game->round()));
}

void Tchat::showGameNews(const glyphon::GameNews &news)
{
    switch (news.kind) {
    case glyphon::GameNews::Started:
        startthegame(news);
        break;
    case glyphon::GameNews::RoundStarted:
        roundstart();
        break;
    case glyphon::GameNews::RoundEnded:
        endround();
        break;
    case glyphon::GameNews::Won:
        winner(news);
        break;
    case glyphon::GameNews::Full:
        gameisfull();
        break;
    }
}

void Tchat::showTurnNews(const glyphon::TurnNews &news)
{
    switch (news.kind) {
    case glyphon::TurnNews::Started:
        getnextplayer(news);
        break;
    case glyphon::TurnNews::WordPlayed:
        hisword(news);
        break;
    case glyphon::TurnNews::WordRefused:
        invalid(news);
        break;
    case glyphon::TurnNews::TimeUp:
        timeup(news);
        break;
    case glyphon::TurnNews::Restored:
        loadstats(news);
        break;
    case glyphon::TurnNews::Paused:
        turntime->stop();
        break;
    }
}

void Tchat::announceOwnTurnOrOther()
{
    if (myTurn()) {
        label_status->setText(QStringLiteral("Your Turn."));
        playsounds(settings.turnSoundName());
        button_clear->show();
        button_submit->show();
        // The keyboard spells at once, unless a chat line is half typed:
        // the rest of the sentence would become a word. The window's own
        // focus is asked, so this holds while another window is active too.
        const bool typingChat = focusWidget() == mychat && !mychat->text().isEmpty()
            && mychat->text() != QLatin1String(Placeholder);
        if (!typingChat)
            panel_board->setFocus(Qt::OtherFocusReason);
        // The task bar flags the window when the user is looking elsewhere.
        if (!isActiveWindow())
            QApplication::alert(this);
    } else if (glyphon::ClientGame::isPlayerSeat(m_game->turn())) {
        label_status->setText(shownName(m_game->turn()) + QStringLiteral("'s turn."));
    }
}

void Tchat::getnextplayer(const glyphon::TurnNews &news)
{
    button_clear->hide();
    button_submit->hide();
    m_cards->showTurnOf(news.seat, m_game->mySeat());
    announceOwnTurnOrOther();
    m_clock->setTimeleft(m_game->turnLength());
    m_clock->restart(news.readAt);
}

void Tchat::loadstats(const glyphon::TurnNews &news)
{
    // Whatever was on show belongs to before: the host's state replaces it
    // at once, buttons, clock and word included.
    turntime->stop();
    button_clear->hide();
    button_submit->hide();
    // A count at the bottom of the int range must not wrap round into a long turn.
    m_clock->setTimeleft(
        int(std::max<qint64>(qint64(news.pauseTicks) - glyphon::TurnExtraTicks, std::numeric_limits<int>::min())));
    m_clock->setTurnLength(m_game->turnLength());
    label_roundnum->setText(QStringLiteral("Round: %1").arg(m_game->round()));
    label_playtoscore->setText(QStringLiteral("Play to Score: %1").arg(m_game->playTo()));
    m_cards->showTurnOf(news.seat, m_game->mySeat());
    if (news.turnRunning) {
        announceOwnTurnOrOther();
        m_clock->show();
        m_clock->restart(news.readAt);
    } else {
        showTurnPause();
        label_status->setText(QStringLiteral("Please wait for the next turn."));
    }
}

void Tchat::showTurnPause()
{
    // Nobody plays until the next turn message: the game knows it already.
    button_clear->hide();
    button_submit->hide();
    m_clock->showAtRest(m_game->turnLength());
}

void Tchat::image_word51MouseUp(TileWidget *sender, Qt::MouseButton button)
{
    if (m_session->refuseWhileReconnecting())
        return;
    if (!myTurn())
        return;
    if (button == Qt::RightButton) {
        hitdone();
        return;
    }
    m_session->chooseTile(sender->position());
}

void Tchat::label_wordClick()
{
    if (!myTurn()) {
        button_submit->hide();
        button_clear->hide();
        return;
    }
    m_session->takeBack();
}

void Tchat::hitclear()
{
    if (!myTurn()) {
        button_submit->hide();
        button_clear->hide();
    }
    m_session->clearWord();
}

void Tchat::hitdone()
{
    if (!myTurn()) {
        button_submit->hide();
        button_clear->hide();
    }
    m_session->submitWord();
}

void Tchat::turntimeTimer()
{
    m_clock->tick();
}
