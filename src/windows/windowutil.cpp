#include "windows/windowutil.h"

#include <QDate>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace glyphon {

void centreOnParent(QWidget *window)
{
    if (!window)
        return;
    QRect area;
    if (QWidget *parent = window->parentWidget()) {
        area = parent->window()->frameGeometry();
    } else {
        QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        area = screen->availableGeometry();
    }
    QRect frame = window->frameGeometry();
    // Before the first show the frame is not known yet; the client size is
    // the best estimate and keeps the window centred within a few pixels.
    if (!window->isVisible())
        frame.setSize(window->size());
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}

QString currentYearText()
{
    return QString::number(QDate::currentDate().year());
}

} // namespace glyphon
