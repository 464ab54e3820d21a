#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <vector>

namespace pelmo {

class Prompts;

// Cells of one message grid row: number, time, date, text.
using MessageRow = std::array<QString, 4>;

// Hlaseni.dat: per row three blanks, the number, a blank, the time, two blanks, the date,
// two blanks, the text, CR LF. No header, no trailer.
QByteArray encodeMessageExport(const std::vector<MessageRow>& rows);

inline constexpr char kMessageExportName[] = "Hlaseni.dat";

enum class MessageExportResult { Ok, OpenFailed, WriteFailed };

// Creates the folder of `path` and writes the export through a temporary file.
MessageExportResult exportMessages(const QString& path, const std::vector<MessageRow>& rows,
                                   Prompts& prompts);

}  // namespace pelmo
