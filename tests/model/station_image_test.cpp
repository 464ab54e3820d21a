#include "model/station_image.h"

#include <gtest/gtest.h>

namespace pelmo {
namespace {

TEST(StationImage, NewStationResetClearsConfigurationButKeepsHardware) {
    StationImage img;
    img.cmos.serial_number = 4711;
    img.cmos_raw_identity[3] = 9;
    img.meter.meter_number = 12;
    img.meter.mode_b = 0x54;
    img.meter.constants[4] = 3.0;
    img.station = {"Kotelna", "PARA", 42, 30, 242, 65536, 1};
    for (int n = 1; n <= kChannelCount; ++n) {
        img.channel(n).input_code = static_cast<std::uint8_t>(n);
        img.channel(n).divider = 8;
        img.channel(n).table_x[2] = 99;
        img.channelData(n).name = "CH";
        img.channelData(n).block_word = 1;
    }

    resetNewStation(img);

    EXPECT_EQ(img.meter, definice_meridla_rec{});
    EXPECT_EQ(img.meter.mode_b, 1);
    EXPECT_TRUE(img.station.name.empty());
    EXPECT_TRUE(img.station.meter_name.empty());
    EXPECT_EQ(img.station.net_address, 0);
    EXPECT_EQ(img.station.messages_total, 0);
    EXPECT_EQ(img.station.memory_code, 242);
    EXPECT_EQ(img.station.memory_size, 65536);
    EXPECT_EQ(img.station.from_file, 1);
    for (int n = 1; n <= kChannelCount; ++n) {
        EXPECT_EQ(img.channel(n), definice_PV_rec{});
        EXPECT_EQ(img.channel(n).divider, 1);
        EXPECT_EQ(img.channelData(n).block_word, 775);
        EXPECT_TRUE(img.channelData(n).name.empty());
    }
    EXPECT_EQ(img.cmos.serial_number, 4711);
    EXPECT_EQ(img.cmos_raw_identity[3], 9);
}

TEST(StationImage, FrequencyDividerFollowsThePrescalerOfItsInput) {
    CMOS_rec cmos;
    cmos.freq_prescaler_1 = 1;
    cmos.freq_prescaler_2 = 3;
    cmos.freq_prescaler_3 = 15;
    cmos.freq_prescaler_4 = 0;  // not decoded yet
    EXPECT_EQ(frequencyDivider(cmos, 32), 1);
    EXPECT_EQ(frequencyDivider(cmos, 33), 4);
    EXPECT_EQ(frequencyDivider(cmos, 34), 16384);
    EXPECT_EQ(frequencyDivider(cmos, 35), 1);
    EXPECT_EQ(frequencyDivider(cmos, 1), 1);
    EXPECT_EQ(frequencyDivider(cmos, 36), 1);
}

}  // namespace
}  // namespace pelmo
