#pragma once
// The board panel paints the window's background: a warm paper gradient
// with a faint woven pattern, a tray behind the tiles and cards behind the
// two players, so that the controls sit on something rather than on grey.
// It grows with the window: its controls and its pictures scale by one
// factor (see ScaledLayout), the chat pane taking the room left over.

#include "board/boardscale.h"

#include <QRect>
#include <QWidget>

namespace glyphon {

class BoardPanel : public QWidget
{
public:
    // The size at which it was drawn; at that size nothing is scaled.
    static constexpr int PanelWidth = boardscale::Design.width();
    static constexpr int PanelHeight = boardscale::Design.height();
    // The tray the tiles lie on, at the design size: a right-click anywhere
    // on it submits.
    static constexpr QRect Tray{40, 58, 309, 314};

    explicit BoardPanel(QWidget *parent);

    // The controls it places; they are added once they all stand at their
    // design places.
    ScaledLayout &scaling() { return m_layout; }
    qreal factor() const { return m_layout.factor(); }
    // The tray as shown now.
    QRect tray() const;

    QSize sizeHint() const override { return {PanelWidth, PanelHeight}; }
    QSize minimumSizeHint() const override { return boardscale::smallestPanel(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    ScaledLayout m_layout;
};

} // namespace glyphon
