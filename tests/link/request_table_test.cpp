#include "link/request_table.h"

#include <gtest/gtest.h>

#include <limits>

#include "base/texts.h"
#include "hex.h"
#include "scripted_prompts.h"

namespace pelmo {
namespace {

using test::fromHex;
using test::toHex;

// The image every expected frame below was assembled from.
StationImage knownImage() {
    StationImage img;
    img.bus_address = 251;
    img.current_index = 3;
    for (std::size_t i = 0; i < img.cmos_file_identity.size(); ++i) {
        img.cmos_file_identity[i] = static_cast<std::uint8_t>(i);
    }
    img.cmos.serial_number = 0x1234;

    auto& m = img.meter;
    m.meter_number = 0x0102;
    m.mode_a = 0x44;
    m.mode_b = 0x54;
    for (int i = 0; i < kConstantCount; ++i) {
        m.constants[static_cast<std::size_t>(i)] = (i + 1) * 1.5;
    }
    m.mode_copy = 0x54;
    m.interval_p1 = 60;
    m.interval_p2 = 120;
    m.interval_cond = 300;
    m.reserved_word = 0xBEEF;
    m.imp_coef_1 = 0.25;
    m.output_word = 0x13;

    auto& s = img.channel(3);
    s.display = 3;
    s.input_code = 33;
    s.interval = 60;
    s.memory = 2048;
    s.limit_low = 100;
    s.limit_high = 65000;
    s.output_code = 0x81;
    s.range_high = 65534;
    s.table_points = 3;
    s.table_present = 1;
    s.in_use = 1;
    s.table_x = {40, 80, 120, 7};
    s.table_y = {0, 30000, 65534, 5};
    s.divider = 4;
    auto& d = img.channelData(3);
    d.name = "TEPLOTA";
    d.text =
        "P\xE1ra vstup \xB0"
        "C";
    d.units =
        "\xB0"
        "C";
    d.sensor_type = "Pt100xAB";
    d.table_scale = 0.01;
    d.table_offset = -5.0;
    d.value_max = 200.0;
    d.calib_water_temp = 20.0;
    d.temp_coef = 0.5;

    img.station.name = "Kotelna 1";
    img.station.meter_name = "PARA";
    img.station.net_address = 42;
    img.station.memory_code = 242;
    return img;
}

struct Frame {
    int id;
    const char* hex;
};

// Assembled by hand from the request table and the block layouts, with SUM/XOR trailers
// computed by an independent script (not by appendTrailer). Clock: 2026-12-09 15:30:45,
// time code 584ACE25h.
const Frame kFrames[] = {
    {ACK, "06"},
    {READ_REGISTERS, "01 81 07 01 FB 85 7D"},
    {COMM, "01 81 0A 00 00 00 FB 00 87 71"},
    {READ_STATUS, "01 40 10 51 51"},
    {ERASE_STATION, "01 40 13 54 52"},
    {SET_TIME, "01 02 38 0A 1A 0C 09 0F 1E 2D 58 4A CE 25 63 EB"},
    {READ_METER, "01 40 26 67 67"},
    {READ_CHANNEL, "01 02 24 01 02 2A 24"},
    {READ_STATION, "01 40 22 63 63"},
    {WRITE_STATION,
     "01 02 20 5C 01 10 2A 00 02 B9 F2 00 01 00 18 79 00 00 06 00 0A 00 00 00 00 00 05 50 41 52 "
     "41 20 20 20 20 4B 6F 74 65 6C 6E 61 20 31 20 20 20 20 20 20 20 20 20 20 20 58 4A CE 25 58 "
     "4A CE 25 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
     "00 00 00 00 00 00 5B 01"},
    {WRITE_METER,
     "01 02 2D 56 02 01 54 00 44 00 00 00 C0 3F 00 00 40 40 00 00 90 40 00 00 C0 40 9A 99 99 3D "
     "00 00 10 41 00 00 28 41 00 00 40 41 00 00 58 41 00 00 70 41 00 00 84 41 00 00 90 41 00 00 "
     "9C 41 00 00 A8 41 00 00 B4 41 54 00 3C 00 78 00 2C 01 EF BE 00 00 80 3E 00 00 00 00 13 00 "
     "02 66"},
    {WRITE_CHANNEL,
     "01 02 21 6D 02 00 03 22 21 3C 00 01 00 00 08 00 00 64 00 E8 FD 81 00 00 00 FE FF 00 00 07 "
     "54 45 50 4C 4F 54 41 20 50 E1 72 61 20 76 73 74 75 70 20 F8 43 20 20 20 20 20 41 42 F8 43 "
     "20 20 50 74 31 30 30 78 7B 14 AE 47 E1 7A 84 3F 00 00 A0 C0 00 00 00 00 00 00 48 43 07 03 "
     "00 00 A0 41 01 00 00 00 3F 03 00 E8 03 00 00 D0 07 30 75 B8 0B FE FF AF 00 05 00 00 00 E7 "
     "15"},
    {RESTART_MEASURING, "01 40 31 72 70"},
    {WRITE_ADDRESS, "01 80 F6 01 2A 00 00 00 A2 5C"},
    {READ_CMOS, "01 40 F3 34 B2"},
    {READ_CMOS_CHECK, "01 40 F3 34 B2"},
    {WRITE_CMOS,
     "01 02 F2 24 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17 18 19 "
     "1A 1B 1C 1D 1E 1F 34 12 00 00 4F F3"},
    {END_COMM, "01 40 0E 4F 4F"},
    {LOCK_STATION, "01 80 F6 01 FB 80 00 00 F3 0D"},
    {READ_ARCHIVE_INFO, "01 02 2B 01 03 32 2A"},
    {READ_ARCHIVE_DATA, "01 02 5E 02 03 61 C7 3D"},
    {CLEAR_PARTIAL, "01 40 5A 9B 1B"},
    {READ_MESSAGES, "01 40 47 88 06"},
    {READ_LIVE, "01 40 43 84 02"},
    {STAV_MER, "01 40 41 82 00"},
    {START_PRENOS, "01 40 35 76 74"},
    {SEND_BLOCK, "01 02 45 01 02 4B 45"},
    {READ_MAXIMUM, "01 40 4D 8E 0C"},
    {FLY_SET, "01 02 49 03 02 0A 00 5B 41"},
    {FLY_READ, "01 40 4B 8C 0A"},
    {STOP_PRENOS, "01 02 36 00 39 35"},
};

class RequestTable : public ::testing::Test {
protected:
    RequestTable() {
        ctx.image = &image;
        ctx.fly = &fly;
        ctx.clock = [] { return LocalDateTime{2026, 12, 9, 15, 30, 45}; };
        tx.fill(0xEE);
    }

    StationImage image = knownImage();
    FlySetup fly{2, 10, true};
    test::ScriptedPrompts prompts;
    BuildContext ctx;
    TxBuffer tx{};
};

TEST_F(RequestTable, EveryIdentifierBuildsItsExactDatagram) {
    for (const Frame& f : kFrames) {
        const auto expected = fromHex(f.hex);
        const int length = buildRequest(tx, f.id, ctx).length;
        ASSERT_EQ(length, static_cast<int>(expected.size())) << requestInfo(f.id).name;
        EXPECT_EQ(toHex({tx.data(), expected.size()}), toHex(expected)) << requestInfo(f.id).name;
        // The rest of the 200-byte buffer is cleared.
        for (std::size_t i = expected.size(); i < tx.size(); ++i) {
            ASSERT_EQ(tx[i], 0) << requestInfo(f.id).name << " byte " << i;
        }
    }
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(RequestTable, IdentifiersWithoutDatagramLeaveTheBufferAlone) {
    for (int id : {24, 28, 33, 200, -1}) {
        EXPECT_EQ(buildRequest(tx, id, ctx).length, 0) << id;
        EXPECT_EQ(tx[0], 0xEE);
        EXPECT_EQ(tx[199], 0xEE);
    }
}

TEST_F(RequestTable, CommCarriesTheLowByteOfTheBusAddress) {
    image.bus_address = 17;
    ASSERT_EQ(buildRequest(tx, COMM, ctx).length, 10);
    EXPECT_EQ(tx[6], 17);
    image.bus_address = 0x1FF;
    ASSERT_EQ(buildRequest(tx, COMM, ctx).length, 10);
    EXPECT_EQ(tx[6], 0xFF);
}

TEST_F(RequestTable, WriteChannelLengthFollowsTheTablePoints) {
    for (int p = 0; p <= kTablePoints; ++p) {
        image.channel(3).table_points = static_cast<std::uint16_t>(p);
        image.channel(3).table_present = 0;
        const int length = buildRequest(tx, WRITE_CHANNEL, ctx).length;
        ASSERT_EQ(length, 109 + 4 * p);
        EXPECT_EQ(tx[3], 103 + 2 * p);
        EXPECT_EQ(requestLength(tx[1], tx[2], tx[3]), length);
        // Without a table the table part is all zero, whatever the record holds.
        for (int i = 100; i < length - 2; ++i) {
            ASSERT_EQ(tx[static_cast<std::size_t>(i)], 0) << p << " " << i;
        }
    }
}

TEST_F(RequestTable, RequestLengthsAgreeWithTheBuilder) {
    for (const Frame& f : kFrames) {
        if (f.id == ACK) {
            continue;
        }
        const auto bytes = fromHex(f.hex);
        EXPECT_EQ(requestLength(bytes[1], bytes[2], bytes[3]), static_cast<int>(bytes.size()))
            << requestInfo(f.id).name;
    }
    EXPECT_EQ(requestLength(0x40, 0x99, 0), 0);
    EXPECT_EQ(requestLength(0x02, 0x21, 104), 0);  // odd table length byte
}

TEST_F(RequestTable, EncoderFailuresNameTheirBlockAndBuildNothing) {
    setLanguage(Language::English);
    struct Case {
        int id;
        std::function<void(StationImage&)> spoil;
        BuildFailure failure;
        const char* tag;
    };
    const Case cases[] = {
        {WRITE_METER, [](StationImage& i) { i.meter.constants[0] = 1e300; },
         BuildFailure::MeterDefinition, " 2.6: Definice meridla - progr."},
        {WRITE_CHANNEL,
         [](StationImage& i) {
             // Finite but beyond single precision; NaN and infinity keep their patterns.
             i.channelData(3).value_max = 1e39;
         },
         BuildFailure::ChannelDefinition, " 2.7: Definice veliciny-progr"},
        // A frequency table input that would not fit its 16-bit field after scaling.
        {WRITE_CHANNEL, [](StationImage& i) { i.channel(3).table_x[0] = 60000; },
         BuildFailure::ChannelDefinition, " 2.7: Definice veliciny-progr"},
        {WRITE_CHANNEL, [](StationImage& i) { i.channel(3).table_points = 17; },
         BuildFailure::ChannelDefinition, " 2.7: Definice veliciny-progr"},
        {WRITE_CHANNEL, [](StationImage& i) { i.current_index = 9; },
         BuildFailure::ChannelDefinition, " 2.7: Definice veliciny-progr"},
    };
    for (const Case& c : cases) {
        StationImage spoilt = knownImage();
        c.spoil(spoilt);
        ctx.image = &spoilt;
        prompts.shown.clear();
        const BuiltRequest built = buildRequest(tx, c.id, ctx);
        EXPECT_EQ(built.length, 0) << c.tag;
        EXPECT_EQ(built.failure, c.failure) << c.tag;
        // The builder shows nothing itself; the failure's box is the one operators know.
        EXPECT_TRUE(prompts.shown.empty()) << c.tag;
        reportBuildFailure(prompts, built.failure);
        ASSERT_EQ(prompts.shown.size(), 1u) << c.tag;
        EXPECT_TRUE(
            prompts.shownError(QStringLiteral("General error: ") + QString::fromLatin1(c.tag)));
    }
    prompts.shown.clear();
    reportBuildFailure(prompts, BuildFailure::None);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_STREQ(buildFailureTag(BuildFailure::StationDefinition),
                 " 2.8: Definice stanice - progr.");
    EXPECT_STREQ(buildFailureTag(BuildFailure::Cmos), " 2.5: CMOS - progr.");
    setLanguage(Language::Czech);
}

// What the sequences wait for after each request they send; a change here changes which
// answers a station may give.
TEST(RequestTableAnswers, EachRequestIsAwaitedAsTheSequencesAlwaysDid) {
    struct Row {
        Request id;
        int length;
        AnswerMode mode;
    };
    const Row rows[] = {
        {COMM, 11, AnswerMode::Exact},
        {READ_STATUS, 27, AnswerMode::Exact},
        {READ_CMOS, 45, AnswerMode::Exact},
        {READ_CMOS_CHECK, 45, AnswerMode::Exact},
        {READ_METER, 93, AnswerMode::Exact},
        {READ_CHANNEL, 10, AnswerMode::AtLeast},
        {READ_STATION, 99, AnswerMode::Exact},
        {READ_REGISTERS, 75, AnswerMode::AtLeast},
        {READ_ARCHIVE_INFO, 36, AnswerMode::Exact},
        {READ_ARCHIVE_DATA, 70, AnswerMode::AtLeast},
        {READ_MESSAGES, 6, AnswerMode::AtLeast},
        {STAV_MER, 87, AnswerMode::Exact},
        {SEND_BLOCK, 10, AnswerMode::AtLeast},
        {READ_MAXIMUM, 31, AnswerMode::Exact},
        {FLY_READ, 50, AnswerMode::Exact},
        {READ_LIVE, 51, AnswerMode::Exact},
    };
    for (const Row& r : rows) {
        const AnswerExpectation e = tableExpectation(r.id);
        EXPECT_EQ(e.length, r.length) << requestInfo(r.id).name;
        EXPECT_EQ(e.mode, r.mode) << requestInfo(r.id).name;
        EXPECT_FALSE(e.ackFirst) << requestInfo(r.id).name;
    }
    // Everything that only changes the station is answered with 06h alone.
    for (Request id : {ERASE_STATION, SET_TIME, WRITE_STATION, WRITE_METER, WRITE_CHANNEL,
                       RESTART_MEASURING, WRITE_ADDRESS, WRITE_CMOS, END_COMM, LOCK_STATION,
                       CLEAR_PARTIAL, START_PRENOS, STOP_PRENOS, FLY_SET}) {
        const AnswerExpectation e = tableExpectation(id);
        EXPECT_EQ(e.length, 0) << requestInfo(id).name;
        EXPECT_EQ(e.mode, AnswerMode::Ack) << requestInfo(id).name;
    }
}

TEST(Trailer, SumAndXorCoverEverythingBeforeThem) {
    std::vector<std::uint8_t> d{0x01, 0x40, 0x0E, 0, 0};
    appendTrailer(d);
    EXPECT_EQ(toHex(d), "01 40 0E 4F 4F");
    EXPECT_TRUE(trailerMatches(d, 0));
    d[1] ^= 1;
    EXPECT_FALSE(trailerMatches(d, 0));
    EXPECT_FALSE(trailerMatches(std::vector<std::uint8_t>{0x06}, 0));
}

}  // namespace
}  // namespace pelmo
