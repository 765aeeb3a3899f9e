#include "client/boardpanel.h"

#include "artwork/tilepainter.h"
#include "windows/windowutil.h"

#include <QPainter>

namespace glyphon {

BoardPanel::BoardPanel(QWidget *parent)
    : QWidget(parent)
{
    setMinimumSize(boardscale::smallestPanel());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void BoardPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    glyphon::paintPaper(p, rect());
    // The rest is drawn at the design size and scaled with the controls.
    const qreal factor = boardscale::factorFor(size());
    p.scale(factor, factor);

    // Word mark above the board.
    QFont mark(QStringLiteral("Arial"));
    mark.setPixelSize(26);
    mark.setBold(true);
    mark.setLetterSpacing(QFont::AbsoluteSpacing, 6);
    p.setFont(mark);
    p.setPen(QColor(255, 255, 255, 170));
    p.drawText(QRect(41, 5, 310, 32), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("GLYPHON"));
    p.setPen(QColor(0x44, 0x42, 0x7e));
    p.drawText(QRect(40, 4, 310, 32), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("GLYPHON"));

    // Tray behind the 6 x 6 tiles.
    const QRectF tray = QRectF(Tray).adjusted(0.5, 0.5, -0.5, -0.5);
    glyphon::TilePainter::paintTray(p, tray, 10);
    p.setPen(QPen(QColor(255, 255, 255, 50), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(tray.adjusted(1, 1, -1, -1), 9, 9);

    // Shelf under the word being built, the timer and the buttons.
    const QRectF shelf(6.5, 378.5, 377, 143);
    p.setPen(QPen(QColor(120, 96, 60, 60), 1));
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawRoundedRect(shelf, 8, 8);

    // Cards behind the two players: name row and word list, as wide as
    // their controls.
    const qreal growth = boardscale::cardGrowth(factor, size()) / factor;
    for (int x : {385, 583}) {
        const QRectF card(x + 0.5 + (x == 583 ? growth : 0), 34.5, 175 + growth, 194);
        p.setPen(QPen(QColor(120, 96, 60, 70), 1));
        p.setBrush(QColor(255, 255, 255, 80));
        p.drawRoundedRect(card, 8, 8);
    }
}

void BoardPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_layout.apply(size());
}

QRect BoardPanel::tray() const
{
    return boardscale::place(Tray, boardscale::factorFor(size()), boardscale::Design, size());
}

} // namespace glyphon
