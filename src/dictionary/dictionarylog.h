#pragma once
// What the dictionary has to say when nobody was given to hear it.

#include <QLoggingCategory>

namespace glyphon {
Q_DECLARE_LOGGING_CATEGORY(lcDictionary)
}
