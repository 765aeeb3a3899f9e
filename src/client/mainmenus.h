#pragma once
// The window's menu bar in its order: File, Options (filled by the options
// and the window), Tiles (handed in), View and Help, with the items of File,
// View and Help. The window connects them.

class QAction;
class QMenu;
class QMenuBar;

namespace glyphon {

class MainMenus
{
public:
    MainMenus(QMenuBar *bar, QMenu *tiles);

    QMenu *options;
    QMenu *view;

    QAction *StartGame1;
    QAction *PlayWithOthers1;
    QAction *Exit1;
    QAction *SpyList1;
    QAction *PrhaseList1;
    QAction *ViewTally1;
    QAction *Help2; // Help > Content
    QAction *QuickInstructions1;
    QAction *Connecting1;
    QAction *About1;
};

} // namespace glyphon
