#include "files/message_file.h"

#include <QFileInfo>

#include "base/cp1250.h"
#include "base/file_access.h"
#include "files/program_folder.h"

namespace pelmo {

QByteArray encodeMessageExport(const std::vector<MessageRow>& rows) {
    QByteArray out;
    for (const MessageRow& r : rows) {
        const QString line = QStringLiteral("   ") + r[0] + QLatin1Char(' ') + r[1] +
                             QStringLiteral("  ") + r[2] + QStringLiteral("  ") + r[3] +
                             QStringLiteral("\r\n");
        out += QByteArray::fromStdString(toCp1250(line));
    }
    return out;
}

MessageExportResult exportMessages(const QString& path, const std::vector<MessageRow>& rows,
                                   Prompts& prompts) {
    makeStationFolder(QFileInfo(path).absolutePath());
    switch (writeFileAtomically(path, encodeMessageExport(rows), prompts)) {
        case WriteResult::Ok:
            return MessageExportResult::Ok;
        case WriteResult::OpenFailed:
            return MessageExportResult::OpenFailed;
        case WriteResult::WriteFailed:
            break;
    }
    return MessageExportResult::WriteFailed;
}

}  // namespace pelmo
