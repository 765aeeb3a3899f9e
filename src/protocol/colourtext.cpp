#include "protocol/colourtext.h"

#include <array>
#include <limits>

namespace glyphon {

namespace {


struct NamedColour
{
    const char *name;
    quint32 value;
};

// One table serves both directions; the first name of a value wins when
// writing.
constexpr std::array<NamedColour, 47> Names{{
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clScrollBar", SystemColourFlag | 0},
    {"clBackground", SystemColourFlag | 1},
    {"clActiveCaption", SystemColourFlag | 2},
    {"clInactiveCaption", SystemColourFlag | 3},
    {"clMenu", SystemColourFlag | 4},
    {"clWindow", SystemColourFlag | 5},
    {"clWindowFrame", SystemColourFlag | 6},
    {"clMenuText", SystemColourFlag | 7},
    {"clWindowText", SystemColourFlag | 8},
    {"clCaptionText", SystemColourFlag | 9},
    {"clActiveBorder", SystemColourFlag | 10},
    {"clInactiveBorder", SystemColourFlag | 11},
    {"clAppWorkSpace", SystemColourFlag | 12},
    {"clHighlight", SystemColourFlag | 13},
    {"clHighlightText", SystemColourFlag | 14},
    {"clBtnFace", SystemColourFlag | 15},
    {"clBtnShadow", SystemColourFlag | 16},
    {"clGrayText", SystemColourFlag | 17},
    {"clBtnText", SystemColourFlag | 18},
    {"clInactiveCaptionText", SystemColourFlag | 19},
    {"clBtnHighlight", SystemColourFlag | 20},
    {"cl3DDkShadow", SystemColourFlag | 21},
    {"cl3DLight", SystemColourFlag | 22},
    {"clInfoText", SystemColourFlag | 23},
    {"clInfoBk", SystemColourFlag | 24},
    {"clHotLight", SystemColourFlag | 26},
    {"clGradientActiveCaption", SystemColourFlag | 27},
    {"clGradientInactiveCaption", SystemColourFlag | 28},
    {"clMenuHighlight", SystemColourFlag | 29},
    {"clMenuBar", SystemColourFlag | 30},
    {"clNone", NoColour},
}};

int hexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

} // namespace

QString colourToText(quint32 colour)
{
    for (const NamedColour &named : Names) {
        if (named.value == colour)
            return QString::fromLatin1(named.name);
    }
    return QStringLiteral("$%1").arg(colour, 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<quint32> colourFromText(const QString &text)
{
    for (const NamedColour &named : Names) {
        if (text.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return named.value;
    }
    if (const auto number = numberFromText(text))
        return static_cast<quint32>(*number);
    return std::nullopt;
}

std::optional<qint64> numberFromText(const QString &text)
{
    constexpr qint64 Lowest = std::numeric_limits<qint32>::min();
    constexpr qint64 Highest = std::numeric_limits<quint32>::max();

    if (text.startsWith(QLatin1Char('$'))) {
        if (text.size() == 1)
            return std::nullopt;
        qint64 value = 0;
        for (qsizetype i = 1; i < text.size(); ++i) {
            const int digit = hexDigit(text.at(i).unicode());
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + digit;
            if (value > Highest)
                return std::nullopt;
        }
        return value;
    }

    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > Highest)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < Lowest)
        return std::nullopt;
    return value;
}

} // namespace glyphon
