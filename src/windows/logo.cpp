#include "windows/logo.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace glyphon {

namespace {

// Geometry in a 64 by 64 design grid; keep in step with tools/make_icon.sh.
const QColor Backdrop(0x1d, 0x35, 0x57);
const QColor FreeTile(0xf6, 0xec, 0xd2);
const QColor HeldTile(0xe7, 0x6f, 0x51);
const QColor TileShadow(0x0f, 0x1f, 0x36);

QPainterPath letterPath(QChar letter)
{
    // Strokes inside a 24 by 24 tile.
    QPainterPath path;
    switch (letter.unicode()) {
    case 'G': {
        const QRectF circle(5, 5, 14, 14);
        path.arcMoveTo(circle, 40);
        path.arcTo(circle, 40, 320);
        path.lineTo(13, 12);
        break;
    }
    case 'L':
        path.moveTo(8, 5);
        path.lineTo(8, 19);
        path.lineTo(17, 19);
        break;
    case 'Y':
        path.moveTo(7, 5);
        path.lineTo(12, 12);
        path.lineTo(17, 5);
        path.moveTo(12, 12);
        path.lineTo(12, 19);
        break;
    case 'P':
        path.moveTo(8, 19);
        path.lineTo(8, 5);
        path.lineTo(13, 5);
        path.arcTo(QRectF(9, 5, 8, 8), 90, -180);
        path.lineTo(8, 13);
        break;
    }
    return path;
}

} // namespace

void paintLogo(QPainter &painter, const QRectF &rect)
{
    const qreal side = qMin(rect.width(), rect.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.center().x() - side / 2, rect.center().y() - side / 2);
    painter.scale(side / 64.0, side / 64.0);

    painter.setPen(Qt::NoPen);
    painter.setBrush(Backdrop);
    painter.drawRoundedRect(QRectF(0, 0, 64, 64), 12, 12);

    struct Tile { qreal x, y; QChar letter; bool held; };
    const Tile tiles[] = {
        {6, 6, u'G', false}, {34, 6, u'L', true},
        {6, 34, u'Y', true}, {34, 34, u'P', false},
    };
    for (const Tile &tile : tiles) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(TileShadow);
        painter.drawRoundedRect(QRectF(tile.x + 1.5, tile.y + 1.5, 24, 24), 4, 4);
        painter.setBrush(tile.held ? HeldTile : FreeTile);
        painter.drawRoundedRect(QRectF(tile.x, tile.y, 24, 24), 4, 4);

        QPen pen(tile.held ? QColor(Qt::white) : Backdrop, 3.0);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(letterPath(tile.letter).translated(tile.x, tile.y));
    }
    painter.restore();
}

LogoWidget::LogoWidget(int side, QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(side, side);
    setCursor(Qt::PointingHandCursor);
}

void LogoWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintLogo(painter, rect());
}

void LogoWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}

} // namespace glyphon
