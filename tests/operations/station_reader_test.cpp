#include "operations/station_reader.h"

#include <gtest/gtest.h>

#include "base/texts.h"
#include "scripted_prompts.h"
#include "sequence_views.h"
#include "sim/default_station.h"
#include "sim_link.h"

namespace pelmo {
namespace {

// The read sequence against the simulated default station, on the in-process bus.
class Reading : public ::testing::Test {
protected:
    void run(int stopAfter = 100000) {
        link.run([this] { return reader.engine(); }, stopAfter);
    }
    std::vector<std::string> requestNames() const { return link.requests(); }

    test::ScriptedPrompts prompts;
    test::RecordingReadView view;
    test::SimLink link;
    sim::SimStation* station = link.station;
    StationImage& image = link.image;
    ReceiveState& rx = link.rx;
    InProcessPort& port = link.port;
    sim::InProcessSim& sim = link.sim;
    StationReader reader{link.port, link.context, prompts, view};
};

TEST_F(Reading, RequestsGoOutInOrderAndEachAnswerIsAcknowledged) {
    reader.start();
    run();
    ASSERT_EQ(view.outcome, "completed");
    std::vector<std::string> expected = {"COMM",      "ACK", "READ_STATUS", "ACK",
                                         "READ_CMOS", "ACK", "READ_METER",  "ACK"};
    for (int n = 0; n < kChannelCount; ++n) {
        expected.insert(expected.end(), {"READ_CHANNEL", "ACK"});
    }
    expected.insert(expected.end(), {"READ_STATION", "ACK", "END_COMM"});
    EXPECT_EQ(requestNames(), expected);
    // READ_CHANNEL carries the channel index 0..7.
    int channel = 0;
    for (const auto& w : port.writes()) {
        if (w.size() == 7 && w[2] == 0x24) {
            EXPECT_EQ(w[4], channel++);
        }
    }
    EXPECT_TRUE(image.station_loaded);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(view.statuses.front(), txt(kTextInitializingConnection));
    EXPECT_EQ(view.statuses.back(), txt(kTextDataLoaded));
    EXPECT_EQ(reader.state(), StationReader::kFinished);
    EXPECT_GT(rx.count(), 700);
}

TEST_F(Reading, TheImageMatchesTheStationUpToSinglePrecision) {
    const sim::StationContent content = sim::defaultStation(251, 0x584ACE25u);
    reader.start();
    run();
    ASSERT_EQ(view.outcome, "completed");
    const StationImage& want = content.image;
    EXPECT_EQ(image.station.name, want.station.name);
    EXPECT_EQ(image.station.meter_name, want.station.meter_name);
    EXPECT_EQ(image.station.net_address, 251);
    EXPECT_EQ(image.meter.meter_number, want.meter.meter_number);
    EXPECT_EQ(image.meter.variant, want.meter.mode_b & 0x0F);
    for (std::size_t i = 0; i < want.meter.constants.size(); ++i) {
        EXPECT_FLOAT_EQ(static_cast<float>(image.meter.constants[i]),
                        static_cast<float>(want.meter.constants[i]))
            << "constant " << i + 1;
    }
    EXPECT_EQ(image.cmos.serial_number, want.cmos.serial_number);
    EXPECT_FALSE(image.cmos.locked);
    std::vector<int> inUse;
    for (int n = 1; n <= kChannelCount; ++n) {
        const auto& s = image.channel(n);
        const auto& w = want.channel(n);
        const auto& d = image.channelData(n);
        const auto& wd = want.channelData(n);
        EXPECT_EQ(d.name, wd.name) << n;
        EXPECT_EQ(d.sensor_type, wd.sensor_type) << n;
        EXPECT_EQ(s.input_code, w.input_code) << n;
        EXPECT_EQ(s.interval, w.interval) << n;
        EXPECT_EQ(s.memory, w.memory) << n;
        EXPECT_EQ(s.output_code, w.output_code) << n;
        EXPECT_EQ(s.table_present, w.table_present) << n;
        EXPECT_EQ(s.table_points, w.table_points) << n;
        EXPECT_FLOAT_EQ(static_cast<float>(d.value_max), static_cast<float>(wd.value_max)) << n;
        if (isFrequencyInput(s.input_code)) {
            EXPECT_GT(s.divider, 1) << "the CMOS prescaler gives the frequency divider";
            EXPECT_EQ(s.divider, w.divider) << n;
        }
        for (std::size_t k = 0; s.table_present && k < s.table_points; ++k) {
            // Frequency inputs travel scaled and truncated; one count either way is the loss.
            EXPECT_NEAR(s.table_x[k], w.table_x[k], 1) << n << " point " << k;
            EXPECT_EQ(s.table_y[k], w.table_y[k]) << n << " point " << k;
        }
        if (s.in_use) {
            inUse.push_back(n);
        }
    }
    EXPECT_EQ(view.channels, inUse);
    EXPECT_EQ(view.stations, 1);
}

TEST_F(Reading, ASilentStationEndsInTheFailurePath) {
    station->faults().settings().silent = true;
    reader.start();
    run();
    EXPECT_EQ(view.outcome, "failed");
    EXPECT_EQ(requestNames(),
              (std::vector<std::string>{"COMM", "COMM", "COMM", "COMM", "END_COMM"}));
    EXPECT_TRUE(prompts.shownError(txt(kTextErrorConnectiongToDevice)));
    EXPECT_EQ(view.statuses.back(), txt(kTextErrorConnectiongToDevice));
    EXPECT_FALSE(image.station_loaded);
    EXPECT_EQ(reader.engine(), nullptr);
}

TEST_F(Reading, CorruptChannelAnswersAreRepeatedThenGiveUp) {
    // Only channel answers are spoilt (one byte lost on the way): everything before them
    // goes through.
    station->faults().settings().dropByte.set(READ_CHANNEL);
    reader.start();
    run();
    EXPECT_EQ(view.outcome, "failed");
    const auto names = requestNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), "READ_CHANNEL"), 4);
    EXPECT_EQ(names.back(), "END_COMM");
    EXPECT_FALSE(image.station_loaded);
    // What was decoded before the failure stays.
    EXPECT_EQ(image.meter.meter_number,
              sim::defaultStation(251, 0x584ACE25u).image.meter.meter_number);
}

TEST_F(Reading, InterruptionStopsAtOnceAndALaterReadStartsAfresh) {
    reader.start();
    // Run until the third channel has been asked for.
    for (int polls = 0; polls < 10000 && image.current_index < 3; ++polls) {
        sim.advance(kPollIntervalMs);
        reader.engine()->poll();
    }
    ASSERT_EQ(image.current_index, 3);
    reader.interrupt();
    const std::size_t sent = port.writes().size();
    EXPECT_EQ(reader.engine(), nullptr);
    EXPECT_EQ(view.outcome, "interrupted");
    EXPECT_EQ(view.statuses.back(), txt(kTextStationReadingInterrupted));
    EXPECT_FALSE(image.station_loaded);
    EXPECT_EQ(rx.count(), 0);
    for (int i = 0; i < 200; ++i) {
        sim.advance(kPollIntervalMs);
    }
    EXPECT_EQ(port.writes().size(), sent);

    // The station still has its session open; the next read simply opens it again.
    port.clearWrites();
    reader.start();
    run();
    EXPECT_EQ(view.outcome, "completed");
    EXPECT_TRUE(image.station_loaded);
}

}  // namespace
}  // namespace pelmo
