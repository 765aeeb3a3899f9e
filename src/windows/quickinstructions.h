#pragma once
// The quick instructions panel that lies over the client window's board.

#include <QFrame>

class QLabel;
class QPushButton;

namespace glyphon {

class TileArt;

// The illustrated instructions, painted at any device pixel ratio.
class InstructionsPicture : public QWidget
{
    Q_OBJECT
public:
    explicit InstructionsPicture(QWidget *parent = nullptr);
    QSize sizeHint() const override;

    // The numbered instruction lines beside the drawing.
    static QStringList steps();
    // Drawn with the copy's tile pictures; the built-in ones without.
    void setArt(const TileArt *art) { m_art = art; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const TileArt *m_art = nullptr;
};

} // namespace glyphon

class QuickInstructionsPanel : public QFrame
{
    Q_OBJECT
public:
    explicit QuickInstructionsPanel(QWidget *parent = nullptr);

    QLabel *label_title;
    glyphon::InstructionsPicture *image_instructions;
    QPushButton *button_done;

public slots:
    // Shows the panel in front of its siblings (the board).
    void showInstructions();
    void button_doneClick();

signals:
    void closed();
};
