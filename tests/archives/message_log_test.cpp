// Message blocks and the message table.
#include <gtest/gtest.h>

#include "archives/message_log.h"
#include "base/texts.h"
#include "link/time_code.h"

namespace pelmo {
namespace {

std::vector<std::uint8_t> record(std::uint32_t stamp, std::uint8_t type) {
    return {static_cast<std::uint8_t>(stamp),
            static_cast<std::uint8_t>(stamp >> 8),
            static_cast<std::uint8_t>(stamp >> 16),
            static_cast<std::uint8_t>(stamp >> 24),
            0,
            type};
}

std::vector<std::uint8_t> records(int n, std::uint32_t first = 0x30000000) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < n; ++i) {
        const auto r = record(first + static_cast<std::uint32_t>(i) * 60, 3);
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

TEST(MessageBlocks, FirstAndFurtherBlocksCarryTheirDataWhereTheLengthSays) {
    // 06 01 status 47 L count(2) data... SUM XOR
    std::vector<std::uint8_t> first{0x06, 0x01, 0x48, 0x47, 8, 2, 0, 1, 2, 3, 4, 5, 6, 0, 0};
    auto b = messageBlock(first, true);
    ASSERT_TRUE(b);
    EXPECT_TRUE(b->more);
    EXPECT_EQ(std::vector<std::uint8_t>(b->data.begin(), b->data.end()),
              (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
    // 06 status L data... SUM XOR
    std::vector<std::uint8_t> next{0x06, 0x40, 3, 7, 8, 9, 0, 0};
    b = messageBlock(next, false);
    ASSERT_TRUE(b);
    EXPECT_FALSE(b->more);
    EXPECT_EQ(b->data.size(), 3u);
    EXPECT_EQ(b->data[0], 7);

    // A length below the data start gives no bytes; one beyond the answer is refused.
    first[4] = 1;
    b = messageBlock(first, true);
    ASSERT_TRUE(b);
    EXPECT_TRUE(b->data.empty());
    first[4] = 9;
    EXPECT_FALSE(messageBlock(first, true));
    next[2] = 4;
    EXPECT_FALSE(messageBlock(next, false));
    EXPECT_FALSE(messageBlock(std::vector<std::uint8_t>{0x06, 0x40}, false));
}

TEST(MessageTable, RowsSkipEmptyStampsAndNameTheirTypes) {
    setLanguage(Language::English);
    std::vector<std::uint8_t> bytes;
    const std::uint32_t t = timeCodeFromCalendar(25, 3, 14, 8, 15, 0);
    for (const auto& r : {record(t, 3), record(0, 4), record(300, 4), record(t + 60, 4),
                          record(t + 120, 14), record(t + 180, 5)}) {
        bytes.insert(bytes.end(), r.begin(), r.end());
    }
    const MessageTable table = fillMessageTable(bytes);
    ASSERT_EQ(table.rows.size(), 4u);
    EXPECT_EQ(table.rows[0], (MessageRow{QStringLiteral("1."), QStringLiteral("08:15:00"),
                                         QStringLiteral("14/03/25"), txt(kTextPowerOFF)}));
    EXPECT_EQ(table.rows[1][0], QStringLiteral("2."));
    EXPECT_EQ(table.rows[1][3], txt(kTextPowerON));
    EXPECT_EQ(table.rows[2][3], txt(kTextMeasuringStarted));
    EXPECT_EQ(table.rows[3][3], txt(kTextMessageUnknown));
    EXPECT_EQ(table.gridRows, 23);
    EXPECT_FALSE(table.tailError);
    EXPECT_EQ(messageExportRows(table).size(), 22u);
}

TEST(MessageTable, TheGridGrowsFromRowTwentyTwo) {
    for (const auto& [n, rows] : std::vector<std::pair<int, int>>{{21, 23}, {22, 24}, {23, 25}}) {
        EXPECT_EQ(fillMessageTable(records(n)).gridRows, rows) << n;
    }
}

TEST(MessageTable, ATrailingByteIsIgnoredButAPartialRecordIsAnError) {
    for (std::size_t extra = 0; extra <= 5; ++extra) {
        auto bytes = records(3);
        bytes.insert(bytes.end(), extra, 0x11);
        const MessageTable table = fillMessageTable(bytes);
        EXPECT_EQ(table.rows.size(), 3u) << extra;
        EXPECT_EQ(table.tailError, extra >= 2) << extra;
    }
    EXPECT_TRUE(fillMessageTable({}).rows.empty());
}

}  // namespace
}  // namespace pelmo
