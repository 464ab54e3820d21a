#include <set>

#include "link/block_codecs.h"
#include "link/byte_fields.h"
#include "sim_fixture.h"

namespace pelmo::sim::test {
namespace {

class Requests : public SimBench {
protected:
    Requests() { bus.addStation(kDefaultBusAddress); }

    std::uint32_t stampOf(const Outcome& o) const {
        return FieldReader(o.answer).u32(static_cast<std::size_t>(o.answer.at(4)) + 1);
    }
};

// Every identifier of the request table, in the order a read, a program run and the data
// windows would use them. Lengths are the ones the host waits for; channel answers grow by
// four bytes per table point of the default channels (5, 2, 8, 0, 0, 0, 3, 4 points).
TEST_F(Requests, EveryRequestIsAnsweredAsTheHostVerifiesIt) {
    struct Case {
        int id;
        int index;
        std::size_t length;
    };
    std::vector<Case> cases{
        {COMM, 0, 11}, {READ_STATUS, 0, 27}, {READ_CMOS, 0, 45}, {READ_METER, 0, 93}};
    const int points[] = {5, 2, 8, 0, 0, 0, 3, 4};
    for (int n = 1; n <= kChannelCount; ++n) {
        cases.push_back({READ_CHANNEL, n, 109u + 4u * points[n - 1]});
    }
    cases.push_back({READ_STATION, 0, 99});
    cases.push_back({READ_REGISTERS, 0, 87});
    for (int n = 1; n <= 15; ++n) {
        cases.push_back({READ_ARCHIVE_INFO, n, 36});
    }
    for (int n = 0; n <= 32; ++n) {
        cases.push_back({READ_ARCHIVE_DATA, n, n == 0 ? 75u : 71u});
    }
    const std::vector<Case> rest{{READ_ARCHIVE_DATA, 50, 75}, {CLEAR_PARTIAL, 0, 1},
                                 {READ_MESSAGES, 0, 57},      {READ_LIVE, 0, 51},
                                 {STAV_MER, 0, 87},           {START_PRENOS, 0, 1},
                                 {SEND_BLOCK, 7, 146},        {STOP_PRENOS, 0, 1},
                                 {READ_MAXIMUM, 0, 31},       {FLY_SET, 0, 1},
                                 {FLY_READ, 0, 50},           {READ_CMOS_CHECK, 0, 45},
                                 {ERASE_STATION, 0, 1},       {SET_TIME, 0, 1},
                                 {WRITE_CMOS, 0, 1},          {WRITE_CHANNEL, 3, 1},
                                 {WRITE_METER, 0, 1},         {WRITE_STATION, 0, 1},
                                 {WRITE_ADDRESS, 0, 1},       {RESTART_MEASURING, 0, 1},
                                 {LOCK_STATION, 0, 1},        {END_COMM, 0, 1}};
    cases.insert(cases.end(), rest.begin(), rest.end());

    std::set<int> covered;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(requestInfo(c.id).name) + " " + std::to_string(c.index));
        image.current_index = static_cast<std::uint16_t>(c.index);
        const Outcome o = step(c.id);
        ASSERT_TRUE(o.ok);
        EXPECT_EQ(o.transmissions, 1u);
        EXPECT_EQ(o.answer.size(), c.length);
        EXPECT_EQ(o.answer.front(), kAckByte);
        if (o.answer.size() > 1) {
            EXPECT_TRUE(trailerMatches(o.answer, 1));
        }
        // Keep what was read, so that programming writes the station's own blocks back.
        if (c.id == READ_CMOS) {
            decodeCmos(o.answer, image.cmos_raw_identity, image.cmos);
            image.cmos_file_identity = image.cmos_raw_identity;
        } else if (c.id == READ_METER) {
            decodeMeter(o.answer, image.meter);
        } else if (c.id == READ_CHANNEL) {
            ASSERT_TRUE(decodeChannel(o.answer, image.cmos, image.channel(c.index),
                                      image.channelData(c.index)));
        } else if (c.id == READ_STATION) {
            decodeStation(o.answer, image.station);
        }
        covered.insert(c.id == READ_CMOS_CHECK ? READ_CMOS : c.id);
    }
    for (int id = 1; id < kRequestCount; ++id) {
        if (requestInfo(id).name && id != READ_CMOS_CHECK) {
            EXPECT_TRUE(covered.count(id)) << requestInfo(id).name;
        }
    }
}

TEST_F(Requests, AnswerFieldsCarryTheStationState) {
    ASSERT_TRUE(open());
    const Outcome status = step(READ_STATUS);
    EXPECT_EQ(FieldReader(status.answer).u32(21), now());

    const Outcome registers = step(READ_REGISTERS);
    EXPECT_EQ(registers.answer[3], kDefaultBusAddress);
    const FieldReader r(registers.answer);
    EXPECT_GT(r.f32(9), 170.0);  // steam temperature of circuit 1
    EXPECT_LT(r.f32(9), 200.0);
    EXPECT_NEAR(r.f32(13), 1.0, 0.1);   // its pressure
    EXPECT_GT(r.f32(25), 100000.0);     // dry heat since commissioning, GJ
    EXPECT_EQ(r.f32(41), 0.0);          // circuit 2 is not metered
    EXPECT_NEAR(r.f32(73), 85.0, 5.0);  // condensate temperature

    image.current_index = 6;
    const Outcome info = step(READ_ARCHIVE_INFO);
    EXPECT_EQ(std::string(info.answer.begin() + 7, info.answer.begin() + 23),
              "Mno\x9E. P1 sucha  ");
    EXPECT_EQ(std::string(info.answer.begin() + 23, info.answer.begin() + 27),
              std::string("t\0\0\0", 4));
}

// Month archive m of an odd year is m + 12; daily archive 25 + (day mod 8) closes at the
// midnight that starts that day. The clock stands at 2025-03-10; metering began 600 days
// earlier, so older periods hold empty records.
TEST_F(Requests, ArchiveRecordsCarryTheirClosingTimeWhereByteFourPoints) {
    ASSERT_TRUE(open());
    auto read = [&](int number) {
        image.current_index = static_cast<std::uint16_t>(number);
        return step(READ_ARCHIVE_DATA);
    };
    const Outcome february25 = read(14);
    EXPECT_EQ(stampOf(february25), timeCodeFromCalendar(25, 3, 1, 0, 0, 0));
    EXPECT_GT(FieldReader(february25.answer).f32(5), 0.0);
    EXPECT_EQ(stampOf(read(3)), timeCodeFromCalendar(24, 4, 1, 0, 0, 0));
    const Outcome march23 = read(15);
    EXPECT_EQ(stampOf(march23), 0u);
    EXPECT_EQ(FieldReader(march23.answer).f32(5), 0.0);

    const std::uint32_t today = now() / 86400;
    EXPECT_EQ(stampOf(read(25 + static_cast<int>(today % 8))), today * 86400);
    EXPECT_EQ(stampOf(read(25 + static_cast<int>((today + 7) % 8))), (today - 1) * 86400);

    // The actual state counts on; the intermediate state restarts when cleared.
    const Outcome actual = read(0);
    EXPECT_GT(FieldReader(actual.answer).f32(5), FieldReader(february25.answer).f32(5));
    ASSERT_TRUE(step(CLEAR_PARTIAL).ok);
    link.advance(3600 * 1000);
    const Outcome partial = read(50);
    EXPECT_EQ(stampOf(partial), now() - 3600);
    EXPECT_NEAR(FieldReader(partial.answer).f32(5), 11.2, 0.01);  // one hour of dry heat
}

TEST_F(Requests, MessageLogComesInBlocksUntilTheMoreDataBitIsClear) {
    ASSERT_TRUE(open());
    std::vector<std::uint8_t> log;
    Outcome o = step(READ_MESSAGES);
    ASSERT_TRUE(o.ok);
    int blocks = 1;
    // First block: status in byte 2, length in byte 4, records from byte 7.
    log.insert(log.end(), o.answer.begin() + 7, o.answer.begin() + 5 + o.answer[4]);
    bool more = o.answer[2] & 0x08;
    while (more && blocks < 20) {
        o = step(READ_MESSAGES, true);
        ASSERT_TRUE(o.ok);
        ++blocks;
        // Further blocks: a leading acknowledge, status in byte 1, length in byte 2.
        EXPECT_EQ(o.answer[0], kAckByte);
        log.insert(log.end(), o.answer.begin() + 3, o.answer.begin() + 3 + o.answer[2]);
        more = o.answer[1] & 0x08;
    }
    EXPECT_EQ(blocks, 5);
    ASSERT_EQ(log.size(), 40u * 6u);
    std::set<int> types;
    int zeroStamps = 0;
    for (std::size_t i = 0; i < log.size(); i += 6) {
        types.insert(log[i + 5]);
        zeroStamps += FieldReader(log).u32(i) == 0;
    }
    EXPECT_EQ(zeroStamps, 1);
    EXPECT_TRUE(types.count(3) && types.count(4) && types.count(14));
    EXPECT_GT(types.size(), 3u);  // and types the program has no text for

    // A new read starts from the first block again.
    o = step(READ_MESSAGES);
    EXPECT_EQ(o.answer[1], kStartByte);
    EXPECT_EQ(o.answer[2] & 0x08, 0x08);
}

TEST_F(Requests, MonitoringBuffersMatchTheAnnouncedCountsBlockByBlock) {
    ASSERT_TRUE(open());
    const Outcome status = step(STAV_MER);
    const FieldReader s(status.answer);
    EXPECT_EQ(s.u32(7), now());
    std::vector<int> counts;
    for (int i = 0; i < kChannelCount; ++i) {
        counts.push_back(s.u16(27 + 8 * static_cast<std::size_t>(i)));
    }
    EXPECT_EQ(counts, (std::vector<int>{600, 600, 300, 0, 0, 0, 120, 300}));

    ASSERT_TRUE(step(START_PRENOS).ok);
    for (int channel : {1, 4}) {
        int blocks = 0;
        const std::vector<std::uint8_t> buffer = fetchChannel(channel, &blocks);
        EXPECT_EQ(buffer.size(), 18u + static_cast<std::size_t>(counts[channel - 1]));
        EXPECT_EQ(blocks, channel == 1 ? 4 : 1);
        EXPECT_EQ(FieldReader(buffer).u16(4), counts[channel - 1]);  // header's own count
    }
    EXPECT_TRUE(step(STOP_PRENOS).ok);
    // Without an open transfer there is nothing to send.
    image.current_index = 1;
    EXPECT_FALSE(request(SEND_BLOCK).ok);
}

TEST_F(Requests, LiveMaximumAndFlyingMeasurementFollowTheClock) {
    ASSERT_TRUE(open());
    const Outcome live = step(READ_LIVE);
    const FieldReader l(live.answer);
    EXPECT_EQ(l.u32(5), now());
    const double temperature = l.u16(10) * 250.0 / 65534;
    EXPECT_GT(temperature, 170.0);
    EXPECT_LT(temperature, 200.0);
    EXPECT_TRUE(l.u16(25) == 0 || l.u16(25) == 65534);  // the pump's digital input
    EXPECT_EQ(l.u16(30), 0);                            // channel 5 is not in use
    link.advance(30 * 1000);
    EXPECT_NE(FieldReader(step(READ_LIVE).answer).u16(10), l.u16(10));

    const Outcome max = step(READ_MAXIMUM);
    StationCalendar when;
    calendarFromTimeCode(FieldReader(max.answer).u32(17), when);
    EXPECT_EQ(when, (StationCalendar{25, 3, 9, 7, 45, 0}));
    EXPECT_EQ(FieldReader(max.answer).u32(25), 0u);  // circuit 2 never had one

    fly = FlySetup{1, 2, true};  // two intervals of 60 s, buffer cleared
    ASSERT_TRUE(step(FLY_SET).ok);
    link.advance(200 * 1000);
    const Outcome result = step(FLY_READ);
    const FieldReader f(result.answer);
    EXPECT_FLOAT_EQ(f.f32(24) + f.f32(28), 120.0);               // dry plus wet time, seconds
    EXPECT_NEAR(f.f32(16) + f.f32(20), 4.0 * 120 / 3600, 0.05);  // mass, t
    EXPECT_GE(f.f32(32), f.f32(36));                             // temperature max >= min
}

}  // namespace
}  // namespace pelmo::sim::test
