#include "dictionary/dictionarylog.h"

namespace glyphon {
Q_LOGGING_CATEGORY(lcDictionary, "glyphon.dictionary")
}
