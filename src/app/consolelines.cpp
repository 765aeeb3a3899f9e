#include "app/consolelines.h"

#include <cstdio>

namespace glyphon {

void writeLogLine(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    std::FILE *to = (type == QtInfoMsg || type == QtDebugMsg) ? stdout : stderr;
    std::fputs(qPrintable(message + QLatin1Char('\n')), to);
    std::fflush(to);
}

void writeError(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stderr);
}

} // namespace glyphon
