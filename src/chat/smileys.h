#pragma once
// The 18 chat smileys `imagelist_smilies`: image i stands for the smiley
// code 10 + i. Drawn with QPainter, so they stay crisp at any scale.

#include <QIcon>
#include <QPixmap>

class QMenu;
class QWidget;

namespace glyphon {

inline constexpr int SmileyCount = 18;
inline constexpr int FirstSmileyCode = 10;
inline constexpr int SmileyWidth = 17;  // logical pixels
inline constexpr int SmileyHeight = 16;

// A 17x16 logical-pixel picture for the device pixel ratio given (so
// 34x32 device pixels at ratio 2). An index outside 0..17 draws image 0.
QPixmap smileyPixmap(int index, qreal devicePixelRatio);
// The same picture at ratios 1 and 2.
QIcon smileyIcon(int index);

// The smiley menu `popup_smilies`: 18 items captioned ":)#10" to ":)#27",
// each with its picture and its code as the action's data (an int).
QMenu *createSmileyMenu(QWidget *parent);

} // namespace glyphon
