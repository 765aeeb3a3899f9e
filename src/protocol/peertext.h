#pragma once
// What a peer sends, made safe to keep and to show: the name a login asks
// for, and any text of a peer (a name, a word) written into a log. The host
// and the lobby both face strangers with them.

#include <QByteArray>
#include <QString>

namespace glyphon {

// The name a login asks for, made safe before anything else looks at it:
// control bytes go, blanks around it go, "+" is mended and it is cut to the
// wire's 20 bytes. Empty: the login names nobody.
QByteArray cleanLoginName(const QByteArray &wireName);

// A peer's text (a name, a word) for a log line: every control character
// is written as \xNN, so nothing a peer sends can start a line of its own.
QString logText(const QString &text);

} // namespace glyphon
