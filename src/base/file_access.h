#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace pelmo {

class Prompts;

enum class FileAccess { Read, Write };

// The program's file error box, in the windows and on the command line alike: the path and
// the system's reason for `error` (an errno value) in the operator's language.
void reportFileError(Prompts& prompts, const QString& path, FileAccess access, int error);
// The system's reason for an errno value, in the operator's language where we have it.
QString fileErrorReason(int error);

// Reads at most `maxBytes` of a file (our formats are small and fixed; the rest of an
// oversized file is never looked at). A file that cannot be opened shows the file error box
// and gives nothing.
std::optional<QByteArray> readFileReporting(const QString& path, qint64 maxBytes, Prompts& prompts);

enum class WriteResult { Ok, OpenFailed, WriteFailed };

// Writes a file through a temporary file in the same folder that is renamed over the
// target, so a failure part-way never leaves a damaged file where a good one was, nor a
// temporary file beside it. Every file the program writes goes through here. `error`
// receives the errno value of a failure.
WriteResult writeFileAtomically(const QString& path, const QByteArray& bytes, int* error = nullptr);
// The same; a file that cannot be created or written shows the file error box, once.
WriteResult writeFileAtomically(const QString& path, const QByteArray& bytes, Prompts& prompts);

// Files that only make sense together (a recording and the station file beside it): each is
// written to its temporary file first, and none replaces its target unless all were written,
// so a failure leaves the old pair, never a new file beside an old one. A failure shows the
// file error box naming the file that failed.
WriteResult writeFilesAtomically(const std::vector<std::pair<QString, QByteArray>>& files,
                                 Prompts& prompts);

}  // namespace pelmo
