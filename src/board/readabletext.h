#pragma once
// Text that stays readable on whatever it stands on: the turn marker takes
// the tile set's colours, so a fixed text colour that reads on one set is
// dark on dark with another.

#include <QColor>
#include <QList>

class QImage;
class QLabel;
class QWidget;

namespace glyphon {

// The contrast ratio of two colours, 1 to 21, as accessibility guidelines
// define it (relative luminance of sRGB).
double contrastRatio(const QColor &a, const QColor &b);

// The lowest ratio between text and any opaque pixel of backdrop's middle
// band of rows, where glyphs stand.
double lowestContrast(const QColor &text, const QImage &backdrop);

inline constexpr double ReadableContrast = 4.5;

// What label stands on: its parent's own painting under it, with each
// visible widget of under painted over that.
QImage backdropOf(const QLabel *label, const QList<const QWidget *> &under);

// Gives label the first of candidates that keeps ReadableContrast against
// its backdrop, else black or white, whichever reads better.
void keepReadable(QLabel *label, const QList<QColor> &candidates, const QList<const QWidget *> &under);

} // namespace glyphon
