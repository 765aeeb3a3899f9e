#include "client/windowplacer.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace glyphon {

WindowPlacer::WindowPlacer(QWidget *window)
    : m_window(window)
{
}

WindowPlacement WindowPlacer::current() const
{
    return {m_window->x(), m_window->y(), m_window->width(), m_window->height()};
}

void WindowPlacer::apply(const WindowPlacement &where)
{
    const bool asStored = place(where);
    m_saved = asStored ? current() : where;
}

bool WindowPlacer::place(const WindowPlacement &where)
{
    // Left and Top are the frame's corner, Width and Height the inside's.
    const QRect inside = m_window->geometry();
    const QRect frame = m_window->frameGeometry();
    const QMargins margins(inside.left() - frame.left(), inside.top() - frame.top(), frame.right() - inside.right(),
                           frame.bottom() - inside.bottom());
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    // A huge size would have the window ask the display for gigabytes; the
    // title bar must stay where the user can take hold of it.
    constexpr int TitleBarGuess = 24; // until the window manager has framed the window
    constexpr int Far = 1 << 20; // beyond any screen, and far from overflowing
    // Unframed, the window is sized with room for a title bar still to come,
    // or a window as tall as a small screen would get its title bar above it.
    const QMargins frameMargins = margins.isNull() ? QMargins(0, TitleBarGuess, 0, 0) : margins;
    const QRect wanted(QPoint(std::clamp(where.left, -Far, Far), std::clamp(where.top, -Far, Far)),
                       QSize(std::clamp(where.width, 1, Far), std::clamp(where.height, 1, Far)).grownBy(frameMargins));
    const QRect outer = placeOnWorkAreas(wanted, std::max(margins.top(), TitleBarGuess), areas);
    m_window->resize(outer.size().shrunkBy(frameMargins));
    m_window->move(outer.topLeft());
    // Framed later, a window manager may keep the inside where the frame was
    // asked to go (its title bar then above the screen): the frame is moved
    // where it belongs once the frame is known.
    if (margins.isNull()) {
        m_frameCornerWanted = outer.topLeft();
        watchForFrame(FrameWaitTries);
    }
    return outer == wanted;
}

void WindowPlacer::watchForFrame(int triesLeft)
{
    // The frame can come without a move of the inside, so no moveEvent tells
    // of it: look again a while, until it is known or the wait is over.
    QTimer::singleShot(FrameWaitStepMs, m_window, [this, triesLeft] {
        if (!m_frameCornerWanted)
            return;
        if (m_window->frameGeometry() != m_window->geometry())
            moved();
        else if (triesLeft > 1)
            watchForFrame(triesLeft - 1);
        else
            m_frameCornerWanted.reset(); // no window manager frames it
    });
}

void WindowPlacer::moved()
{
    if (!m_frameCornerWanted || m_window->frameGeometry() == m_window->geometry())
        return;
    const QPoint wanted = *std::exchange(m_frameCornerWanted, std::nullopt);
    if (m_window->frameGeometry().topLeft() != wanted)
        QMetaObject::invokeMethod(m_window, [window = m_window, wanted] { window->move(wanted); }, Qt::QueuedConnection);
}

std::optional<WindowPlacement> WindowPlacer::toSaveOnClose() const
{
    const WindowPlacement now = current();
    if (now == m_saved)
        return std::nullopt;
    const QScreen *on = m_window->screen();
    return on ? fitToWorkArea(now, on->availableGeometry()) : now;
}

} // namespace glyphon
