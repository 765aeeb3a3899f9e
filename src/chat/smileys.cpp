#include "chat/smileys.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace glyphon {

namespace {

// All drawing is in logical pixels on a 17x16 canvas; the painter's device
// scales it to the pixmap's ratio.
constexpr QPointF Centre(8.5, 8.0);
constexpr qreal Radius = 7.3;

enum Face {
    Smile, Grin, Wink, Sad, Tongue, Surprised, Angry, Cool, Laugh,
    Cry, Kiss, Confused, Neutral, Blush, Devil, Sleepy, Love, Sick
};

const QColor Ink(60, 40, 10);

void drawHead(QPainter &p, const QColor &light, const QColor &dark)
{
    QRadialGradient fill(Centre - QPointF(2, 2.5), Radius * 1.4);
    fill.setColorAt(0, light.lighter(125));
    fill.setColorAt(0.6, light);
    fill.setColorAt(1, dark);
    p.setBrush(fill);
    p.setPen(QPen(dark.darker(160), 0.9));
    p.drawEllipse(Centre, Radius, Radius);
}

void dotEyes(QPainter &p, qreal y = 6.2)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    p.drawEllipse(QPointF(6.2, y), 1.0, 1.35);
    p.drawEllipse(QPointF(10.8, y), 1.0, 1.35);
}

void arc(QPainter &p, const QRectF &box, int startDeg, int spanDeg, qreal width = 1.1)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Ink, width, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(box, startDeg * 16, spanDeg * 16);
}

void line(QPainter &p, QPointF a, QPointF b, const QColor &colour = Ink, qreal width = 1.1)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(a, b);
}

void smileMouth(QPainter &p)
{
    arc(p, QRectF(4.8, 5.6, 7.4, 6.2), 200, 140);
}

void openMouth(QPainter &p, qreal top, qreal depth)
{
    QPainterPath mouth;
    mouth.moveTo(4.6, top);
    mouth.lineTo(12.4, top);
    mouth.quadTo(8.5, top + depth * 2, 4.6, top);
    p.setPen(QPen(Ink, 0.8));
    p.setBrush(QColor(150, 30, 30));
    p.drawPath(mouth);
}

void heart(QPainter &p, QPointF at, qreal size, const QColor &colour)
{
    QPainterPath h;
    h.moveTo(at.x(), at.y() + size * 0.9);
    h.cubicTo(at.x() - size * 1.3, at.y() - size * 0.1, at.x() - size * 0.4, at.y() - size * 1.0,
              at.x(), at.y() - size * 0.3);
    h.cubicTo(at.x() + size * 0.4, at.y() - size * 1.0, at.x() + size * 1.3, at.y() - size * 0.1,
              at.x(), at.y() + size * 0.9);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(h);
}

void drawFace(QPainter &p, int face)
{
    const QColor yellow(255, 214, 40), orange(225, 150, 0);
    switch (face) {
    case Angry:
        drawHead(p, QColor(250, 110, 60), QColor(200, 40, 20));
        break;
    case Devil:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(150, 20, 20));
        p.drawPolygon(QPolygonF({QPointF(2.2, 4.5), QPointF(1.6, 0.3), QPointF(5.2, 2.2)}));
        p.drawPolygon(QPolygonF({QPointF(14.8, 4.5), QPointF(15.4, 0.3), QPointF(11.8, 2.2)}));
        drawHead(p, QColor(190, 110, 230), QColor(110, 40, 150));
        break;
    case Sick:
        drawHead(p, QColor(190, 225, 110), QColor(110, 160, 40));
        break;
    default:
        drawHead(p, yellow, orange);
        break;
    }

    switch (face) {
    case Smile:
        dotEyes(p);
        smileMouth(p);
        break;
    case Grin:
        dotEyes(p);
        openMouth(p, 9.4, 2.6);
        break;
    case Wink:
        p.setPen(Qt::NoPen);
        p.setBrush(Ink);
        p.drawEllipse(QPointF(6.2, 6.2), 1.0, 1.35);
        line(p, QPointF(9.6, 6.4), QPointF(12.0, 6.4));
        smileMouth(p);
        break;
    case Sad:
        dotEyes(p);
        arc(p, QRectF(5.2, 10.2, 6.6, 4.6), 30, 120);
        break;
    case Tongue:
        dotEyes(p);
        line(p, QPointF(5.0, 10.0), QPointF(12.0, 10.0));
        p.setPen(QPen(QColor(150, 30, 30), 0.6));
        p.setBrush(QColor(235, 90, 110));
        p.drawChord(QRectF(7.0, 8.0, 4.2, 5.2), 180 * 16, 180 * 16);
        break;
    case Surprised:
        dotEyes(p, 5.8);
        p.setPen(QPen(Ink, 0.9));
        p.setBrush(QColor(150, 30, 30));
        p.drawEllipse(QPointF(8.5, 11.0), 1.6, 2.0);
        break;
    case Angry:
        line(p, QPointF(4.4, 4.0), QPointF(7.4, 5.4));
        line(p, QPointF(12.6, 4.0), QPointF(9.6, 5.4));
        dotEyes(p, 6.9);
        arc(p, QRectF(5.2, 10.6, 6.6, 4.6), 30, 120);
        break;
    case Cool: {
        p.setPen(QPen(Qt::black, 0.8));
        p.setBrush(QColor(20, 20, 30));
        p.drawRoundedRect(QRectF(3.4, 4.6, 4.4, 3.0), 1.2, 1.2);
        p.drawRoundedRect(QRectF(9.2, 4.6, 4.4, 3.0), 1.2, 1.2);
        line(p, QPointF(7.6, 5.4), QPointF(9.4, 5.4), Qt::black, 0.8);
        line(p, QPointF(1.6, 5.6), QPointF(3.5, 5.2), Qt::black, 0.8);
        line(p, QPointF(15.4, 5.6), QPointF(13.5, 5.2), Qt::black, 0.8);
        p.setPen(QPen(QColor(255, 255, 255, 160), 0.6));
        p.drawLine(QPointF(4.2, 5.4), QPointF(5.4, 5.4));
        p.drawLine(QPointF(10.0, 5.4), QPointF(11.2, 5.4));
        arc(p, QRectF(5.4, 7.0, 7.0, 5.4), 200, 110);
        break;
    }
    case Laugh:
        arc(p, QRectF(4.8, 5.2, 2.8, 2.6), 20, 140);
        arc(p, QRectF(9.4, 5.2, 2.8, 2.6), 20, 140);
        openMouth(p, 8.8, 3.0);
        break;
    case Cry:
        dotEyes(p);
        arc(p, QRectF(5.2, 10.4, 6.6, 4.6), 30, 120);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(70, 150, 255));
        p.drawEllipse(QPointF(5.4, 9.4), 0.9, 1.4);
        p.drawPolygon(QPolygonF({QPointF(4.6, 9.2), QPointF(5.4, 7.2), QPointF(6.2, 9.2)}));
        break;
    case Kiss:
        dotEyes(p);
        arc(p, QRectF(6.8, 9.0, 2.4, 1.8), 270, 180, 1.0);
        arc(p, QRectF(6.8, 10.8, 2.4, 1.8), 270, 180, 1.0);
        heart(p, QPointF(13.2, 10.6), 1.7, QColor(230, 30, 60));
        break;
    case Confused: {
        dotEyes(p);
        QPainterPath wave;
        wave.moveTo(5.0, 11.0);
        wave.cubicTo(6.5, 9.4, 7.5, 12.4, 9.0, 10.8);
        wave.cubicTo(10.3, 9.4, 11.2, 12.0, 12.2, 10.4);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Ink, 1.0, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(wave);
        break;
    }
    case Neutral:
        dotEyes(p);
        line(p, QPointF(5.6, 11.0), QPointF(11.4, 11.0));
        break;
    case Blush:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 110, 120, 150));
        p.drawEllipse(QPointF(4.6, 9.0), 1.7, 1.1);
        p.drawEllipse(QPointF(12.4, 9.0), 1.7, 1.1);
        arc(p, QRectF(4.9, 5.6, 2.6, 2.2), 20, 140);
        arc(p, QRectF(9.5, 5.6, 2.6, 2.2), 20, 140);
        arc(p, QRectF(6.0, 7.4, 5.0, 4.4), 220, 100);
        break;
    case Devil:
        line(p, QPointF(4.6, 4.2), QPointF(7.2, 5.4));
        line(p, QPointF(12.4, 4.2), QPointF(9.8, 5.4));
        dotEyes(p, 6.8);
        arc(p, QRectF(4.4, 5.2, 8.2, 6.8), 200, 140);
        break;
    case Sleepy:
        line(p, QPointF(4.9, 6.6), QPointF(7.5, 6.6));
        line(p, QPointF(9.5, 6.6), QPointF(12.1, 6.6));
        p.setPen(QPen(Ink, 0.9));
        p.setBrush(QColor(150, 30, 30));
        p.drawEllipse(QPointF(8.5, 11.2), 1.1, 1.1);
        p.setPen(QPen(QColor(40, 70, 200), 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(13.0, 0.8), QPointF(15.6, 0.8), QPointF(13.0, 3.4), QPointF(15.6, 3.4)}));
        break;
    case Love:
        heart(p, QPointF(6.0, 6.2), 1.8, QColor(225, 20, 50));
        heart(p, QPointF(11.0, 6.2), 1.8, QColor(225, 20, 50));
        smileMouth(p);
        break;
    case Sick:
        line(p, QPointF(5.0, 5.2), QPointF(7.4, 7.2), Ink, 0.9);
        line(p, QPointF(7.4, 5.2), QPointF(5.0, 7.2), Ink, 0.9);
        line(p, QPointF(9.6, 5.2), QPointF(12.0, 7.2), Ink, 0.9);
        line(p, QPointF(12.0, 5.2), QPointF(9.6, 7.2), Ink, 0.9);
        arc(p, QRectF(5.2, 10.2, 6.6, 4.6), 30, 120);
        break;
    }
}

} // namespace

QPixmap smileyPixmap(int index, qreal devicePixelRatio)
{
    if (index < 0 || index >= SmileyCount)
        index = 0;
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QPixmap pixmap(int(std::ceil(SmileyWidth * ratio)), int(std::ceil(SmileyHeight * ratio)));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawFace(p, index);
    return pixmap;
}

QIcon smileyIcon(int index)
{
    QIcon icon;
    icon.addPixmap(smileyPixmap(index, 1.0));
    icon.addPixmap(smileyPixmap(index, 2.0));
    return icon;
}

QMenu *createSmileyMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    for (int i = 0; i < SmileyCount; ++i) {
        const int code = FirstSmileyCode + i;
        QAction *item = menu->addAction(smileyIcon(i), QStringLiteral(":)#%1").arg(code));
        item->setData(code);
    }
    return menu;
}

} // namespace glyphon
