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

WriteResult writeFileAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return WriteResult::OpenFailed;
    }
    // The explicit flush matters: commit() closes the file, and a write the kernel cuts
    // short there (disk full, file size limit) is not reported by it, so a truncated file
    // would be renamed over the good one.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return WriteResult::WriteFailed;
    }
    return file.commit() ? WriteResult::Ok : WriteResult::WriteFailed;
}

WriteResult writeFileAtomically(const QString& path, const QByteArray& bytes, Prompts& prompts) {
    const WriteResult result = writeFileAtomically(path, bytes);
    if (result == WriteResult::OpenFailed) {
        reportFileError(prompts);
    }
    return result;
}

}  // namespace pelmo
