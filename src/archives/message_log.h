#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "files/message_file.h"

namespace pelmo {

// The more-data bit of a READ_MESSAGES block's status byte.
inline constexpr std::uint8_t kMoreMessages = 0x08;
inline constexpr int kMessageGridRows = 23;

struct MessageBlock {
    bool more = false;
    std::span<const std::uint8_t> data;
};

// Status byte and data bytes of one READ_MESSAGES answer: the first block has its status at
// byte 2, its length L at byte 4 and data at 7..4+L; a further block its status at 1, L at 2
// and data at 3..2+L. Nothing when the length names bytes the answer does not hold.
std::optional<MessageBlock> messageBlock(std::span<const std::uint8_t> answer, bool first);

// The records of a log that take a row (those not dated 1980), oldest first: six bytes
// each, a time stamp (least significant byte first) and the type in the last byte.
struct MessageRecord {
    std::uint32_t stamp = 0;
    std::uint8_t type = 0;
};
struct MessageRecords {
    std::vector<MessageRecord> records;
    bool tailError = false;  // a trailing group of 2..5 bytes ended the log
};
MessageRecords messageRecords(std::span<const std::uint8_t> bytes);

// The message table: rows 1.. as shown and the grid's row count, which grows by one for
// every record placed in row 22 or later. Records whose date falls in 1980 take no row.
struct MessageTable {
    std::vector<MessageRow> rows;
    int gridRows = kMessageGridRows;
    bool tailError = false;  // a trailing group of 2..5 bytes ended the filling
};
MessageTable fillMessageTable(std::span<const std::uint8_t> bytes);

// Text of a message type in the current language (236, 237, 238, else 241).
QString messageText(std::uint8_t type);

// Grid rows 1..last as the export writes them: the records, then empty rows.
std::vector<MessageRow> messageExportRows(const MessageTable& table);

}  // namespace pelmo
