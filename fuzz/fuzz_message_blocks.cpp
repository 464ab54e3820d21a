// READ_MESSAGES answers, as a first and as a further block, and the message table and
// Hlaseni.dat export built from message bytes (the whole input).
#include <algorithm>

#include "archives/message_log.h"
#include "files/message_file.h"
#include "fuzz_support.h"

using namespace pelmo;
using namespace pelmo::fuzz;

namespace {

void checkTable(std::span<const std::uint8_t> bytes) {
    const MessageTable table = fillMessageTable(bytes);
    FUZZ_CHECK(table.rows.size() <= bytes.size() / 6);
    const int grown = std::max(0, static_cast<int>(table.rows.size()) - 21);
    FUZZ_CHECK(table.gridRows == kMessageGridRows + grown);
    const std::size_t tail = bytes.size() % 6;
    FUZZ_CHECK(table.tailError == (tail >= 2));
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
        FUZZ_CHECK(table.rows[i][0] == QString::number(i + 1) + QLatin1Char('.'));
        FUZZ_CHECK(table.rows[i][1].size() == 8 && table.rows[i][2].size() == 8);
    }
    const auto rows = messageExportRows(table);
    FUZZ_CHECK(rows.size() == static_cast<std::size_t>(table.gridRows - 1));
    const QByteArray file = encodeMessageExport(rows);
    FUZZ_CHECK(file.count("\r\n") == static_cast<qsizetype>(rows.size()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto answer = bytesOf(data, size);
    for (const bool first : {true, false}) {
        const auto block = messageBlock(answer, first);
        const std::size_t lengthAt = first ? 4 : 2;
        const std::size_t from = first ? 7 : 3;
        const std::size_t last = size > lengthAt ? lengthAt + answer[lengthAt] : 0;
        FUZZ_CHECK(block.has_value() == (size > lengthAt && (last < from || last + 2 < size)));
        if (!block) {
            continue;
        }
        FUZZ_CHECK(block->more == ((answer[first ? 2 : 1] & kMoreMessages) != 0));
        if (!block->data.empty()) {
            FUZZ_CHECK(block->data.data() == data + from);
            // The data ends before the trailer.
            FUZZ_CHECK(from + block->data.size() + 2 <= size);
            FUZZ_CHECK(lengthAt + answer[lengthAt] == from + block->data.size() - 1);
        }
    }
    // The table fills from any bytes; the whole answer stands for a block's data.
    checkTable(answer);
    return 0;
}
