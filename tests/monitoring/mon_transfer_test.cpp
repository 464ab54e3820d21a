#include "monitoring/mon_transfer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/texts.h"
#include "scripted_prompts.h"
#include "sim/sim_faults.h"
#include "sim_link.h"

namespace pelmo {
namespace {

struct RecordingTransferView final : MonTransferView {
    void transferStatus(const QString& text) override { statuses.push_back(text); }
    void viewStatus(const QString& text) override { viewStatuses.push_back(text); }
    void viewSource(const QString& text) override { sources.push_back(text); }
    void expectedCounts(const std::array<std::uint16_t, kChannelCount>& c) override { counts = c; }
    void receivedCount(int channel, int samples) override {
        received[static_cast<std::size_t>(channel - 1)] = samples;
    }
    void gaugeMaximum(int maximum) override { gaugeMax = maximum; }
    void gauge(int position) override { gauges.push_back(position); }
    void trafficNote(const QString& line) override { notes.push_back(line); }
    void transferEnded(bool ready) override { ended = ready ? 1 : 0; }

    std::vector<QString> statuses, viewStatuses, sources, notes;
    std::array<std::uint16_t, kChannelCount> counts{};
    std::array<int, kChannelCount> received{};
    int gaugeMax = 0;
    std::vector<int> gauges;
    int ended = -1;
};

// The transfer against the simulated default station: channels 1, 2 (600 samples), 3, 8
// (300), 7 (120); channel 4 in use without memory, 5 and 6 unused.
class Transfer : public ::testing::Test {
protected:
    void run() {
        link.run([this] { return transfer.engine(); });
    }
    void fault(const char* spec) {
        sim::FaultSettings f;
        ASSERT_TRUE(sim::parseFaultSpec(spec, f));
        link.station->addFaults(f);
    }
    // Channel indexes (0..7) carried by the SEND_BLOCK requests, in order.
    std::vector<int> blockChannels() const {
        std::vector<int> out;
        for (const auto& w : link.port.writes()) {
            if (w.size() == 7 && w[1] == 0x02 && w[2] == 0x45) {
                out.push_back(w[4]);
            }
        }
        return out;
    }
    // Replaces the counts STAV_MER announces.
    void announce(std::array<std::uint16_t, kChannelCount> counts) {
        link.tamper = [counts](std::vector<std::uint8_t>& a) {
            if (a.size() == 87 && a[2] == 0x40 && a[3] == 0x41) {
                for (std::size_t i = 0; i < counts.size(); ++i) {
                    a[27 + 8 * i] = static_cast<std::uint8_t>(counts[i]);
                    a[28 + 8 * i] = static_cast<std::uint8_t>(counts[i] >> 8);
                }
                test::SimLink::reseal(a);
            }
        };
    }
    long count(const std::string& name) const {
        const auto r = link.requests();
        return std::count(r.begin(), r.end(), name);
    }

    test::ScriptedPrompts prompts;
    RecordingTransferView view;
    test::SimLink link;
    MonitoringRecording recording;
    MonTransfer transfer{link.port, link.context, prompts, view, recording};
};

TEST_F(Transfer, FetchesEveryChannelHoldingSamplesBlockByBlock) {
    transfer.start();
    run();
    ASSERT_EQ(view.ended, 1);
    EXPECT_TRUE(transfer.dataReady());
    EXPECT_TRUE(prompts.shown.empty());
    const auto r = link.requests();
    const std::vector<std::string> head = {"COMM",         "ACK", "STAV_MER",  "ACK",
                                           "START_PRENOS", "ACK", "SEND_BLOCK"};
    ASSERT_GE(r.size(), head.size());
    EXPECT_EQ(std::vector<std::string>(r.begin(), r.begin() + 7), head);
    // 618 bytes of channel 1 and 2 take four blocks each; the others fit in two or one.
    // Channels 4, 5 and 6 announce no samples and are never asked for.
    EXPECT_EQ(blockChannels(), (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 6, 7, 7}));
    EXPECT_EQ(std::vector<std::string>(r.end() - 3, r.end()),
              (std::vector<std::string>{"ACK", "STOP_PRENOS", "END_COMM"}));
    std::array<std::uint16_t, kChannelCount> announced{600, 600, 300, 0, 0, 0, 120, 300};
    EXPECT_EQ(view.counts, announced);
    EXPECT_EQ(recording.status.counts, announced);
    EXPECT_EQ(view.gaugeMax, 1920 + 50);
    for (int c = 1; c <= kChannelCount; ++c) {
        const bool skipped = c >= 4 && c <= 6;
        EXPECT_EQ(recording.list(c),
                  skipped ? std::vector<std::uint8_t>{} : link.station->monitoring(c))
            << "channel " << c;
        EXPECT_EQ(view.received[static_cast<std::size_t>(c - 1)], recording.samples(c));
    }
    // Every block adds its length byte: a first block counts its channel byte too.
    const int bytes = 618 + 618 + 318 + 138 + 318;
    const int firstBlocks = 5;
    EXPECT_EQ(transfer.receivedBytes(), bytes + firstBlocks);
    EXPECT_EQ(view.gauges.back(), transfer.receivedBytes());
    EXPECT_TRUE(std::is_sorted(view.gauges.begin(), view.gauges.end()));
    EXPECT_EQ(view.viewStatuses.back(), txt(kTextDataLoaded));
    EXPECT_EQ(view.sources.back(), txt(kTextSourceUnit));  // and the station name, unread here
    EXPECT_EQ(view.notes.front(), QStringLiteral("COMM - Sending STAV_MER"));
    EXPECT_EQ(std::count(view.notes.begin(), view.notes.end(),
                         QStringLiteral("SEND_BLOCK - dtgr continues ")),
              8);
}

TEST_F(Transfer, AllZeroCountsStillFetchChannelOneAndStop) {
    announce({});
    transfer.start();
    run();
    EXPECT_EQ(view.ended, 1);
    EXPECT_EQ(blockChannels(), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(view.gaugeMax, 50);
}

TEST_F(Transfer, ChannelsAnnouncingNothingAreSkipped) {
    // Channel 1 and 4 announced, 2 and 3 not: 4 holds nothing, so it is repaired until the
    // bound gives up, but 2 and 3 are never asked for.
    announce({100, 0, 0, 100, 0, 0, 0, 0});
    transfer.start();
    run();
    const auto channels = blockChannels();
    EXPECT_EQ(std::count(channels.begin(), channels.end(), 1), 0);
    EXPECT_EQ(std::count(channels.begin(), channels.end(), 2), 0);
    EXPECT_EQ(channels[4], 3);
}

TEST_F(Transfer, AShortBufferIsFetchedAgainOnce) {
    fault("short-buffer=once:3");
    transfer.start();
    run();
    ASSERT_EQ(view.ended, 1);
    EXPECT_EQ(transfer.repairs(3), 1);
    EXPECT_EQ(recording.list(3), link.station->monitoring(3));
    EXPECT_EQ(blockChannels(), (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 6, 7, 7}));
    EXPECT_EQ(count("STOP_PRENOS"), 2);
    EXPECT_EQ(count("START_PRENOS"), 2);
    EXPECT_NE(std::find(view.sources.begin(), view.sources.end(),
                        txt(kTextRepairingCircularBufferFailure)),
              view.sources.end());
    EXPECT_NE(std::find(view.notes.begin(), view.notes.end(),
                        QStringLiteral("STOP_PRENOS - sending START_PRENOS")),
              view.notes.end());
}

TEST_F(Transfer, AStationThatIsAlwaysShortEndsAfterFiveRepairs) {
    fault("short-buffer=always:7");
    transfer.start();
    run();
    EXPECT_EQ(view.ended, 0);
    EXPECT_FALSE(transfer.dataReady());
    EXPECT_EQ(transfer.repairs(7), MonTransfer::kMaxRepairs);
    EXPECT_EQ(count("STOP_PRENOS"), MonTransfer::kMaxRepairs);
    EXPECT_TRUE(prompts.shownError(txt(kTextErrorConnectiongToDevice)));
    EXPECT_EQ(view.viewStatuses.back(), txt(kTextErrorConnectiongToDevice));
    EXPECT_EQ(link.requests().back(), "END_COMM");
}

TEST_F(Transfer, AFailureAtAnyStepEndsWithTheConnectionError) {
    for (const char* request : {"COMM", "STAV_MER", "START_PRENOS", "SEND_BLOCK", "STOP_PRENOS"}) {
        SCOPED_TRACE(request);
        test::ScriptedPrompts p;
        RecordingTransferView v;
        test::SimLink l;
        sim::FaultSettings f;
        ASSERT_TRUE(sim::parseFaultSpec(std::string("no-answer=") + request, f));
        l.station->addFaults(f);
        MonitoringRecording rec;
        MonTransfer t(l.port, l.context, p, v, rec);
        t.start();
        l.run([&t] { return t.engine(); });
        EXPECT_EQ(v.ended, 0);
        EXPECT_FALSE(t.dataReady());
        ASSERT_EQ(p.shown.size(), 1u);
        EXPECT_EQ(p.shown[0].text, txt(kTextErrorConnectiongToDevice));
        const auto names = l.requests();
        // The unanswered request was the last one tried before the link was closed.
        EXPECT_EQ(names[names.size() - 2], request);
    }
}

TEST_F(Transfer, ABlockLongerThanItsAnswerIsRefused) {
    link.tamper = [](std::vector<std::uint8_t>& a) {
        if (a.size() > 10 && a[3] == 0x45) {
            a[4] = 250;  // claims more data than came
            test::SimLink::reseal(a);
        }
    };
    transfer.start();
    run();
    EXPECT_EQ(view.ended, 0);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, txt(kTextGeneralError) + QStringLiteral(" 16.13: Save_data"));
    EXPECT_EQ(recording.list(1).size(), 0u);
}

// The data of a block must end before the trailer: the exact fit is taken, one byte more
// is refused, and so is a first block of length 0 (it would hold -1 data bytes).
TEST(MonitoringBlock, DataEndsBeforeTheTrailer) {
    struct Case {
        bool first;
        std::size_t size;
        std::uint8_t length;
        bool taken;
        std::size_t data;
    };
    const Case cases[] = {
        {true, 7, 1, false, 0},       {true, 8, 1, true, 0},   {true, 8, 0, false, 0},
        {true, 10, 3, true, 2},       {true, 10, 4, false, 0}, {false, 4, 0, false, 0},
        {false, 5, 0, true, 0},       {false, 10, 5, true, 5}, {false, 10, 6, false, 0},
        {false, 258, 253, true, 253},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> answer(c.size, 0);
        if (c.size > (c.first ? 4u : 2u)) {
            answer[c.first ? 4 : 2] = c.length;
            answer[c.first ? 2 : 1] = 0x08;
        }
        const auto block = monitoringBlock(answer, c.first);
        ASSERT_EQ(block.has_value(), c.taken) << c.first << " " << c.size << " " << int(c.length);
        if (block) {
            EXPECT_EQ(block->data.size(), c.data);
            EXPECT_EQ(block->counted, c.length);
            EXPECT_TRUE(block->more);
        }
    }
}

}  // namespace
}  // namespace pelmo
