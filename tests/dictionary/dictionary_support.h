#pragma once
// Helpers for the dictionary tests: record files built by hand, a working
// directory switched for the length of a test, and the missing-list messages.

#include "dictionary/tdictn.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <initializer_list>

namespace dicttest {

// One 15-byte record: the length byte, then text cut or blank-padded to 14.
QByteArray record(const QByteArray &text, int lengthByte = 30);
// Records of the default length byte, in the order given.
QByteArray records(std::initializer_list<const char *> words);
bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// The built-in list as the program carries it.
QByteArray builtInList();

// Messages the dictionary reported since the last clear.
QStringList &messages();
// A handler that routes the missing-list message into messages().
TDictn::MissingListHandler catchMessages();

// Switches the process into dir and back on destruction.
class WorkingDir
{
public:
    explicit WorkingDir(const QString &dir);
    ~WorkingDir();
    WorkingDir(const WorkingDir &) = delete;
    WorkingDir &operator=(const WorkingDir &) = delete;

private:
    QString m_previous;
};

} // namespace dicttest
