// Tchat: spelling with the keyboard during the own turn, and the event
// filter of the chat input and the word label.
//
// Typing a letter chooses a usable tile with that letter that is not in the
// word yet, Backspace takes back the last letter, Enter submits and Escape
// clears. It never takes keys meant for the chat input: it works only while
// the input does not have the focus.

#include "client/tchat.h"

#include "chat/chatinput.h"
#include "board/keyboardpicker.h"
#include "board/tilewidget.h"
#include "dictionary/letters.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

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
    const int position = glyphon::pickTileForLetter(boardtiles, chosen, letter, myseat);
    TileWidget *tile = tileAt(position);
    if (!tile) {
        // Said aloud, so a word typed blind does not lose a letter unnoticed.
        statusLine(QStringLiteral("No tile you can use carries the letter %1.").arg(letter.toUpper()));
        playsounds(QStringLiteral("badword"));
        return false;
    }
    // The same path as a click, so both ways of choosing behave alike.
    image_word51MouseUp(tile, Qt::LeftButton);
    return true;
}

void Tchat::keyPressEvent(QKeyEvent *event)
{
    if (!keyboardSpellingActive() || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        QMainWindow::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
        label_wordClick();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        hitdone();
        return;
    case Qt::Key_Escape:
        hitclear();
        return;
    default:
        break;
    }
    const QString text = event->text();
    if (text.size() == 1 && text.at(0).isLetter()) {
        spellLetter(text.at(0));
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
    if (watched == label_word && event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && label_word->rect().contains(mouse->position().toPoint()))
            label_wordClick();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
