#pragma once
// The framing and the field reading of the game's messages, shared by host
// and window. The grammar they follow is written once, at the top of the
// messages' codec (core/messages.h).

#include "protocol/codepage.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <initializer_list>
#include <optional>

namespace glyphon {

inline constexpr char Terminator = '\xFF';
inline constexpr const char *VersionText = "1.0.2";

// Builds one framed message. Pass an empty last field for messages that end
// "+" directly before the terminator.
QByteArray buildMessage(const char *name, std::initializer_list<QByteArray> fields);
QByteArray buildMessage(const char *name, const QList<QByteArray> &fields);

// Per-connection receive buffer: bytes in, whole messages out. Never passes
// on half a message; refuses to hold more than maxPending bytes without a
// terminator, so a peer cannot make it grow without bound.
class FrameBuffer
{
public:
    static constexpr qsizetype DefaultMaxPending = 64 * 1024;
    explicit FrameBuffer(qsizetype maxPending = DefaultMaxPending) : m_maxPending(maxPending) {}

    // Appends bytes and moves every complete message (without its terminator)
    // to out. Returns false when the unterminated rest exceeds the cap; the
    // buffer is then cleared and the connection should be dropped.
    bool append(const QByteArray &bytes, QList<QByteArray> &out);
    qsizetype pending() const { return m_buffer.size(); }
    void clear() { m_buffer.clear(); }

private:
    QByteArray m_buffer;
    qsizetype m_maxPending;
};

// A queued message cut into its command name and data (the text after the
// first "+"). A message without "+" has an empty name and is to be ignored.
struct Command
{
    QByteArray name;
    QByteArray data;
};
Command splitCommand(const QByteArray &message);

// Reads "+"-separated fields left to right, as every handler does.
class FieldReader
{
public:
    explicit FieldReader(const QByteArray &data) : m_data(data) {}

    bool atEnd() const { return m_pos >= m_data.size(); }
    // The text up to the next "+" (consumed with it), or the rest when none.
    QByteArray next();
    // A decimal field; nullopt (and the field consumed) when it is not one.
    std::optional<int> nextInt();
    // Everything not read yet.
    QByteArray rest();

private:
    QByteArray m_data;
    qsizetype m_pos = 0;
};

// Strict decimal reading used for all numeric fields: optional sign, digits,
// nothing else, within int range.
std::optional<int> parseInt(const QByteArray &text);

// The windows' edge: text to and from the wire's code page. "ÿ" is
// the terminator's byte and goes as "?", like any character the code page
// lacks.
inline QString fromWire(const QByteArray &bytes) { return fromAnsi(bytes); }
QByteArray toWire(const QString &text);
inline QByteArray number(int n) { return QByteArray::number(n); }

// The host's first message to whoever connects: a seat offered, or every
// seat taken. Named here too, so that the host probe knows a host without
// the messages' codec, which takes these names.
namespace greeting {
inline constexpr const char *SeatOffered = "CMD_sendlogininfo";
inline constexpr const char *Full = "CMD_full";
} // namespace greeting

// Names are cut to this many characters (bytes, in the code page) at login.
inline constexpr qsizetype MaxNameLength = 20;
// A login name as the host lists and relays it. A "+" would split the lists
// that carry several names (CMD_existingplayers), so it becomes "-": ASCII
// reads the same in every Windows code page, where a byte such as 0xB1
// ("±" here) shows as another letter in some and, in the Asian ones, starts
// a two-byte character that swallows the next. Then the name is cut to
// MaxNameLength, so every window and peer shows the same name.
QByteArray loginName(const QByteArray &wireName);

} // namespace glyphon
