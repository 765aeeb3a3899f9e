#pragma once
// The game's wire grammar, shared by server and client.
//
//   message  := name ( "+" field )* 0xFF
//   name     := "CMD_" letters            (compared exactly)
//   field    := any bytes except 0xFF     (a last field "the rest" may hold "+")
//
// Text travels as UTF-8: its bytes never include 0xFF, so any name or chat
// line can cross the wire without breaking the framing.

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

inline QString fromWire(const QByteArray &bytes) { return QString::fromUtf8(bytes); }
inline QByteArray toWire(const QString &text) { return text.toUtf8(); }
inline QByteArray number(int n) { return QByteArray::number(n); }

// A name that travels as one field among others (CMD_existingplayers lists
// several): each "+" becomes the full-width plus U+FF0B, which looks alike
// but cannot end a field. Names without "+" are kept as they are.
QString fieldSafeName(const QByteArray &wireName);

} // namespace glyphon
