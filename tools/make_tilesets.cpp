// Draws the tile sets that ship with the program: strips of 34 cells of
// 44x44 pixels (27 letters with cell 0 empty, 3 backgrounds, 4 value marks),
// pure green where the layer below shows through, saved as 24-bit BMP.
//
//   make_tilesets <output folder>
//
// Run by tools/make_tilesets.sh; its output is committed under
// resources/glyphontiles, so a build never needs this program.

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QTextStream>
#include <functional>

namespace {

constexpr int Cell = 44;
constexpr int Cells = 34;
const QRgb Green = qRgb(0, 255, 0);

struct Style
{
    QString name;
    QString family;
    QColor backgrounds[3]; // neutral, own, other
    QColor border;
    QColor ink;            // letters
    QColor halo;           // the ring around every letter, so it reads on all three backgrounds
    qreal haloWidth;
    QColor badgeFill[3];   // marks of values 2, 3, 4
    QColor badgeText;
    QColor badgeEdge;
    std::function<void(QPainter &, const QRectF &, int slot)> texture; // may be empty
};

// A cell drawn with antialiasing onto transparency, then flattened: a pixel
// at least half covered becomes opaque in its own colour, the rest pure
// green. Antialiased edges would otherwise carry a green fringe.
QImage flatten(const QImage &drawn)
{
    QImage out(drawn.size(), QImage::Format_RGB32);
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QColor c = QColor::fromRgba(drawn.pixel(x, y));
            if (c.alpha() < 128) {
                out.setPixel(x, y, Green);
                continue;
            }
            // Unpremultiplied already (ARGB32); keep it off the key colour.
            QRgb rgb = qRgb(c.red(), c.green(), c.blue());
            if (rgb == Green)
                rgb = qRgb(0, 254, 0);
            out.setPixel(x, y, rgb);
        }
    }
    return out;
}

QImage blankCell()
{
    QImage cell(Cell, Cell, QImage::Format_ARGB32);
    cell.fill(Qt::transparent);
    return cell;
}

QPainterPath glyphPath(const QString &text, const QFont &font, QPointF centre)
{
    QPainterPath path;
    path.addText(0, 0, font, text);
    path.translate(centre - path.boundingRect().center());
    return path;
}

QImage letterCell(const Style &s, int letter)
{
    QImage cell = blankCell();
    if (letter == 0)
        return flatten(cell); // the empty letter: all green
    QPainter p(&cell);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(s.family);
    font.setBold(true);
    font.setPixelSize(letter == 'W' - 'A' + 1 || letter == 'M' - 'A' + 1 ? 22 : 25);
    const QPainterPath glyph = glyphPath(QString(QChar(u'A' + letter - 1)), font, QPointF(20.5, 26.5));
    // The halo first, as a wide stroke, then the letter on top of it: the
    // inner edges blend onto the halo, so only its outer edge meets green.
    p.setPen(QPen(s.halo, 2 * s.haloWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(s.halo);
    p.drawPath(glyph);
    p.setPen(Qt::NoPen);
    p.setBrush(s.ink);
    p.drawPath(glyph);
    return flatten(cell);
}

QImage backgroundCell(const Style &s, int slot)
{
    QImage cell = blankCell();
    QPainter p(&cell);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body(1, 1, Cell - 2, Cell - 2);
    const QColor base = s.backgrounds[slot];
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, base.lighter(108));
    fill.setColorAt(1, base.darker(108));
    p.setPen(QPen(s.border, 1.5));
    p.setBrush(fill);
    p.drawRoundedRect(body.adjusted(0.75, 0.75, -0.75, -0.75), 5, 5);
    if (s.texture) {
        QPainterPath clip;
        clip.addRoundedRect(body.adjusted(2, 2, -2, -2), 4, 4);
        p.setClipPath(clip);
        s.texture(p, body, slot);
    }
    return flatten(cell);
}

QImage markCell(const Style &s, int value)
{
    QImage cell = blankCell();
    QPainter p(&cell);
    p.setRenderHint(QPainter::Antialiasing);
    if (value == 1) {
        // A plain tile: a small dot only, so it does not read as a bonus.
        p.setPen(QPen(s.halo, 1.5));
        p.setBrush(s.ink);
        p.drawEllipse(QPointF(35.5, 8.5), 2.8, 2.8);
        return flatten(cell);
    }
    const QRectF badge(22.5, 3.5, 18, 12);
    p.setPen(QPen(s.badgeEdge, 1.2));
    p.setBrush(s.badgeFill[value - 2]);
    p.drawRoundedRect(badge, 4, 4);
    QFont font(s.family);
    font.setBold(true);
    font.setPixelSize(10);
    p.setPen(Qt::NoPen);
    p.setBrush(s.badgeText);
    p.drawPath(glyphPath(QStringLiteral("x%1").arg(value), font, badge.center() + QPointF(0, 0.3)));
    return flatten(cell);
}

QImage strip(const Style &s)
{
    QImage out(Cell * Cells, Cell, QImage::Format_RGB32);
    QPainter p(&out);
    for (int i = 0; i <= 26; ++i)
        p.drawImage(i * Cell, 0, letterCell(s, i));
    for (int slot = 0; slot < 3; ++slot)
        p.drawImage((27 + slot) * Cell, 0, backgroundCell(s, slot));
    for (int value = 1; value <= 4; ++value)
        p.drawImage((29 + value) * Cell, 0, markCell(s, value));
    p.end();
    return out.convertToFormat(QImage::Format_RGB888);
}

// Fine grain lines, the same on every run.
void woodGrain(QPainter &p, const QRectF &r, int slot)
{
    QRandomGenerator random(1234 + slot);
    const QColor line = slot == 2 ? QColor(255, 230, 200, 26) : QColor(90, 50, 20, 30);
    p.setPen(QPen(line, 1));
    for (qreal y = r.top() + 3; y < r.bottom(); y += 3 + random.bounded(3)) {
        QPainterPath grain(QPointF(r.left(), y));
        const qreal wave = random.bounded(2.0) - 1;
        grain.cubicTo(QPointF(r.left() + 14, y + wave), QPointF(r.left() + 28, y - wave), QPointF(r.right(), y));
        p.drawPath(grain);
    }
}

// A frosted sheen across the top left.
void iceSheen(QPainter &p, const QRectF &r, int)
{
    QLinearGradient sheen(r.topLeft(), r.center());
    sheen.setColorAt(0, QColor(255, 255, 255, 90));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sheen);
    p.drawPolygon(QPolygonF({r.topLeft(), QPointF(r.left() + 30, r.top()), QPointF(r.left(), r.top() + 30)}));
}

QList<Style> styles()
{
    return {
        // Okabe-Ito orange and blue against a light neutral: the three stay
        // apart for the common forms of colour blindness, and in lightness
        // alone (light, middle, dark) for anyone who sees no colour at all.
        {QStringLiteral("HighContrast"), QStringLiteral("DejaVu Sans"),
         {QColor(0xf4, 0xf2, 0xec), QColor(0xe6, 0x9f, 0x00), QColor(0x00, 0x72, 0xb2)},
         QColor(0x10, 0x10, 0x10), QColor(0, 0, 0), QColor(255, 255, 255), 2.2,
         {QColor(0, 0, 0), QColor(0, 0, 0), QColor(0, 0, 0)}, QColor(255, 255, 255), QColor(255, 255, 255), {}},
        {QStringLiteral("Wood"), QStringLiteral("DejaVu Serif"),
         {QColor(0xc0, 0x8f, 0x55), QColor(0xee, 0xdc, 0xb6), QColor(0x5a, 0x36, 0x1e)},
         QColor(0x3a, 0x22, 0x10), QColor(0x2a, 0x17, 0x0a), QColor(0xfa, 0xf0, 0xdc), 1.6,
         {QColor(0x2f, 0x6b, 0x3a), QColor(0xb8, 0x6b, 0x16), QColor(0x9e, 0x23, 0x2a)}, QColor(255, 255, 255),
         QColor(0xfa, 0xf0, 0xdc), woodGrain},
        {QStringLiteral("Ice"), QStringLiteral("DejaVu Sans"),
         {QColor(0x8f, 0xa9, 0xc4), QColor(0xe8, 0xf3, 0xfb), QColor(0x1d, 0x36, 0x5c)},
         QColor(0x12, 0x24, 0x3e), QColor(0x0e, 0x1c, 0x33), QColor(0xf4, 0xfa, 0xff), 1.6,
         {QColor(0x1f, 0x8a, 0x70), QColor(0x6a, 0x3d, 0x9a), QColor(0xc2, 0x1e, 0x56)}, QColor(255, 255, 255),
         QColor(0xf4, 0xfa, 0xff), iceSheen},
    };
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: make_tilesets <output folder>\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        err << "cannot create " << out.path() << "\n";
        return 1;
    }
    for (const Style &style : styles()) {
        const QString path = out.filePath(style.name + QStringLiteral(".bmp"));
        if (!strip(style).save(path, "BMP")) {
            err << "cannot write " << path << "\n";
            return 1;
        }
        QTextStream(stdout) << path << "\n";
    }
    return 0;
}
