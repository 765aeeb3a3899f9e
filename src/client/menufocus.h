#pragma once
// Gives the keyboard back when a menu of the menu bar closes. A menu left
// with Escape keeps the bar in its keyboard mode, so the letters of a word
// typed next would open File, Options, Tiles, View and Help by their
// underlined letters; the keyboard goes back to the widget that had it
// before (the board, or the chat line), else to the board.

#include <QObject>
#include <QPointer>

class QMenuBar;
class QWidget;

namespace glyphon {

class MenuFocus : public QObject
{
    Q_OBJECT
public:
    MenuFocus(QMenuBar *bar, QWidget *board, QObject *parent = nullptr);

private:
    void focusChanged(QWidget *now);
    void menuClosed();

    QMenuBar *m_bar;
    QPointer<QWidget> m_board;
    QPointer<QWidget> m_last; // the window's last focus outside the bar and its menus
};

} // namespace glyphon
