// Tchat: what the server decides during a game — accepted and rejected
// words, locks, time-outs, the end of a round and the winner.

#include "client/tchat.h"

#include "client/glyphoncontext.h"
#include "client/hintcontrol.h"
#include "board/boardcontrols.h"
#include "board/playercard.h"
#include "board/tilewidget.h"
#include "board/turnwidgets.h"
#include "board/wordlist.h"
#include "windows/tallylist.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTimer>

using glyphon::fromWire;

void Tchat::hisword(const glyphon::TurnNews &m)
{
    // A word played before this window came is in the word list already.
    if (m.history)
        return;
    turntime->stop();
    button_clear->hide();
    button_submit->hide();
    label_status->setText(shownName(m.seat) + QStringLiteral(" made: ") + fromWire(m.word));
    showTurnPause();
    playsounds(QStringLiteral("goodword"));
}

void Tchat::showWords(int seat)
{
    QList<glyphon::WordList::Entry> words;
    for (const glyphon::ClientGame::PlayedWord &word : m_game->words(seat))
        words.append({fromWire(word.word), word.points});
    (*m_cards)[seat].words->setWords(std::move(words));
}

void Tchat::invalid(const glyphon::TurnNews &m)
{
    using glyphon::RejectReason;
    if (m.reason == RejectReason::NotAWord)
        label_status->setText(QStringLiteral("Oops! ") + fromWire(m.word) + QStringLiteral(" is not a valid word."));
    else if (m.reason == RejectReason::AlreadyPlayed)
        label_status->setText(QStringLiteral("That word has been already been used."));
    else if (m.reason == RejectReason::LockedTile)
        label_status->setText(QStringLiteral("One of the letters you used is locked."));
    // Until the word changes: a refusal is about the word it refused.
    m_refusalShown = label_status->text();
    playsounds(QStringLiteral("badword"));
}

void Tchat::timeup(const glyphon::TurnNews &m)
{
    label_status->setText(m.passed ? fromWire(glyphon::RiziName) + QStringLiteral(" passes.")
                                   : QStringLiteral("Time is Up."));
    turntime->stop();
    showTurnPause();
    playsounds(QStringLiteral("timeup"));
}

void Tchat::endround()
{
    label_status->setText(QStringLiteral("Round has ended.. Please Wait."));
    m_cards->showBothMarkers();
    playsounds(QStringLiteral("roundover"));
}

void Tchat::winner(const glyphon::GameNews &m)
{
    turntime->stop();
    button_clear->hide();
    button_submit->hide();
    playsounds(QStringLiteral("gameover"));

    const bool iWon = m.me;
    const QString name = fromWire(m.name);
    const QString text = iWon ? QStringLiteral("You have Won the Game!") : name + QStringLiteral(" has Won the Game!");
    m_board->showWinner(text);
    label_status->setText(QStringLiteral("Game Over!"));
    statusLine(text);
    if (const QString hints = m_hints->takenLine(); !hints.isEmpty())
        statusLine(hints);
    if (ishost() || m_game->mySeat() == 1)
        button_start->show();
    if (m_game->iPlay()) {
        loadchecklist();
        m_context.tallylist->addgame(iWon ? Ttallylist::AddToMine : name);
    }
}

void Tchat::loadchecklist()
{
    QStringList others;
    for (const QByteArray &other : m_game->otherPlayers())
        others.append(fromWire(other));
    m_context.tallylist->setCurrentGame(others);
}

void Tchat::ViewTally1Click()
{
    loadchecklist();
    m_context.tallylist->show();
    m_context.tallylist->raise();
}
