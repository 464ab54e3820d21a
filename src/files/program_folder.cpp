#include "files/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace pelmo {

QString programFolderFor(const QString& programDir) {
    const QFileInfo info(programDir);
    if (info.isDir() && info.isWritable()) {
        return programDir;
    }
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (data.isEmpty()) {
        return programDir;
    }
    QDir().mkpath(data);
    return data;
}

QString programFolder() {
    return programFolderFor(QCoreApplication::applicationDirPath());
}

QString stationFolder(const QString& base, std::uint16_t serialNumber) {
    return QDir(base).filePath(QString::number(serialNumber) + QStringLiteral(".000"));
}

void makeStationFolder(const QString& folder) {
    QDir().mkdir(folder);
}

}  // namespace pelmo
