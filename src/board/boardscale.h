#pragma once
// The board panel grows and shrinks with the window as one picture: every
// control keeps its place in a design of 764 x 526 pixels, multiplied by one
// factor taken from the panel's size. The chat pane is the exception: it
// takes whatever the scaled design leaves over at the right and the bottom.

#include <QFlags>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <functional>
#include <vector>

namespace glyphon {

namespace boardscale {

// The design size: at factor 1 every control stands where it always stood.
inline constexpr QSize Design{764, 526};
// A tile (44 pixels at factor 1) stays about 32 pixels at the least, so the
// window still fits a 1920 x 1080 screen at a scale factor of 2.
inline constexpr qreal Smallest = 32.0 / 44.0;
// Beyond any screen; only keeps a huge window from asking for huge pictures.
inline constexpr qreal Largest = 6.0;

// How a control stands beside the scaled design. By default its place and
// size scale; the chat pane instead keeps its design distances to the right
// and bottom edges, so it takes whatever room the scaled board leaves, and
// its input line keeps the height its (unscaled) font needs. A control that
// keeps its size and no edge keeps its centre where the scaled design has it.
enum Room {
    Scaled = 0,
    KeepRight = 0x1,  // the right edge keeps its design distance to the parent's
    KeepBottom = 0x2, // the bottom edge likewise
    KeepWidth = 0x4,  // the design width, unscaled (never wider than the parent)
    KeepHeight = 0x8, // the design height, unscaled (never taller than the parent)
    KeepTopLeft = 0x10, // the left and top edges stay where designed
    // The players' cards share the width a wider panel leaves right of the
    // scaled design: each grows by cardGrowth(), the second moving right by
    // the first's growth.
    CardWide = 0x20,   // the control is as wide as its card and grows with it
    SecondCard = 0x40, // the control lies on the second card and moves with it
};
Q_DECLARE_FLAGS(Rooms, Room)

// The factor for a panel of this size: the design fits in it whole, the
// aspect kept; never below Smallest nor above Largest.
qreal factorFor(QSize panel);
// The smallest panel: the design at Smallest, rounded up.
QSize smallestPanel();
// The design at factor, rounded up.
QSize scaledDesign(qreal factor);
// Where a control designed at design inside a parent designed at
// parentDesign stands at factor when the parent's size is parent. Position
// and size round separately, so equal controls stay equal in size.
QRect place(const QRect &design, qreal factor, QSize parentDesign, QSize parent, Rooms room = Scaled);
// The design place of the tile in row and column 1..6 on the tray.
constexpr QRect tileCell(int row, int column)
{
    return {52 + 48 * (column - 1), 70 + 49 * (row - 1), 44, 44};
}
// The two cards span design x 389 to 755 (the chat pane's right edge).
inline constexpr int CardsRight = 755;
// How much wider each card is on a panel wider than the design at factor:
// together they reach the chat pane's right edge. None at the design aspect.
int cardGrowth(qreal factor, QSize panel);
// A font's pixel size at factor, at least 1.
int fontPixels(int design, qreal factor);

} // namespace boardscale

// Lays out a panel's controls from one factor. Each control is taken with
// its geometry and explicit pixel font as they are when added (the design);
// apply() then places it for any panel size. A control may sit inside
// another added control: its geometry is its parent's.
class ScaledLayout
{
public:
    void add(QWidget *control, boardscale::Rooms room = boardscale::Scaled);
    // Places the controls for a panel of size; returns the factor. Scaled
    // controls move and change fonts only when the factor changes, the
    // cards' also when their growth does, so widening the chat pane
    // touches nothing else.
    qreal apply(QSize panel);
    qreal factor() const { return m_factor; }
    // Runs after each change of factor or of the cards' growth, for controls
    // that fit themselves to their texts once sized.
    void setAfterRescale(std::function<void()> then) { m_after = std::move(then); }

private:
    struct Entry
    {
        QPointer<QWidget> control;
        QRect design;
        QSize parentDesign;
        int fontPixels; // 0: the font is left alone
        boardscale::Rooms room;
    };
    std::vector<Entry> m_entries;
    int m_cardGrowth = 0;
    qreal m_factor = 0; // none yet: the first apply() places everything
    std::function<void()> m_after;
};

} // namespace glyphon

Q_DECLARE_OPERATORS_FOR_FLAGS(glyphon::boardscale::Rooms)
