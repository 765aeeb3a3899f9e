#include "windows/quickinstructions.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace glyphon {

namespace {

const QColor FreeTile(0xf6, 0xec, 0xd2);
const QColor ChosenTile(0xff, 0xd1, 0x66);
const QColor MineTile(0x4f, 0x8f, 0xd8);
const QColor TheirTile(0xe7, 0x6f, 0x51);
const QColor Ink(0x1d, 0x35, 0x57);

constexpr int TileSide = 34;
constexpr int Gap = 4;
constexpr int Margin = 12;
constexpr int BoardSide = 4 * TileSide + 3 * Gap;
constexpr int TextLeft = Margin + BoardSide + 24;
constexpr int PictureWidth = 560;
constexpr int PictureHeight = 270;

struct SampleTile
{
    char letter;
    int bonus;    // 0 for a plain tile
    QColor fill;
    int order;    // place in the word being built, 0 when not chosen
    bool locked;
};

// A corner of a board during a turn: the player is spelling "TEA" from
// scattered tiles. The corner "U" is locked: all its neighbours are the
// player's too.
const SampleTile Sample[4][4] = {
    {{'T', 0, ChosenTile, 1, false}, {'R', 0, FreeTile, 0, false}, {'S', 3, FreeTile, 0, false}, {'O', 0, TheirTile, 0, false}},
    {{'N', 0, FreeTile, 0, false}, {'I', 0, FreeTile, 0, false}, {'L', 0, TheirTile, 0, false}, {'E', 2, ChosenTile, 2, false}},
    {{'M', 0, MineTile, 0, false}, {'H', 0, FreeTile, 0, false}, {'D', 0, FreeTile, 0, false}, {'K', 0, FreeTile, 0, false}},
    {{'U', 0, MineTile, 0, true}, {'C', 0, MineTile, 0, false}, {'A', 0, ChosenTile, 3, false}, {'P', 4, FreeTile, 0, false}},
};

void drawTile(QPainter &p, const QRectF &r, const SampleTile &tile)
{
    p.setPen(QPen(Ink, 1));
    p.setBrush(tile.fill);
    p.drawRoundedRect(r, 5, 5);

    QFont letterFont = p.font();
    letterFont.setBold(true);
    letterFont.setPixelSize(20);
    p.setFont(letterFont);
    p.setPen(tile.fill == MineTile || tile.fill == TheirTile ? QColor(Qt::white) : Ink);
    p.drawText(r, Qt::AlignCenter, QString(QChar::fromLatin1(tile.letter)));

    QFont small = letterFont;
    small.setPixelSize(10);
    p.setFont(small);
    if (tile.bonus > 0)
        p.drawText(r.adjusted(0, 0, -3, -1), Qt::AlignRight | Qt::AlignBottom, QString::number(tile.bonus));
    if (tile.order > 0) {
        const QRectF badge(r.left() - 5, r.top() - 5, 15, 15);
        p.setPen(Qt::NoPen);
        p.setBrush(Ink);
        p.drawEllipse(badge);
        p.setPen(Qt::white);
        p.drawText(badge, Qt::AlignCenter, QString::number(tile.order));
    }
    if (tile.locked) {
        // A small padlock in the free bottom-left corner.
        const qreal left = r.left() + 4;
        const qreal bottom = r.bottom() - 3;
        p.setPen(QPen(Qt::white, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(left + 1, bottom - 11, 5, 7), 0, 180 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(left, bottom - 6, 7, 6));
    }
}

} // namespace

InstructionsPicture::InstructionsPicture(QWidget *parent)
    : QWidget(parent)
{
    setMinimumSize(sizeHint());
}

QSize InstructionsPicture::sizeHint() const
{
    return QSize(PictureWidth, PictureHeight);
}

QStringList InstructionsPicture::steps()
{
    return {
        QStringLiteral("Wait for \"Your Turn.\" and watch the clock."),
        QStringLiteral("Click tiles anywhere, in any order, to spell a word (T, E, A)."),
        QStringLiteral("Click the word to take back a letter; CLEAR starts again."),
        QStringLiteral("Press SUBMIT or right-click to play it."),
        QStringLiteral("Used tiles become yours. Free tile 1 point or its bonus, "
                       "opponent's tile double, your own 0."),
        QStringLiteral("A tile surrounded by its holder's tiles is locked."),
        QStringLiteral("Reach the Play to Score with the higher score to win."),
    };
}

void InstructionsPicture::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            const QRectF r(Margin + col * (TileSide + Gap), Margin + row * (TileSide + Gap), TileSide, TileSide);
            drawTile(p, r, Sample[row][col]);
        }
    }

    // The word being built, as the label under the board shows it.
    const qreal wordTop = Margin + BoardSide + 10;
    QFont wordFont = font();
    wordFont.setBold(true);
    wordFont.setPixelSize(22);
    p.setFont(wordFont);
    p.setPen(Ink);
    p.drawText(QRectF(Margin, wordTop, BoardSide, 30), Qt::AlignCenter, QStringLiteral("TEA"));

    // Legend of the tile colours.
    QFont legendFont = font();
    legendFont.setPixelSize(11);
    p.setFont(legendFont);
    const struct { QColor colour; const char *text; } legend[] = {
        {MineTile, "yours"}, {TheirTile, "opponent's"}, {FreeTile, "free"},
    };
    qreal y = wordTop + 36;
    for (const auto &entry : legend) {
        p.setPen(QPen(Ink, 1));
        p.setBrush(entry.colour);
        p.drawRect(QRectF(Margin, y, 11, 11));
        p.setPen(Ink);
        p.drawText(QPointF(Margin + 17, y + 10), QStringLiteral("%1 tile").arg(QLatin1String(entry.text)));
        y += 16;
    }

    // The numbered steps beside the board.
    QFont stepFont = font();
    stepFont.setPixelSize(13);
    p.setFont(stepFont);
    const QStringList lines = steps();
    const qreal textWidth = width() - TextLeft - Margin;
    y = Margin;
    for (int i = 0; i < lines.size(); ++i) {
        const QRectF badge(TextLeft - 20, y + 1, 16, 16);
        p.setPen(Qt::NoPen);
        p.setBrush(Ink);
        p.drawEllipse(badge);
        p.setPen(Qt::white);
        p.drawText(badge, Qt::AlignCenter, QString::number(i + 1));
        p.setPen(Ink);
        QRectF bounds;
        p.drawText(QRectF(TextLeft, y, textWidth, height() - y), Qt::TextWordWrap, lines.at(i), &bounds);
        y += qMax<qreal>(bounds.height(), 18) + 8;
    }
}

} // namespace glyphon

QuickInstructionsPanel::QuickInstructionsPanel(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("panel_help"));
    setFrameShape(QFrame::Box);
    setLineWidth(2);
    setAutoFillBackground(true);

    label_title = new QLabel(QStringLiteral("GLYPHON - QUICK INSTRUCTIONS"), this);
    QFont titleFont = label_title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    label_title->setFont(titleFont);
    label_title->setAlignment(Qt::AlignCenter);

    image_instructions = new glyphon::InstructionsPicture(this);

    button_done = new QPushButton(QStringLiteral("Done"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(button_done);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label_title);
    layout->addWidget(image_instructions, 1);
    layout->addLayout(buttons);

    connect(button_done, &QPushButton::clicked, this, &QuickInstructionsPanel::button_doneClick);
    resize(sizeHint());
    hide();
}

void QuickInstructionsPanel::showInstructions()
{
    show();
    raise();
}

void QuickInstructionsPanel::button_doneClick()
{
    hide();
    emit closed();
}
