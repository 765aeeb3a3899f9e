#include "protocol/wire.h"

namespace glyphon {

namespace {

template<typename Fields>
QByteArray joinMessage(const char *name, const Fields &fields)
{
    QByteArray out(name);
    for (const QByteArray &f : fields) {
        out += '+';
        out += f;
    }
    out += Terminator;
    return out;
}

} // namespace

QByteArray buildMessage(const char *name, std::initializer_list<QByteArray> fields)
{
    return joinMessage(name, fields);
}

QByteArray buildMessage(const char *name, const QList<QByteArray> &fields)
{
    return joinMessage(name, fields);
}

bool FrameBuffer::append(const QByteArray &bytes, QList<QByteArray> &out)
{
    m_buffer += bytes;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = m_buffer.indexOf(Terminator, start);
        if (end < 0)
            break;
        out.append(m_buffer.mid(start, end - start));
        start = end + 1;
    }
    if (start > 0)
        m_buffer.remove(0, start);
    if (m_buffer.size() > m_maxPending) {
        m_buffer.clear();
        return false;
    }
    return true;
}

Command splitCommand(const QByteArray &message)
{
    const qsizetype plus = message.indexOf('+');
    if (plus < 0)
        return {};
    return {message.left(plus), message.mid(plus + 1)};
}

QByteArray FieldReader::next()
{
    if (atEnd())
        return {};
    const qsizetype plus = m_data.indexOf('+', m_pos);
    QByteArray field;
    if (plus < 0) {
        field = m_data.mid(m_pos);
        m_pos = m_data.size();
    } else {
        field = m_data.mid(m_pos, plus - m_pos);
        m_pos = plus + 1;
    }
    return field;
}

std::optional<int> FieldReader::nextInt()
{
    return parseInt(next());
}

QByteArray FieldReader::rest()
{
    QByteArray r = m_data.mid(m_pos);
    m_pos = m_data.size();
    return r;
}

QByteArray toWire(const QString &text)
{
    QByteArray bytes = toAnsi(text);
    bytes.replace(Terminator, '?');
    return bytes;
}

QByteArray loginName(const QByteArray &wireName)
{
    QByteArray name = wireName.left(MaxNameLength);
    name.replace('+', '-');
    return name;
}

std::optional<int> parseInt(const QByteArray &text)
{
    // toInt would also take surrounding white space; the wire does not.
    const qsizetype first = text.startsWith('-') ? 1 : 0;
    if (text.size() <= first)
        return std::nullopt;
    for (qsizetype i = first; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
    }
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return v;
}

} // namespace glyphon
