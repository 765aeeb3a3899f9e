#pragma once
// Names at a table: what a login's name becomes at the host, how it is made
// unique among the seats, and how a peer's text is written into the log.

#include <QByteArray>
#include <QString>
#include <functional>

namespace glyphon {

// The name a login asks for, made safe before anything else looks at it:
// control bytes go, blanks around it go, "+" is mended and it is cut to the
// wire's 20 bytes. Empty: the login names nobody.
QByteArray cleanLoginName(const QByteArray &wireName);

// Two names that a window would take for one: compared in the code page
// without regard to case (é and É are one letter).
bool sameName(const QByteArray &a, const QByteArray &b);

// name, or name with " 2", " 3" ... (cut to fit the wire's 20 bytes) when
// taken(candidate) says another seat already has it.
QByteArray uniqueName(const QByteArray &name, const std::function<bool(const QByteArray &)> &taken);

// A peer's text (a name, a word) for a log line: every control character
// is written as \xNN, so nothing a peer sends can start a line of its own.
QString logText(const QString &text);

} // namespace glyphon
