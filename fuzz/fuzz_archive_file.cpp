// Archive files: the columns read by position stay within their widths, and rows read
// from a file save and read back as the same rows.
#include "files/archive_file.h"
#include "fuzz_support.h"

using namespace pelmo;
using namespace pelmo::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ArchiveFileTexts texts = decodeArchiveFile(bytes);
    for (const QString* t :
         {&texts.recordTime, &texts.recordDate, &texts.stationTime, &texts.stationDate}) {
        FUZZ_CHECK(t->size() <= 8);
    }
    ArchiveRows rows;
    std::size_t used = 0;
    for (const ArchiveRow& row : texts.rows) {
        FUZZ_CHECK(row.label.size() <= 16 && row.value.size() <= 12 && row.unit.size() <= 8);
        FUZZ_CHECK(!row.value.contains(QLatin1Char('.')));
        if (row.label.isEmpty()) {
            break;
        }
        rows[used++] = row;
    }
    const QByteArray saved = encodeArchiveFile(ArchiveRecordState{}, rows);
    const ArchiveFileTexts again = decodeArchiveFile(saved);
    for (std::size_t i = 0; i < used; ++i) {
        FUZZ_CHECK(again.rows[i].label == rows[i].label);
    }
    return 0;
}
