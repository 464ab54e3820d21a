#include "base/file_access.h"

#include <QFile>
#include <QSaveFile>

#include "base/prompts.h"

namespace pelmo {

void reportFileError(Prompts& prompts) {
    prompts.error(QString::fromUtf8("Chyba při práci se souborem!"));
}

std::optional<QByteArray> readFileReporting(const QString& path, qint64 maxBytes,
                                            Prompts& prompts) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reportFileError(prompts);
        return std::nullopt;
    }
    QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes) {
        bytes.truncate(maxBytes);
    }
    return bytes;
}

WriteResult writeFileAtomically(const QString& path, const QByteArray& bytes, Prompts& prompts) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        reportFileError(prompts);
        return WriteResult::OpenFailed;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        return WriteResult::WriteFailed;
    }
    return WriteResult::Ok;
}

}  // namespace pelmo
