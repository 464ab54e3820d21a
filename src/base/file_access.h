#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace pelmo {

class Prompts;

// The program's file error box: "Chyba při práci se souborem!".
void reportFileError(Prompts& prompts);

// Reads at most `maxBytes` of a file (our formats are small and fixed; the rest of an
// oversized file is never looked at). A file that cannot be opened shows the file error box
// and gives nothing.
std::optional<QByteArray> readFileReporting(const QString& path, qint64 maxBytes, Prompts& prompts);

enum class WriteResult { Ok, OpenFailed, WriteFailed };

// Writes a file through a temporary file in the same folder that is renamed over the
// target, so a failure part-way never leaves a damaged file where a good one was, nor a
// temporary file beside it. Every file the program writes goes through here.
WriteResult writeFileAtomically(const QString& path, const QByteArray& bytes);
// The same; a file that cannot be created shows the file error box.
WriteResult writeFileAtomically(const QString& path, const QByteArray& bytes, Prompts& prompts);

// Files that only make sense together (a recording and the station file beside it): each is
// written to its temporary file first, and none replaces its target unless all were written,
// so a failure leaves the old pair, never a new file beside an old one.
WriteResult writeFilesAtomically(const std::vector<std::pair<QString, QByteArray>>& files,
                                 Prompts& prompts);

}  // namespace pelmo
