#include "board/readabletext.h"

#include <QImage>
#include <QLabel>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace glyphon {

namespace {

double channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &colour)
{
    return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) + 0.0722 * channel(colour.blue());
}

} // namespace

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

double lowestContrast(const QColor &text, const QImage &backdrop)
{
    const QImage image = backdrop.convertToFormat(QImage::Format_ARGB32);
    const int top = image.height() / 5;
    const int bottom = image.height() - top;
    double lowest = 21;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 255)
                lowest = std::min(lowest, contrastRatio(text, QColor(pixel)));
        }
    }
    return lowest;
}

QImage backdropOf(const QLabel *label, const QList<const QWidget *> &under)
{
    QImage image(label->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QRect area = label->geometry();
    // Only the widgets' own painting: the label and its siblings stay out.
    if (QWidget *parent = label->parentWidget())
        parent->render(&image, QPoint(), QRegion(area), QWidget::DrawWindowBackground);
    for (const QWidget *widget : under) {
        if (!widget || !widget->isVisibleTo(label->parentWidget()))
            continue;
        const QRect shared = area & widget->geometry();
        if (shared.isEmpty())
            continue;
        const_cast<QWidget *>(widget)->render(&image, shared.topLeft() - area.topLeft(),
                                              QRegion(shared.translated(-widget->pos())), QWidget::DrawWindowBackground);
    }
    return image;
}

void keepReadable(QLabel *label, const QList<QColor> &candidates, const QList<const QWidget *> &under)
{
    const QImage backdrop = backdropOf(label, under);
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    QColor chosen = lowestContrast(black, backdrop) >= lowestContrast(white, backdrop) ? black : white;
    for (const QColor &candidate : candidates) {
        if (lowestContrast(candidate, backdrop) >= ReadableContrast) {
            chosen = candidate;
            break;
        }
    }
    QPalette palette = label->palette();
    if (palette.color(QPalette::WindowText) == chosen)
        return;
    palette.setColor(QPalette::WindowText, chosen);
    label->setPalette(palette);
}

} // namespace glyphon
