#include "client/tilewidget.h"

#include "artwork/tilepainter.h"

#include <QMouseEvent>
#include <QPainter>

TileWidget::TileWidget(int position, QWidget *parent)
    : QWidget(parent), m_position(position)
{
    const QString name = QString::number(position);
    setObjectName(QStringLiteral("image_word") + name);
    setToolTip(name);
    setFixedSize(glyphon::TilePainter::TileSize, glyphon::TilePainter::TileSize);
    setCursor(Qt::PointingHandCursor);
}

void TileWidget::showTile(const glyphon::BoardTile &tile, int slot)
{
    m_tile = tile;
    m_slot = slot;
    m_gap = false;
    update();
}

void TileWidget::showGap()
{
    m_gap = true;
    update();
}

QPixmap TileWidget::picture(qreal dpr) const
{
    if (m_gap)
        return {};
    return glyphon::TilePainter::drawtile(m_tile, m_slot, dpr);
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
}

void TileWidget::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseUp(this, event->button());
    event->accept();
}
