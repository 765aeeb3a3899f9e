// Tchat: the keys the window gets, and the event filter of the chat input,
// the tray and the word label.

#include "client/tchat.h"

#include "session/clientsession.h"

#include "chat/chatinput.h"
#include "client/boardpanel.h"
#include "board/wordbuilder.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

void Tchat::keyPressEvent(QKeyEvent *event)
{
    // Keys meant for the chat input never spell.
    if (mychat->hasFocus() || !m_word->keyPressed(*event))
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
        if (mouse->button() != Qt::RightButton || !static_cast<glyphon::BoardPanel *>(panel_board)->tray().contains(mouse->position().toPoint()))
            return QMainWindow::eventFilter(watched, event);
        if (event->type() == QEvent::MouseButtonRelease && !m_session->refuseWhileReconnecting() && myTurn())
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
