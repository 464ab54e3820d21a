#include "link/byte_fields.h"
#include "sim_fixture.h"

namespace pelmo::sim::test {
namespace {

TEST(FaultSpec, ItemsAddUpAndMistakesAreNamed) {
    FaultSettings f;
    std::string error;
    ASSERT_TRUE(parseFaultSpec(
        "no-answer=read_meter, corrupt-every=5,drop-byte,extra-byte=14,delay=250,locked", f,
        &error))
        << error;
    EXPECT_TRUE(f.noAnswer.test(READ_METER));
    EXPECT_EQ(f.noAnswer.count(), 1u);
    EXPECT_EQ(f.corruptEvery, 5);
    EXPECT_TRUE(f.dropByte.all());
    EXPECT_TRUE(f.extraByte.test(READ_CMOS));
    EXPECT_EQ(f.delayMs, 250);
    EXPECT_TRUE(f.locked);
    EXPECT_FALSE(f.silent);
    // The check read is the same datagram as the read, so it names the same request.
    ASSERT_TRUE(parseFaultSpec("no-answer=READ_CMOS_CHECK,short-buffer=always:3", f));
    EXPECT_TRUE(f.noAnswer.test(READ_CMOS));
    EXPECT_EQ(f.shortBuffer, ShortBuffer::Always);
    EXPECT_EQ(f.shortChannel, 3);

    for (const char* bad :
         {"silently", "no-answer=READ_NOTHING", "no-answer", "corrupt-every=0", "corrupt-every=x",
          "delay=-1", "short-buffer=twice", "short-buffer=once:9", "silent=1", "no-answer=24"}) {
        FaultSettings g;
        EXPECT_FALSE(parseFaultSpec(bad, g, &error)) << bad;
        EXPECT_NE(error.find("bad fault item"), std::string::npos);
    }
}

class Faults : public SimBench {
protected:
    Faults() : station(bus.addStation(kDefaultBusAddress)) {}

    void inject(const char* spec) {
        FaultSettings f;
        ASSERT_TRUE(parseFaultSpec(spec, f));
        station.addFaults(f);
    }
    // The engine gives up after the first transmission and three repetitions, 31 polls each.
    static void expectGivenUp(const Outcome& o) {
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.transmissions, 4u);
        EXPECT_EQ(o.polls, 4 * 31);
    }

    SimStation& station;
};

TEST_F(Faults, SilentAddressFailsCommAndTheProbe) {
    inject("silent");
    expectGivenUp(request(COMM));
    done.reset();
    port.clearWrites();
    engine->probe();
    while (!done) {
        link.advance(kProbeIntervalMs);
        engine->poll();
    }
    EXPECT_EQ(*done, 1);
    EXPECT_EQ(port.writes().size(), 3u);
}

TEST_F(Faults, OneRequestKindLeftUnansweredEndsThatStepOnly) {
    inject("no-answer=READ_METER");
    ASSERT_TRUE(open());
    EXPECT_TRUE(step(READ_STATUS).ok);
    expectGivenUp(request(READ_METER));
    EXPECT_TRUE(step(READ_STATION).ok);
}

// Every third data answer is corrupt: the engine repeats, and a repeated block request gets
// the same block again because the host did not acknowledge it.
TEST_F(Faults, CorruptTrailerIsRepeatedAndTheRepeatCarriesTheSameBlock) {
    inject("corrupt-every=3");
    ASSERT_TRUE(open());
    const Outcome first = step(READ_MESSAGES);
    ASSERT_TRUE(first.ok);
    EXPECT_EQ(first.transmissions, 1u);
    std::size_t records = (first.answer[4] - 2u) / 6u;
    bool more = first.answer[2] & 0x08;
    int repeated = 0;
    while (more) {
        const Outcome o = step(READ_MESSAGES, true);
        ASSERT_TRUE(o.ok);
        EXPECT_EQ(o.polls, o.transmissions == 1 ? 1 : 32);
        repeated += o.transmissions == 2;
        records += o.answer[2] / 6u;
        more = o.answer[1] & 0x08;
    }
    EXPECT_EQ(records, 40u);
    EXPECT_EQ(repeated, 2);  // answers 3 and 6 of COMM + 6 block answers
}

TEST_F(Faults, DroppedByteNeverVerifies) {
    inject("drop-byte=COMM,drop-byte=END_COMM");
    const Outcome comm = request(COMM);
    expectGivenUp(comm);
    EXPECT_EQ(comm.heard, 4 * 10u);  // one byte short every time
    // With the only byte of an acknowledgement gone, nothing arrives at all.
    station.faults().settings().dropByte.reset(COMM);
    ASSERT_TRUE(open());
    const Outcome end = request(END_COMM);
    expectGivenUp(end);
    EXPECT_EQ(end.heard, 0u);
}

TEST_F(Faults, ExtraByteFailsLengthAndTrailerChecksButNotAnAcknowledgement) {
    inject("extra-byte=READ_CMOS,extra-byte=READ_CHANNEL,extra-byte=CLEAR_PARTIAL");
    ASSERT_TRUE(open());
    const Outcome cmos = request(READ_CMOS);
    expectGivenUp(cmos);
    EXPECT_EQ(cmos.heard, 4 * 46u);
    image.current_index = 2;
    expectGivenUp(request(READ_CHANNEL));  // at least 10 bytes, but the trailer is off
    const Outcome ack = request(CLEAR_PARTIAL);
    EXPECT_TRUE(ack.ok);
    EXPECT_EQ(ack.answer.size(), 2u);
}

// An attempt lasts 31 polls of 20 ms: a shorter delay costs polls, a longer one a
// repetition (answered by the late first answer), and one beyond four attempts a failure.
TEST_F(Faults, DelayedAnswersCostPollsThenRepetitionsThenTheExchange) {
    inject("delay=300");
    Outcome o = request(COMM);
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(o.transmissions, 1u);
    EXPECT_EQ(o.polls, 300 / kPollIntervalMs);

    station.faults().settings().delayMs = 700;
    link.advance(1000);
    o = request(COMM);
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(o.transmissions, 2u);
    EXPECT_EQ(o.polls, 700 / kPollIntervalMs);

    // A fresh engine: this one would first wait out the late answer its repetition is due
    // (so that it cannot pass for the next request's answer).
    engine = std::make_unique<TCommunication>(
        [this](ExchangeResult r) { done = r == ExchangeResult::Failed; }, nullptr, port, context);
    station.faults().settings().delayMs = 3000;
    link.advance(5000);
    expectGivenUp(request(COMM));
}

TEST_F(Faults, LockedStationSaysSoInItsCmosBlock) {
    inject("locked");
    ASSERT_TRUE(open());
    EXPECT_EQ(step(READ_CMOS).answer[5 + 37], 0x80);
}

// The host compares each channel with the count STAV_MER announced and fetches a short one
// again after STOP_PRENOS and START_PRENOS.
TEST_F(Faults, ShortCircularBufferOnceOrAlways) {
    inject("short-buffer=once");
    ASSERT_TRUE(open());
    const int announced = FieldReader(step(STAV_MER).answer).u16(27);
    ASSERT_TRUE(step(START_PRENOS).ok);
    EXPECT_EQ(fetchChannel(1).size(), 18u + announced - 1);
    ASSERT_TRUE(step(STOP_PRENOS).ok);
    ASSERT_TRUE(step(START_PRENOS).ok);
    EXPECT_EQ(fetchChannel(1).size(), 18u + announced);
    EXPECT_EQ(fetchChannel(2).size(), 18u + 600);  // other channels are whole

    inject("short-buffer=always:2");
    ASSERT_TRUE(step(STOP_PRENOS).ok);
    ASSERT_TRUE(step(START_PRENOS).ok);
    EXPECT_EQ(fetchChannel(1).size(), 18u + announced);
    for (int attempt = 0; attempt < 3; ++attempt) {
        EXPECT_EQ(fetchChannel(2).size(), 18u + 599);
        ASSERT_TRUE(step(STOP_PRENOS).ok);
        ASSERT_TRUE(step(START_PRENOS).ok);
    }
}

}  // namespace
}  // namespace pelmo::sim::test
