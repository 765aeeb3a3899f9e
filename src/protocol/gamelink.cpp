#include "protocol/gamelink.h"

#include <QStringList>

namespace glyphon {

namespace {

const QLatin1String Scheme("glyphon://");

bool isLabelChar(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        || c == QLatin1Char('-');
}

bool allDigits(const QString &text)
{
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return !text.isEmpty();
}

// A host name by its labels, or a dotted IPv4 address. Names made of digits
// alone ("1.2.3", "3232235777") are refused: resolvers read them as odd
// address forms, which would join somewhere else than the text shows.
bool validHost(const QString &host)
{
    if (host.isEmpty() || host.size() > 253)
        return false;
    const QStringList labels = host.split(QLatin1Char('.'));
    bool numeric = true;
    for (const QString &label : labels) {
        if (label.isEmpty() || label.size() > 63 || label.startsWith(QLatin1Char('-'))
            || label.endsWith(QLatin1Char('-')))
            return false;
        for (QChar c : label) {
            if (!isLabelChar(c))
                return false;
        }
        numeric = numeric && allDigits(label);
    }
    if (!numeric)
        return !allDigits(labels.last()); // a top-level name is never a number
    if (labels.size() != 4)
        return false;
    for (const QString &label : labels) {
        if (label.size() > 3 || label.toUInt() > 255 || (label.size() > 1 && label.startsWith(QLatin1Char('0'))))
            return false;
    }
    return true;
}

} // namespace

std::optional<GameAddress> parseGameLink(const QString &text)
{
    if (text.size() > MaxGameLinkLength || !text.startsWith(Scheme, Qt::CaseInsensitive))
        return std::nullopt;
    QString rest = text.mid(Scheme.size());
    if (rest.endsWith(QLatin1Char('/')))
        rest.chop(1);
    QString host = rest;
    GameAddress address;
    const qsizetype colon = rest.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        host = rest.left(colon);
        const QString port = rest.mid(colon + 1);
        if (!allDigits(port) || port.size() > 5 || port.toUInt() < 1 || port.toUInt() > 65535)
            return std::nullopt;
        address.port = quint16(port.toUInt());
    }
    address.host = host.toLower();
    if (!validHost(address.host))
        return std::nullopt;
    return address;
}

QString gameLink(const QString &host, quint16 port)
{
    return Scheme + host + QLatin1Char(':') + QString::number(port);
}

} // namespace glyphon
