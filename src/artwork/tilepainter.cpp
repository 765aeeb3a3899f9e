#include "artwork/tilepainter.h"

#include <QFont>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace glyphon {

namespace {

QColor slotColour(int slot)
{
    switch (slot) {
    case 0: return QColor(122, 139, 168); // neutral grey-blue
    case 1: return QColor(200, 200, 202); // own: light grey
    case 2: return QColor(68, 65, 126);   // other: dark blue
    }
    return {};
}

// Letters on the light tile are dark; on the two darker ones light.
QColor letterColour(int slot)
{
    return slot == 1 ? QColor(68, 65, 126) : QColor(250, 250, 255);
}

qreal cornerRadius(const QRectF &r)
{
    return std::min(r.width(), r.height()) * 0.16;
}

QFont tileFont(qreal pixelSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    return font;
}

// Text as a path centred on centre: glyph outlines rather than the font box,
// so capitals sit in the optical middle whatever their ascent.
QPainterPath centredText(const QString &text, const QFont &font, QPointF centre)
{
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF box = path.boundingRect();
    path.translate(centre - box.center());
    return path;
}

const std::shared_ptr<const TileArtwork> &builtin()
{
    // Stateless, so every copy may share it.
    static const std::shared_ptr<const TileArtwork> art = std::make_shared<BuiltinArtwork>();
    return art;
}

constexpr int MaxCached = 4096;

} // namespace

void BuiltinArtwork::paintBackground(QPainter &p, const QRectF &rect, int slot) const
{
    const QColor base = slotColour(slot);
    if (!base.isValid())
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = rect.adjusted(1, 1, -1, -1);
    const qreal radius = cornerRadius(body);

    // A soft shadow under the lower edge lifts the tile off the board.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 45));
    p.drawRoundedRect(body.translated(0, 0.8), radius, radius);

    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0.0, base.lighter(122));
    fill.setColorAt(0.45, base);
    fill.setColorAt(1.0, base.darker(118));
    p.setPen(QPen(base.darker(165), 1));
    p.setBrush(fill);
    p.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);

    // Bevel: a light rim above fading into a dark rim below.
    QLinearGradient rim(body.topLeft(), body.bottomLeft());
    rim.setColorAt(0.0, QColor(255, 255, 255, 150));
    rim.setColorAt(0.5, QColor(255, 255, 255, 0));
    rim.setColorAt(0.51, QColor(0, 0, 0, 0));
    rim.setColorAt(1.0, QColor(0, 0, 0, 60));
    p.setPen(QPen(QBrush(rim), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body.adjusted(1.5, 1.5, -1.5, -1.5), radius - 1, radius - 1);
    p.restore();
}

void BuiltinArtwork::paintLetter(QPainter &p, const QRectF &rect, int letter, int slot) const
{
    if (letter < 1 || letter > 26)
        return;
    const qreal scale = rect.height() / TilePainter::TileSize;
    const QFont font = tileFont(24 * scale);
    // A little left and low of the middle, clear of the value badge.
    const QPointF centre = rect.center() + QPointF(-1.5, 3) * scale;
    const QPainterPath glyph = centredText(QString(QChar(u'A' + letter - 1)), font, centre);

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    // Engraved on the light tile, raised on the dark ones.
    const QColor relief = slot == 1 ? QColor(255, 255, 255, 160) : QColor(0, 0, 0, 110);
    p.setBrush(relief);
    p.drawPath(glyph.translated(0, scale));
    p.setBrush(letterColour(slot));
    p.drawPath(glyph);
    p.restore();
}

void BuiltinArtwork::paintBonus(QPainter &p, const QRectF &rect, int value, int slot) const
{
    if (value < 1 || value > 4)
        return;
    const qreal scale = rect.width() / TilePainter::TileSize;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (value == 1) {
        // A plain tile with a mark: only a dot, so it does not read as a bonus.
        QColor dot = letterColour(slot);
        dot.setAlpha(170);
        p.setPen(Qt::NoPen);
        p.setBrush(dot);
        p.drawEllipse(QPointF(rect.right() - 8.5 * scale, rect.top() + 8.5 * scale),
                      2.2 * scale, 2.2 * scale);
        p.restore();
        return;
    }
    static const QColor badges[] = {QColor(38, 140, 88), QColor(224, 122, 24), QColor(196, 36, 64)};
    const QColor colour = badges[value - 2];
    const QRectF badge(rect.right() - 21 * scale, rect.top() + 4.5 * scale, 16.5 * scale, 11 * scale);
    QLinearGradient fill(badge.topLeft(), badge.bottomLeft());
    fill.setColorAt(0, colour.lighter(125));
    fill.setColorAt(1, colour.darker(110));
    p.setPen(QPen(QColor(255, 255, 255, 170), 0.8 * scale));
    p.setBrush(fill);
    p.drawRoundedRect(badge, 4 * scale, 4 * scale);
    // Hinted text rather than a path: at 9 pixels it stays sharp.
    p.setPen(Qt::white);
    p.setFont(tileFont(9 * scale));
    p.drawText(badge, Qt::AlignCenter, QStringLiteral("x%1").arg(value));
    p.restore();
}

std::shared_ptr<PictureArtwork> PictureArtwork::fromStrip(const QImage &strip)
{
    // Only the first row of 34 cells counts; the rest of a larger picture is
    // never converted.
    const QImage source = strip.copy(0, 0, std::min(strip.width(), 34 * TilePainter::TileSize),
                                     std::min(strip.height(), int(TilePainter::TileSize)))
                                  .convertToFormat(QImage::Format_ARGB32);
    const QRgb green = qRgb(0, 255, 0);
    auto cellAt = [&](int index) {
        QImage cell(TilePainter::TileSize, TilePainter::TileSize, QImage::Format_ARGB32);
        cell.fill(Qt::transparent);
        const int left = index * TilePainter::TileSize;
        for (int y = 0; y < TilePainter::TileSize && y < source.height(); ++y) {
            for (int x = 0; x < TilePainter::TileSize && left + x < source.width(); ++x) {
                const QRgb pixel = source.pixel(left + x, y);
                if ((pixel & 0xffffff) != (green & 0xffffff))
                    cell.setPixel(x, y, pixel);
            }
        }
        return cell;
    };
    auto art = std::make_shared<PictureArtwork>();
    for (int i = 0; i <= 26; ++i)
        art->letters.append(cellAt(i));
    for (int i = 27; i <= 29; ++i)
        art->backgrounds.append(cellAt(i));
    for (int i = 30; i <= 33; ++i)
        art->bonuses.append(cellAt(i));
    return art;
}

namespace {
void paintPicture(QPainter &p, const QRectF &rect, const QList<QImage> &pictures, int index)
{
    if (index < 0 || index >= pictures.size() || pictures.at(index).isNull())
        return;
    const QImage &picture = pictures.at(index);
    // Scaled on its own rather than by the painter: a smooth scale averages
    // the cell's pixels, where the painter's filter only samples them.
    const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    const QSize device = (rect.size() * dpr).toSize();
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (device.isEmpty() || device == picture.size() || !p.transform().isIdentity())
        p.drawImage(rect, picture);
    else
        p.drawImage(rect, picture.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    p.restore();
}
} // namespace

void PictureArtwork::paintBackground(QPainter &p, const QRectF &rect, int slot) const
{
    paintPicture(p, rect, backgrounds, slot);
}

void PictureArtwork::paintLetter(QPainter &p, const QRectF &rect, int letter, int) const
{
    // Picture 0 is the empty letter; a set may still draw something in it.
    paintPicture(p, rect, letters, letter);
}

void PictureArtwork::paintBonus(QPainter &p, const QRectF &rect, int value, int) const
{
    if (value >= 1)
        paintPicture(p, rect, bonuses, value - 1);
}

void TilePainter::paintTray(QPainter &painter, const QRectF &rect, qreal radius)
{
    QLinearGradient wood(rect.topLeft(), rect.bottomLeft());
    wood.setColorAt(0.0, QColor(0x4a, 0x5d, 0x78));
    wood.setColorAt(1.0, QColor(0x2e, 0x3b, 0x50));
    painter.setPen(QPen(QColor(0x22, 0x2b, 0x3a), 1));
    painter.setBrush(wood);
    painter.drawRoundedRect(rect, radius, radius);
}

void TilePainter::paintLockFrame(QPainter &p, const QRectF &rect, int slot)
{
    if (slot != 1 && slot != 2)
        return;
    const qreal scale = rect.width() / TileSize;
    const QColor frame = slot == 1 ? QColor(34, 32, 78) : QColor(238, 238, 246);
    const QColor edge = slot == 1 ? QColor(255, 255, 255, 90) : QColor(0, 0, 0, 90);
    const QRectF outer = rect.adjusted(1, 1, -1, -1);
    const qreal radius = cornerRadius(outer);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(frame, 3.2 * scale));
    const QRectF band = outer.adjusted(1.8 * scale, 1.8 * scale, -1.8 * scale, -1.8 * scale);
    p.drawRoundedRect(band, radius - 1, radius - 1);
    // A thin contrasting line inside the frame keeps it readable over any letter.
    p.setPen(QPen(edge, 0.8 * scale));
    const QRectF inner = band.adjusted(2 * scale, 2 * scale, -2 * scale, -2 * scale);
    p.drawRoundedRect(inner, radius - 2.5, radius - 2.5);
    // A padlock in the lower left corner, clear of the letter and the value
    // mark: the frame alone looked like the last word's outline.
    const QRectF body(rect.left() + 5.5 * scale, rect.bottom() - 12.5 * scale, 8 * scale, 6 * scale);
    p.setPen(QPen(edge, 0.8 * scale));
    p.setBrush(frame);
    p.drawRoundedRect(body, 1.2 * scale, 1.2 * scale);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(frame, 1.6 * scale));
    const QRectF shackle(body.left() + 1.6 * scale, body.top() - 4 * scale, body.width() - 3.2 * scale, 7 * scale);
    p.drawArc(shackle, 0, 180 * 16);
    p.restore();
}

const TileArtwork &TilePainter::builtinArtwork()
{
    return *builtin();
}

QPixmap TilePainter::drawtile(const BoardTile &tile, int slot, qreal dpr, const TileArtwork &art, int size)
{
    size = std::clamp(size, 1, 16 * TileSize);
    if (!(dpr > 0) || !std::isfinite(dpr))
        dpr = 1;
    const int value = tile.value >= 1 && tile.value <= 4 ? tile.value : 0;
    const int letter = tile.letter >= 1 && tile.letter <= 26 ? tile.letter : 0;
    const int shade = slot >= 0 && slot <= 2 ? slot : 3;
    const int device = int(std::ceil(size * std::min(dpr, 64.0) - 1e-6));
    QPixmap pixmap(device, device);
    pixmap.setDevicePixelRatio(std::min(dpr, 64.0));
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QRectF rect(0, 0, size, size);
    art.paintBackground(p, rect, shade);
    art.paintLetter(p, rect, letter, shade);
    art.paintBonus(p, rect, value, shade);
    if (tile.locked == 1)
        paintLockFrame(p, rect, shade);
    return pixmap;
}

TileArt::TileArt()
    : m_artwork(builtin())
{
}

void TileArt::setArtwork(std::shared_ptr<const TileArtwork> artwork)
{
    m_artwork = artwork ? std::move(artwork) : builtin();
    m_pictures.clear();
}

QPixmap TileArt::drawtile(const BoardTile &tile, int slot, qreal dpr, int size) const
{
    size = std::clamp(size, 1, 16 * TilePainter::TileSize);
    if (!(dpr > 0) || !std::isfinite(dpr))
        dpr = 1;
    // Anything out of range draws as nothing, so it can share one cache entry.
    const int value = tile.value >= 1 && tile.value <= 4 ? tile.value : 0;
    const int letter = tile.letter >= 1 && tile.letter <= 26 ? tile.letter : 0;
    const int locked = tile.locked == 1 ? 1 : 0;
    const int shade = slot >= 0 && slot <= 2 ? slot : 3;
    const quint64 dprKey = quint64(std::llround(std::min(dpr, 64.0) * 1000));
    const quint64 key = quint64(value) | quint64(letter) << 3 | quint64(locked) << 8
            | quint64(shade) << 9 | quint64(size) << 12 | dprKey << 22;
    if (size != m_size) {
        // The board shows one size at a time; a window being resized would
        // otherwise pile up pictures of every size it passed through.
        m_pictures.clear();
        m_size = size;
    }
    if (const auto found = m_pictures.constFind(key); found != m_pictures.constEnd())
        return *found;
    const QPixmap pixmap = TilePainter::drawtile(tile, slot, dpr, *m_artwork, size);
    if (m_pictures.size() >= MaxCached)
        m_pictures.clear();
    m_pictures.insert(key, pixmap);
    return pixmap;
}

} // namespace glyphon
