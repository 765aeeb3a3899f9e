#include "dictionary_support.h"

#include "dictionary/tdictn.h"

#include <QDir>
#include <QFile>

namespace dicttest {

QByteArray record(const QByteArray &text, int lengthByte)
{
    QByteArray bytes(1, char(lengthByte));
    bytes += text.leftJustified(TDictn::RecordSize - 1, ' ', true);
    return bytes;
}

QByteArray records(std::initializer_list<const char *> words)
{
    QByteArray bytes;
    for (const char *word : words)
        bytes += record(word);
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray builtInList()
{
    return readFile(QStringLiteral(":/TEXT_DEMO"));
}

QStringList &messages()
{
    static QStringList list;
    return list;
}

TDictn::MissingListHandler catchMessages()
{
    return [](const QString &message) { messages().append(message); };
}

WorkingDir::WorkingDir(const QString &dir)
    : m_previous(QDir::currentPath())
{
    QDir::setCurrent(dir);
}

WorkingDir::~WorkingDir()
{
    QDir::setCurrent(m_previous);
}

} // namespace dicttest
