#pragma once
// Small helpers shared by the side windows.

#include <QString>

class QMessageBox;
class QPainter;
class QRect;
class QWidget;

namespace glyphon {

// The application title: caption of message boxes and the prefix of every
// side window's caption.
inline constexpr const char *AppTitle = "Glyphon";

// Moves a top-level window so that it is centred on its parent's window, or
// on the available area of its screen when it has no parent.
void centreOnParent(QWidget *window);
// The same, and again whenever the parent's window moves or changes size in
// the next moments: a main window that is shown at the same time is placed
// by the window manager only after both are on screen.
void centreOnParentWhilePlaced(QWidget *window);
// How wide a window must be for a window manager to show its caption in
// full: the text in a bold title font, the window's icon and its buttons.
int captionWidth(const QWidget *window);

// The main window's background: warm paper with a faint woven pattern.
// Side windows that show it paint it the same way.
void paintPaper(QPainter &painter, const QRect &area);

// Runs box modal to the whole program, above all of its windows (the lobby
// window stays on top, and a box under it looks like a frozen program) and
// with the keyboard. Returns what exec() returns.
int execOnTop(QMessageBox &box);

// The current year as shown in the "Copyright" lines.
QString currentYearText();

} // namespace glyphon
