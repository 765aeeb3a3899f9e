#pragma once
// Text as the game keeps it outside the program: single bytes in the
// Windows ANSI code page (Windows-1252), on the wire and in the user's
// files alike. Qt 6 has no codec of that name without its compatibility
// module; the code page is Latin-1 but for 0x80-0x9F, a table of 32.

#include <QByteArray>
#include <QString>

namespace glyphon {

// Every byte becomes one character, so distinct bytes stay distinct text
// and fromAnsi/toAnsi give the bytes back unchanged. The five bytes the code
// page leaves unassigned become the control characters of the same number,
// as Windows reads them.
QString fromAnsi(const QByteArray &bytes);
// A character the code page lacks becomes "?", as a Windows program sends it.
QByteArray toAnsi(const QString &text);

// Text a file of ours may hold in UTF-8 from before it kept the code page:
// read as UTF-8 when it is that and the code page can hold every character
// of it, else byte by byte. A name in the code page almost never passes
// for UTF-8 (it would need an accented capital followed by a symbol).
QString fromStoredText(const QByteArray &bytes);

} // namespace glyphon
