#pragma once
// What the network room tells a person: the router's answers about the port.

#include <QLoggingCategory>

namespace glyphon {
Q_DECLARE_LOGGING_CATEGORY(lcNet)
}
