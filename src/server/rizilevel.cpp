#include "server/rizilevel.h"

namespace glyphon {

std::optional<RiziLevel> riziLevelFromName(QStringView name)
{
    for (RiziLevel level : {RiziLevel::Gentle, RiziLevel::Classic, RiziLevel::Strong})
        if (name.trimmed().compare(riziLevelName(level), Qt::CaseInsensitive) == 0)
            return level;
    return std::nullopt;
}

QString riziLevelName(RiziLevel level)
{
    switch (level) {
    case RiziLevel::Gentle: return QStringLiteral("gentle");
    case RiziLevel::Strong: return QStringLiteral("strong");
    case RiziLevel::Classic: break;
    }
    return QStringLiteral("classic");
}

QString riziLevelTitle(RiziLevel level)
{
    QString title = riziLevelName(level);
    title[0] = title[0].toUpper();
    return title;
}

} // namespace glyphon
