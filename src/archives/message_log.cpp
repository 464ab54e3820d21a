#include "archives/message_log.h"

#include "base/texts.h"
#include "link/time_code.h"

namespace pelmo {

namespace {
constexpr std::size_t kRecord = 6;
// Rows from this one on add a row below them.
constexpr int kGrowFromRow = 22;
}  // namespace

std::optional<MessageBlock> messageBlock(std::span<const std::uint8_t> answer, bool first) {
    const std::size_t statusAt = first ? 2 : 1;
    const std::size_t lengthAt = first ? 4 : 2;
    const std::size_t from = first ? 7 : 3;
    if (answer.size() <= lengthAt) {
        return std::nullopt;
    }
    const std::size_t last = lengthAt + answer[lengthAt];  // 4 + L or 2 + L
    MessageBlock block;
    block.more = (answer[statusAt] & kMoreMessages) != 0;
    if (last < from) {
        return block;
    }
    // The data must end before the two trailer bytes.
    if (last + 2 >= answer.size()) {
        return std::nullopt;
    }
    block.data = answer.subspan(from, last - from + 1);
    return block;
}

QString messageText(std::uint8_t type) {
    switch (type) {
        case 3:
            return txt(kTextPowerOFF);
        case 4:
            return txt(kTextPowerON);
        case 14:
            return txt(kTextMeasuringStarted);
        default:
            return txt(kTextMessageUnknown);
    }
}

MessageRecords messageRecords(std::span<const std::uint8_t> bytes) {
    MessageRecords out;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += kRecord) {
        if (at + kRecord > bytes.size()) {
            out.tailError = true;
            break;
        }
        const std::uint32_t stamp = static_cast<std::uint32_t>(bytes[at]) |
                                    (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
                                    (static_cast<std::uint32_t>(bytes[at + 2]) << 16) |
                                    (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
        StationCalendar cal;
        calendarFromTimeCode(stamp, cal);
        if (timeText(cal, TimeTextKind::Date) == "--/--/--") {
            continue;
        }
        out.records.push_back({stamp, bytes[at + 5]});
    }
    return out;
}

MessageTable fillMessageTable(std::span<const std::uint8_t> bytes) {
    MessageTable table;
    const MessageRecords log = messageRecords(bytes);
    table.tailError = log.tailError;
    int row = 1;
    for (const MessageRecord& r : log.records) {
        StationCalendar cal;
        calendarFromTimeCode(r.stamp, cal);
        table.rows.push_back({QString::number(row) + QLatin1Char('.'),
                              QString::fromStdString(timeText(cal, TimeTextKind::Time)),
                              QString::fromStdString(timeText(cal, TimeTextKind::Date)),
                              messageText(r.type)});
        if (row >= kGrowFromRow) {
            ++table.gridRows;
        }
        ++row;
    }
    return table;
}

std::vector<MessageRow> messageExportRows(const MessageTable& table) {
    std::vector<MessageRow> rows = table.rows;
    rows.resize(static_cast<std::size_t>(table.gridRows - 1));
    return rows;
}

}  // namespace pelmo
