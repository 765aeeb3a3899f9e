#pragma once
// A small INI layer that behaves like the Windows private-profile functions,
// because the settings file is shared with other programs that expect them:
// sections and keys match without regard to letter case, and a write touches
// only its own line (or adds the key at the end of its section, or the
// section at the end of the file). Every other byte stays as it was: line
// ends CRLF or LF, a last line without a line end, comments, blank lines,
// spacing around "=", other sections. QSettings rewrites whole files, so it
// does not fit. Text is in the Windows code page, as those functions keep
// it; a value an earlier version wrote in UTF-8 is read as that.

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <utility>

namespace glyphon {

// The text of one INI file, read and edited in memory.
class ProfileText
{
public:
    ProfileText() = default;
    explicit ProfileText(QByteArray bytes)
        : m_bytes(std::move(bytes))
    {
    }

    // The value of the first matching key in the first matching section,
    // blanks around it and one pair of enclosing quotes removed; nullopt
    // when the section or key is missing.
    std::optional<QString> value(const QString &section, const QString &key) const;

    // Replaces the value of the key in place (the key's spelling and the
    // spacing around "=" stay), or adds "key=value" after the last line of
    // the section, or adds the section at the end. Line breaks in value
    // become blanks, so a value can never start a line of its own.
    void setValue(const QString &section, const QString &key, const QString &value);

    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray lineEnd() const;

    QByteArray m_bytes;
};

using ProfileEntries = QList<std::pair<QString, QString>>;

class ProfileFile
{
public:
    // Anything larger is not a settings file; it is neither read nor written.
    static constexpr qint64 MaxBytes = 1024 * 1024;

    explicit ProfileFile(QString path)
        : m_path(std::move(path))
    {
    }

    const QString &path() const { return m_path; }

    // The file's text; empty when it is missing, unreadable, not a regular
    // file or larger than MaxBytes.
    ProfileText read() const;

    // Writes the entries, in order, into one section, with one new copy of
    // the file renamed over the old, so a failed or interrupted write
    // leaves the old file whole. The file is read again first, so what
    // another program wrote meanwhile is kept. false when nothing was
    // written: the folder cannot be written, or the file is too large or
    // not a regular file (it is left alone rather than cut short).
    bool write(const QString &section, const ProfileEntries &entries) const;

private:
    enum class State { Missing, Usable, Unusable };
    State load(QByteArray *bytes) const;

    QString m_path;
};

} // namespace glyphon
