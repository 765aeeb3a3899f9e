#pragma once
// Names at a table: how a login's name (cleaned as protocol/peertext.h
// says) is made unique among the seats.

#include <QByteArray>
#include <functional>

namespace glyphon {

// Two names that a window would take for one: compared in the code page
// without regard to case (é and É are one letter).
bool sameName(const QByteArray &a, const QByteArray &b);

// name, or name with " 2", " 3" ... (cut to fit the wire's 20 bytes) when
// taken(candidate) says another seat already has it.
QByteArray uniqueName(const QByteArray &name, const std::function<bool(const QByteArray &)> &taken);

} // namespace glyphon
