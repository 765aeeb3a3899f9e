#include "client/menufocus.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

namespace glyphon {

MenuFocus::MenuFocus(QMenuBar *bar, QWidget *board, QObject *parent)
    : QObject(parent)
    , m_bar(bar)
    , m_board(board)
{
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { focusChanged(now); });
    for (QAction *action : bar->actions()) {
        if (QMenu *menu = action->menu())
            connect(menu, &QMenu::aboutToHide, this, [this] {
                // The bar takes the keyboard only after the menu has gone.
                QTimer::singleShot(0, this, &MenuFocus::menuClosed);
            });
    }
}

void MenuFocus::focusChanged(QWidget *now)
{
    if (!now || now == m_bar || qobject_cast<QMenu *>(now) || now->window() != m_bar->window())
        return;
    m_last = now;
}

void MenuFocus::menuClosed()
{
    // Another menu of the bar opened meanwhile (arrow keys): not closed yet.
    if (qobject_cast<QMenu *>(QApplication::activePopupWidget()))
        return;
    QWidget *back = m_last && m_last->isVisible() && m_last->isEnabled() ? m_last.data() : m_board.data();
    if (back && (m_bar->hasFocus() || !QApplication::focusWidget()))
        back->setFocus(Qt::OtherFocusReason);
}

} // namespace glyphon
