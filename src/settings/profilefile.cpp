#include "settings/profilefile.h"

#include "protocol/codepage.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace glyphon {

namespace {

struct Line
{
    qsizetype start = 0;
    qsizetype end = 0;  // end of the text, before "\r\n" or "\n"
    qsizetype next = 0; // start of the following line
};

QList<Line> splitLines(const QByteArray &bytes)
{
    QList<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', start);
        Line line;
        line.start = start;
        if (newline < 0) {
            line.end = line.next = bytes.size();
        } else {
            line.end = newline > start && bytes.at(newline - 1) == '\r' ? newline - 1 : newline;
            line.next = newline + 1;
        }
        lines.append(line);
        start = line.next;
    }
    return lines;
}

QByteArray textOf(const QByteArray &bytes, const Line &line)
{
    QByteArray text = bytes.mid(line.start, line.end - line.start);
    // A byte order mark, as some editors write it, is not part of a name.
    if (line.start == 0 && text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    return text;
}

// The section a header line opens, or nullopt when the line is no header.
std::optional<QString> sectionName(const QByteArray &text)
{
    const QByteArray trimmed = text.trimmed();
    if (!trimmed.startsWith('['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return fromAnsi(trimmed.mid(1, close - 1).trimmed());
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isKeyLine(const QByteArray &text, const QString &key, qsizetype *equals)
{
    const qsizetype eq = text.indexOf('=');
    if (eq < 0)
        return false;
    if (!sameName(fromAnsi(text.left(eq).trimmed()), key))
        return false;
    *equals = eq;
    return true;
}

// The lines [first, last) of the first matching section, first being its
// header; nullopt when the file has no such section.
std::optional<std::pair<qsizetype, qsizetype>> findSection(const QByteArray &bytes, const QList<Line> &lines,
                                                          const QString &section)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(textOf(bytes, lines.at(i)));
        if (!name || !sameName(*name, section))
            continue;
        qsizetype j = i + 1;
        while (j < lines.size() && !sectionName(textOf(bytes, lines.at(j))))
            ++j;
        return std::make_pair(i, j);
    }
    return std::nullopt;
}

QByteArray oneLine(const QString &value)
{
    QString flat = value;
    flat.replace(QLatin1Char('\r'), QLatin1Char(' '));
    flat.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return toAnsi(flat);
}

} // namespace

std::optional<QString> ProfileText::value(const QString &section, const QString &key) const
{
    const QList<Line> lines = splitLines(m_bytes);
    const auto range = findSection(m_bytes, lines, section);
    if (!range)
        return std::nullopt;
    for (qsizetype i = range->first + 1; i < range->second; ++i) {
        const QByteArray text = textOf(m_bytes, lines.at(i));
        qsizetype eq = 0;
        if (!isKeyLine(text, key, &eq))
            continue;
        QByteArray value = text.mid(eq + 1).trimmed();
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        return fromStoredText(value);
    }
    return std::nullopt;
}

QByteArray ProfileText::lineEnd() const
{
    const qsizetype newline = m_bytes.indexOf('\n');
    if (newline > 0 && m_bytes.at(newline - 1) == '\r')
        return QByteArrayLiteral("\r\n");
    return QByteArrayLiteral("\n");
}

void ProfileText::setValue(const QString &section, const QString &key, const QString &value)
{
    const QByteArray eol = lineEnd();
    const QByteArray text = oneLine(value);
    const QList<Line> lines = splitLines(m_bytes);
    const auto range = findSection(m_bytes, lines, section);
    if (!range) {
        QByteArray added;
        if (!m_bytes.isEmpty()) {
            if (!m_bytes.endsWith('\n'))
                added += eol;
            if (!lines.isEmpty() && !textOf(m_bytes, lines.last()).trimmed().isEmpty())
                added += eol; // a blank line between sections, as people write them
        }
        added += '[' + oneLine(section) + ']' + eol + oneLine(key) + '=' + text + eol;
        m_bytes += added;
        return;
    }

    qsizetype lastFilled = range->first;
    for (qsizetype i = range->first + 1; i < range->second; ++i) {
        const Line &line = lines.at(i);
        const QByteArray content = textOf(m_bytes, line);
        qsizetype eq = 0;
        if (isKeyLine(content, key, &eq)) {
            // Only the value changes; the key as written and the blanks
            // after "=" stay.
            qsizetype valueStart = line.start + (line.end - line.start - content.size()) + eq + 1;
            while (valueStart < line.end && (m_bytes.at(valueStart) == ' ' || m_bytes.at(valueStart) == '\t'))
                ++valueStart;
            m_bytes.replace(valueStart, line.end - valueStart, text);
            return;
        }
        if (!content.trimmed().isEmpty())
            lastFilled = i;
    }
    const Line &after = lines.at(lastFilled);
    QByteArray added = oneLine(key) + '=' + text + eol;
    if (after.next == after.end) // the file's last line, without a line end
        added.prepend(eol);
    m_bytes.insert(after.next, added);
}

ProfileFile::State ProfileFile::load(QByteArray *bytes) const
{
    bytes->clear();
    const QFileInfo info(m_path);
    if (!info.exists())
        return State::Missing;
    // A pipe or device could block or never end; only a plain file is read.
    if (!info.isFile())
        return State::Unusable;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return State::Unusable;
    *bytes = file.read(MaxBytes + 1);
    if (bytes->size() > MaxBytes) {
        bytes->clear();
        return State::Unusable;
    }
    return State::Usable;
}

ProfileText ProfileFile::read() const
{
    QByteArray bytes;
    if (load(&bytes) != State::Usable)
        return {};
    return ProfileText(bytes);
}

bool ProfileFile::write(const QString &section, const ProfileEntries &entries) const
{
    QByteArray bytes;
    const State state = load(&bytes);
    if (state == State::Unusable)
        return false;
    ProfileText text(bytes);
    for (const auto &[key, value] : entries)
        text.setValue(section, key, value);
    if (state == State::Usable && text.bytes() == bytes)
        return true;
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(text.bytes()) != text.bytes().size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace glyphon
