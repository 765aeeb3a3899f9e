#pragma once
// Which of the window's handlers each message from the host goes to: the
// message is decoded by its definition and handed on; a message that does
// not decode, or whose name the window does not know, is ignored.

#include <QByteArray>

class Tchat;

namespace glyphon {

// Returns false when the message went nowhere.
bool routeToWindow(Tchat &window, const QByteArray &message);

} // namespace glyphon
