#include "services/manual.h"

#include <QDir>
#include <QFileInfo>

namespace pelmo {

QString manualPath(Language language, const QString& programDir) {
    const QString page =
        (language == Language::English ? QStringLiteral("en") : QStringLiteral("cs")) +
        QStringLiteral("/index.html");
    const QDir dir(programDir);
    const QStringList folders{
        dir.filePath(QStringLiteral("../share/pelmo/manual")),
        dir.filePath(QStringLiteral("manual")),
#ifdef PELMO_SOURCE_MANUAL
        QStringLiteral(PELMO_SOURCE_MANUAL),
#endif
    };
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(page);
        if (QFileInfo::exists(path)) {
            return QFileInfo(path).canonicalFilePath();
        }
    }
    return {};
}

}  // namespace pelmo
