#pragma once
// The texts and buttons around the tiles: round and target score above the
// tray; below it the shelf with the status line, the word being built, the
// clock and its bar, CLEAR and SUBMIT; the START GAME button and the winner
// panel over the board.

#include <QColor>
#include <QString>

class QFrame;
class QWidget;
class PictureButton;
class TimeBar;

namespace glyphon {

class FittingLabel;

class BoardControls
{
public:
    // The ink of the board's texts; the clock and the winner's name are in
    // the own word list's dark blue.
    static inline const QColor Ink{0x44, 0x42, 0x7e};
    static inline const QColor DarkBlue{0x44, 0x41, 0x7e};

    // Creates the controls on parent, named as the window's tests and
    // screen readers know them.
    explicit BoardControls(QWidget *parent);

    FittingLabel *roundnum;
    FittingLabel *playtoscore;
    FittingLabel *status;
    FittingLabel *word;
    FittingLabel *timer;
    TimeBar *timeBar;
    PictureButton *clear;
    PictureButton *submit;
    PictureButton *start;
    QFrame *winnerPanel;
    FittingLabel *winner1; // the text
    FittingLabel *winner2; // its shadow

    // The clock with seconds left, in the countdown's colour.
    void showClock(int seconds, int barstep);
    // Between turns: the full time of the turn to come, in the resting colour.
    void showClockAtRest(int turnLength, int barstep);
    void setClockColour(const QColor &colour);
    void showWinner(const QString &text);
};

} // namespace glyphon
