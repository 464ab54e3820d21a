#include "link/block_codecs.h"
#include "link/byte_fields.h"
#include "sim_fixture.h"

namespace pelmo::sim::test {
namespace {

class StationState : public SimBench {
protected:
    StationState() { bus.addStation(kDefaultBusAddress); }

    // A configuration unlike the default one; reals are exact in single precision so that
    // what comes back can be compared for equality.
    void customImage() {
        for (std::size_t i = 0; i < image.cmos_file_identity.size(); ++i) {
            image.cmos_file_identity[i] = static_cast<std::uint8_t>(7 * i + 3);
        }
        image.cmos_file_identity[28] = 0x21;  // prescalers 1, 2
        image.cmos_file_identity[29] = 0x43;  // prescalers 3, 4: input 4 divides by 8
        image.cmos.serial_number = 4242;

        definice_meridla_rec& m = image.meter;
        m.meter_number = 777;
        m.mode_b = 0x35;
        m.variant = 5;
        m.mode_a = 0x47;
        for (int i = 0; i < kConstantCount; ++i) {
            m.constants[static_cast<std::size_t>(i)] = 0.5 * (i + 1);
        }
        m.constants[4] = 12.5;  // travels as 0.125
        m.mode_copy = 0x35;
        m.interval_p1 = 120;
        m.interval_p2 = 300;
        m.interval_cond = 600;
        m.reserved_word = 0xBEEF;
        m.imp_coef_1 = 0.25;
        m.imp_coef_2 = 4.0;
        m.output_word = 0x33;

        for (int n = 1; n <= kChannelCount; ++n) {
            definice_PV_rec& s = image.channel(n);
            definice_PV_udaj_rec& d = image.channelData(n);
            clearChannel(s, d);
            if (n == 6) {
                s.station_word = 1;  // as every channel block carries it
                continue;            // one channel stays unused
            }
            d.name = "CH" + std::to_string(n);
            d.text = "Kan\xE1l \xE8. " + std::to_string(n);
            d.units = n % 2 ? "\xB0"
                              "C"
                            : "kPa";
            d.sensor_type = n == 3 ? "SEN\xB0"
                                     "SOR8"
                                   : "S" + std::to_string(n);
            d.table_scale = 0.125 * n;
            d.table_offset = -2.5;
            d.value_min = -10.0 * n;
            d.value_max = 100.0 * n;
            d.calib_water_temp = 20.0;
            d.temp_coef = 0.0625;
            d.table_flag_echo = n % 3 ? 1 : 0;
            s.station_word = 1;
            s.in_use = 1;
            s.measurement = static_cast<std::uint8_t>(n % 6);
            s.display = static_cast<std::uint8_t>(n % 4);
            s.input_code = n == 8 ? 35 : static_cast<std::uint8_t>(n);
            s.divider = n == 8 ? 8 : 1;
            s.interval = 60;
            s.memory = static_cast<std::uint16_t>(1000 * n);
            s.limit_low = static_cast<std::uint16_t>(100 * n);
            s.limit_high = static_cast<std::uint16_t>(60000 + n);
            s.output_code = static_cast<std::uint8_t>(n == 2 ? 144 : 0);
            s.range_high = 65534;
            s.table_present = d.table_flag_echo;
            s.table_points = s.table_present ? static_cast<std::uint16_t>(2 * n) : 0;
            for (int k = 0; k < s.table_points; ++k) {
                s.table_x[static_cast<std::size_t>(k)] = static_cast<std::uint16_t>(8 * 10 * k);
                s.table_y[static_cast<std::size_t>(k)] = static_cast<std::uint16_t>(4000 * k + n);
            }
        }
        image.station.name = "Teplárna Sever";
        image.station.meter_name = "MER-7";
        image.station.net_address = 17;
        image.station.messages_total = 321;
        image.station.memory_code = 1;
        image.station.memory_size = 66560;
    }

    // Writes `id` and checks that the station acknowledged it.
    void write(int id, int index = 0) {
        SCOPED_TRACE(requestInfo(id).name);
        image.current_index = static_cast<std::uint16_t>(index);
        const Outcome o = step(id);
        ASSERT_TRUE(o.ok);
        ASSERT_EQ(o.answer, std::vector<std::uint8_t>{kAckByte});
        written = port.writes().front();
    }
    // Reads `id` and checks that its payload repeats the payload just written.
    Outcome readBack(int id, std::size_t skip = 0, int index = 0) {
        const std::vector<std::uint8_t> sent(written.begin() + kRequestPayloadOffset + skip,
                                             written.end() - 2);
        image.current_index = static_cast<std::uint16_t>(index);
        const Outcome o = step(id);
        EXPECT_TRUE(o.ok);
        EXPECT_TRUE(std::equal(sent.begin(), sent.end(), o.answer.begin() + kAnswerPayloadOffset));
        return o;
    }

    std::vector<std::uint8_t> written;  // the last programming request
};

TEST_F(StationState, ConfigurationWrittenThroughTheEncodersReadsBackUnchanged) {
    customImage();
    ASSERT_TRUE(open());
    write(WRITE_CMOS);
    StationImage back;
    const Outcome cmos = readBack(READ_CMOS);
    decodeCmos(cmos.answer, back.cmos_raw_identity, back.cmos);
    EXPECT_EQ(back.cmos_raw_identity, image.cmos_file_identity);
    EXPECT_EQ(back.cmos.serial_number, 4242);
    EXPECT_EQ(back.cmos.freq_prescaler_4, 4);
    EXPECT_EQ(back.cmos.sw_version, "vc0.17");  // first byte from the identity, second kept

    write(WRITE_METER);
    decodeMeter(readBack(READ_METER).answer, back.meter);
    EXPECT_EQ(back.meter, image.meter);

    for (int n = 1; n <= kChannelCount; ++n) {
        SCOPED_TRACE(n);
        write(WRITE_CHANNEL, n);
        const Outcome o = readBack(READ_CHANNEL, 1, n);
        ASSERT_TRUE(decodeChannel(o.answer, back.cmos, back.channel(n), back.channelData(n)));
        EXPECT_EQ(back.channel(n), image.channel(n));
        EXPECT_EQ(back.channelData(n), image.channelData(n));
    }

    write(WRITE_STATION);
    decodeStation(readBack(READ_STATION).answer, back.station);
    EXPECT_EQ(back.station, image.station);
}

// The programming order without checks, then what a station shows afterwards.
TEST_F(StationState, ProgrammingRunLeavesTheStationAsWritten) {
    customImage();
    ASSERT_TRUE(open());
    write(ERASE_STATION);
    image.current_index = 1;
    EXPECT_EQ(FieldReader(step(STAV_MER).answer).u16(27), 0);
    EXPECT_EQ(step(READ_MESSAGES).answer[7 - 2], 0);  // no records
    image.current_index = 14;
    EXPECT_EQ(FieldReader(step(READ_ARCHIVE_DATA).answer).u32(65), 0u);  // empty record

    const std::uint32_t setTo = timeCodeFromCalendar(26, 1, 2, 3, 4, 5);
    context.build.clock = [] { return LocalDateTime{2026, 1, 2, 3, 4, 5}; };
    write(SET_TIME);
    EXPECT_EQ(FieldReader(step(READ_STATUS).answer).u32(21), setTo);
    for (int n = 1; n <= kChannelCount; ++n) {
        write(WRITE_CHANNEL, n);
    }
    write(WRITE_METER);
    write(WRITE_STATION);
    write(WRITE_ADDRESS);
    write(RESTART_MEASURING);

    // The station now measures from the new clock, at its new address only.
    link.advance(3600 * 1000);
    ASSERT_TRUE(step(END_COMM).ok);
    EXPECT_FALSE(open(kDefaultBusAddress));
    ASSERT_TRUE(open(17));
    const Outcome monitoring = step(STAV_MER);
    const FieldReader status(monitoring.answer);
    EXPECT_EQ(status.u16(27), 60);         // channel 1 samples once a minute
    EXPECT_EQ(status.u16(27 + 8 * 5), 0);  // channel 6 is unused
    const Outcome log = step(READ_MESSAGES);
    ASSERT_EQ(log.answer[4], 2 + 6);
    EXPECT_EQ(FieldReader(log.answer).u32(7), setTo);
    EXPECT_EQ(log.answer[12], 14);  // measuring started
    stanice_rec st;
    decodeStation(step(READ_STATION).answer, st);
    EXPECT_EQ(st.net_address, 17);
    EXPECT_EQ(st.name, "Teplárna Sever");
}

TEST_F(StationState, LockIsReportedInCmosByte37AndSurvivesACmosWrite) {
    ASSERT_TRUE(open());
    EXPECT_EQ(step(READ_CMOS).answer[5 + 37], 0x00);
    write(LOCK_STATION);
    const Outcome check = step(READ_CMOS_CHECK);
    EXPECT_EQ(check.answer[5 + 37], 0x80);
    decodeCmos(check.answer, image.cmos_raw_identity, image.cmos);
    EXPECT_TRUE(image.cmos.locked);
    image.cmos_file_identity = image.cmos_raw_identity;
    write(WRITE_CMOS);
    EXPECT_EQ(step(READ_CMOS).answer[5 + 37], 0x80);
}

// What later work may rely on: the default station read the way the program reads one.
TEST_F(StationState, DefaultStationReadsAsASteamMeter) {
    ASSERT_TRUE(open());
    decodeCmos(step(READ_CMOS).answer, image.cmos_raw_identity, image.cmos);
    EXPECT_EQ(image.cmos.serial_number, 2317);
    EXPECT_EQ(image.cmos.freq_prescaler_1, 3);
    EXPECT_EQ(image.cmos.sw_version, "v02.17");
    EXPECT_FALSE(image.cmos.locked);
    decodeMeter(step(READ_METER).answer, image.meter);
    EXPECT_EQ(image.meter.variant, 4);
    EXPECT_EQ(image.meter.interval_p1, 60);
    EXPECT_DOUBLE_EQ(image.meter.constants[4], 12.5);
    std::vector<std::string> names;
    for (int n = 1; n <= kChannelCount; ++n) {
        image.current_index = static_cast<std::uint16_t>(n);
        ASSERT_TRUE(decodeChannel(step(READ_CHANNEL).answer, image.cmos, image.channel(n),
                                  image.channelData(n)));
        names.push_back(image.channelData(n).name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"TP1", "PP1", "QP1", "CERP", "", "", "TK", "QK"}));
    EXPECT_EQ(image.channelData(1).units,
              "\xB0"
              "C");
    EXPECT_EQ(image.channel(1).table_points, 5);
    EXPECT_EQ(image.channel(4).input_code, 9);  // digital input 1, no table
    EXPECT_EQ(image.channel(4).table_present, 0);
    const definice_PV_rec& turbine = image.channel(8);
    EXPECT_EQ(turbine.input_code, 32);
    EXPECT_EQ(turbine.divider, 4);
    EXPECT_EQ(std::vector<int>(turbine.table_x.begin(), turbine.table_x.begin() + 4),
              (std::vector<int>{0, 200, 600, 1200}));
    stanice_rec st;
    decodeStation(step(READ_STATION).answer, st);
    EXPECT_EQ(st.name, "Kotelna Jih");
    EXPECT_EQ(st.net_address, kDefaultBusAddress);
    EXPECT_EQ(st.messages_total, 200);
}

}  // namespace
}  // namespace pelmo::sim::test
