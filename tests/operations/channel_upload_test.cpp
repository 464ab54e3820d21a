#include "operations/channel_upload.h"

#include <gtest/gtest.h>

#include "base/texts.h"
#include "link/block_codecs.h"
#include "scripted_prompts.h"
#include "sim/default_station.h"
#include "sim_link.h"

namespace pelmo {
namespace {

struct RecordingView final : ChannelUploadView {
    void uploadStatus(const QString& text) override { statuses.push_back(text); }
    void uploadProgress(int value) override { progress.push_back(value); }
    void uploadEnded() override { ++ended; }
    void closeEditor() override { ++closed; }

    std::vector<QString> statuses;
    std::vector<int> progress;
    int ended = 0;
    int closed = 0;
};

// "Do stanice..." against the simulated default station on the in-process bus.
class Upload : public ::testing::Test, protected test::SimLink {
protected:
    Upload() {
        setLanguage(Language::Czech);
        image = sim::defaultStation(251, 0x584ACE25u).image;
        image.bus_address = 251;
        image.cmos.locked = true;  // as at program start: only the CMOS answer clears it
    }

    void run() {
        SimLink::run([this] { return upload.engine(); });
    }

    test::ScriptedPrompts prompts;
    RecordingView view;
    ChannelUpload upload{port, context, prompts, view};
};

TEST_F(Upload, WritesTheEditedChannelAndNothingElse) {
    image.channelData(3).name = "QP9";
    image.channel(3).interval = 300;
    image.channel(3).output_code = 145;
    const auto channel7 = station->channelBlock(7);
    upload.start(3);
    run();
    EXPECT_EQ(requests(),
              (std::vector<std::string>{"COMM", "ACK", "READ_CMOS", "ACK", "READ_STATUS", "ACK",
                                        "WRITE_CHANNEL", "ACK", "END_COMM"}));
    // WRITE_CHANNEL carries channel index 2.
    EXPECT_EQ(port.writes()[6][4], 2);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(view.statuses,
              (std::vector<QString>{
                  txt(kTextInitializingConnection), txt(kTextReadingCMOS),
                  txt(kTextRetrievingStationInfo), txt(kTextTransferingCh) + QStringLiteral("3"),
                  txt(kTextTransferingCh) + QStringLiteral("3"), txt(kTextDataSaved)}));
    EXPECT_EQ(view.progress.back(), kUploadSteps);
    EXPECT_EQ(view.ended, 1);
    EXPECT_FALSE(image.cmos.locked);

    // What the station now holds reads back as the edited channel.
    const auto block = station->channelBlock(3);
    const auto answer = sim::datagramAnswer(0x02, 0x24, block);
    definice_PV_rec s;
    definice_PV_udaj_rec d;
    ASSERT_TRUE(decodeChannel(answer, image.cmos, s, d));
    EXPECT_EQ(d.name, "QP9");
    EXPECT_EQ(s.interval, 300);
    EXPECT_EQ(s.output_code, 145);
    EXPECT_EQ(s.table_points, image.channel(3).table_points);
    EXPECT_EQ(station->channelBlock(7), channel7);
}

TEST_F(Upload, ALockedStationIsRefused) {
    sim::FaultSettings locked;
    locked.locked = true;
    station->addFaults(locked);
    const auto before = station->channelBlock(3);
    upload.start(3);
    run();
    EXPECT_EQ(requests(),
              (std::vector<std::string>{"COMM", "ACK", "READ_CMOS", "ACK", "END_COMM"}));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].kind, Prompts::Kind::Warning);
    EXPECT_EQ(prompts.shown[0].text, txt(kTextStationIsLockedAnd));
    EXPECT_EQ(station->channelBlock(3), before);
    EXPECT_EQ(view.ended, 1);
    EXPECT_EQ(view.closed, 0);
}

TEST_F(Upload, ASilentStationFails) {
    station->faults().settings().silent = true;
    upload.start(3);
    run();
    EXPECT_EQ(requests(), (std::vector<std::string>{"COMM", "COMM", "COMM", "COMM", "END_COMM"}));
    EXPECT_TRUE(prompts.shownError(txt(kTextErrorConnectiongToDevice)));
    EXPECT_EQ(view.statuses.back(), txt(kTextErrorConnectiongToDevice));
    EXPECT_FALSE(upload.running());
    EXPECT_EQ(view.ended, 1);
}

}  // namespace
}  // namespace pelmo
