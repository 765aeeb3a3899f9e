#include "board/fittinglabel.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

namespace glyphon {

FittedText fitText(const QFont &font, const QString &text, int width, int minimumPixels)
{
    if (QFontMetrics(font).horizontalAdvance(text) <= width)
        return {font, text};
    QFont smaller = font;
    int pixels = QFontInfo(font).pixelSize();
    while (pixels > minimumPixels && pixels > 1) {
        smaller.setPixelSize(--pixels);
        if (QFontMetrics(smaller).horizontalAdvance(text) <= width)
            return {smaller, text};
    }
    return {smaller, QFontMetrics(smaller).elidedText(text, Qt::ElideRight, qMax(0, width))};
}

FittingLabel::FittingLabel(const QString &text, QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setText(text);
}

void FittingLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    drawFrame(&p);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const FittedText fitted = fitText(font(), text(), area.width(), m_minimumPixels);
    p.setFont(fitted.font);
    style()->drawItemText(&p, area, int(alignment()) | Qt::TextSingleLine, palette(), isEnabled(), fitted.text, foregroundRole());
}

} // namespace glyphon
