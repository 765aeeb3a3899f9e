#pragma once
// How strongly Rizi plays a seat: Classic is the original player, Gentle a
// friendly one for beginners, Strong the best word the dictionary allows.

#include <QString>
#include <QStringView>
#include <optional>

namespace glyphon {

enum class RiziLevel { Gentle, Classic, Strong };

// "gentle", "classic", "strong": the settings file's and the command line's
// words. Any letter case is read; anything else is no level.
std::optional<RiziLevel> riziLevelFromName(QStringView name);
QString riziLevelName(RiziLevel level);
// "Gentle", "Classic", "Strong", for menus and the log.
QString riziLevelTitle(RiziLevel level);

} // namespace glyphon
