#pragma once
// glyphon://ADDRESS[:PORT] links: a web page or a chat line points at a game
// host with one, and a click on it starts (or shows) the window that joins.
// A link comes from strangers, so it is read strictly: a host name or an
// IPv4 address and a port, nothing that could smuggle anything else.

#include <QString>

#include <optional>

namespace glyphon {

struct GameAddress
{
    QString host; // lower case
    quint16 port = 7772;
};

// Longest link read at all; a host name alone may have 253 characters.
constexpr qsizetype MaxGameLinkLength = 270;

// "glyphon://host", "glyphon://host:port", either with one trailing "/";
// the scheme in any case. Refused: other schemes, user@ parts, [IPv6],
// percent escapes, blanks, paths, queries, port 0 or past 65535.
std::optional<GameAddress> parseGameLink(const QString &text);

// The link for a game host, always with its port.
QString gameLink(const QString &host, quint16 port);

} // namespace glyphon
