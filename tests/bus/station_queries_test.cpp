// The query chains against the in-process simulator: registers, fifteen-minute maximum,
// hardware information and the flying measurement.
#include <gtest/gtest.h>

#include <cstring>

#include "base/texts.h"
#include "bus/flying_measurement.h"
#include "bus/hardware_info.h"
#include "bus/maximum_reader.h"
#include "bus/registers_reader.h"
#include "scripted_prompts.h"
#include "sim_link.h"

namespace pelmo {
namespace {

void putFloat(std::vector<std::uint8_t>& answer, std::size_t at, float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    for (std::size_t i = 0; i < 4; ++i) {
        answer[at + i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
}

using Strings = std::vector<std::string>;

class Queries : public ::testing::Test {
protected:
    void run(const StationSequence& s) {
        link.run([&s] { return s.engine(); });
    }
    // Changes the answer to `request` and seals it again.
    void alter(int request, std::function<void(std::vector<std::uint8_t>&)> change,
               const StationSequence& s) {
        link.tamper = [request, change, &s](std::vector<std::uint8_t>& a) {
            if (s.state() == request && a.size() > 3) {
                change(a);
                test::SimLink::reseal(a);
            }
        };
    }

    test::SimLink link;
    test::ScriptedPrompts prompts;
};

// ---- registers ----

struct RegView final : RegistersView {
    void registersStatus(const QString& t) override { statuses.push_back(t); }
    void clearTrafficLog() override { ++clears; }
    void readRunning(bool r) override { running.push_back(r); }
    void registersRead(const RegisterValues& v) override { values = v; }
    void registersEnded(Ending e) override { ending = e; }
    std::vector<QString> statuses;
    std::vector<bool> running;
    int clears = 0;
    std::optional<RegisterValues> values;
    std::optional<Ending> ending;
};

TEST_F(Queries, RegistersNameTheAnsweringStationAndKeepRefreshOffUntilShown) {
    RegView view;
    RegistersReader reader(link.port, link.context, prompts, view);
    alter(
        READ_REGISTERS,
        [](auto& a) {
            a[3] = 7;
            putFloat(a, 9, 185.5f);
            putFloat(a, 81, -2.25f);
        },
        reader);
    reader.read(true);
    EXPECT_EQ(view.running, std::vector<bool>{true});
    run(reader);
    EXPECT_EQ(link.requests(), (Strings{"READ_REGISTERS", "ACK"}));
    EXPECT_EQ(view.clears, 1);
    EXPECT_EQ(view.statuses.front(), txt(kTextDataRefresh));
    EXPECT_EQ(view.statuses.back(), txt(kTextNetAddress) + QStringLiteral("7"));
    ASSERT_TRUE(view.values);
    EXPECT_EQ(registerText(view.values->circuit1[0]), QStringLiteral("185,500"));
    EXPECT_EQ(registerText(view.values->condensate[2]), QStringLiteral("-2,250"));
    EXPECT_EQ(view.running, (std::vector<bool>{true, false}));
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(Queries, RegistersTooShortForTheirValuesOrMissingAreReported) {
    RegView view;
    RegistersReader reader(link.port, link.context, prompts, view);
    // 86 bytes pass the engine (at least 75) but the last value lacks a byte.
    alter(
        READ_REGISTERS, [](auto& a) { a.resize(86); }, reader);
    reader.read(false);
    run(reader);
    EXPECT_EQ(view.ending, RegistersView::Ending::Failed);
    EXPECT_TRUE(prompts.shownError(txt(kTextGeneralError) + QStringLiteral(" 17.20: registry")));
    EXPECT_FALSE(view.values);

    link.tamper = nullptr;
    link.station->faults().settings().silent = true;
    RegView silent;
    RegistersReader again(link.port, link.context, prompts, silent);
    again.read(false);
    run(again);
    EXPECT_EQ(silent.ending, RegistersView::Ending::Failed);
    EXPECT_EQ(silent.statuses.back(), txt(kTextErrorConnectiongToDevice));
    EXPECT_TRUE(prompts.shownError(txt(kTextErrorConnectiongToDevice)));
}

TEST(RegisterDecoding, NeedsEveryValueByte) {
    std::vector<std::uint8_t> answer(87, 0);
    EXPECT_TRUE(decodeRegisters(answer));
    answer.resize(86);
    EXPECT_FALSE(decodeRegisters(answer));
}

// ---- fifteen-minute maximum ----

struct MaxView final : MaximumView {
    void maximumStatus(const QString& t) override { statuses.push_back(t); }
    void maximumRead(const MaximumValues& v) override { values = v; }
    void maximumEnded(Ending e) override { ending = e; }
    std::vector<QString> statuses;
    std::optional<MaximumValues> values;
    std::optional<Ending> ending;
};

TEST_F(Queries, MaximumChainAndItsTexts) {
    MaxView view;
    MaximumReader reader(link.port, link.context, prompts, view);
    alter(
        READ_MAXIMUM, [](auto& a) { putFloat(a, 5, 12.5f); }, reader);
    reader.start();
    run(reader);
    EXPECT_EQ(link.requests(false),
              (Strings{"COMM", "READ_CMOS", "READ_STATUS", "READ_MAXIMUM", "END_COMM"}));
    EXPECT_EQ(view.statuses,
              (std::vector<QString>{txt(kTextReadingCMOS), txt(kTextRetrievingStationInfo),
                                    txt(kTextRetrieving15MinMaximum), txt(kTextDataLoaded)}));
    ASSERT_TRUE(view.values);
    EXPECT_EQ(maximumText(view.values->current1), QStringLiteral("12,50000"));
    EXPECT_EQ(maximumText(view.values->maximum1), QStringLiteral("3,41250"));
    // Circuit 2 never had a maximum: its time is zero.
    EXPECT_EQ(maximumTimeText(view.values->time2), QStringLiteral("00:00:00"));
    EXPECT_EQ(maximumDateText(view.values->time2), QStringLiteral("--/--/--"));
    EXPECT_EQ(maximumTimeText(view.values->time1), QStringLiteral("07:45:00"));
    // Late in 1980 the time still shows, the date does not; 1981 shows both.
    EXPECT_EQ(maximumTimeText(86400 * 300 + 3661), QStringLiteral("01:01:01"));
    EXPECT_EQ(maximumDateText(86400 * 300 + 3661), QStringLiteral("--/--/--"));
    EXPECT_EQ(maximumDateText(86400 * 366), QStringLiteral("01/01/81"));
}

TEST_F(Queries, MaximumAnswersOfTheWrongLengthAreNotAccepted) {
    for (int delta : {-1, 1}) {
        test::SimLink bus;
        test::ScriptedPrompts shown;
        MaxView view;
        MaximumReader reader(bus.port, bus.context, shown, view);
        bus.tamper = [&reader, delta](std::vector<std::uint8_t>& a) {
            if (reader.state() == READ_MAXIMUM && a.size() == 31) {
                a.resize(a.size() + delta);
                test::SimLink::reseal(a);
            }
        };
        reader.start();
        bus.run([&reader] { return reader.engine(); });
        EXPECT_EQ(view.ending, MaximumView::Ending::Failed) << delta;
        EXPECT_FALSE(view.values);
        EXPECT_TRUE(shown.shownError(txt(kTextErrorConnectiongToDevice)));
        EXPECT_EQ(bus.requests(false).back(), "END_COMM");
    }
}

// ---- hardware information ----

struct HwView final : HardwareInfoView {
    void hardwareStatus(const QString& t) override { statuses.push_back(t); }
    void stationDecoded() override { ++decoded; }
    void hardwareEnded(Ending e) override { ending = e; }
    std::vector<QString> statuses;
    int decoded = 0;
    std::optional<Ending> ending;
};

TEST_F(Queries, HardwareReadsTheWholeStationWithoutEndingTheConnection) {
    HwView view;
    link.image.meter.meter_number = 4242;
    HardwareInfoReader reader(link.port, link.context, prompts, view);
    reader.start();
    EXPECT_EQ(link.image.meter.meter_number, 0);
    run(reader);
    Strings expected{"COMM", "READ_STATUS", "READ_CMOS", "READ_METER"};
    expected.insert(expected.end(), 8, "READ_CHANNEL");
    expected.push_back("READ_STATION");
    EXPECT_EQ(link.requests(false), expected);
    EXPECT_EQ(view.ending, HardwareInfoView::Ending::Read);
    EXPECT_TRUE(link.image.station_loaded);
    EXPECT_EQ(link.image.cmos.serial_number, 2317);
    EXPECT_EQ(link.image.station.name, "Kotelna Jih");
    EXPECT_EQ(view.statuses.back(), txt(kTextDataLoaded));
    EXPECT_EQ(inputCardText(link.image.cmos.input_types[7]), txt(kTextImpulse));
    EXPECT_EQ(prescalerText(link.image.cmos.prescaler(1)), QStringLiteral("1 / 4"));
}

TEST(HardwareTexts, CardsAndPrescalers) {
    const std::vector<std::pair<int, QString>> cards = {{0, txt(kTextVacantInput)},
                                                        {6, txt(kTextResistorR) + "1"},
                                                        {7, txt(kTextUnknownInput)},
                                                        {8, txt(kTextCurrent020)},
                                                        {10, txt(kTextResistorR) + "2"},
                                                        {12, txt(kTextResistorR) + "3"},
                                                        {16, txt(kTextCurrent420mA)},
                                                        {80, txt(kTextCurrent420mA) + "  P"},
                                                        {82, txt(kTextCurrent420mA) + "  P2"},
                                                        {129, txt(kTextImpulse)},
                                                        {255, txt(kTextUnknownInput)}};
    for (const auto& [code, text] : cards) {
        EXPECT_EQ(inputCardText(static_cast<std::uint8_t>(code)), text) << code;
    }
    EXPECT_EQ(prescalerText(1), txt(kTextVacantInput));
    EXPECT_EQ(prescalerText(4), QStringLiteral("1 / 8"));
    EXPECT_EQ(prescalerText(15), QStringLiteral("1 / 16384"));
    EXPECT_EQ(prescalerText(0), txt(kTextUnknownInput));
    EXPECT_EQ(prescalerText(16), txt(kTextUnknownInput));
}

// ---- flying measurement ----

struct FlyRec final : FlyView {
    void flyStatus(const QString& t) override { statuses.push_back(t); }
    void setupDone() override { ++setups; }
    void gaugeStep() override { ++gauge; }
    void resultsRead(const FlyValues& v) override { values = v; }
    void phaseChanged(Phase p) override { phase = p; }
    void flyFailed(bool closing) override { failed = closing ? 2 : 1; }
    void flyBroken() override { ++broken; }
    std::vector<QString> statuses;
    int setups = 0;
    int gauge = 0;
    std::optional<FlyValues> values;
    Phase phase = Phase::Idle;
    int failed = 0;
    int broken = 0;
};

class Flying : public Queries {
protected:
    void SetUp() override {
        fly.setup();
        run(fly);
        ASSERT_EQ(view.setups, 1);
    }
    // Ticks the timer until the retrieve chain starts and runs it.
    int measure() {
        int ticks = 0;
        while (fly.timer().isActive() && ticks < 100000) {
            fly.tick();
            ++ticks;
        }
        run(fly);
        return ticks;
    }

    FlyRec view;
    FlyingMeasurement fly{link.port, link.context, prompts, view};
};

TEST_F(Flying, SetupReadsTheMeterAndTheMeasurementRunsItsTime) {
    EXPECT_EQ(link.requests(false),
              (Strings{"COMM", "READ_CMOS", "READ_STATION", "READ_METER", "END_COMM"}));
    link.image.meter.interval_p2 = 60;
    EXPECT_EQ(flySecondsText(fly.measuringSeconds(2, 3)), QStringLiteral("180 sec"));

    std::vector<std::uint8_t> flySet;
    link.port.clearWrites();
    fly.startMeasurement(2, 3, false);
    run(fly);
    for (const auto& w : link.port.writes()) {
        if (w.size() == 9 && w[2] == 0x49) {
            flySet = w;
        }
    }
    ASSERT_EQ(flySet.size(), 9u);
    EXPECT_EQ((std::vector<int>{flySet[4], flySet[5], flySet[6]}), (std::vector<int>{2, 3, 1}));
    EXPECT_EQ(link.requests(false), (Strings{"COMM", "FLY_SET", "END_COMM"}));
    EXPECT_EQ(view.phase, FlyView::Phase::Measuring);
    EXPECT_EQ(view.statuses.back(), txt(kTextMeasurementInProgress));

    link.port.clearWrites();
    EXPECT_EQ(measure(), 181);
    EXPECT_EQ(link.requests(false), (Strings{"COMM", "FLY_READ", "END_COMM"}));
    EXPECT_EQ(view.gauge, 183);
    ASSERT_TRUE(view.values);
    EXPECT_EQ(view.phase, FlyView::Phase::Idle);
    EXPECT_EQ(view.statuses.back(), txt(kTextDataLoaded));
}

TEST_F(Flying, CancelWhileMeasuringReturnsToIdleWithoutRetrieving) {
    fly.startMeasurement(1, 1, true);
    run(fly);
    fly.tick();
    fly.cancel();
    EXPECT_FALSE(fly.timer().isActive());
    EXPECT_EQ(view.phase, FlyView::Phase::Idle);
    EXPECT_EQ(view.statuses.back(), txt(kTextStationReadingInterrupted));
    const Strings sent = link.requests(false);
    EXPECT_EQ(sent.back(), "END_COMM");
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "FLY_READ"), 0);
}

TEST_F(Flying, A49ByteResultIsNotAcceptedAndAFailedStartKeepsTheWindow) {
    link.tamper = [this](std::vector<std::uint8_t>& a) {
        if (fly.state() == FLY_READ && a.size() == 50) {
            a.resize(49);
            test::SimLink::reseal(a);
        }
    };
    fly.startMeasurement(1, 1, true);
    run(fly);
    measure();
    EXPECT_FALSE(view.values);
    EXPECT_EQ(view.failed, 1);
    EXPECT_TRUE(prompts.shownError(txt(kTextErrorConnectiongToDevice)));

    link.station->faults().settings().silent = true;
    view.failed = 0;
    fly.startMeasurement(1, 1, true);
    run(fly);
    EXPECT_EQ(view.failed, 1);
    fly.cancel();
    EXPECT_EQ(view.phase, FlyView::Phase::Idle);
}

TEST(FlyTotals, SumsInDoublePrecisionAndEnthalpyInSingle) {
    // Each value is a float32 from the station; a sum in float would lose the last digits.
    FlyValues v{
        0.0864218026f, 0.0375307985f, 4.8000001907f, 1.2000000477f, 100.0f, 20.0f, 0, 0, 0, 0};
    const auto t = flyTotals(v);
    EXPECT_EQ(flyText(t[0]), QStringLiteral("0,1239526011"));
    EXPECT_EQ(flyText(t[1]), QStringLiteral("6,0000002384"));
    EXPECT_EQ(t[2], 120.0);
    EXPECT_EQ(t[3], static_cast<double>(0.0864218026f / 4.8000001907f));
    v[2] = 0.0;
    EXPECT_EQ(flyTotals(v)[3], 0.0);
    EXPECT_EQ(flyText(2.5), QStringLiteral("2,5000000000"));
}

}  // namespace
}  // namespace pelmo
