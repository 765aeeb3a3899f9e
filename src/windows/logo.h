#pragma once
// The product's logo: four letter tiles "G L / Y P" on a dark square. The same
// drawing is written as SVG by tools/make_icon.sh for the desktop icon.

#include <QWidget>

class QPainter;
class QRectF;

namespace glyphon {

// Paints the logo scaled into the largest square that fits the rectangle.
void paintLogo(QPainter &painter, const QRectF &rect);

// The logo as a clickable picture; drawn at paint time, so it stays sharp at
// every device pixel ratio.
class LogoWidget : public QWidget
{
    Q_OBJECT
public:
    explicit LogoWidget(int side, QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace glyphon
