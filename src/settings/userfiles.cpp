#include "settings/userfiles.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>

namespace glyphon {

UserFiles::UserFiles(const QString &programFolder, bool readOnly)
    : m_programFolder(programFolder)
    , m_readOnly(readOnly)
{
}

bool UserFiles::programFolderWritable() const
{
    if (m_readOnly || m_programFolder.isEmpty())
        return false;
    // access() asks the kernel, which knows about read-only mounts as well as
    // permissions; QFileInfo::isWritable() looks at the mode bits only.
    return ::access(QFile::encodeName(m_programFolder).constData(), W_OK | X_OK) == 0;
}

QString UserFiles::writablePath(const QString &fileName, QStandardPaths::StandardLocation perUser) const
{
    if (programFolderWritable())
        return QDir(m_programFolder).filePath(fileName);
    const QString folder = QStandardPaths::writableLocation(perUser);
    QDir().mkpath(folder);
    return QDir(folder).filePath(fileName);
}

QStringList UserFiles::searchFolders(const QString &folderName) const
{
    QStringList candidates;
    if (!m_programFolder.isEmpty())
        candidates << QDir(m_programFolder).filePath(folderName);
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
