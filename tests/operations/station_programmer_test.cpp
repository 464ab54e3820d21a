#include "operations/station_programmer.h"

#include <gtest/gtest.h>

#include <limits>

#include <QFile>
#include <QTemporaryDir>

#include "base/texts.h"
#include "operations/programming_checks.h"
#include "operations/station_reader.h"
#include "scripted_prompts.h"
#include "sequence_views.h"
#include "sim_link.h"

namespace pelmo {
namespace {

using test::RecordingProgrammingView;

// A station read from the simulator and programmed back into it.
class Programming : public ::testing::Test {
protected:
    Programming() {
        test::RecordingReadView readView;
        StationReader reader(link.port, link.context, prompts, readView);
        reader.start();
        link.run([&] { return reader.engine(); });
        EXPECT_TRUE(readView.completed());
        link.port.clearWrites();
        options.programDir = dir.path();
        options.completionTone = [this] { ++tones; };
    }

    void program() {
        programmer =
            std::make_unique<StationProgrammer>(link.port, link.context, prompts, view, options);
        programmer->start();
        link.run([this] { return programmer->engine(); });
    }

    std::vector<std::string> order() const { return link.requests(false); }

    // Spoils the read-back of one channel `times` times by changing its memory field.
    void spoilChannelReadBack(int channel, int times) {
        link.tamper = [this, channel, left = times](std::vector<std::uint8_t>& answer) mutable {
            if (left > 0 && programmer && programmer->step() == READ_CHANNEL &&
                link.image.current_index == channel && answer.size() > 20) {
                answer[5 + 8] ^= 0x01;
                test::SimLink::reseal(answer);
                --left;
            }
        };
    }

    test::SimLink link;
    test::ScriptedPrompts prompts;
    RecordingProgrammingView view;
    StationProgrammer::Options options;
    std::unique_ptr<StationProgrammer> programmer;
    QTemporaryDir dir;
    int tones = 0;
};

std::vector<std::string> expectedOrder(bool checking) {
    std::vector<std::string> o = {"COMM", "READ_CMOS", "READ_STATUS", "ERASE_STATION", "SET_TIME"};
    for (int n = 0; n < kChannelCount; ++n) {
        o.push_back("WRITE_CHANNEL");
        if (checking) {
            o.push_back("READ_CHANNEL");
        }
    }
    o.push_back("WRITE_METER");
    if (checking) {
        o.push_back("READ_METER");
    }
    o.push_back("WRITE_STATION");
    if (checking) {
        o.push_back("READ_STATION");
    }
    o.insert(o.end(), {"WRITE_ADDRESS", "RESTART_MEASURING"});
    return o;
}

TEST_F(Programming, RequestOrderWithAndWithoutChecking) {
    for (bool checking : {true, false}) {
        link.port.clearWrites();
        view = RecordingProgrammingView{};
        options.checking = checking;
        program();
        ASSERT_EQ(view.ending, ProgrammingView::Ending::Finished) << checking;
        EXPECT_EQ(order(), expectedOrder(checking)) << checking;
        // Every answer is acknowledged before the next request; nothing follows the last.
        const auto all = link.requests(true);
        for (std::size_t i = 0; i + 1 < all.size(); i += 2) {
            EXPECT_NE(all[i], "ACK");
            EXPECT_EQ(all[i + 1], "ACK") << i;
        }
        EXPECT_EQ(all.back(), "ACK");
        // The gauge adds up to 200 (checking) or 206 before the final jump to 210.
        ASSERT_GE(view.gauges.size(), 2u);
        EXPECT_EQ(view.gauges[view.gauges.size() - 2], checking ? 200 : 206);
        EXPECT_EQ(view.gauges.back(), StationProgrammer::kGaugeMaximum);
        EXPECT_EQ(view.statuses.back(), txt(kTextSystemProgrammingFinished));
        EXPECT_EQ(view.logClears, 1);
        EXPECT_EQ(programmer->engine(), nullptr);
    }
    EXPECT_EQ(tones, 2);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(Programming, AProgrammedStationReadsBackWhatWasWritten) {
    StationImage edited = link.image;
    link.image.channelData(2).name = "NOVY";
    link.image.channel(2).memory = 1234;
    link.image.channel(2).table_y[1] = 4321;
    link.image.meter.constants[0] = 171.0;
    link.image.station.name = "Vymenik";
    link.image.station.messages_total = 77;
    edited = link.image;
    program();
    ASSERT_EQ(view.ending, ProgrammingView::Ending::Finished);

    resetNewStation(link.image);
    test::RecordingReadView readView;
    StationReader reader(link.port, link.context, prompts, readView);
    reader.start();
    link.run([&] { return reader.engine(); });
    ASSERT_TRUE(readView.completed());
    EXPECT_EQ(link.image.channelData(2).name, "NOVY");
    EXPECT_EQ(link.image.channel(2).memory, 1234);
    EXPECT_EQ(link.image.channel(2).table_y[1], 4321);
    EXPECT_DOUBLE_EQ(link.image.meter.constants[0], 171.0);
    EXPECT_EQ(link.image.station.name, "Vymenik");
    EXPECT_EQ(link.image.station.messages_total, 77);
    for (int n = 1; n <= kChannelCount; ++n) {
        EXPECT_TRUE(channelMatches(edited.channel(n), edited.channelData(n), link.image.channel(n),
                                   link.image.channelData(n)))
            << n;
    }
}

TEST_F(Programming, ALockedStationIsRefusedBeforeAnythingIsWritten) {
    sim::FaultSettings lock;
    lock.locked = true;
    link.station->addFaults(lock);
    program();
    EXPECT_EQ(view.ending, ProgrammingView::Ending::Refused);
    EXPECT_EQ(order(), (std::vector<std::string>{"COMM", "READ_CMOS"}));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].kind, Prompts::Kind::Warning);
    EXPECT_EQ(prompts.shown[0].text, txt(kTextStationIsLockedAnd));
}

class CorrectionFiles : public Programming {
protected:
    // A correction file for the station: 32 reference bytes, 32 unused, the number.
    void writeFile(bool sameAsStation, const QByteArray& number = "01234") {
        QByteArray bytes(reinterpret_cast<const char*>(link.image.cmos_raw_identity.data()), 32);
        if (!sameAsStation) {
            bytes[5] = static_cast<char>(bytes[5] ^ 0x55);
        }
        bytes += QByteArray(32, '\0') + number;
        QFile f(correctionFilePath(dir.path(), link.image.cmos.serial_number));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

TEST_F(CorrectionFiles, EqualIdentityAsksNothing) {
    writeFile(true);
    program();
    EXPECT_EQ(view.ending, ProgrammingView::Ending::Finished);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(order()[2], "READ_STATUS");
    EXPECT_EQ(link.image.cmos.file_number, 1234);
}

TEST_F(CorrectionFiles, DifferingIdentityIsRestoredOnYesOnly) {
    writeFile(false);
    prompts.answers = {true};
    program();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].kind, Prompts::Kind::Warning);
    EXPECT_EQ(prompts.shown[0].text, txt(kTextSetupDataDamagedRestore));
    EXPECT_EQ(order()[2], "WRITE_CMOS");
    EXPECT_EQ(order()[3], "READ_STATUS");
    // The written block carries the file's reference bytes.
    const auto& write = link.port.writes()[4];
    EXPECT_EQ(write[2], 0xF2);
    EXPECT_EQ(write[4 + 5], link.image.cmos_file_identity[5]);
    EXPECT_NE(write[4 + 5], link.image.cmos_raw_identity[5]);

    link.port.clearWrites();
    prompts.shown.clear();
    prompts.answers = {false};
    view = RecordingProgrammingView{};
    writeFile(false);
    program();
    EXPECT_EQ(order()[2], "READ_STATUS");
    EXPECT_EQ(view.ending, ProgrammingView::Ending::Finished);
}

TEST_F(CorrectionFiles, AnUnreadableFileIsReportedAndTheRunGoesOn) {
    writeFile(false, "12x45");
    program();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, txt(kTextFileCorrupted));
    EXPECT_EQ(order()[2], "READ_STATUS");
    EXPECT_EQ(view.ending, ProgrammingView::Ending::Finished);
}

TEST_F(Programming, AChannelThatDiffersThreeTimesIsProgrammedAFourthTime) {
    spoilChannelReadBack(3, 3);
    program();
    EXPECT_EQ(view.ending, ProgrammingView::Ending::Finished);
    const auto o = order();
    int channelWrites = 0;
    for (const auto& r : o) {
        channelWrites += r == "WRITE_CHANNEL";
    }
    EXPECT_EQ(channelWrites, 8 + 3);
    // Czech: "Kontrola kanálu č." 3, "...", "...selhalo" - six dots in a row.
    const QString failed = txt(kTextCheckingCh) + QStringLiteral("3...") + txt(kTextFailed);
    EXPECT_NE(std::find(view.statuses.begin(), view.statuses.end(), failed), view.statuses.end());
    EXPECT_TRUE(failed.contains(QStringLiteral("......")));
    const QString passed = txt(kTextCheckingCh) + QStringLiteral("3...OK");
    EXPECT_NE(std::find(view.statuses.begin(), view.statuses.end(), passed), view.statuses.end());
}

TEST_F(Programming, AFourthDifferenceInARowEndsTheRun) {
    spoilChannelReadBack(3, 4);
    program();
    EXPECT_EQ(view.ending, ProgrammingView::Ending::Failed);
    EXPECT_TRUE(prompts.shownError(txt(kTextErrorConnectiongToDevice)));
    const auto o = order();
    EXPECT_EQ(o.back(), "READ_CHANNEL");
    EXPECT_EQ(std::count(o.begin(), o.end(), "WRITE_CHANNEL"), 2 + 4);
}

TEST_F(Programming, ASilentStationFailsWithoutEndComm) {
    link.station->faults().settings().noAnswer.set(ERASE_STATION);
    program();
    EXPECT_EQ(view.ending, ProgrammingView::Ending::Failed);
    EXPECT_TRUE(prompts.shownError(txt(kTextErrorConnectiongToDevice)));
    const auto o = order();
    EXPECT_EQ(o.back(), "ERASE_STATION");
    EXPECT_EQ(std::count(o.begin(), o.end(), "ERASE_STATION"), 4);
    EXPECT_EQ(std::count(o.begin(), o.end(), "END_COMM"), 0);
}

// A block that does not encode goes nowhere: its box comes at every attempt, then the run
// fails as if the station had not answered.
TEST_F(Programming, AMeterThatDoesNotEncodeIsReportedAtEachAttemptAndEndsTheRun) {
    link.image.meter.constants[0] = 1e300;
    options.checking = false;
    program();
    EXPECT_EQ(view.ending, ProgrammingView::Ending::Failed);
    std::vector<QString> errors;
    for (const auto& s : prompts.shown) {
        if (s.kind == Prompts::Kind::Error) {
            errors.push_back(s.text);
        }
    }
    const QString box = txt(kTextGeneralError) + QStringLiteral(" 2.6: Definice meridla - progr.");
    EXPECT_EQ(errors,
              (std::vector<QString>{box, box, box, box, txt(kTextErrorConnectiongToDevice)}));
    const auto o = order();
    EXPECT_EQ(std::count(o.begin(), o.end(), "WRITE_METER"), 0);
    EXPECT_EQ(o.back(), "WRITE_CHANNEL");
}

TEST(ProgrammingCompare, RealsCompareByTheirRoundedValues) {
    EXPECT_TRUE(realsEqual(12.4, 12.0));
    EXPECT_FALSE(realsEqual(12.5, 13.4));
    EXPECT_TRUE(realsEqual(12.5, 11.5));
    EXPECT_TRUE(realsEqual(-0.4, 0.4));
    // A NaN the station holds reads back as a NaN; only then is it the same value.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(realsEqual(nan, nan));
    EXPECT_FALSE(realsEqual(nan, 0.0));
    EXPECT_FALSE(realsEqual(0.0, nan));
}

TEST(ProgrammingCompare, FieldsLeftOutOfTheCompare) {
    definice_PV_rec s;
    definice_PV_udaj_rec d;
    s.table_present = 1;
    s.table_points = 2;
    s.table_y = {10, 20, 30};
    d.sensor_type = std::string("Pt100 \0", 7);
    definice_PV_rec bs = s;
    definice_PV_udaj_rec bd = d;
    bd.sensor_type = "Pt100";
    bs.table_x[0] = 99;  // not compared
    bs.divider = 8;      // not compared
    bd.text = "other";   // not compared
    bs.table_y[2] = 31;  // past the points in use
    EXPECT_TRUE(channelMatches(s, d, bs, bd));
    bs.table_y[1] = 21;
    EXPECT_FALSE(channelMatches(s, d, bs, bd));

    stanice_rec st{"A", "B", 5, 10, 241, 32768, 0};
    stanice_rec back = st;
    back.memory_code = 0;
    back.from_file = 1;
    EXPECT_TRUE(stationMatches(st, back));
    back.messages_total = 11;
    EXPECT_FALSE(stationMatches(st, back));

    definice_meridla_rec m;
    definice_meridla_rec mb = m;
    mb.variant = 7;
    mb.constants[3] = 0.4;
    EXPECT_TRUE(meterMatches(m, mb));
    mb.interval_p2 = 1;
    EXPECT_FALSE(meterMatches(m, mb));
}

}  // namespace
}  // namespace pelmo
