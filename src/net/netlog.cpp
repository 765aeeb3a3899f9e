#include "net/netlog.h"

namespace glyphon {
Q_LOGGING_CATEGORY(lcNet, "glyphon.net")
}
