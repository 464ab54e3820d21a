// Alarm limits and meter limits: their chains against the simulator and their checks.
#include <gtest/gtest.h>

#include "base/texts.h"
#include "bus/alarm_limits.h"
#include "bus/meter_limits.h"
#include "link/block_codecs.h"
#include "scripted_prompts.h"
#include "sim_link.h"

namespace pelmo {
namespace {

using Strings = std::vector<std::string>;

// What the station itself holds now, decoded as a read would.
definice_meridla_rec stationMeter(const sim::SimStation& s) {
    std::vector<std::uint8_t> answer(kAnswerPayloadOffset, 0);
    answer.insert(answer.end(), s.meterBlock().begin(), s.meterBlock().end());
    answer.resize(answer.size() + 2);
    definice_meridla_rec m;
    decodeMeter(answer, m);
    return m;
}

// ---- alarm limits ----

TEST(AlarmOutputs, TextsInverseMarkAndToggle) {
    const std::vector<std::pair<int, QString>> texts = {{0, QStringLiteral("Zadny")},
                                                        {128, QStringLiteral("Int. Analog. 1 +")},
                                                        {135, QStringLiteral("Int. Analog. 8 +")},
                                                        {136, QStringLiteral("Ext. Analog. 1 +")},
                                                        {152, QStringLiteral("Ext. Analog. 1 -")},
                                                        {144, QStringLiteral("Int. Analog. 1 -")},
                                                        {160, QStringLiteral("Int. Dig. 1 +")},
                                                        {161, QStringLiteral("Int. Dig. 2 +")},
                                                        {168, QStringLiteral("Ext. Dig. 1 +")},
                                                        {176, QStringLiteral("Int. Dig. 1 -")},
                                                        {191, QStringLiteral("Ext. Dig. 8 -")}};
    for (const auto& [code, text] : texts) {
        EXPECT_EQ(alarmOutputText(static_cast<std::uint8_t>(code)), text) << code;
    }
    EXPECT_TRUE(isInverseOutput(152));
    EXPECT_FALSE(isInverseOutput(143));
    EXPECT_FALSE(isInverseOutput(160));
    EXPECT_EQ(withInverse(152, false), 136);
    EXPECT_EQ(withInverse(136, true), 152);
    EXPECT_EQ(withInverse(152, true), 152);
    EXPECT_EQ(withInverse(0, true), 0);
}

struct AlarmRec final : AlarmLimitsView {
    void alarmStatus(const QString& t) override { statuses.push_back(t); }
    void configurationRead() override { ++read; }
    void channelSaved() override { ++saved; }
    void progressStep(int amount) override { progress += amount; }
    void alarmFailed() override { ++failed; }
    std::vector<QString> statuses;
    int read = 0;
    int saved = 0;
    int progress = 0;
    int failed = 0;
};

class Alarms : public ::testing::Test {
protected:
    void SetUp() override {
        limits.read();
        link.run([this] { return limits.engine(); });
        ASSERT_EQ(view.read, 1);
    }
    bool store(const AlarmLimitBoxes& b, int channel) {
        return storeAlarmLimits(b, channel, link.image, prompts);
    }
    std::vector<QString> warnings() const {
        std::vector<QString> out;
        for (const auto& s : prompts.shown) {
            out.push_back(s.text);
        }
        return out;
    }

    test::SimLink link;
    test::ScriptedPrompts prompts;
    AlarmRec view;
    AlarmLimits limits{link.port, link.context, prompts, view};
};

TEST_F(Alarms, ReadChainFillsTheImageAndTheBoxes) {
    Strings expected{"COMM", "READ_CMOS", "READ_STATUS", "READ_METER"};
    expected.insert(expected.end(), 8, "READ_CHANNEL");
    expected.insert(expected.end(), {"READ_STATION", "END_COMM"});
    EXPECT_EQ(link.requests(false), expected);
    EXPECT_EQ(view.statuses.back(), txt(kTextDataLoaded));
    EXPECT_TRUE(anyOutputDefined(link.image));

    const AlarmLimitBoxes ch1 = alarmLimitBoxes(link.image, 1);
    EXPECT_TRUE(ch1.editable);
    EXPECT_FALSE(ch1.inverse);
    EXPECT_EQ(ch1.minValue, QStringLiteral("0,0000"));
    EXPECT_EQ(ch1.maxValue, QStringLiteral("250,0000"));
    // The limits travel on the raw scale: 150 and 230 over 0..250 come back a little off.
    EXPECT_EQ(ch1.lowLimit, QStringLiteral("149,9985"));
    EXPECT_EQ(ch1.highLimit, QStringLiteral("229,9989"));
    const AlarmLimitBoxes pump = alarmLimitBoxes(link.image, 4);
    EXPECT_EQ(pump.lowLimit, QStringLiteral("-"));
    EXPECT_EQ(pump.highLimit, QStringLiteral("-"));
    EXPECT_FALSE(alarmLimitBoxes(link.image, 2).editable);
}

TEST_F(Alarms, SavingOneChannelWritesItAloneAndTheStationKeepsIt) {
    AlarmLimitBoxes b = alarmLimitBoxes(link.image, 1);
    b.lowLimit = QStringLiteral("100");
    b.highLimit = QStringLiteral("200,5");
    b.maxValue = QStringLiteral("300");
    ASSERT_TRUE(store(b, 1));
    link.port.clearWrites();
    limits.save(1);
    link.run([this] { return limits.engine(); });
    EXPECT_EQ(link.requests(false), (Strings{"COMM", "WRITE_CHANNEL", "END_COMM"}));
    EXPECT_EQ(view.saved, 1);
    EXPECT_EQ(view.progress, 1000);
    EXPECT_EQ(view.statuses.back(), txt(kTextDataSaved) + QStringLiteral(" OK"));

    // Read back from the station: the new range and limits.
    limits.read();
    link.run([this] { return limits.engine(); });
    const AlarmLimitBoxes back = alarmLimitBoxes(link.image, 1);
    EXPECT_EQ(back.maxValue, QStringLiteral("300,0000"));
    EXPECT_EQ(back.lowLimit, QStringLiteral("100,0015"));
    EXPECT_EQ(back.highLimit, QStringLiteral("200,5020"));
}

TEST_F(Alarms, RangeChecksReportEveryFailureAndStoreNothing) {
    AlarmLimitBoxes b = alarmLimitBoxes(link.image, 1);
    b.minValue = QStringLiteral("10");
    b.lowLimit = QStringLiteral("5");
    b.highLimit = QStringLiteral("4");
    b.maxValue = QStringLiteral("9");
    EXPECT_FALSE(store(b, 1));
    // 159 is not tested once 158 failed; the later checks still run.
    EXPECT_EQ(warnings(),
              (std::vector<QString>{txt(kTextMinLimitMinValue), txt(kTextMaxLimitMinLimit),
                                    txt(kTextMinValueMaxValue)}));
    EXPECT_EQ(link.image.channelData(1).value_min, 0.0);

    prompts.shown.clear();
    b = alarmLimitBoxes(link.image, 1);
    b.highLimit = QStringLiteral("251");
    EXPECT_FALSE(store(b, 1));
    EXPECT_EQ(warnings(), (std::vector<QString>{txt(kTextMaxLimitMaxValue)}));

    // The exact ends of the range pass.
    prompts.shown.clear();
    b.lowLimit = QStringLiteral("0");
    b.highLimit = QStringLiteral("250");
    EXPECT_TRUE(store(b, 1));
    EXPECT_EQ(link.image.channel(1).limit_low, 0);
    EXPECT_EQ(link.image.channel(1).limit_high, 65534);
}

TEST_F(Alarms, FieldChecksLockAndTheUnlimitedChannel) {
    AlarmLimitBoxes b = alarmLimitBoxes(link.image, 1);
    b.lowLimit = QStringLiteral("1.5");
    EXPECT_FALSE(store(b, 1));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(prompts.shown[0].text.startsWith(txt(kTextBox151) + txt(kTextLowLimit)));

    // No table: "-" skips the range checks and keeps the raw limits.
    prompts.shown.clear();
    const std::uint16_t high = link.image.channel(4).limit_high;
    AlarmLimitBoxes pump = alarmLimitBoxes(link.image, 4);
    pump.minValue = QStringLiteral("5");
    pump.maxValue = QStringLiteral("1");
    EXPECT_TRUE(store(pump, 4));
    EXPECT_EQ(link.image.channel(4).limit_high, high);
    EXPECT_EQ(link.image.channelData(4).value_min, 5.0);

    // An empty value range stores both raw limits as 0.
    b = alarmLimitBoxes(link.image, 1);
    b.minValue = b.maxValue = b.lowLimit = b.highLimit = QStringLiteral("7");
    EXPECT_TRUE(store(b, 1));
    EXPECT_EQ(link.image.channel(1).limit_low, 0);
    EXPECT_EQ(link.image.channel(1).limit_high, 0);

    link.image.cmos.locked = true;
    EXPECT_FALSE(store(alarmLimitBoxes(link.image, 3), 3));
    EXPECT_EQ(prompts.shown.back().text, txt(kTextStationIsLockedAnd));
}

TEST_F(Alarms, AFailedSaveEndsWithTheConnectionError) {
    link.station->faults().settings().noAnswer.set(WRITE_CHANNEL);
    limits.save(1);
    link.run([this] { return limits.engine(); });
    EXPECT_EQ(view.failed, 1);
    EXPECT_TRUE(prompts.shownError(txt(kTextErrorConnectiongToDevice)));
    EXPECT_EQ(link.requests(false).back(), "END_COMM");
}

// ---- meter limits ----

struct MeterRec final : MeterLimitsView {
    void meterStatus(const QString& t) override { statuses.push_back(t); }
    void meterRead() override { ++read; }
    void meterWritten() override { ++written; }
    void meterFailed(bool closing) override { failed = closing ? 2 : 1; }
    std::vector<QString> statuses;
    int read = 0;
    int written = 0;
    int failed = 0;
};

class MeterLimitsChain : public ::testing::Test {
protected:
    void run() {
        link.run([this] { return limits.engine(); });
    }
    // The grids as read, with one cell of the first grid changed.
    MeterLimitEntry entryWith(int row, const QString& text) {
        MeterLimitColumn g1 = meterLimitValues1(link.image.meter);
        g1[static_cast<std::size_t>(row)] = text;
        MeterLimitEntry e;
        EXPECT_TRUE(checkMeterLimits(g1, meterLimitValues2(link.image.meter), false, prompts, e));
        return e;
    }

    test::SimLink link;
    test::ScriptedPrompts prompts;
    MeterRec view;
    MeterLimits limits{link.port, link.context, prompts, view};
};

TEST_F(MeterLimitsChain, ReadShowsTheMeterAndWriteChangesOnlyWhatTheGridsHold) {
    limits.read();
    run();
    EXPECT_EQ(link.requests(false),
              (Strings{"COMM", "READ_STATUS", "READ_CMOS", "READ_METER", "END_COMM"}));
    EXPECT_EQ(view.read, 1);
    EXPECT_EQ(meterLimitValues1(link.image.meter)[0], QStringLiteral("1207"));
    EXPECT_EQ(meterLimitValues1(link.image.meter)[1], QStringLiteral("12000,0000"));
    EXPECT_EQ(meterLimitValues2(link.image.meter)[5], QStringLiteral("0,1000"));
    EXPECT_EQ(meterLimitValues2(link.image.meter)[6], QStringLiteral("0,0000"));

    MeterLimitColumn g2 = meterLimitValues2(link.image.meter);
    g2[5] = QStringLiteral("4");
    g2[6] = QStringLiteral("0");
    MeterLimitEntry e;
    ASSERT_TRUE(checkMeterLimits(meterLimitValues1(link.image.meter), g2, false, prompts, e));
    link.port.clearWrites();
    limits.write(e);
    run();
    EXPECT_EQ(link.requests(false), (Strings{"COMM", "READ_STATUS", "READ_CMOS", "READ_METER",
                                             "WRITE_METER", "END_COMM"}));
    EXPECT_EQ(view.written, 1);
    EXPECT_EQ(view.statuses.back(), txt(kTextDataSaved));
    const definice_meridla_rec m = stationMeter(*link.station);
    EXPECT_EQ(m.imp_coef_1, 0.25);
    EXPECT_EQ(m.imp_coef_2, 0.0);
    EXPECT_EQ(meterLimitValues2(m)[6], QStringLiteral("0,0000"));
    EXPECT_EQ(m.variant, 4);  // not in the grids: written back as read
    // Only the CMOS record and the meter definition are in the image.
    EXPECT_EQ(link.image.station.name, "");
    EXPECT_EQ(link.image.channel(1).in_use, 0);
}

TEST_F(MeterLimitsChain, ALockedStationOnlyWidensTheFlowLimits) {
    limits.read();
    run();
    sim::FaultSettings locked;
    locked.locked = true;
    link.station->addFaults(locked);
    for (const auto& [entered, written] :
         std::vector<std::pair<const char*, double>>{{"11000", 12000.0}, {"13000", 13000.0}}) {
        MeterLimitEntry e = entryWith(1, QString::fromLatin1(entered));
        e.flow1_min = 400.0;  // greater than 300: narrowing, kept
        limits.write(e);
        run();
        const definice_meridla_rec m = stationMeter(*link.station);
        EXPECT_EQ(m.constants[11], written) << entered;
        EXPECT_EQ(m.constants[12], 300.0);
    }

    definice_meridla_rec unlocked = link.image.meter;
    applyMeterLimits(entryWith(1, QStringLiteral("900")), false, unlocked);
    EXPECT_EQ(unlocked.constants[11], 900.0);
}

TEST_F(MeterLimitsChain, ChecksRefuseDecimalPointsAndFractionalIntervals) {
    limits.read();
    run();
    MeterLimitEntry e;
    MeterLimitColumn g1 = meterLimitValues1(link.image.meter);
    g1[2] = QStringLiteral("300.5");
    EXPECT_FALSE(checkMeterLimits(g1, meterLimitValues2(link.image.meter), false, prompts, e));
    EXPECT_TRUE(prompts.shown.back().text.startsWith(txt(kTextBox151) + txt(kTextFlowNo1Min)));

    MeterLimitColumn g2 = meterLimitValues2(link.image.meter);
    g2[3] = QStringLiteral("12,5");
    EXPECT_FALSE(checkMeterLimits(meterLimitValues1(link.image.meter), g2, false, prompts, e));
    EXPECT_EQ(prompts.shown.back().text, txt(kTextBox151) + txt(kTextIntervalP2Sec) +
                                             txt(kTextContainsIllegalCharactersPos) +
                                             QStringLiteral("3. ") + txt(kTextClosingParenthesis));
    g2[3] = QStringLiteral("65536");
    EXPECT_FALSE(checkMeterLimits(meterLimitValues1(link.image.meter), g2, false, prompts, e));
    EXPECT_EQ(prompts.shown.back().text,
              txt(kTextTheFieldMustHold).arg(txt(kTextIntervalP2Sec)).arg(0).arg(65535));
    g2[3] = QStringLiteral("65535");
    EXPECT_TRUE(checkMeterLimits(meterLimitValues1(link.image.meter), g2, true, prompts, e));
    EXPECT_EQ(meterLimitCaptions2(true)[0], txt(kTextSpecWeightAirKg));
}

TEST_F(MeterLimitsChain, AFailedWriteKeepsTheWindowAndAFailedReadClosesIt) {
    limits.read();
    run();
    link.station->faults().settings().noAnswer.set(WRITE_METER);
    limits.write(entryWith(0, QStringLiteral("1207")));
    run();
    EXPECT_EQ(view.failed, 1);
    link.station->faults().settings().silent = true;
    limits.read();
    run();
    EXPECT_EQ(view.failed, 2);
    EXPECT_TRUE(prompts.shownError(txt(kTextErrorConnectiongToDevice)));
}

}  // namespace
}  // namespace pelmo
