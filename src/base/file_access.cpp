#include "base/file_access.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <memory>

#include "base/prompts.h"
#include "base/texts.h"

namespace pelmo {

QString fileErrorReason(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return txt(kTextPermissionDenied);
        case ENOSPC:
        case EDQUOT:
            return txt(kTextNoSpaceLeftOn);
        case ENOENT:
            return txt(kTextNoSuchFileOr);
        case EROFS:
            return txt(kTextReadOnlyFileSystem);
        case EISDIR:
            return txt(kTextItIsAFolder);
        case EFBIG:
            return txt(kTextFileTooLarge);
        case ENOTDIR:
        case EEXIST:
            return txt(kTextAFileStandsWhere);
        case 0:
            return txt(kTextUnknownError);
        default:
            break;
    }
    // A rare reason keeps the system's own wording.
    return QString::fromLocal8Bit(std::strerror(error));
}

void reportFileError(Prompts& prompts, const QString& path, FileAccess access, int error) {
    prompts.error(txt(access == FileAccess::Read ? 1064 : 1065)
                      .arg(QDir::toNativeSeparators(path), fileErrorReason(error)));
}

std::optional<QByteArray> readFileReporting(const QString& path, qint64 maxBytes,
                                            Prompts& prompts) {
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        reportFileError(prompts, path, FileAccess::Read, errno);
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
bool writeAll(QSaveFile& file, const QByteArray& bytes, int& error) {
    // The explicit flush matters: commit() closes the file, and a write the kernel cuts
    // short there (disk full, file size limit) is not reported by it, so a truncated file
    // would be renamed over the good one.
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        error = errno;
        file.cancelWriting();
        return false;
    }
    return true;
}

}  // namespace

WriteResult writeFileAtomically(const QString& path, const QByteArray& bytes, int* error) {
    int ignored = 0;
    int& e = error ? *error : ignored;
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        e = errno;
        return WriteResult::OpenFailed;
    }
    if (!writeAll(file, bytes, e)) {
        return WriteResult::WriteFailed;
    }
    errno = 0;
    if (!file.commit()) {
        e = errno;
        return WriteResult::WriteFailed;
    }
    return WriteResult::Ok;
}

WriteResult writeFileAtomically(const QString& path, const QByteArray& bytes, Prompts& prompts) {
    int error = 0;
    const WriteResult result = writeFileAtomically(path, bytes, &error);
    if (result != WriteResult::Ok) {
        reportFileError(prompts, path, FileAccess::Write, error);
    }
    return result;
}

WriteResult writeFilesAtomically(const std::vector<std::pair<QString, QByteArray>>& files,
                                 Prompts& prompts) {
    // A QSaveFile destroyed before its commit removes its temporary file.
    std::vector<std::unique_ptr<QSaveFile>> written;
    int error = 0;
    for (const auto& [path, bytes] : files) {
        auto file = std::make_unique<QSaveFile>(path);
        errno = 0;
        if (!file->open(QIODevice::WriteOnly)) {
            reportFileError(prompts, path, FileAccess::Write, errno);
            return WriteResult::OpenFailed;
        }
        if (!writeAll(*file, bytes, error)) {
            reportFileError(prompts, path, FileAccess::Write, error);
            return WriteResult::WriteFailed;
        }
        written.push_back(std::move(file));
    }
    bool ok = true;
    for (std::size_t i = 0; i < written.size() && ok; ++i) {
        errno = 0;
        ok = written[i]->commit();
        if (!ok) {
            reportFileError(prompts, files[i].first, FileAccess::Write, errno);
        }
    }
    return ok ? WriteResult::Ok : WriteResult::WriteFailed;
}

}  // namespace pelmo
