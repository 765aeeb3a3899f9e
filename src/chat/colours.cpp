#include "chat/colours.h"

#include <QGuiApplication>
#include <QPalette>

namespace glyphon {

namespace {

// Where each system colour index finds its colour in a Qt palette.
struct SystemRole
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

SystemRole systemRole(quint32 index)
{
    using P = QPalette;
    switch (index) {
    case 0: case 15: return {P::Active, P::Button};
    case 1: case 4: case 10: case 11: case 30: return {P::Active, P::Window};
    case 2: case 13: case 27: case 29: return {P::Active, P::Highlight};
    case 3: return {P::Inactive, P::Highlight};
    case 5: return {P::Active, P::Base};
    case 6: case 21: return {P::Active, P::Shadow};
    case 7: case 19: return {P::Active, P::WindowText};
    case 8: return {P::Active, P::Text};
    case 9: case 14: return {P::Active, P::HighlightedText};
    case 12: case 28: return {P::Active, P::Mid};
    case 16: return {P::Active, P::Dark};
    case 17: return {P::Disabled, P::Text};
    case 18: return {P::Active, P::ButtonText};
    case 20: return {P::Active, P::Light};
    case 22: return {P::Active, P::Midlight};
    case 23: return {P::Active, P::ToolTipText};
    case 24: return {P::Active, P::ToolTipBase};
    case 26: return {P::Active, P::Link};
    default: return {P::Active, P::WindowText};
    }
}

} // namespace

QColor toQColor(quint32 colour)
{
    if ((colour & SystemColourFlag) == SystemColourFlag) {
        const SystemRole r = systemRole(colour & 0xFF);
        return QGuiApplication::palette().color(r.group, r.role);
    }
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

quint32 fromQColor(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16);
}

} // namespace glyphon
