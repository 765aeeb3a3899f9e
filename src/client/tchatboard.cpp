// Tchat: the board, choosing tiles, the turn and its countdown.

#include "client/tchat.h"

#include "chat/chatinput.h"
#include "board/boardcontrols.h"
#include "board/turnclock.h"
#include "board/playercard.h"
#include "chat/colours.h"
#include "board/tilewidget.h"
#include "board/turnwidgets.h"
#include "board/wordbuilder.h"
#include "dictionary/letters.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <algorithm>
#include <limits>

using glyphon::fromWire;

namespace {

QString capitalOf(int letterCode)
{
    QString letter;
    LetterOfCode(letterCode, letter);
    return letter.toUpper();
}

} // namespace

void Tchat::drawtile(int position)
{
    TileWidget *tile = tileAt(position);
    if (!tile)
        return;
    const glyphon::TCell &record = m_game->board()[position];
    const int me = m_game->mySeat();
    tile->setHolder(tileHolder(record.owner));
    tile->showTile(record, glyphon::viewcolour(record.owner, me));
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

void Tchat::startthegame(const glyphon::msg::StartGame &m)
{
    turntime->stop();
    button_start->hide();
    JustWatch1->setChecked(false);
    panel_winner->hide();

    const QString starter = fromWire(m.starter);
    if (m_game->holds(m_game->mySeat(), m.starter))
        statusLine(QStringLiteral("You have started a game."));
    else
        statusLine(starter + QStringLiteral(" has started a game."));
    if (m_game->gameStarted(m))
        statusLine(QStringLiteral("I am Rizi the bot. Good Luck!"));

    label_word->clear();
    m_clock->setTurnLength(m_game->turnLength());
}

void Tchat::roundstart(const glyphon::msg::RoundStart &m)
{
    turntime->stop();
    memo_thewords1->clear();
    memo_thewords2->clear();
    m_game->roundStarted(m);
}

void Tchat::theletters(const glyphon::msg::TheLetters &m)
{
    for (const glyphon::msg::TileGroup &group : m.tiles)
        if (TileWidget *tile = tileAt(group.position))
            tile->setTag(0);
    m_game->lettersDealt(m);
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

void Tchat::getnextplayer(const glyphon::msg::NextPlayer &m)
{
    button_clear->hide();
    button_submit->hide();
    m_game->turnStarted(m);
    m_cards->showTurnOf(m.seat, m_game->mySeat());
    announceOwnTurnOrOther();
    m_word->startTurn();
    m_clock->setTimeleft(m_game->turnLength());
    m_clock->restart();
}

void Tchat::loadstats(const glyphon::msg::LoadStats &m)
{
    // Whatever was on show belongs to before: the host's state replaces it
    // at once, buttons, clock and word included.
    turntime->stop();
    button_clear->hide();
    button_submit->hide();
    // The host counts four ticks more than the turn itself. A count at the
    // bottom of the int range must not wrap round into a long turn.
    m_clock->setTimeleft(int(std::max<qint64>(qint64(m.pauseTicks) - 4, std::numeric_limits<int>::min())));
    m_game->stateLoaded(m);
    // Tiles chosen before the message go back, in their holders' colours now.
    putBackChosenTiles();
    label_word->clear();
    m_clock->setTurnLength(m_game->turnLength());
    m_cards->showTurnOf(m.currentplayer, m_game->mySeat());
    if (m.pending == glyphon::PaceAction::TimeUp) {
        announceOwnTurnOrOther();
        m_clock->show();
        m_clock->restart();
    } else {
        showTurnPause();
        label_status->setText(QStringLiteral("Please wait for the next turn."));
    }
}

void Tchat::showTurnPause()
{
    // Nobody plays until the next turn message.
    m_game->closeInput();
    button_clear->hide();
    button_submit->hide();
    m_clock->showAtRest(m_game->turnLength());
}

void Tchat::image_word51MouseUp(TileWidget *sender, Qt::MouseButton button)
{
    if (refuseWhileReconnecting())
        return;
    if (!myTurn())
        return;
    if (button == Qt::RightButton) {
        hitdone();
        return;
    }
    if (sender->tag() == 4)
        return;
    if (m_word->full())
        return;
    const int position = sender->hint().toInt();
    if (!glyphon::isTilePosition(position))
        return;
    const glyphon::TCell &record = m_game->board()[position];
    if (!glyphon::canUse(record, m_game->mySeat())) {
        playsounds(QStringLiteral("badword"));
        showMessageBox(QStringLiteral("letter is locked"));
        return;
    }
    sender->setTag(4);
    sender->showGap();
    m_word->add(position);
    label_word->setText(label_word->text() + capitalOf(record.letter));
}

void Tchat::label_wordClick()
{
    if (!myTurn()) {
        button_submit->hide();
        button_clear->hide();
        return;
    }
    if (m_word->wordcount() == 0)
        return;
    putBackTile(m_word->takeLast());
    QString word = label_word->text();
    word.chop(1);
    label_word->setText(word);
    playsounds(QStringLiteral("clear"));
}

// A chosen tile (a gap on the board) shows its letter again.
void Tchat::putBackTile(int position)
{
    if (TileWidget *tile = tileAt(position)) {
        tile->setTag(m_game->board()[position].owner);
        drawtile(position);
    }
}

void Tchat::putBackChosenTiles()
{
    for (int position : m_word->takeAll())
        putBackTile(position);
}

void Tchat::hitclear()
{
    if (!myTurn()) {
        button_submit->hide();
        button_clear->hide();
    }
    if (m_word->wordcount() == 0)
        return;
    putBackChosenTiles();
    label_word->clear();
    playsounds(QStringLiteral("clear"));
}

void Tchat::hitdone()
{
    m_word->forgetRefusedLetter();
    if (!myTurn()) {
        button_submit->hide();
        button_clear->hide();
        return;
    }
    if (m_word->wordcount() < 2) {
        showMessageBox(QStringLiteral("You must create a word first"));
        return;
    }
    if (isconnected())
        sendMessage(glyphon::msg::SubmitIt{m_game->mySeat(), m_word->positions()}.encode());
    // No more input until the server answers.
    m_game->closeInput();
}

void Tchat::turntimeTimer()
{
    m_clock->tick();
}
