// Tchat: spelling with the keyboard during the own turn, and the event
// filter of the chat input and the word label.
//
// Typing a letter chooses a usable tile with that letter that is not in the
// word yet, Backspace takes back the last letter, Enter submits and Escape
// clears. It never takes keys meant for the chat input: it works only while
// the input does not have the focus.

#include "client/tchat.h"

#include "chat/chatinput.h"
#include "client/boardpanel.h"
#include "client/leaveguard.h"
#include "board/keyboardpicker.h"
#include "board/tilewidget.h"
#include "dictionary/letters.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

#include <utility>

bool Tchat::keyboardSpellingActive() const
{
    return myTurn() && !mychat->hasFocus();
}

bool Tchat::spellLetter(QChar letter)
{
    if (LetterCode(letter.toLower()) == 0 || !myTurn() || wordcount >= MaxWordTiles)
        return false;
    QList<int> chosen;
    for (const QString &place : std::as_const(theword))
        chosen.append(place.toInt());
    const int position = glyphon::pickTileForLetter(m_game->board(), chosen, letter, m_game->mySeat());
    TileWidget *tile = tileAt(position);
    if (!tile) {
        // Said aloud, so a word typed blind does not lose a letter unnoticed;
        // and the next Enter does not send what is left of the word.
        statusLine(QStringLiteral("No tile you can use carries the letter %1.").arg(letter.toUpper()));
        playsounds(QStringLiteral("badword"));
        m_refusedLetter = letter.toUpper();
        return false;
    }
    // The same path as a click, so both ways of choosing behave alike.
    image_word51MouseUp(tile, Qt::LeftButton);
    return true;
}

bool Tchat::waitingForOwnTurn() const
{
    return m_leave->gameRunning() && m_game->iPlay() && !myTurn();
}

void Tchat::keyPressEvent(QKeyEvent *event)
{
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    const QString typed = event->text();
    const bool letter = typed.size() == 1 && typed.at(0).isLetter();
    if (plain && letter && !mychat->hasFocus() && waitingForOwnTurn()) {
        // Typed in the pause before the own turn: not kept, and said so once.
        if (!std::exchange(m_toldTooEarly, true))
            statusLine(QStringLiteral("It is not your turn yet: letters typed now are not taken."));
        return;
    }
    if (!keyboardSpellingActive() || !plain) {
        QMainWindow::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
        m_refusedLetter = QChar();
        label_wordClick();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!m_refusedLetter.isNull()) {
            // The word on show lacks a letter the user typed: only a second
            // Enter (or SUBMIT) sends it as it is.
            statusLine(QStringLiteral("No tile you can use carries the letter %1, so the word is \"%2\". "
                                      "Press Enter again to submit it.")
                           .arg(std::exchange(m_refusedLetter, QChar()), label_word->text()));
            playsounds(QStringLiteral("badword"));
            return;
        }
        hitdone();
        return;
    case Qt::Key_Escape:
        m_refusedLetter = QChar();
        hitclear();
        return;
    default:
        break;
    }
    if (letter) {
        spellLetter(typed.at(0));
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool Tchat::eventFilter(QObject *watched, QEvent *event)
{
    // Escape in the chat input hands the keyboard back to the board.
    if (watched == mychat && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        panel_board->setFocus(Qt::OtherFocusReason);
        return true;
    }
    if (watched == panel_board && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)) {
        // Right-click anywhere on the tray submits, gaps and margin included,
        // as it does on a tile.
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::RightButton || !glyphon::BoardPanel::Tray.contains(mouse->position().toPoint()))
            return QMainWindow::eventFilter(watched, event);
        if (event->type() == QEvent::MouseButtonRelease && !refuseWhileReconnecting() && myTurn())
            hitdone();
        return true;
    }
    if (watched == label_word && event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && label_word->rect().contains(mouse->position().toPoint()))
            label_wordClick();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
