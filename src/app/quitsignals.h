#pragma once
// Ending a program on Ctrl+C, SIGTERM or a closed terminal the orderly way,
// through the event loop, so that its server closes its connections and the
// dictionary takes away the word file it wrote.

#include <QObject>
#include <functional>

namespace glyphon {

// Ignores SIGPIPE (a reader of our output that goes away must not kill us)
// and calls onQuit from the event loop on SIGINT, SIGTERM and SIGHUP; a
// hang-up that was already ignored (nohup) stays ignored. Call once.
void quitOnTerminationSignals(QObject *context, std::function<void()> onQuit);

} // namespace glyphon
