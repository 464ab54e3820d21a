#include "operations/memory_info_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "base/texts.h"
#include "operations/memory_info_logic.h"

namespace pelmo {
namespace {

definice_PV_rec channelOf(int memory, int interval, bool inUse = true) {
    definice_PV_rec s;
    s.memory = static_cast<std::uint16_t>(memory);
    s.interval = static_cast<std::uint16_t>(interval);
    s.in_use = inUse ? 1 : 0;
    return s;
}

class MemoryInfoTexts : public ::testing::Test {
protected:
    ~MemoryInfoTexts() override { setLanguage(Language::Czech); }
};

TEST_F(MemoryInfoTexts, CapacityInDaysHoursMinutes) {
    setLanguage(Language::Czech);
    EXPECT_EQ(capacityText(channelCapacitySeconds(channelOf(1000, 60))),
              QStringLiteral("0d  16h  40m  "));
    setLanguage(Language::English);
    EXPECT_EQ(capacityText(channelCapacitySeconds(channelOf(1000, 60))),
              QStringLiteral("0d  16h  40m "));

    // Out of use or without an interval a channel keeps nothing.
    EXPECT_EQ(channelCapacitySeconds(channelOf(1000, 60, false)), 0);
    EXPECT_EQ(channelCapacitySeconds(channelOf(1000, 0)), 0);
    EXPECT_EQ(capacityText(0), QStringLiteral("0d  0h  0m "));
}

TEST(MemoryCapacity, LargeProductsDoNotOverflow) {
    // Both beyond a signed 32-bit product.
    EXPECT_EQ(channelCapacitySeconds(channelOf(60000, 43200)), 2'592'000'000);
    const auto split = splitCapacity(channelCapacitySeconds(channelOf(60000, 43200)));
    EXPECT_EQ(split.days, 30000);
    EXPECT_EQ(split.hours, 0);
    EXPECT_EQ(split.minutes, 0);

    const std::int64_t most = channelCapacitySeconds(channelOf(65535, 65535));
    EXPECT_EQ(most, 4'294'836'225);
    const auto m = splitCapacity(most);
    EXPECT_EQ(m.days, 49708);
    EXPECT_EQ(m.hours, 18);
    EXPECT_EQ(m.minutes, 3);

    // Seconds below a minute are dropped, never rounded up.
    const auto s = splitCapacity(86400 + 3600 + 119);
    EXPECT_EQ(s.days, 1);
    EXPECT_EQ(s.hours, 1);
    EXPECT_EQ(s.minutes, 1);
}

StationImage stationWithChannels() {
    StationImage image;
    image.station.memory_size = 32768;
    image.station.messages_total = 100;
    image.channel(1) = channelOf(8000, 60);
    image.channel(2) = channelOf(7000, 300);
    image.channel(5) = channelOf(5000, 3600);
    // Memory left behind on a channel out of use counts nowhere.
    image.channel(7) = channelOf(9999, 60, false);
    return image;
}

TEST(MemoryTotals, ChannelsInUseAndMessagesShareWhatIsLeft) {
    const MemoryInfo info = memoryInfo(stationWithChannels());
    EXPECT_EQ(info.total, 28928);
    EXPECT_EQ(info.messages, 600);
    EXPECT_EQ(info.occupied, 20600);
    EXPECT_EQ(info.free, 8328);
    EXPECT_EQ(info.rows[6].bytes, QStringLiteral("0"));
    EXPECT_EQ(info.rows[0].channel, QStringLiteral("Ch. 1"));

    // Overcommitted memory shows a negative free figure rather than a wrapped one.
    StationImage image = stationWithChannels();
    image.station.messages_total = 2'000'000'000;
    const MemoryInfo over = memoryInfo(image);
    EXPECT_EQ(over.messages, 12'000'000'000);
    EXPECT_EQ(over.free, 28928 - 12'000'000'000 - 20000);
}

TEST_F(MemoryInfoTexts, WindowShowsTheStation) {
    const StationImage image = stationWithChannels();
    for (Language l : {Language::Czech, Language::English}) {
        setLanguage(l);
        TmemInfo w(image);
        w.show();
        const auto* grid = w.findChild<QTableWidget*>(QStringLiteral("StringGrid1"));
        ASSERT_NE(grid, nullptr);
        ASSERT_EQ(grid->rowCount(), 9);
        ASSERT_EQ(grid->columnCount(), 3);
        EXPECT_EQ(w.windowTitle(), txt(kTextSystemMemoryDistribution));
        EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                  txt(kTextSystemMemoryDistribution));
        EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("Label5"))->text(),
                  txt(kTextFreeSystemMemory));
        EXPECT_EQ(w.findChild<QPushButton*>(QStringLiteral("b_close"))->text(), txt(kTextClose));
        EXPECT_EQ(grid->item(0, 1)->text(), QStringLiteral("Bytes/M"));
        EXPECT_EQ(grid->item(0, 2)->text(), txt(kTextCapacity));

        EXPECT_EQ(grid->item(1, 0)->text(), QStringLiteral("Ch. 1"));
        EXPECT_EQ(grid->item(1, 1)->text(), QStringLiteral("8000"));
        EXPECT_EQ(grid->item(1, 2)->text(), QStringLiteral("5d  13h  20") + txt(kTextM));
        EXPECT_EQ(grid->item(2, 2)->text(), QStringLiteral("24d  7h  20") + txt(kTextM));
        EXPECT_EQ(grid->item(5, 2)->text(), QStringLiteral("208d  8h  0") + txt(kTextM));
        EXPECT_EQ(grid->item(7, 1)->text(), QStringLiteral("0"));
        EXPECT_EQ(grid->item(8, 2)->text(), QStringLiteral("0d  0h  0") + txt(kTextM));

        EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("l_hlaseni"))->text(), QStringLiteral("600"));
        EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("l_obsazena"))->text(),
                  QStringLiteral("20600"));
        EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("l_celkova"))->text(),
                  QStringLiteral("28928"));
        EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("l_volna"))->text(), QStringLiteral("8328"));

        w.findChild<QPushButton*>(QStringLiteral("b_close"))->click();
        EXPECT_FALSE(w.isVisible());
    }
}

}  // namespace
}  // namespace pelmo
