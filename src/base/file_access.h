#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

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

}  // namespace pelmo
