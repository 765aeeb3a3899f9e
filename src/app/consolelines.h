#pragma once
// What the programs without a window write: log lines to standard output
// (information) or standard error (warnings and worse), unprefixed, one per
// line and flushed at once so a service manager's journal keeps the order.

#include <QString>
#include <QtGlobal>

namespace glyphon {

void writeLogLine(QtMsgType type, const QMessageLogContext &context, const QString &message);
// A line on standard error, for a refused command line.
void writeError(const QString &line);

} // namespace glyphon
