#pragma once
// Tile pictures. A tile is painted in layers: background of its colour slot,
// letter, value mark, lock frame. The first three come from a TileArtwork,
// which a tile set may replace; the lock frames are always the built-in ones.

#include "artwork/boardtiles.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QRectF>
#include <memory>

class QPainter;

namespace glyphon {

// The replaceable layers. Each paints into rect (logical coordinates) of a
// painter that may have any device pixel ratio. slot is 0 neutral, 1 own,
// 2 other; letter 1..26; value 1..4. Out-of-range numbers paint nothing.
class TileArtwork
{
public:
    virtual ~TileArtwork() = default;
    virtual void paintBackground(QPainter &painter, const QRectF &rect, int slot) const = 0;
    // slot is the background underneath, so a letter can contrast with it.
    virtual void paintLetter(QPainter &painter, const QRectF &rect, int letter, int slot) const = 0;
    virtual void paintBonus(QPainter &painter, const QRectF &rect, int value, int slot) const = 0;
};

// The artwork drawn by the program: vector shapes, crisp at any scale.
class BuiltinArtwork : public TileArtwork
{
public:
    void paintBackground(QPainter &painter, const QRectF &rect, int slot) const override;
    void paintLetter(QPainter &painter, const QRectF &rect, int letter, int slot) const override;
    void paintBonus(QPainter &painter, const QRectF &rect, int value, int slot) const override;
};

// Artwork from 44x44 pictures: 27 letters (0 empty, 1..26 A..Z), 3 backgrounds
// and 4 value marks. Missing pictures paint nothing. A picture painted at
// another size is scaled smoothly first; callers keep the result.
class PictureArtwork : public TileArtwork
{
public:
    QList<QImage> letters;
    QList<QImage> backgrounds;
    QList<QImage> bonuses;

    // Cuts a strip of 44x44 cells: 0..26 letters, 27..29 backgrounds,
    // 30..33 value marks; pure green (0,255,0) becomes transparent. Cells
    // beyond a short strip come out empty or partly empty.
    static std::shared_ptr<PictureArtwork> fromStrip(const QImage &strip);

    void paintBackground(QPainter &painter, const QRectF &rect, int slot) const override;
    void paintLetter(QPainter &painter, const QRectF &rect, int letter, int slot) const override;
    void paintBonus(QPainter &painter, const QRectF &rect, int value, int slot) const override;
};

class TilePainter
{
public:
    static constexpr int TileSize = 44;

    // Layers in order: background of slot (0 neutral grey-blue, 1 own light
    // grey, 2 other dark blue), the capital letter (1..26; 0 nothing), the mark
    // of value 1..4, and when locked the lock frame of the slot (1 dark frame,
    // 2 light frame; none on a neutral tile). The tile's owner does not count,
    // only slot. A pixmap of size x size logical pixels at dpr; the artwork
    // is drawn for that size, so a tile is sharp at any scale of the board.
    static QPixmap drawtile(const BoardTile &tile, int slot, qreal dpr,
                            const TileArtwork &artwork = builtinArtwork(), int size = TileSize);

    // The slate-blue tray the tiles lie on, with its rim.
    static void paintTray(QPainter &painter, const QRectF &rect, qreal radius);

    // The lock frame layer; slot 1 dark, slot 2 light, else nothing.
    static void paintLockFrame(QPainter &painter, const QRectF &rect, int slot);

    static const TileArtwork &builtinArtwork();
};

// The tile pictures of one running copy: the artwork in use (the built-in
// one unless a tile set replaced it) and the finished pictures, kept because
// a whole board is repainted at every turn. Each copy has its own, so a tile
// set chosen in one never shows in another.
class TileArt
{
public:
    TileArt();

    const TileArtwork &artwork() const { return *m_artwork; }
    // Replaces the artwork (nullptr restores the built-in one) and drops the
    // kept pictures. Widgets show it from their next repaint on, so the
    // caller repaints the board and the turn markers.
    void setArtwork(std::shared_ptr<const TileArtwork> artwork);
    // As TilePainter::drawtile with this artwork, kept per size.
    QPixmap drawtile(const BoardTile &tile, int slot, qreal dpr, int size = TilePainter::TileSize) const;

private:
    std::shared_ptr<const TileArtwork> m_artwork;
    mutable QHash<quint64, QPixmap> m_pictures;
    mutable int m_size = TilePainter::TileSize; // of the kept pictures
};

} // namespace glyphon
