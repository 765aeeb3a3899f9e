#pragma once
// Where the program keeps the files a user owns: the settings file, the tally
// and the tile sets live "beside the program" when its folder can be written
// (a copy unpacked in a home folder), and in the per-user folders otherwise
// (an installed copy). Every reader and writer of those files asks here, so
// they all agree on one place.

#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace glyphon {

class UserFiles
{
public:
    // The folder beside the program; tests point it at a temporary folder.
    static QString programFolder();
    static void setProgramFolderForTesting(const QString &folder);
    // Treats the program's folder as read-only whatever its permissions say
    // (running as root ignores them, so tests need the switch).
    static void setProgramFolderReadOnlyForTesting(bool readOnly);

    static bool programFolderWritable();

    // The full path of a file the program writes, e.g. "marnetlobby.ini"
    // with AppConfigLocation or "Glyphontally.tld" with AppDataLocation: beside
    // the program when that folder can be written, else in the per-user
    // folder of that kind (created on demand).
    static QString writablePath(const QString &fileName, QStandardPaths::StandardLocation perUser);

    // Folders to search for a read-only resource folder such as
    // "glyphontiles": beside the program, the per-user data folder, then the
    // installed data folders. Only folders that exist are listed, each once.
    static QStringList searchFolders(const QString &folderName);
};

} // namespace glyphon
