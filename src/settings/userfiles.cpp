#include "settings/userfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <unistd.h>

namespace glyphon {

namespace {
QString g_programFolderOverride;
bool g_forceReadOnly = false;
} // namespace

QString UserFiles::programFolder()
{
    if (!g_programFolderOverride.isEmpty())
        return g_programFolderOverride;
    return QCoreApplication::applicationDirPath();
}

void UserFiles::setProgramFolderForTesting(const QString &folder)
{
    g_programFolderOverride = folder;
}

void UserFiles::setProgramFolderReadOnlyForTesting(bool readOnly)
{
    g_forceReadOnly = readOnly;
}

bool UserFiles::programFolderWritable()
{
    if (g_forceReadOnly)
        return false;
    const QString folder = programFolder();
    // access() asks the kernel, which knows about read-only mounts as well as
    // permissions; QFileInfo::isWritable() looks at the mode bits only.
    return !folder.isEmpty() && ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

QString UserFiles::writablePath(const QString &fileName, QStandardPaths::StandardLocation perUser)
{
    if (programFolderWritable())
        return QDir(programFolder()).filePath(fileName);
    const QString folder = QStandardPaths::writableLocation(perUser);
    QDir().mkpath(folder);
    return QDir(folder).filePath(fileName);
}

QStringList UserFiles::searchFolders(const QString &folderName)
{
    QStringList candidates;
    candidates << QDir(programFolder()).filePath(folderName);
    candidates << QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(folderName);
    for (const QString &dir : QStandardPaths::standardLocations(QStandardPaths::AppDataLocation))
        candidates << QDir(dir).filePath(folderName);
    QStringList found;
    for (const QString &c : candidates) {
        const QString canonical = QFileInfo(c).canonicalFilePath();
        if (!canonical.isEmpty() && QFileInfo(canonical).isDir() && !found.contains(canonical))
            found << canonical;
    }
    return found;
}

} // namespace glyphon
