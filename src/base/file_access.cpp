#include "base/file_access.h"

#include <QFile>
#include <QSaveFile>
#include <memory>

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

namespace {

// Writes the whole of `bytes` into the opened temporary file.
bool writeAll(QSaveFile& file, const QByteArray& bytes) {
    // The explicit flush matters: commit() closes the file, and a write the kernel cuts
    // short there (disk full, file size limit) is not reported by it, so a truncated file
    // would be renamed over the good one.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return true;
}

}  // namespace

WriteResult writeFileAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return WriteResult::OpenFailed;
    }
    if (!writeAll(file, bytes)) {
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

WriteResult writeFilesAtomically(const std::vector<std::pair<QString, QByteArray>>& files,
                                 Prompts& prompts) {
    // A QSaveFile destroyed before its commit removes its temporary file.
    std::vector<std::unique_ptr<QSaveFile>> written;
    for (const auto& [path, bytes] : files) {
        auto file = std::make_unique<QSaveFile>(path);
        if (!file->open(QIODevice::WriteOnly)) {
            reportFileError(prompts);
            return WriteResult::OpenFailed;
        }
        if (!writeAll(*file, bytes)) {
            return WriteResult::WriteFailed;
        }
        written.push_back(std::move(file));
    }
    bool ok = true;
    for (const auto& file : written) {
        ok = ok && file->commit();
    }
    return ok ? WriteResult::Ok : WriteResult::WriteFailed;
}

}  // namespace pelmo
