#include "link/block_codecs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "hex.h"
#include "link/byte_fields.h"
#include "link/request_table.h"

namespace pelmo {
namespace {

using test::stationAnswer;

definice_meridla_rec sampleMeter() {
    definice_meridla_rec m;
    m.meter_number = 4321;
    m.mode_a = 0x46;
    m.mode_b = 0x54;
    m.variant = 4;
    const double constants[kConstantCount] = {180.0,  120.0,   20.0,  95.0, 12.5,
                                              8000.0, 1.6,     0.2,   5.0,  0.5,
                                              100.0,  12000.0, 200.0, 1e6,  2.5e5};
    std::copy(std::begin(constants), std::end(constants), m.constants.begin());
    m.mode_copy = 0x54;
    m.interval_p1 = 60;
    m.interval_p2 = 60;
    m.interval_cond = 900;
    m.reserved_word = 0x1234;
    m.imp_coef_1 = 0.1;
    m.output_word = 0x33;
    return m;
}

// What a single-precision field gives back for a double.
double viaSingle(double v) {
    return static_cast<double>(static_cast<float>(v));
}

TEST(MeterCodec, RoundTripKeepsEveryFieldUpToSinglePrecision) {
    const definice_meridla_rec m = sampleMeter();
    std::array<std::uint8_t, kMeterPayload> payload{};
    ASSERT_TRUE(encodeMeter(m, payload));
    // Constant 5 travels divided by 100: 12.5 is sent as the single 0.125.
    EXPECT_EQ(FieldReader(payload).f32(6 + 4 * 4), 0.125);

    definice_meridla_rec back;
    back.mode_b = 0;
    decodeMeter(stationAnswer(payload), back);
    definice_meridla_rec expected = m;
    for (auto& c : expected.constants) {
        c = viaSingle(c);
    }
    expected.constants[4] = viaSingle(0.125) * 100.0;
    expected.imp_coef_1 = viaSingle(0.1);
    EXPECT_EQ(back, expected);

    std::array<std::uint8_t, kMeterPayload> again{};
    ASSERT_TRUE(encodeMeter(back, again));
    EXPECT_EQ(again, payload);
}

TEST(MeterCodec, RealsReadFromAStationAlwaysEncodeBack) {
    // Single-precision bit patterns a station may hold in its first constant: NaNs, the
    // infinities, the largest finite value and the smallest denormal.
    for (std::uint32_t bits : {0x7FC00000u, 0x7FC12345u, 0xFFC00000u, 0x7F800000u, 0xFF800000u,
                               0x7F7FFFFFu, 0x00000001u}) {
        std::array<std::uint8_t, kMeterPayload> payload{};
        ASSERT_TRUE(encodeMeter(sampleMeter(), payload));
        FieldWriter(payload).u32(6, bits);
        definice_meridla_rec read;
        decodeMeter(stationAnswer(payload), read);
        std::array<std::uint8_t, kMeterPayload> again{};
        EXPECT_TRUE(encodeMeter(read, again)) << std::hex << bits;
        EXPECT_EQ(again, payload) << std::hex << bits;
    }
    // A finite value beyond single precision still has no encoding.
    definice_meridla_rec big = sampleMeter();
    big.constants[0] = std::nextafter(static_cast<double>(std::numeric_limits<float>::max()),
                                      std::numeric_limits<double>::infinity());
    std::array<std::uint8_t, kMeterPayload> payload{};
    EXPECT_FALSE(encodeMeter(big, payload));
    big.constants[0] = static_cast<double>(std::numeric_limits<float>::max());
    EXPECT_TRUE(encodeMeter(big, payload));
}

TEST(MeterCodec, IntegerFieldsCarryTheirLow16BitsAndVariantComesFromModeB) {
    definice_meridla_rec m = sampleMeter();
    m.interval_p1 = 0x12345;
    std::array<std::uint8_t, kMeterPayload> payload{};
    ASSERT_TRUE(encodeMeter(m, payload));
    definice_meridla_rec back;
    decodeMeter(stationAnswer(payload), back);
    EXPECT_EQ(back.interval_p1, 0x2345);
    EXPECT_EQ(back.variant, 4);
    EXPECT_EQ(back.mode_b, 0x54);
}

struct Channel {
    definice_PV_rec s;
    definice_PV_udaj_rec d;
};

Channel analogChannel() {
    Channel c;
    c.s.measurement = 0;
    c.s.display = 3;
    c.s.input_code = 2;
    c.s.interval = 300;
    c.s.station_word = 1;
    c.s.memory = 4096;
    c.s.limit_low = 1200;
    c.s.limit_high = 60000;
    c.s.output_code = 136 + 16;
    c.s.range_high = 65534;
    c.s.table_points = 5;
    c.s.table_present = 1;
    c.s.in_use = 1;
    c.s.table_x = {100, 1000, 2000, 3000, 4095};
    c.s.table_y = {0, 16000, 32000, 48000, 65534};
    c.d.name = "TLAK";
    c.d.text = "Tlak p\xE1ry";
    c.d.units = "MPa";
    c.d.sensor_type = "DMP331AB";
    c.d.table_scale = 1.6 / 65534.0;
    c.d.table_offset = 0.0;
    c.d.value_min = 0.0;
    c.d.value_max = 1.6;
    c.d.block_word = 775;
    c.d.calib_water_temp = 20.0;
    c.d.table_flag_echo = 1;
    c.d.temp_coef = 0.25;
    return c;
}

std::vector<std::uint8_t> channelAnswer(int n, const Channel& c) {
    std::vector<std::uint8_t> payload(channelPayloadLength(c.s));
    EXPECT_TRUE(encodeChannel(n, c.s, c.d, payload));
    EXPECT_EQ(payload[0], n - 1);
    // The station answers with the programming payload minus its channel index.
    return stationAnswer(std::span<const std::uint8_t>(payload).subspan(1), 0x02, 0x24);
}

TEST(ChannelCodec, AnalogChannelRoundTrip) {
    const Channel c = analogChannel();
    Channel back;
    ASSERT_TRUE(decodeChannel(channelAnswer(4, c), CMOS_rec{}, back.s, back.d));
    Channel expected = c;
    expected.d.value_max = viaSingle(1.6);
    EXPECT_EQ(back.s, expected.s);
    EXPECT_EQ(back.d, expected.d);
}

TEST(ChannelCodec, StationWordAndBlockWordAreFixedOnTheWayOut) {
    Channel c = analogChannel();
    c.s.station_word = 0x4444;
    c.d.block_word = 12;
    c.s.table_present = 0;
    Channel back;
    ASSERT_TRUE(decodeChannel(channelAnswer(1, c), CMOS_rec{}, back.s, back.d));
    EXPECT_EQ(back.s.station_word, 1);
    EXPECT_EQ(back.d.block_word, 775);
    EXPECT_EQ(back.d.table_flag_echo, 0);
    EXPECT_EQ(back.s.table_present, 0);
}

TEST(ChannelCodec, TextsAreTrimmedAndCarryTheStationDegreeSign) {
    Channel c = analogChannel();
    c.d.units =
        "\xB0"
        "C";
    c.d.sensor_type = "Pt\xB0";  // short sensor types are padded with NULs, not blanks
    std::vector<std::uint8_t> answer = channelAnswer(1, c);
    // Name field: seven letters, a blank and a NUL.
    const char* seven = "TEPLOTA \0";
    std::copy(seven, seven + 8, answer.begin() + 5 + 25);
    answer[5 + 24] = 8;
    EXPECT_EQ(answer[5 + 53], 0xF8);
    EXPECT_EQ(answer[5 + 59], 0xF8);
    EXPECT_EQ(answer[5 + 60], 0x00);
    Channel back;
    ASSERT_TRUE(decodeChannel(answer, CMOS_rec{}, back.s, back.d));
    EXPECT_EQ(back.d.name, "TEPLOTA");
    EXPECT_EQ(back.d.units,
              "\xB0"
              "C");
    EXPECT_EQ(back.d.sensor_type, "Pt\xB0");
    EXPECT_EQ(back.s.in_use, 1);
}

TEST(ChannelCodec, ChannelWithoutTableIgnoresTheTablePart) {
    Channel c = analogChannel();
    std::vector<std::uint8_t> answer = channelAnswer(1, c);
    answer[5] = 0x85;  // measurement 5, bit 7: no table (trailer no longer checked here)
    Channel back;
    back.s.table_x[0] = 777;
    ASSERT_TRUE(decodeChannel(answer, CMOS_rec{}, back.s, back.d));
    EXPECT_EQ(back.s.measurement, 5);
    EXPECT_EQ(back.s.table_present, 0);
    EXPECT_EQ(back.s.table_x[0], 777);
}

TEST(ChannelCodec, FrequencyInputsScaleTheirTableInputsByTheDivider) {
    CMOS_rec cmos;
    cmos.freq_prescaler_1 = 1;
    cmos.freq_prescaler_2 = 3;  // divider 4
    Channel c = analogChannel();
    c.s.input_code = 33;
    c.s.divider = 4;
    c.s.table_points = 2;
    c.s.table_x = {40, 1000};
    std::vector<std::uint8_t> payload(channelPayloadLength(c.s));
    ASSERT_TRUE(encodeChannel(1, c.s, c.d, payload));
    EXPECT_EQ(FieldReader(payload).u16(1 + 96), 1000);
    EXPECT_EQ(FieldReader(payload).u16(1 + 100), 25000);

    Channel back;
    ASSERT_TRUE(decodeChannel(stationAnswer(std::span<const std::uint8_t>(payload).subspan(1)),
                              cmos, back.s, back.d));
    EXPECT_EQ(back.s.divider, 4);
    EXPECT_EQ(back.s.table_x[0], 40);
    EXPECT_EQ(back.s.table_x[1], 1000);

    // Truncation, not rounding, both ways: with divider 3, 1001 -> 30 -> 1000.
    Channel three = analogChannel();
    three.s.input_code = 32;
    three.s.divider = 3;
    three.s.table_points = 1;
    std::vector<std::uint8_t> raw(channelPayloadLength(three.s));
    ASSERT_TRUE(encodeChannel(1, three.s, three.d, raw));
    raw[1 + 96] = 1001 & 0xFF;
    raw[1 + 97] = 1001 >> 8;
    ASSERT_TRUE(decodeChannel(stationAnswer(std::span<const std::uint8_t>(raw).subspan(1)),
                              CMOS_rec{}, three.s, three.d));
    EXPECT_EQ(three.s.divider, 3);  // no CMOS decoded yet: the record's divider stands
    EXPECT_EQ(three.s.table_x[0], 30);
    // The filler pair past the used point holds 1000 from the old table: 1000 / 3 * 100
    // does not fit 16 bits, which does not matter for a point the station ignores.
    ASSERT_TRUE(encodeChannel(1, three.s, three.d, raw));
    EXPECT_EQ(FieldReader(raw).u16(1 + 96), 1000);
    EXPECT_EQ(FieldReader(raw).u16(1 + 100), 33333);
    EXPECT_EQ(FieldReader(raw).u16(1 + 104), 66666 & 0xFFFF);
}

TEST(ChannelCodec, TooManyTablePointsFailWithoutOverrunningTheTable) {
    Channel c = analogChannel();
    std::vector<std::uint8_t> answer = channelAnswer(1, c);
    answer[5 + 94] = 200;
    Channel back;
    EXPECT_FALSE(decodeChannel(answer, CMOS_rec{}, back.s, back.d));
    EXPECT_EQ(back.d.name, "TLAK");  // fields before the count keep their new values
    EXPECT_EQ(back.s.table_points, 0);

    c.s.table_points = 17;
    std::vector<std::uint8_t> payload(200);
    EXPECT_FALSE(encodeChannel(1, c.s, c.d, payload));
}

TEST(ChannelCodec, ShortAnswersDecodeMissingFieldsAsZero) {
    const std::vector<std::uint8_t> full = channelAnswer(1, analogChannel());
    for (std::size_t cut = 0; cut <= full.size(); ++cut) {
        Channel back;
        back.d.name = "OLD";
        const std::vector<std::uint8_t> part(full.begin(), full.begin() + cut);
        ASSERT_TRUE(decodeChannel(part, CMOS_rec{}, back.s, back.d));
        if (cut < 5 + 25) {
            EXPECT_TRUE(back.d.name.empty()) << cut;
            EXPECT_EQ(back.s.in_use, 0);
        }
        if (cut <= 5 + 94) {
            EXPECT_EQ(back.s.table_points, 0) << cut;
        }
    }
}

TEST(CmosCodec, DecodesIdentityHardwareAndLock) {
    std::vector<std::uint8_t> payload(kCmosAnswerPayload);
    for (std::size_t i = 0; i < 32; ++i) {
        payload[i] = static_cast<std::uint8_t>(0xA0 + i);
    }
    payload[16] = 6;
    payload[23] = 129;
    payload[27] = 0x02;
    payload[28] = 0x00;
    payload[29] = 0xF3;
    payload[32] = 0x39;
    payload[33] = 0x30;
    payload[36] = 0x1B;
    payload[37] = 0x80;
    CmosIdentity raw{};
    CMOS_rec cmos;
    decodeCmos(stationAnswer(payload), raw, cmos);
    EXPECT_EQ(raw[0], 0xA0);
    EXPECT_EQ(raw[31], 0xBF);
    EXPECT_EQ(raw[27], 0x02);
    EXPECT_EQ(cmos.input_types[0], 6);
    EXPECT_EQ(cmos.input_types[7], 129);
    EXPECT_EQ(cmos.sw_version, "v02.1b");
    EXPECT_EQ(cmos.freq_prescaler_1, 1);  // nibble 0 is read as 1
    EXPECT_EQ(cmos.freq_prescaler_2, 1);
    EXPECT_EQ(cmos.freq_prescaler_3, 3);
    EXPECT_EQ(cmos.freq_prescaler_4, 15);
    EXPECT_EQ(cmos.serial_number, 12345);
    EXPECT_TRUE(cmos.locked);

    payload[37] = 0x81;
    decodeCmos(stationAnswer(payload), raw, cmos);
    EXPECT_FALSE(cmos.locked);
}

TEST(CmosCodec, WritePayloadCarriesTheFileIdentityAndSerialNumber) {
    CmosIdentity id{};
    id.fill(0x5A);
    CMOS_rec cmos;
    cmos.serial_number = 0xBEEF;
    std::array<std::uint8_t, kCmosWritePayload> payload{};
    payload.fill(0xFF);
    ASSERT_TRUE(encodeCmos(id, cmos, payload));
    EXPECT_EQ(test::toHex(std::span<const std::uint8_t>(payload).subspan(30)), "5A 5A EF BE 00 00");
}

TEST(StationCodec, RoundTripAndMemoryCodes) {
    stanice_rec st;
    st.name = "Teplárna \xB0 Jih";
    st.meter_name = "PARA1";
    st.net_address = 17;
    st.messages_total = 250;
    st.memory_code = 0xF1;
    std::array<std::uint8_t, kStationPayload> payload{};
    ASSERT_TRUE(encodeStation(st, 0x01020304, payload));
    EXPECT_EQ(test::toHex(std::span<const std::uint8_t>(payload).subspan(51, 8)),
              "01 02 03 04 01 02 03 04");

    stanice_rec back;
    back.from_file = 1;
    decodeStation(stationAnswer(payload), back);
    EXPECT_EQ(back.name, st.name);
    EXPECT_EQ(back.meter_name, st.meter_name);
    EXPECT_EQ(back.net_address, 17);
    EXPECT_EQ(back.messages_total, 250);
    EXPECT_EQ(back.memory_size, 32768);
    EXPECT_EQ(back.from_file, 1);

    for (auto [code, size] :
         {std::pair{0x00, 32768}, {0xF1, 32768}, {0x01, 66560}, {0xF2, 66560}}) {
        payload[6] = static_cast<std::uint8_t>(code);
        decodeStation(stationAnswer(payload), back);
        EXPECT_EQ(back.memory_size, size) << code;
    }
}

TEST(StationCodec, ZeroMessageCountIsSentAsTenAndTextsAreCut) {
    stanice_rec st;
    st.name = "A name much longer than twenty";
    st.messages_total = 0;
    std::array<std::uint8_t, kStationPayload> payload{};
    ASSERT_TRUE(encodeStation(st, 0, payload));
    EXPECT_EQ(FieldReader(payload).u16(16), 10);
    stanice_rec back;
    decodeStation(stationAnswer(payload), back);
    EXPECT_EQ(back.name, "A name much longer t");
}

TEST(StationCodec, AnswerTruncatedBeforeTheNameDecodesAnEmptyName) {
    stanice_rec st;
    st.name = "Kotelna";
    st.meter_name = "PARA";
    std::array<std::uint8_t, kStationPayload> payload{};
    ASSERT_TRUE(encodeStation(st, 0, payload));
    std::vector<std::uint8_t> answer = stationAnswer(payload);
    answer.resize(5 + 31);
    stanice_rec back;
    back.name = "OLD";
    decodeStation(answer, back);
    EXPECT_TRUE(back.name.empty());
    EXPECT_EQ(back.meter_name, "PARA");
}

}  // namespace
}  // namespace pelmo
