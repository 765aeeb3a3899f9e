#include "board/tilewidget.h"

#include "artwork/tilepainter.h"
#include "board/tileaccess.h"

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
    const glyphon::BoardTile shown = m_gap && m_tag != 4 ? glyphon::BoardTile{} : m_tile;
    setAccessibleName(glyphon::tileAccessibleName(m_position, shown, m_holder, m_gap && m_tag == 4, m_lastMoveSlot != 0));
}

void TileWidget::showTile(const glyphon::BoardTile &tile, int slot)
{
    m_tile = tile;
    m_slot = slot;
    m_gap = false;
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
    describe();
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
    if (m_lastMoveSlot == 1 || m_lastMoveSlot == 2) {
        // The mover's colour as a band along the very edge, set off by thin
        // lines of the opposite tone on both sides, so it reads on a tile of
        // any colour and on the tray, outside the letter, the value mark and
        // most of the lock frame.
        const bool light = m_lastMoveSlot == 1;
        const QColor band = light ? QColor(236, 236, 240) : QColor(68, 65, 126);
        const QColor line = light ? QColor(20, 20, 40) : QColor(255, 255, 255);
        const QRectF edge = QRectF(rect()).adjusted(2.2, 2.2, -2.2, -2.2);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(line, 4.4));
        p.drawRoundedRect(edge, 6, 6);
        p.setPen(QPen(band, 2.2));
        p.drawRoundedRect(edge, 6, 6);
    }
}

void TileWidget::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseUp(this, event->button());
    event->accept();
}
