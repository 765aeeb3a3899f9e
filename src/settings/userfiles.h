#pragma once
// Where the program keeps the files a user owns: the settings file, the tally
// and the tile sets live "beside the program" when its folder can be written
// (a copy unpacked in a home folder), and in the per-user folders otherwise
// (an installed copy). Every reader and writer of those files asks one of
// these, made once at start-up and handed down, so they all agree on one place.

#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace glyphon {

class UserFiles
{
public:
    // No folder beside the program: everything goes to the per-user folders.
    UserFiles() = default;
    // programFolder: the program's own folder (applicationDirPath). readOnly
    // treats it as read-only whatever its permissions say (running as root
    // ignores them, so tests need the switch).
    explicit UserFiles(const QString &programFolder, bool readOnly = false);

    QString programFolder() const { return m_programFolder; }
    bool programFolderWritable() const;

    // The full path of a file the program writes, e.g. "marnetlobby.ini"
    // with AppConfigLocation or "Glyphontally.tld" with AppDataLocation: beside
    // the program when that folder can be written, else in the per-user
    // folder of that kind (created on demand).
    QString writablePath(const QString &fileName, QStandardPaths::StandardLocation perUser) const;

    // Folders to search for a read-only resource folder such as
    // "glyphontiles": beside the program, the per-user data folder, then the
    // installed data folders. Only folders that exist are listed, each once.
    QStringList searchFolders(const QString &folderName) const;

private:
    QString m_programFolder;
    bool m_readOnly = false;
};

} // namespace glyphon
