#pragma once
// One board tile control (image_word11 .. image_word66).

#include "artwork/boardtiles.h"

#include <QPixmap>
#include <QWidget>

namespace glyphon {
class TileArt;
}

class TileWidget : public QWidget
{
    Q_OBJECT
public:
    // position 11..66; the hint and the object name carry it.
    explicit TileWidget(int position, QWidget *parent = nullptr);

    int position() const { return m_position; }
    QString hint() const { return toolTip(); }

    // Paints tile in colour slot slot (the drawtile rule of TilePainter).
    void showTile(const glyphon::BoardTile &tile, int slot);
    // An empty picture with nothing to tell.
    void showGap();
    bool isGap() const { return m_gap; }
    // An empty picture: the tile shown last is in the word being built,
    // and its description says so.
    void showChosen();
    bool isChosen() const { return m_chosen; }
    // Outlined as part of the last accepted word, in colour slot slot (1 or
    // 2; 0 no outline). Drawn over the picture, along its edge only.
    void setLastMoveSlot(int slot);
    int lastMoveSlot() const { return m_lastMoveSlot; }
    // Who holds the tile, in words, for its accessible name.
    void setHolder(const QString &holder);

    // The pictures of the copy the tile belongs to; the built-in ones
    // without.
    void setArt(const glyphon::TileArt *art) { m_art = art; }
    // The picture on show for a device pixel ratio; null while a gap.
    QPixmap picture(qreal dpr) const;

    QSize sizeHint() const override;

signals:
    void mouseUp(TileWidget *tile, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int m_position;
    bool m_gap = true;
    bool m_chosen = false;
    glyphon::BoardTile m_tile;
    int m_slot = 0;
    int m_lastMoveSlot = 0;
    QString m_holder;
    const glyphon::TileArt *m_art = nullptr;

    void describe();
};
