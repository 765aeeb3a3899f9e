#include "server/serverlog.h"

namespace glyphon {
Q_LOGGING_CATEGORY(lcServer, "glyphon.server")
}
