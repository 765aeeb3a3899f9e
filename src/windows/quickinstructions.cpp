#include "windows/quickinstructions.h"

#include "artwork/tilepainter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace glyphon {

namespace {

const QColor Ink(0x1d, 0x35, 0x57);

// Colour slots as the board paints them: nobody's, the viewer's, the other's.
constexpr int Free = 0;
constexpr int Mine = 1;
constexpr int Theirs = 2;

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
    int value;    // the tile value; 2..4 carry a bonus mark
    int slot;
    int order;    // place in the word being built, 0 when not chosen
    bool locked;
};

// A corner of a board during a turn: the player is spelling "TEA" from
// scattered tiles. The corner "U" is locked: all its neighbours are the
// player's too.
const SampleTile Sample[4][4] = {
    {{'T', 0, Free, 1, false}, {'R', 0, Free, 0, false}, {'S', 3, Free, 0, false}, {'O', 0, Theirs, 0, false}},
    {{'N', 0, Free, 0, false}, {'I', 0, Free, 0, false}, {'L', 0, Theirs, 0, false}, {'E', 2, Free, 2, false}},
    {{'M', 0, Mine, 0, false}, {'H', 0, Free, 0, false}, {'D', 0, Free, 0, false}, {'K', 0, Free, 0, false}},
    {{'U', 0, Mine, 0, true}, {'C', 0, Mine, 0, false}, {'A', 0, Free, 3, false}, {'P', 4, Free, 0, false}},
};

// Drawn with the board's own artwork, so the picture shows the colours, marks
// and frames the player will see. A chosen tile leaves a gap on the board;
// here it stays faintly in place with its number, so the word can be followed.
void drawTile(QPainter &p, const QRectF &r, const SampleTile &tile, const TileArtwork &art)
{
    p.save();
    if (tile.order > 0)
        p.setOpacity(0.45);
    art.paintBackground(p, r, tile.slot);
    art.paintLetter(p, r, tile.letter - 'A' + 1, tile.slot);
    art.paintBonus(p, r, tile.value, tile.slot);
    if (tile.locked)
        TilePainter::paintLockFrame(p, r, tile.slot);
    p.restore();

    if (tile.order > 0) {
        QFont small = p.font();
        small.setBold(true);
        small.setPixelSize(10);
        p.setFont(small);
        const QRectF badge(r.left() - 5, r.top() - 5, 15, 15);
        p.setPen(Qt::NoPen);
        p.setBrush(Ink);
        p.drawEllipse(badge);
        p.setPen(Qt::white);
        p.drawText(badge, Qt::AlignCenter, QString::number(tile.order));
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
    const TileArtwork &art = m_art ? m_art->artwork() : TilePainter::builtinArtwork();

    // The tray the tiles lie on, as on the board.
    const QRectF tray(Margin - 5.5, Margin - 5.5, BoardSide + 11, BoardSide + 11);
    glyphon::TilePainter::paintTray(p, tray, 7);

    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            const QRectF r(Margin + col * (TileSide + Gap), Margin + row * (TileSide + Gap), TileSide, TileSide);
            drawTile(p, r, Sample[row][col], art);
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
    const struct { int slot; const char *text; } legend[] = {
        {Mine, "your"}, {Theirs, "opponent's"}, {Free, "free"},
    };
    qreal y = wordTop + 36;
    for (const auto &entry : legend) {
        art.paintBackground(p, QRectF(Margin - 1, y - 1, 13, 13), entry.slot);
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
