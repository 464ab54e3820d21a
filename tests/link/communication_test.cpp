#include "link/communication.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>
#include <optional>

#include "hex.h"
#include "link/in_process_port.h"
#include "sim_link.h"

namespace pelmo {
namespace {

using test::fromHex;
using test::stationAnswer;

// An engine on an in-process port whose far end the test plays by hand.
class Engine : public ::testing::Test {
protected:
    Engine() {
        link.build.image = &image;
        link.build.clock = [] { return LocalDateTime{2026, 1, 2, 3, 4, 5}; };
        link.tx = &tx;
        link.rx = &rx;
        port.setReceiveHandler([this](std::span<const std::uint8_t> b) { rx.append(b); });
        engine = std::make_unique<TCommunication>(
            [this](ExchangeResult result) { done.push_back(result); }, nullptr, port, link);
    }

    void answer(const std::vector<std::uint8_t>& bytes) { port.deliverToHost(bytes); }
    // Polls until the window hears from the engine, at most `limit` times.
    int pollUntilDone(int limit = 1000) {
        int polls = 0;
        while (done.empty() && polls < limit) {
            engine->poll();
            ++polls;
        }
        return polls;
    }
    std::size_t transmissions() const { return port.writes().size(); }

    StationImage image;
    TxBuffer tx{};
    ReceiveState rx;
    LinkContext link;
    InProcessPort port;
    std::unique_ptr<TCommunication> engine;
    std::vector<ExchangeResult> done;
};

const std::vector<std::uint8_t> kCommAnswer =
    stationAnswer(fromHex("00 00 00 FB"), 0x81, 0x0A);  // 11 bytes

TEST_F(Engine, ExactAnswerVerifiesOnTheFirstPollAfterItsLastByte) {
    ASSERT_EQ(kCommAnswer.size(), 11u);
    engine->send(COMM, {11, AnswerMode::Exact, false});
    EXPECT_TRUE(engine->waiting());
    ASSERT_EQ(transmissions(), 1u);
    EXPECT_EQ(test::toHex(port.writes()[0]), "01 81 0A 00 00 00 FB 00 87 71");
    for (int i = 0; i < 20; ++i) {
        engine->poll();
    }
    answer({kCommAnswer.begin(), kCommAnswer.begin() + 6});
    engine->poll();
    EXPECT_TRUE(done.empty());
    answer({kCommAnswer.begin() + 6, kCommAnswer.end()});
    engine->poll();
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0], ExchangeResult::Verified);
    EXPECT_FALSE(engine->waiting());
    EXPECT_EQ(transmissions(), 1u);
}

TEST_F(Engine, ExactModeRejectsOneByteTooManyAfterFourTransmissions) {
    port.setPeer([this](std::span<const std::uint8_t>) {
        auto longer = kCommAnswer;
        longer.insert(longer.end() - 2, 0x00);  // still a correct trailer, 12 bytes
        std::uint8_t sum = 0, x = 0;
        for (std::size_t i = 1; i + 2 < longer.size(); ++i) {
            sum = static_cast<std::uint8_t>(sum + longer[i]);
            x ^= longer[i];
        }
        longer[longer.size() - 2] = sum;
        longer[longer.size() - 1] = x;
        answer(longer);
    });
    engine->send(COMM, {11, AnswerMode::Exact, false});
    const int polls = pollUntilDone();
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0], ExchangeResult::Failed);
    EXPECT_EQ(transmissions(), 4u);
    EXPECT_EQ(polls, 4 * 31);
    EXPECT_FALSE(engine->waiting());
    // Nothing more happens once the failure was reported.
    engine->poll();
    EXPECT_EQ(done.size(), 1u);
}

TEST_F(Engine, VerificationModes) {
    const auto block = stationAnswer(fromHex("11 22 33 44 55 66 77"));  // 14 bytes
    struct Case {
        AnswerMode mode;
        int expected;
        std::vector<std::uint8_t> bytes;
        bool ackFirst;
        bool verifies;
        const char* what;
    };
    std::vector<std::uint8_t> corrupt = block;
    corrupt.back() ^= 0xFF;
    std::vector<std::uint8_t> noAck(block.begin() + 1, block.end());
    const std::vector<Case> cases = {
        {AnswerMode::AtLeast, 10, block, false, true, "longer than the minimum"},
        {AnswerMode::AtLeast, 15, block, false, false, "shorter than the minimum"},
        {AnswerMode::AtLeast, 10, corrupt, false, false, "corrupt trailer"},
        {AnswerMode::Exact, 14, block, false, true, "exact"},
        {AnswerMode::Exact, 13, block, false, false, "longer than exact"},
        {AnswerMode::Trailer, 99, block, false, true, "any length"},
        {AnswerMode::Trailer, 0, corrupt, false, false, "corrupt, any length"},
        {AnswerMode::Ack, 0, {0x06}, false, true, "acknowledge"},
        {AnswerMode::Ack, 0, {0x10, 0x06}, false, true, "DLE acknowledge"},
        {AnswerMode::Ack, 0, {0x15, 0x06}, false, false, "06h after another byte"},
        {AnswerMode::Ack, 0, {0x10}, false, false, "DLE alone"},
        // Without the leading 06h the trailer is computed from byte 0 when ack_first is on.
        {AnswerMode::Exact, 13, noAck, true, true, "ack_first without 06h"},
        {AnswerMode::Exact, 13, noAck, false, false, "first byte skipped"},
        {AnswerMode::Exact, 14, block, true, true, "ack_first with 06h"},
        {static_cast<AnswerMode>(2), 14, block, false, false, "unknown mode"},
        {AnswerMode::Trailer, 0, {0x00}, false, false, "single byte"},
    };
    for (const Case& c : cases) {
        engine->send(READ_STATUS, {c.expected, c.mode, c.ackFirst});
        answer(c.bytes);
        EXPECT_EQ(engine->verified(), c.verifies) << c.what;
    }
}

TEST_F(Engine, BytesOfATimedOutAttemptAreDiscardedBeforeTheRepetition) {
    engine->send(COMM, {11, AnswerMode::Exact, false});
    answer({kCommAnswer.begin(), kCommAnswer.begin() + 4});  // a torn first answer
    for (int i = 0; i < 31; ++i) {
        engine->poll();
    }
    EXPECT_EQ(transmissions(), 2u);
    EXPECT_EQ(rx.length(), 0);
    EXPECT_EQ(engine->repeats(), 1);
    answer(kCommAnswer);
    engine->poll();
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0], ExchangeResult::Verified);
}

TEST_F(Engine, ARequestThatBuildsNothingFailsThroughTheRepeatLimit) {
    engine->send(static_cast<Request>(24), {0, AnswerMode::Ack, false});
    EXPECT_EQ(pollUntilDone(), 4 * 31);
    EXPECT_EQ(transmissions(), 0u);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0], ExchangeResult::Failed);
}

TEST_F(Engine, ABlockThatDoesNotEncodeIsToldAtEveryAttemptAndNothingIsWritten) {
    std::vector<BuildFailure> told;
    engine->setBuildFailed([&](BuildFailure f) { told.push_back(f); });
    image.meter.constants[0] = 1e300;
    engine->send(WRITE_METER, tableExpectation(WRITE_METER));
    EXPECT_EQ(pollUntilDone(), 4 * 31);
    EXPECT_EQ(transmissions(), 0u);
    EXPECT_EQ(told, std::vector<BuildFailure>(4, BuildFailure::MeterDefinition));
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0], ExchangeResult::Failed);
    // A block that encodes again goes out at the next send.
    image.meter.constants[0] = 1.0;
    engine->send(WRITE_METER, tableExpectation(WRITE_METER));
    EXPECT_EQ(transmissions(), 1u);
    EXPECT_EQ(told.size(), 4u);
}

TEST_F(Engine, AFailedWriteIsSwallowedAndEndsThroughTheRepeatLimit) {
    port.setFailing(true);
    engine->send(COMM, {11, AnswerMode::Exact, false});
    EXPECT_TRUE(engine->waiting());
    pollUntilDone();
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0], ExchangeResult::Failed);
}

TEST_F(Engine, ProbeRepeatsCommTwiceWithFastPolls) {
    std::vector<int> probed;
    link.probeObserver = [&](int a) { probed.push_back(a); };
    image.bus_address = 17;
    engine->probe();
    EXPECT_EQ(engine->timer().interval(), kProbeIntervalMs);
    EXPECT_EQ(engine->maxRepeats(), 2);
    EXPECT_EQ(pollUntilDone(), 3 * 31);
    EXPECT_EQ(transmissions(), 3u);
    for (const auto& w : port.writes()) {
        EXPECT_EQ(test::toHex(w), "01 81 0A 00 00 00 11 00 9D 9B");
    }
    EXPECT_EQ(probed, std::vector<int>{17});
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0], ExchangeResult::Failed);
    // A normal send afterwards restores the normal pace and limit.
    engine->send(COMM, {11, AnswerMode::Exact, false});
    EXPECT_EQ(engine->timer().interval(), kPollIntervalMs);
    EXPECT_EQ(engine->maxRepeats(), 3);
}

TEST_F(Engine, ANewSendWhileWaitingStartsOver) {
    engine->send(COMM, {11, AnswerMode::Exact, false});
    for (int i = 0; i < 40; ++i) {
        engine->poll();
    }
    EXPECT_EQ(engine->repeats(), 1);
    engine->send(READ_STATUS, {27, AnswerMode::Exact, false});
    EXPECT_EQ(engine->repeats(), 0);
    EXPECT_EQ(engine->ticks(), 0);
    EXPECT_EQ(engine->request(), READ_STATUS);
}

TEST_F(Engine, AcknowledgeAndUnawaitedSendsLeaveTheExchangeAlone) {
    engine->send(COMM, {11, AnswerMode::Exact, false});
    for (int i = 0; i < 5; ++i) {
        engine->poll();
    }
    engine->acknowledge();
    engine->sendWithoutWaiting(READ_LIVE);
    EXPECT_EQ(engine->ticks(), 5);
    EXPECT_EQ(engine->request(), COMM);
    EXPECT_TRUE(engine->waiting());
    ASSERT_EQ(transmissions(), 3u);
    EXPECT_EQ(test::toHex(port.writes()[1]), "06");
    EXPECT_EQ(test::toHex(port.writes()[2]), "01 40 43 84 02");
    engine->stop();
    EXPECT_FALSE(engine->waiting());
}

TEST_F(Engine, CloseSendsEndCommOnTheCurrentEngineOnly) {
    closeCurrentEngine(link);  // no current engine: nothing happens
    EXPECT_EQ(transmissions(), 0u);
    link.current = engine.get();
    closeCurrentEngine(link);
    ASSERT_EQ(transmissions(), 1u);
    EXPECT_EQ(test::toHex(port.writes()[0]), "01 40 0E 4F 4F");
    EXPECT_EQ(engine->mode(), AnswerMode::Ack);
    EXPECT_EQ(engine->expected(), 0);
    EXPECT_FALSE(engine->ackFirst());
    engine.reset();
    EXPECT_EQ(link.current, nullptr);
}

TEST_F(Engine, TheWindowMayDestroyTheEngineFromItsTimerDrivenCompletion) {
    // The real timer path, with a zero interval so that nothing waits for wall-clock time.
    bool finished = false;
    TCommunication* raw = nullptr;
    std::unique_ptr<TCommunication> owned;
    owned = std::make_unique<TCommunication>(
        [&](ExchangeResult result) {
            finished = result == ExchangeResult::Verified;
            owned.reset();
        },
        nullptr, port, link);
    raw = owned.get();
    link.current = raw;
    port.setPeer([&](std::span<const std::uint8_t>) { answer(kCommAnswer); });
    raw->send(COMM, {11, AnswerMode::Exact, false});
    raw->timer().setInterval(0);
    for (int i = 0; i < 100 && owned; ++i) {
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(finished);
    EXPECT_EQ(owned, nullptr);
    EXPECT_EQ(link.current, nullptr);
}

TEST(ReceiveStateTest, KeepsAtMost256BytesButCountsThemAll) {
    ReceiveState rx;
    std::vector<std::uint8_t> bytes(300);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i);
    }
    rx.append(bytes);
    EXPECT_EQ(rx.length(), 256);
    EXPECT_EQ(rx.count(), 300);
    EXPECT_EQ(rx.overflow(), 44);
    EXPECT_EQ(rx.text().size(), 512u);
    EXPECT_EQ(rx.text().substr(0, 8), "00010203");
    EXPECT_EQ(rx.text().substr(508), "feff");
    rx.reset();
    EXPECT_EQ(rx.length(), 0);
    EXPECT_TRUE(rx.text().empty());
    EXPECT_EQ(rx.count(), 300);
    EXPECT_EQ(rx.at(0), 0);
}

}  // namespace
}  // namespace pelmo

namespace pelmo {
namespace {

// Half duplex against a station that answers as fast as the line allows, END_COMM included:
// back-to-back sessions each open with one COMM, and no write comes sooner than the
// turnaround after the station's last byte.
TEST(HalfDuplexLine, BackToBackSessionsNeitherCollideNorCrowdTheStation) {
    for (const std::int64_t turnaroundUs : {kDefaultTurnaroundUs, std::int64_t{30000}}) {
        test::SimLink link;
        link.sim.setPaced(true);
        link.port.setTurnaroundUs(turnaroundUs);
        struct Byte {
            std::int64_t atUs;
            bool out;
        };
        std::vector<Byte> traffic;
        link.port.setTrafficObserver([&](bool out, std::span<const std::uint8_t>) {
            traffic.push_back({link.sim.elapsedMs() * 1000, out});
        });
        for (int session = 0; session < 3; ++session) {
            std::optional<ExchangeResult> result;
            auto engine = std::make_unique<TCommunication>(
                [&result](ExchangeResult r) { result = r; }, nullptr, link.port, link.context);
            engine->send(COMM, {11, AnswerMode::Exact, false});
            for (int polls = 0; !result && polls < 500; ++polls) {
                link.sim.advance(kPollIntervalMs);
                engine->poll();
            }
            EXPECT_EQ(result, ExchangeResult::Verified) << session;
            EXPECT_EQ(engine->repeats(), 0) << "session " << session << ", " << turnaroundUs;
            engine->acknowledge();
            engine->close();  // its 06h is not waited for
        }
        for (int i = 0; i < 10; ++i) {
            link.sim.advance(kPollIntervalMs);
            link.port.service();
        }
        EXPECT_EQ(link.requests(false), (std::vector<std::string>{"COMM", "END_COMM", "COMM",
                                                                  "END_COMM", "COMM", "END_COMM"}));
        std::int64_t lastIn = -1;
        for (const Byte& b : traffic) {
            if (!b.out) {
                lastIn = b.atUs;
            } else if (lastIn >= 0) {
                EXPECT_GE(b.atUs - lastIn, turnaroundUs);
            }
        }
    }
}

}  // namespace
}  // namespace pelmo
