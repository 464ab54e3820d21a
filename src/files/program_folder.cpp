#include "files/program_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace pelmo {

bool installedProgramDir(const QString& programDir) {
    const QString canonical = QFileInfo(programDir).canonicalFilePath();
    const QString path = canonical.isEmpty() ? QDir::cleanPath(programDir) : canonical;
    return path == QStringLiteral("/usr") || path.startsWith(QStringLiteral("/usr/"));
}

QString writableProgramPlace(const QString& programDir, const QString& userFolder) {
    const QFileInfo info(programDir);
    if (info.isDir() && info.isWritable() && !installedProgramDir(programDir)) {
        return programDir;
    }
    if (userFolder.isEmpty()) {
        return programDir;
    }
    QDir().mkpath(userFolder);
    return userFolder;
}

QString programFolderFor(const QString& programDir) {
    return writableProgramPlace(programDir,
                                QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

QString stationFolder(const QString& base, std::uint16_t serialNumber) {
    return QDir(base).filePath(QString::number(serialNumber) + QStringLiteral(".000"));
}

void makeStationFolder(const QString& folder) {
    QDir().mkdir(folder);
}

}  // namespace pelmo
