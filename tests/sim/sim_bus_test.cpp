#include <random>

#include "hex.h"
#include "link/block_codecs.h"
#include "sim_fixture.h"

namespace pelmo::sim::test {
namespace {

using pelmo::test::fromHex;

std::vector<std::uint8_t> frame(int id, int address = kDefaultBusAddress, int index = 1) {
    StationImage image;
    image.bus_address = address;
    image.current_index = static_cast<std::uint16_t>(index);
    image.station.net_address = static_cast<std::uint16_t>(address);
    BuildContext ctx;
    ctx.image = &image;
    ctx.clock = [] { return LocalDateTime{2025, 3, 10, 12, 0, 0}; };
    TxBuffer tx{};
    const int n = buildRequest(tx, id, ctx).length;
    return {tx.begin(), tx.begin() + n};
}

std::vector<std::uint8_t> join(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

// The byte stream as one station sees it, without the engine in between.
class Line : public ::testing::Test {
protected:
    Line() : bus([] { return kStart; }) {
        bus.addStation(kDefaultBusAddress);
        bus.setObserver([this](const BusEvent& e) { events.push_back(e.kind); });
    }
    std::size_t answers(const std::vector<std::uint8_t>& bytes) {
        return bus.receive(bytes).size();
    }
    std::size_t count(BusEventKind kind) const {
        return static_cast<std::size_t>(std::count(events.begin(), events.end(), kind));
    }

    SimBus bus;
    std::vector<BusEventKind> events;
};

TEST_F(Line, OnlyASessionOpenedByCommForThisAddressIsAnswered) {
    EXPECT_EQ(answers(frame(READ_STATUS)), 0u);
    EXPECT_EQ(answers(frame(COMM, 17)), 0u);
    EXPECT_EQ(answers(frame(READ_STATUS)), 0u);
    const auto comm = bus.receive(frame(COMM));
    ASSERT_EQ(comm.size(), 1u);
    EXPECT_EQ(pelmo::test::toHex(comm[0].bytes), "06 01 81 0A 04 00 00 00 FB 8B 75");
    EXPECT_EQ(answers(frame(READ_STATUS)), 1u);
    const auto end = bus.receive(frame(END_COMM));
    ASSERT_EQ(end.size(), 1u);
    EXPECT_EQ(end[0].bytes, std::vector<std::uint8_t>{kAckByte});
    EXPECT_EQ(answers(frame(READ_STATUS)), 0u);
    // A COMM for another address ends the session too.
    EXPECT_EQ(answers(frame(COMM)), 1u);
    EXPECT_EQ(answers(frame(COMM, 17)), 0u);
    EXPECT_EQ(answers(frame(READ_STATUS)), 0u);
}

TEST_F(Line, StrayBytesAcknowledgementsAndPiecesDoNotDisturbFraming) {
    const auto comm = frame(COMM);
    // Byte by byte, after noise and acknowledgements.
    std::size_t replies = answers(fromHex("FF 00 06 06 55"));
    for (std::uint8_t b : comm) {
        replies += answers({b});
    }
    EXPECT_EQ(replies, 1u);
    EXPECT_EQ(count(BusEventKind::Acknowledge), 2u);
    // A stray start byte, or the start of a frame that can never complete, right before a
    // request in the same write.
    EXPECT_EQ(answers(join({{0x01}, frame(READ_STATUS)})), 1u);
    EXPECT_EQ(answers(join({fromHex("01 02 FF 00"), frame(READ_METER)})), 1u);
    EXPECT_EQ(answers(join({fromHex("01 81"), frame(READ_STATION)})), 1u);
    EXPECT_FALSE(bus.hasPartial());
}

TEST_F(Line, CorruptOrUnknownRequestsGetNoAnswer) {
    ASSERT_EQ(answers(frame(COMM)), 1u);
    auto corrupt = frame(READ_METER);
    corrupt.back() ^= 0x01;
    auto wrongLength = frame(READ_CHANNEL);
    wrongLength[3] = 0x02;  // READ_CHANNEL always carries one byte more
    EXPECT_EQ(answers(corrupt), 0u);
    EXPECT_EQ(answers(wrongLength), 0u);
    EXPECT_EQ(answers(fromHex("01 40 99 DA 98")), 0u);  // no such request
    EXPECT_EQ(answers(join({corrupt, frame(READ_STATION)})), 1u);
    // A channel that does not exist, read or written, and a table no station can hold.
    EXPECT_EQ(answers(frame(READ_CHANNEL, kDefaultBusAddress, 9)), 0u);
    auto channel = frame(WRITE_CHANNEL);
    channel[4] = 8;
    appendTrailer(channel);
    EXPECT_EQ(answers(channel), 0u);
    std::vector<std::uint8_t> seventeenPoints(109 + 4 * 17);
    seventeenPoints[0] = kStartByte;
    seventeenPoints[1] = 0x02;
    seventeenPoints[2] = 0x21;
    seventeenPoints[3] = 103 + 2 * 17;
    appendTrailer(seventeenPoints);
    EXPECT_EQ(answers(seventeenPoints), 0u);
    EXPECT_GE(count(BusEventKind::Ignored), 3u);
}

TEST_F(Line, HalfARequestIsForgottenWhenTheLinePauses) {
    const auto comm = frame(COMM);
    EXPECT_EQ(answers({comm.begin(), comm.begin() + 4}), 0u);
    EXPECT_TRUE(bus.hasPartial());
    bus.lineIdle();
    EXPECT_EQ(answers({comm.begin() + 4, comm.end()}), 0u);
    EXPECT_EQ(answers(comm), 1u);
}

// Whatever arrives, the station neither crashes nor reads past what it got, and a clean
// request after a pause is answered as usual.
TEST_F(Line, RandomTrafficNeverBreaksTheStation) {
    std::mt19937 rng(20250310);
    std::vector<std::vector<std::uint8_t>> valid;
    for (int id = 1; id < kRequestCount; ++id) {
        if (requestInfo(id).name) {
            valid.push_back(frame(id, kDefaultBusAddress, 1 + id % 8));
        }
    }
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> chunk = valid[rng() % valid.size()];
        switch (rng() % 4) {
            case 0:
                chunk[rng() % chunk.size()] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
                break;
            case 1:
                chunk.resize(rng() % chunk.size());
                break;
            case 2:
                for (auto& b : chunk) {
                    b = static_cast<std::uint8_t>(rng());
                }
                break;
            default:
                break;
        }
        for (const Reply& r : bus.receive(chunk)) {
            ASSERT_FALSE(r.bytes.empty());
            EXPECT_EQ(r.bytes.front(), kAckByte);
        }
        if (rng() % 8 == 0) {
            bus.lineIdle();
        }
    }
    bus.lineIdle();
    EXPECT_EQ(answers(frame(COMM, bus.stations().front()->address())), 1u);
}

class SharedBus : public SimBench {
protected:
    SharedBus() {
        bus.addStation(3);
        bus.addStation(17);
    }
};

TEST_F(SharedBus, EachStationAnswersOnlyInItsOwnSession) {
    for (int address : {3, 17}) {
        ASSERT_TRUE(open(address));
        const Outcome o = step(READ_STATION);
        ASSERT_TRUE(o.ok);
        EXPECT_EQ(o.heard, 99u);  // one station answered
        decodeStation(o.answer, image.station);
        EXPECT_EQ(image.station.net_address, address);
        const Outcome registers = step(READ_REGISTERS);
        EXPECT_EQ(registers.answer[3], address);
    }
    ASSERT_TRUE(step(END_COMM).ok);
    EXPECT_FALSE(open(251));
    // Without a session the registers come from the first station on the line.
    EXPECT_EQ(step(READ_REGISTERS).answer[3], 3);
}

}  // namespace
}  // namespace pelmo::sim::test
