#pragma once
// The board panel paints the window's background: a warm paper gradient
// with a faint woven pattern, a tray behind the tiles and cards behind the
// two players, so that the controls sit on something rather than on grey.

#include <QRect>
#include <QWidget>

namespace glyphon {

class BoardPanel : public QWidget
{
public:
    static constexpr int PanelWidth = 764;
    static constexpr int PanelHeight = 526;
    // The tray the tiles lie on: a right-click anywhere on it submits.
    static constexpr QRect Tray{40, 58, 309, 314};

    explicit BoardPanel(QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace glyphon
