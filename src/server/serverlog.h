#pragma once
// The host's log: its connections, seats and games. The headless host
// writes it to standard output; a window that hosts leaves it to Qt's rules.

#include <QLoggingCategory>

namespace glyphon {
Q_DECLARE_LOGGING_CATEGORY(lcServer)
}
