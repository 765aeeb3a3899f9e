#include "board/tilewidget.h"

#include "artwork/tilepainter.h"
#include "board/tileaccess.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

TileWidget::TileWidget(int position, QWidget *parent)
    : QWidget(parent), m_position(position)
{
    const QString name = QString::number(position);
    setObjectName(QStringLiteral("image_word") + name);
    setToolTip(name);
    // Without one, a reader falls back on the tooltip, a bare "11".
    setAccessibleDescription(QStringLiteral("Click to add its letter to your word; right-click submits the word."));
    // The board panel scales it with the window.
    resize(glyphon::TilePainter::TileSize, glyphon::TilePainter::TileSize);
    setCursor(Qt::PointingHandCursor);
    glyphon::installTileAccessibility();
    describe();
}

void TileWidget::setHolder(const QString &holder)
{
    m_holder = holder;
    describe();
}

void TileWidget::describe()
{
    const glyphon::BoardTile shown = m_gap && !m_chosen ? glyphon::BoardTile{} : m_tile;
    setAccessibleName(glyphon::tileAccessibleName(m_position, shown, m_holder, m_chosen, m_lastMoveSlot != 0));
}

void TileWidget::showTile(const glyphon::BoardTile &tile, int slot)
{
    m_tile = tile;
    m_slot = slot;
    m_gap = false;
    m_chosen = false;
    describe();
    update();
}

void TileWidget::setLastMoveSlot(int slot)
{
    if (slot == m_lastMoveSlot)
        return;
    m_lastMoveSlot = slot;
    describe();
    update();
}

void TileWidget::showGap()
{
    m_gap = true;
    m_chosen = false;
    describe();
    update();
}

void TileWidget::showChosen()
{
    m_gap = true;
    m_chosen = true;
    describe();
    update();
}

QPixmap TileWidget::picture(qreal dpr) const
{
    if (m_gap)
        return {};
    const int size = std::min(width(), height());
    return m_art ? m_art->drawtile(m_tile, m_slot, dpr, size)
                 : glyphon::TilePainter::drawtile(m_tile, m_slot, dpr, glyphon::TilePainter::builtinArtwork(), size);
}

QSize TileWidget::sizeHint() const
{
    return {glyphon::TilePainter::TileSize, glyphon::TilePainter::TileSize};
}

void TileWidget::paintEvent(QPaintEvent *)
{
    if (m_gap)
        return;
    // Drawn for the ratio of the screen the tile is on now, so it stays crisp
    // when the window moves between screens.
    QPainter p(this);
    p.drawPixmap(0, 0, picture(devicePixelRatioF()));
    if (m_lastMoveSlot == 1 || m_lastMoveSlot == 2) {
        // The mover's colour as a dashed band along the very edge, set off by
        // thin lines of the opposite tone on both sides, so it reads on a
        // tile of any colour and on the tray, outside the letter, the value
        // mark and most of the lock frame. Dashed, so it is never taken for
        // the solid lock frame.
        const bool light = m_lastMoveSlot == 1;
        const QColor band = light ? QColor(236, 236, 240) : QColor(68, 65, 126);
        const QColor line = light ? QColor(20, 20, 40) : QColor(255, 255, 255);
        // Drawn at the tile's size: pen widths scale, so the dashes (in
        // units of the pen's width) keep their count along the edge.
        const qreal scale = qreal(std::min(width(), height())) / glyphon::TilePainter::TileSize;
        const QRectF edge = QRectF(rect()).adjusted(2.2 * scale, 2.2 * scale, -2.2 * scale, -2.2 * scale);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(Qt::NoBrush);
        QPen outer(line, 4.4 * scale, Qt::CustomDashLine, Qt::FlatCap);
        outer.setDashPattern({1.6, 0.9});
        p.setPen(outer);
        p.drawRoundedRect(edge, 6 * scale, 6 * scale);
        QPen inner(band, 2.2 * scale, Qt::CustomDashLine, Qt::FlatCap);
        inner.setDashPattern({3.2, 1.8}); // the same dashes at half the width
        p.setPen(inner);
        p.drawRoundedRect(edge, 6 * scale, 6 * scale);
    }
}

void TileWidget::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseUp(this, event->button());
    event->accept();
}
