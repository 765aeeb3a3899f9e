#include "board/boardscale.h"

#include <algorithm>
#include <cmath>

namespace glyphon {

namespace boardscale {

qreal factorFor(QSize panel)
{
    const qreal across = qreal(panel.width()) / Design.width();
    const qreal down = qreal(panel.height()) / Design.height();
    return std::clamp(std::min(across, down), Smallest, Largest);
}

QSize scaledDesign(qreal factor)
{
    // A hair below the exact product, so 764 at factor 1 stays 764 after
    // floating-point noise.
    return {int(std::ceil(Design.width() * factor - 1e-6)), int(std::ceil(Design.height() * factor - 1e-6))};
}

QSize smallestPanel()
{
    return scaledDesign(Smallest);
}

QRect place(const QRect &design, qreal factor, QSize parentDesign, QSize parent, Rooms room)
{
    auto scaled = [factor](int length) { return int(std::lround(length * factor)); };
    int left = room & KeepTopLeft ? design.x() : scaled(design.x());
    int top = room & KeepTopLeft ? design.y() : scaled(design.y());
    int width = room & KeepWidth ? std::min(design.width(), parent.width()) : scaled(design.width());
    int height = room & KeepHeight ? std::min(design.height(), parent.height()) : scaled(design.height());
    // A control of its own size keeps its centre where the design's moves,
    // and stays inside its parent.
    if ((room & KeepWidth) && !(room & KeepRight))
        left = std::clamp(int(std::lround((design.x() + design.width() / 2.0) * factor - width / 2.0)), 0,
                          std::max(0, parent.width() - width));
    if ((room & KeepHeight) && !(room & KeepBottom))
        top = std::clamp(int(std::lround((design.y() + design.height() / 2.0) * factor - height / 2.0)), 0,
                         std::max(0, parent.height() - height));
    if (room & KeepRight) {
        const int right = parent.width() - (parentDesign.width() - design.x() - design.width());
        if (room & KeepWidth)
            left = right - width;
        else
            width = std::max(0, right - left);
    }
    if (room & KeepBottom) {
        const int bottom = parent.height() - (parentDesign.height() - design.y() - design.height());
        if (room & KeepHeight)
            top = bottom - height;
        else
            height = std::max(0, bottom - top);
    }
    if (room & (CardWide | SecondCard)) {
        const int growth = cardGrowth(factor, parent);
        if (room & SecondCard)
            left += growth;
        if (room & CardWide)
            width += growth;
    }
    return {left, top, width, height};
}

int cardGrowth(qreal factor, QSize panel)
{
    // Only beyond the design's aspect: a window of the design's shape keeps
    // every control where its factor puts it.
    if (panel.width() <= scaledDesign(factor).width())
        return 0;
    const int reach = panel.width() - (Design.width() - CardsRight);
    return std::max(0, reach - int(std::lround(CardsRight * factor))) / 2;
}

int fontPixels(int design, qreal factor)
{
    return std::max(1, int(std::lround(design * factor)));
}

} // namespace boardscale

void ScaledLayout::add(QWidget *control, boardscale::Rooms room)
{
    // Only the board's own texts scale, in their explicit pixel sizes; the
    // chat pane keeps the size the user chose for it.
    const bool scaled = !(room & ~(boardscale::CardWide | boardscale::SecondCard));
    const int pixels = scaled ? control->font().pixelSize() : -1; // -1 also for points
    // Inside an added control its design counts; else it lies on the panel.
    QSize parentDesign = boardscale::Design;
    for (const Entry &entry : m_entries)
        if (entry.control && entry.control == control->parentWidget())
            parentDesign = entry.design.size();
    m_entries.push_back({control, control->geometry(), parentDesign,
                         pixels > 0 ? pixels : 0, room});
}

qreal ScaledLayout::apply(QSize panel)
{
    using namespace boardscale;
    const qreal factor = factorFor(panel);
    const bool rescaled = factor != m_factor;
    const int growth = cardGrowth(factor, panel);
    const bool regrown = rescaled || growth != m_cardGrowth;
    m_factor = factor;
    m_cardGrowth = growth;
    const Rooms onCards = CardWide | SecondCard;
    // In the order added, so a parent is placed before its children.
    for (const Entry &entry : m_entries) {
        QWidget *control = entry.control;
        if (!control || (!rescaled && entry.room == Scaled)
            || (!regrown && (entry.room & onCards) && !(entry.room & ~onCards)))
            continue;
        if (rescaled && entry.fontPixels > 0) {
            QFont font = control->font();
            font.setPixelSize(fontPixels(entry.fontPixels, factor));
            control->setFont(font);
        }
        const QWidget *parent = control->parentWidget();
        control->setGeometry(place(entry.design, factor, entry.parentDesign, parent ? parent->size() : panel, entry.room));
    }
    if (regrown && m_after)
        m_after();
    return factor;
}

} // namespace glyphon
