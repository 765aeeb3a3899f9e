#include "protocol/peertext.h"

#include "protocol/wire.h"

namespace glyphon {

QByteArray cleanLoginName(const QByteArray &wireName)
{
    QByteArray name;
    name.reserve(std::min<qsizetype>(wireName.size(), 256));
    for (const char c : wireName) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b != 0x7F)
            name.append(c);
    }
    // Blanks that the cut leaves at the end go too.
    return loginName(name.trimmed()).trimmed();
}

QString logText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // C0, DEL, C1 and the Unicode line and paragraph separators.
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029)
            out += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

} // namespace glyphon
