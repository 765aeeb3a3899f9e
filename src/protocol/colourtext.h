#pragma once
// Colours and numbers as the client writes and reads them in chat messages
// and in the settings file.
//
// A colour value is 0x00BBGGRR (red in the lowest byte). Values whose top
// byte is 0xFF name a system colour (low byte = system colour index), which
// is resolved against the application palette when drawn (chat/colours.h).

#include <QString>
#include <optional>

namespace glyphon {

inline constexpr quint32 SystemColourFlag = 0xFF000000; // low byte = system colour index
inline constexpr quint32 StatusLineColour = 0x00FF0000; // pure blue
inline constexpr quint32 UnreadableColour = 0x000000FF; // red: lines whose colour cannot be read
inline constexpr quint32 NoColour = 0x1FFFFFFF;         // "clNone"

// The standard name of the value ("clBlack", "clBlue", "clWindowText",
// "clNone", ...) or "$" and eight upper-case hexadecimal digits.
QString colourToText(quint32 colour);

// Accepts a colour name in any letter case, a decimal number (negative
// values wrap to 32 bits, as colour values are signed where they come from)
// or "$" and hexadecimal digits. Anything else is unreadable.
std::optional<quint32> colourFromText(const QString &text);

// Every number the client reads from text: an optional sign and decimal
// digits, or "$" and hexadecimal digits, nothing around them. Values outside
// -2^31 .. 2^32-1 are unreadable.
std::optional<qint64> numberFromText(const QString &text);

} // namespace glyphon
