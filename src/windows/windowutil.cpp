#include "windows/windowutil.h"

#include <QDate>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QPolygonF>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace glyphon {

void paintPaper(QPainter &p, const QRect &area)
{
    p.save();
    QLinearGradient paper(0, area.top(), 0, area.bottom() + 1);
    paper.setColorAt(0.0, QColor(0xf4, 0xee, 0xe0));
    paper.setColorAt(1.0, QColor(0xdc, 0xd0, 0xb6));
    p.fillRect(area, paper);

    // Woven diamonds, barely there, to give the paper some texture.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 96, 60, 14));
    for (int y = 0; y < area.height() + 16; y += 16) {
        for (int x = ((y / 16) % 2) * 16; x < area.width() + 32; x += 32) {
            const QPointF c(area.left() + x, area.top() + y);
            p.drawPolygon(QPolygonF({c + QPointF(0, -5), c + QPointF(5, 0), c + QPointF(0, 5), c + QPointF(-5, 0)}));
        }
    }
    p.restore();
}

int execOnTop(QMessageBox &box)
{
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // Once it is mapped: a window manager may otherwise leave the keyboard
    // with the window that had it.
    QTimer::singleShot(0, &box, [&box] {
        box.raise();
        box.activateWindow();
    });
    return box.exec();
}

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
