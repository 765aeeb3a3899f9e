#pragma once
// Small pictures of the board area, drawn by the program: the time bar, the
// turn markers, the just-watch eyes and the picture buttons.

#include <QAbstractButton>
#include <QWidget>

namespace glyphon {
class TileArt;
}

// image_timer: 369x19 at the board's design size; the bar shrinks from the
// right as the turn runs out. Its width counts in pixels of that size, so
// the clock need not know how large the board is shown.
class TimeBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int FullWidth = 369;
    static constexpr int Height = 19;

    explicit TimeBar(QWidget *parent = nullptr);

    // Clamped to 0..FullWidth.
    void setBarWidth(int px);
    int barWidth() const { return m_barWidth; }

    QSize sizeHint() const override { return {FullWidth, Height}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_barWidth = FullWidth;
};

// image_Turn1 / image_turn2: the marker behind a player's name, painted with
// the tile background of a colour slot (1 own, 2 other), so it follows the
// tile set in use. Any size.
class TurnMarker : public QWidget
{
    Q_OBJECT
public:
    explicit TurnMarker(QWidget *parent = nullptr);

    int slot() const { return m_slot; }
    void setSlot(int slot);
    // The copy's tile pictures; the built-in ones without.
    void setArt(const glyphon::TileArt *art) { m_art = art; }

    QSize sizeHint() const override { return {168, 30}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_slot = 1;
    const glyphon::TileArt *m_art = nullptr;
};

// image_eyes1 / image_eyes2: a pair of eyes marking a player who just watches.
class EyesPicture : public QWidget
{
    Q_OBJECT
public:
    static constexpr int Width = 23;
    static constexpr int Height = 10;

    explicit EyesPicture(QWidget *parent = nullptr);
    QSize sizeHint() const override { return {Width, Height}; }

protected:
    void paintEvent(QPaintEvent *event) override;
};

// START GAME, CLEAR, SUBMIT: a drawn button of 158x34 with a hand cursor.
class PictureButton : public QAbstractButton
{
    Q_OBJECT
public:
    static constexpr int Width = 158;
    static constexpr int Height = 34;

    explicit PictureButton(const QString &caption, QWidget *parent = nullptr);
    QSize sizeHint() const override { return {Width, Height}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
};
