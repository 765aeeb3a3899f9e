#include "board/turnwidgets.h"

#include "artwork/tilepainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {
const QColor DarkBlue(68, 65, 126);
}

TimeBar::TimeBar(QWidget *parent) : QWidget(parent)
{
    resize(FullWidth, Height); // the board panel scales it with the window
}

void TimeBar::setBarWidth(int px)
{
    px = std::clamp(px, 0, FullWidth);
    if (px == m_barWidth)
        return;
    m_barWidth = px;
    update();
}

void TimeBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal scale = qreal(height()) / Height;
    const qreal radius = 4 * scale;

    // The groove stays in place so the used-up time remains visible.
    p.setPen(QPen(QColor(0, 0, 0, 60), 1));
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawRoundedRect(track, radius, radius);
    if (m_barWidth <= 0)
        return;

    QPainterPath groove;
    groove.addRoundedRect(track.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    p.setClipPath(groove);
    // The width counts in pixels of the bar at its design size.
    const qreal shown = qreal(m_barWidth) * width() / FullWidth;
    const QRectF bar(track.left() + 1, track.top() + 1, shown - 2, track.height() - 2);
    QLinearGradient fill(bar.topLeft(), bar.bottomLeft());
    fill.setColorAt(0.0, DarkBlue.lighter(160));
    fill.setColorAt(0.5, DarkBlue.lighter(115));
    fill.setColorAt(0.51, DarkBlue);
    fill.setColorAt(1.0, DarkBlue.darker(120));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(bar, radius - 1, radius - 1);
}

TurnMarker::TurnMarker(QWidget *parent) : QWidget(parent)
{
    // The name label sits on top; clicks belong to it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TurnMarker::setSlot(int slot)
{
    if (slot == m_slot)
        return;
    m_slot = slot;
    update();
}

void TurnMarker::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const glyphon::TileArtwork &art = m_art ? m_art->artwork() : glyphon::TilePainter::builtinArtwork();
    art.paintBackground(p, QRectF(rect()), m_slot);
}

EyesPicture::EyesPicture(QWidget *parent) : QWidget(parent)
{
    resize(Width, Height);
}

void EyesPicture::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = width(), h = height();
    const qreal rx = w / 4 - 0.8, ry = h / 2 - 0.7;
    for (const qreal cx : {w / 4, 3 * w / 4}) {
        const QPointF centre(cx, h / 2);
        p.setPen(QPen(DarkBlue, 1));
        p.setBrush(Qt::white);
        p.drawEllipse(centre, rx, ry);
        // Pupils glance sideways: watching, not playing.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 20, 40));
        const qreal pupil = std::min(rx, ry) * 0.55;
        p.drawEllipse(centre + QPointF(rx * 0.35, ry * 0.15), pupil, pupil);
        p.setBrush(Qt::white);
        p.drawEllipse(centre + QPointF(rx * 0.35 - pupil * 0.35, -pupil * 0.3),
                      pupil * 0.3, pupil * 0.3);
    }
}

PictureButton::PictureButton(const QString &caption, QWidget *parent) : QAbstractButton(parent)
{
    setText(caption);
    resize(Width, Height); // the board panel scales it with the window
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureButton::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    update();
}

void PictureButton::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    update();
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool pressed = isDown();
    const bool hover = underMouse() && isEnabled();
    QColor base = isEnabled() ? DarkBlue : QColor(140, 140, 150);
    if (hover)
        base = base.lighter(118);

    const QRectF body = QRectF(rect()).adjusted(1, 1, -1, -2);
    const qreal scale = qreal(height()) / Height;
    const qreal radius = 7 * scale;
    // Shadow below; a pressed button sinks onto it.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(body.translated(0, 1.5), radius, radius);
    const QRectF face = pressed ? body.translated(0, 1) : body;

    QLinearGradient fill(face.topLeft(), face.bottomLeft());
    fill.setColorAt(0.0, base.lighter(pressed ? 110 : 150));
    fill.setColorAt(0.48, base.lighter(pressed ? 100 : 112));
    fill.setColorAt(0.52, base);
    fill.setColorAt(1.0, base.darker(125));
    p.setPen(QPen(base.darker(170), 1));
    p.setBrush(fill);
    p.drawRoundedRect(face.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);

    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(face.adjusted(1.5, 1.5, -1.5, -1.5), radius - 1, radius - 1);

    if (hasFocus()) {
        p.setPen(QPen(QColor(255, 255, 255, 160), 1, Qt::DotLine));
        p.drawRoundedRect(face.adjusted(4, 4, -4, -4), radius - 3, radius - 3);
    }

    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setBold(true);
    font.setPixelSize(std::max(1, int(std::lround(15 * scale))));
    font.setLetterSpacing(QFont::AbsoluteSpacing, scale);
    p.setFont(font);
    p.setPen(QColor(0, 0, 0, 110));
    p.drawText(face.translated(0, 1), Qt::AlignCenter, text());
    p.setPen(isEnabled() ? QColor(250, 250, 255) : QColor(225, 225, 230));
    p.drawText(face, Qt::AlignCenter, text());
}
