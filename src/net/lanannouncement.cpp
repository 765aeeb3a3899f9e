#include "net/lanannouncement.h"

#include <QList>
#include <QRandomGenerator>
#include <QStringDecoder>

namespace glyphon::lan {

namespace {

constexpr char Magic[] = "GLYPHON/1";
constexpr int IdLength = 16;

std::optional<int> smallNumber(const QByteArray &text, int min, int max)
{
    // Digits only: no sign, no blanks, no leading zeros beyond a lone "0".
    if (text.isEmpty() || text.size() > 5 || (text.size() > 1 && text[0] == '0'))
        return std::nullopt;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n < min || n > max)
        return std::nullopt;
    return n;
}

bool isHex(const QByteArray &text)
{
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool isUnreserved(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_' || c == '~';
}

// Strict percent-decoding: every byte outside the unreserved set must have
// come as %XX; anything else means the sender is not one of ours.
std::optional<QString> decodeName(const QByteArray &field)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '%') {
            if (i + 2 >= field.size())
                return std::nullopt;
            const int high = hexValue(field[i + 1]);
            const int low = hexValue(field[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            bytes.append(char(high * 16 + low));
            i += 2;
        } else if (isUnreserved(c)) {
            bytes.append(c);
        } else {
            return std::nullopt;
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString name = utf8(bytes);
    if (utf8.hasError() || name.size() > MaxNameLength)
        return std::nullopt;
    for (QChar ch : name) {
        // No line breaks, no direction overrides, nothing invisible.
        if (!ch.isPrint() || ch.category() == QChar::Other_Format)
            return std::nullopt;
    }
    return name;
}

} // namespace

DiscoveryConfig DiscoveryConfig::fromEnvironment()
{
    DiscoveryConfig config;
    bool ok = false;
    const int port = qEnvironmentVariableIntValue("GLYPHON_DISCOVERY_PORT", &ok);
    if (ok && port > 0 && port <= 65535)
        config.port = quint16(port);
    config.loopbackOnly = qEnvironmentVariable("GLYPHON_LOOPBACK_ONLY") == QLatin1String("1");
    return config;
}

QByteArray newGameId()
{
    const quint64 value = QRandomGenerator::global()->generate64();
    return QByteArray::number(value, 16).rightJustified(IdLength, '0');
}

QByteArray encode(const LanGame &game)
{
    QString name = game.hostName.left(MaxNameLength);
    if (name.size() < game.hostName.size() && name.back().isHighSurrogate())
        name.chop(1);
    QByteArray out = Magic;
    out += game.closing ? " bye " : " game ";
    out += game.id + ' ' + QByteArray::number(game.port) + ' ' + QByteArray::number(qBound(0, game.seatsTaken, 2))
        + ' ' + QByteArray::number(qBound(0, game.watchers, MaxWatchers)) + ' ' + (game.running ? '1' : '0') + ' '
        + name.toUtf8().toPercentEncoding();
    return out;
}

std::optional<LanGame> decode(const QByteArray &datagram)
{
    if (datagram.size() > MaxBytes)
        return std::nullopt;
    const QList<QByteArray> fields = datagram.split(' ');
    if (fields.size() != 8 || fields[0] != Magic)
        return std::nullopt;
    LanGame game;
    if (fields[1] == "bye")
        game.closing = true;
    else if (fields[1] != "game")
        return std::nullopt;
    if (fields[2].size() != IdLength || !isHex(fields[2]))
        return std::nullopt;
    game.id = fields[2];
    const auto port = smallNumber(fields[3], 1, 65535);
    const auto seats = smallNumber(fields[4], 0, 2);
    const auto watchers = smallNumber(fields[5], 0, MaxWatchers);
    const auto running = smallNumber(fields[6], 0, 1);
    const auto name = decodeName(fields[7]);
    if (!port || !seats || !watchers || !running || !name)
        return std::nullopt;
    game.port = quint16(*port);
    game.seatsTaken = *seats;
    game.watchers = *watchers;
    game.running = *running == 1;
    game.hostName = *name;
    return game;
}

} // namespace glyphon::lan
