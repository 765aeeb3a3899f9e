#pragma once
// Colour values of the chat and the settings (0x00BBGGRR, or a system colour)
// as Qt colours; system colours follow the application palette.

#include "protocol/colourtext.h"

#include <QColor>

namespace glyphon {

QColor toQColor(quint32 colour);
quint32 fromQColor(const QColor &colour);

} // namespace glyphon
