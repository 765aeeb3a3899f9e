#pragma once
// A one-line label that never cuts its text off at its edges: a text too
// wide for the label is drawn in a smaller font, down to a floor, and elided
// at the right beyond that. text() always holds the whole text. The text is
// always plain, so a name that another player chose cannot bring in markup.

#include <QFont>
#include <QLabel>
#include <QString>

namespace glyphon {

struct FittedText
{
    QFont font;
    QString text;
};

// The font (its pixel size lowered as far as minimumPixels when needed) and
// the text (elided when even that is too wide) that fit into width pixels.
FittedText fitText(const QFont &font, const QString &text, int width, int minimumPixels);

class FittingLabel : public QLabel
{
public:
    explicit FittingLabel(const QString &text, QWidget *parent = nullptr);

    // The smallest pixel size the font may shrink to. 0, the default, means
    // no shrinking: a text too long is only elided.
    void setMinimumPixelSize(int pixels) { m_minimumPixels = pixels; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_minimumPixels = 0;
};

} // namespace glyphon
