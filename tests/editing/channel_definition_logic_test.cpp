#include "editing/channel_definition_logic.h"

#include <gtest/gtest.h>

#include "base/texts.h"
#include "model/memory_allocation.h"
#include "model/raw_scale.h"
#include "scripted_prompts.h"
#include "ui/main_window_logic.h"

namespace pelmo {
namespace {

using test::ScriptedPrompts;
using Kind = Prompts::Kind;

// Channel 2 of a station with 32 KB and 100 message records; channel 5 drives Ext.analog 3.
class ChannelSave : public ::testing::Test {
protected:
    ChannelSave() {
        setLanguage(Language::Czech);
        image.station.memory_size = 32768;
        image.station.messages_total = 100;
        image.channel(5).in_use = 1;
        image.channel(5).output_code = 138;
        definice_PV_rec& s = image.channel(2);
        s.table_present = 1;
        s.table_points = 2;
        form.name = QStringLiteral("TP1");
        form.text = QStringLiteral("Teplota");
        form.units = QStringLiteral("C");
        form.minValue = QStringLiteral("0");
        form.maxValue = QStringLiteral("100");
        form.memory = QStringLiteral("1000");
        form.minLimit = QStringLiteral("25");
        form.maxLimit = QStringLiteral("75");
        form.waterTemp = QStringLiteral("0");
        form.tempCoef = QStringLiteral("0");
        form.minutes = 1;
        form.measurement = 1;
        form.display = 3;
        form.inputIndex = 1;  // Analog 2
        form.outputCode = 136;
    }

    std::vector<QString> texts() const {
        std::vector<QString> out;
        for (const auto& s : prompts.shown) {
            out.push_back(s.text);
        }
        return out;
    }

    StationImage image;
    ChannelForm form;
    ScriptedPrompts prompts;
};

TEST(ChannelInputs, EveryCodeMapsToItsEntryAndBack) {
    setLanguage(Language::Czech);
    int entries = 0;
    for (int c = 1; c < 256; ++c) {
        const int index = inputIndexForCode(static_cast<std::uint8_t>(c));
        const bool valid = (c >= 1 && c <= 14) || (c >= 32 && c <= 35) || (c >= 48 && c <= 51) ||
                           (c >= 64 && c <= 67);
        ASSERT_EQ(index >= 0, valid) << c;
        if (valid) {
            ++entries;
            EXPECT_EQ(inputCodeForIndex(index), c);
            EXPECT_EQ(index, c >= 64 ? c - 42 : c >= 48 ? c - 30 : c < 32 ? c - 1 : c - 18);
        }
    }
    EXPECT_EQ(entries, kInputEntries);
    EXPECT_EQ(inputIndexForCode(0), 0);
    EXPECT_EQ(inputEntryText(0), QString::fromUtf8("Analogový 1"));
    EXPECT_EQ(inputEntryText(13), QString::fromUtf8("Digitální 6"));
    EXPECT_EQ(inputEntryText(17), QString::fromUtf8("Frekvenční 4"));
    EXPECT_EQ(inputEntryText(25), QStringLiteral("HART modem 4"));
    // The main window's input column after a save names the same input.
    definice_PV_rec s;
    s.in_use = 1;
    s.input_code = 66;
    EXPECT_EQ(inputCellText(s), QStringLiteral("HART modem  3"));
    s.input_code = 51;
    EXPECT_EQ(inputCellText(s), QString::fromUtf8("Imp. čítač  4"));
}

TEST(ChannelOutputs, InternalAnalogOutputsFollowTheMeter) {
    auto names = [](std::int32_t word, std::uint8_t stored = 0) {
        QStringList out;
        for (const auto& e : outputEntries(word, stored)) {
            out << e.text;
        }
        return out.mid(0, 3).join(QLatin1Char('|'));
    };
    EXPECT_EQ(outputEntries(0).size(), 25u);
    EXPECT_EQ(names(0), QString::fromUtf8("Žádný|Int.analog 1|Int.analog 2"));
    EXPECT_EQ(names(1), QString::fromUtf8("Žádný|Int.analog 2|Ext.analog 1"));
    EXPECT_EQ(names(2), QString::fromUtf8("Žádný|Int.analog 1|Ext.analog 1"));
    EXPECT_EQ(names(3), QString::fromUtf8("Žádný|Ext.analog 1|Ext.analog 2"));
    // Bits above the two outputs (impulse units) change nothing.
    EXPECT_EQ(names(0x31), names(1));
    // A channel that already drives a computed output keeps it in view (inverted too).
    EXPECT_EQ(names(1, 144), QString::fromUtf8("Žádný|Int.analog 1|Int.analog 2"));
    const auto list = outputEntries(3);
    EXPECT_EQ(list.back().text, QStringLiteral("Ext.digital 8"));
    EXPECT_EQ(list.back().code, 175);
}

TEST_F(ChannelSave, EveryOutputAndInversionSurvivesStoreAndReopen) {
    image.channel(5).output_code = 0;
    for (std::int32_t word : {0, 1, 2, 3}) {
        image.meter.output_word = word;
        for (const OutputEntry& e : outputEntries(word)) {
            for (bool inverted : {false, true}) {
                form.outputCode = e.code;
                form.inverted = inverted;
                ASSERT_TRUE(saveChannel(image, 2, form, prompts)) << texts().back().toStdString();
                const int want = e.code == 0 ? 0 : e.code + (inverted ? 16 : 0);
                EXPECT_EQ(image.channel(2).output_code, want);
                const ChannelForm back = channelFormFromImage(image, 2);
                EXPECT_EQ(back.outputCode, e.code);
                EXPECT_EQ(back.inverted, inverted && e.code != 0);
            }
        }
    }
    form.outputCode = 175;
    form.inverted = true;
    ASSERT_TRUE(saveChannel(image, 2, form, prompts));
    EXPECT_EQ(image.channel(2).output_code, 191);
}

TEST_F(ChannelSave, IntervalMustDivideTheTwelveHourCycle) {
    struct Case {
        int h, m, s, stored;
        bool ok;
    };
    for (const Case c :
         {Case{0, 0, 0, 1, true}, Case{0, 0, 1, 1, true}, Case{12, 0, 0, 43200, true},
          Case{0, 2, 0, 120, true}, Case{0, 0, 7, 120, false}, Case{12, 0, 1, 120, false}}) {
        prompts.shown.clear();
        form.hours = c.h;
        form.minutes = c.m;
        form.seconds = c.s;
        EXPECT_EQ(saveChannel(image, 2, form, prompts), c.ok) << c.h << ":" << c.m << ":" << c.s;
        EXPECT_EQ(image.channel(2).interval, c.stored);
        if (!c.ok) {
            EXPECT_EQ(texts(), std::vector<QString>{txt(kText24HoursIntervalIs)});
        }
        // The failing cases keep the last good interval.
        form.hours = 0;
        form.minutes = 2;
        form.seconds = 0;
        ASSERT_TRUE(saveChannel(image, 2, form, prompts));
    }
}

TEST_F(ChannelSave, FailedStepsReportInOrderAndLaterStepsStillStore) {
    form.seconds = 7;                       // 2: not in the cycle
    form.outputCode = 138;                  // 4: channel 5 has it
    form.inputIndex = 8;                    // 7: Digital 1 with a table
    form.minLimit = QStringLiteral("-5");   // 8: below the minimum
    form.maxLimit = QStringLiteral("-10");  //    and below the lower limit
    form.minValue = QStringLiteral("200");  //    minimum above maximum
    form.memory = QStringLiteral("30000");  // 11: more than is left
    image.channel(5).output_code = 138 + 16;
    EXPECT_FALSE(saveChannel(image, 2, form, prompts));
    EXPECT_EQ(texts(),
              (std::vector<QString>{txt(kText24HoursIntervalIs),
                                    txt(kTextThisOutputIsAlready) + QStringLiteral("5"),
                                    txt(kTextLinearizationTableIsNot), txt(kTextMinLimitMinValue),
                                    txt(kTextMaxLimitMinLimit), txt(kTextMinValueMaxValue),
                                    txt(kTextMemorySizeExceeded) + QStringLiteral("( 1672B )")}));
    EXPECT_EQ(prompts.shown[1].kind, Kind::Error);
    EXPECT_EQ(prompts.shown[2].kind, Kind::Warning);
    const definice_PV_rec& s = image.channel(2);
    EXPECT_EQ(image.channelData(2).name, "TP1");
    EXPECT_EQ(s.in_use, 1);
    EXPECT_EQ(s.output_code, 138);
    EXPECT_EQ(s.input_code, 9);
    EXPECT_EQ(s.interval, 0);
    EXPECT_EQ(s.memory, 0);
    EXPECT_EQ(s.range_high, kRawScaleMax);
}

TEST_F(ChannelSave, LimitsAreCheckedOnlyForAChannelWithAnOutput) {
    form.outputCode = 0;
    form.minLimit = QStringLiteral("-50");
    form.maxLimit = QStringLiteral("-60");
    form.minValue = QStringLiteral("100");
    form.maxValue = QStringLiteral("0");
    EXPECT_TRUE(saveChannel(image, 2, form, prompts));
    EXPECT_TRUE(prompts.shown.empty());
    // Raw limits outside the range stay inside the field instead of wrapping.
    EXPECT_EQ(image.channel(2).limit_low, 65535);
    form.maxValue = QStringLiteral("100");
    form.minValue = QStringLiteral("0");
    form.minLimit = QStringLiteral("25");
    form.maxLimit = QStringLiteral("12,5");
    EXPECT_TRUE(saveChannel(image, 2, form, prompts));
    // 16383,5 and 8191,75 rounded, halves to even.
    EXPECT_EQ(image.channel(2).limit_low, 16384);
    EXPECT_EQ(image.channel(2).limit_high, 8192);
    // "-" keeps the stored raw limits.
    form.minLimit = kNoLimit;
    EXPECT_TRUE(saveChannel(image, 2, form, prompts));
    EXPECT_EQ(image.channel(2).limit_low, 16384);
}

TEST_F(ChannelSave, TableRulesByInputKind) {
    form.outputCode = 0;
    form.inputIndex = 14;  // Frequency 1 saves with and without a table
    EXPECT_TRUE(saveChannel(image, 2, form, prompts));
    image.channel(2).table_present = 0;
    EXPECT_TRUE(saveChannel(image, 2, form, prompts));
    form.inputIndex = 0;
    EXPECT_FALSE(saveChannel(image, 2, form, prompts));
    EXPECT_EQ(texts(), std::vector<QString>{txt(kTextLinearizatinTableMustBe)});
    form.inputIndex = 22;  // HART 1 without a table is fine
    prompts.shown.clear();
    EXPECT_TRUE(saveChannel(image, 2, form, prompts));
    image.channel(2).table_present = 1;
    EXPECT_FALSE(saveChannel(image, 2, form, prompts));
    EXPECT_EQ(texts(), std::vector<QString>{txt(kTextLinearizationTableIsNot)});
}

TEST_F(ChannelSave, FieldChecksStopAtTheFirstBadBox) {
    form.name.clear();
    form.maxValue = QStringLiteral("1,2,3");
    EXPECT_FALSE(saveChannel(image, 2, form, prompts));
    EXPECT_EQ(texts(),
              std::vector<QString>{txt(kTextBox) + txt(kTextNameLabel) + txt(kTextCanTBeEmpty)});
    EXPECT_TRUE(image.channelData(2).name.empty());
    form.name = QStringLiteral("X");
    prompts.shown.clear();
    // Digits, commas and minus only, yet no number: reported at the second comma.
    EXPECT_FALSE(saveChannel(image, 2, form, prompts));
    EXPECT_EQ(texts(), std::vector<QString>{txt(kTextBox151) + txt(kTextMaxValue) +
                                            txt(kTextContainsIllegalCharactersPos) +
                                            QStringLiteral("4. ") + txt(kTextClosingParenthesis)});
    EXPECT_EQ(image.channel(2).in_use, 0);
}

TEST_F(ChannelSave, MemoryCheckAndAutomaticShares) {
    EXPECT_EQ(freeStationMemory(image.station), 32768 - 3840 - 600);
    image.channel(5).memory = 1000;
    ASSERT_TRUE(checkChannelMemory(image, 2, 27328, prompts));
    EXPECT_FALSE(checkChannelMemory(image, 2, 27329, prompts));
    EXPECT_EQ(texts(),
              std::vector<QString>{txt(kTextMemorySizeExceeded) + QStringLiteral("( 1B )")});
    EXPECT_EQ(image.channel(2).memory, 27328);

    for (int n : {2, 3}) {
        image.channel(n).in_use = 1;
        image.channel(n).auto_memory = 1;
    }
    image.channel(3).interval = 60;
    EXPECT_EQ(allocateForChannel(image, 2, 0, 2, 0, prompts), 9109);
    EXPECT_EQ(image.channel(3).memory, 18219);
    EXPECT_EQ(image.channel(2).interval, 120);
    // A bad interval is refused but the shares are still computed.
    prompts.shown.clear();
    EXPECT_EQ(allocateForChannel(image, 2, 0, 0, 7, prompts), 9109);
    EXPECT_EQ(texts(), std::vector<QString>{txt(kText24HoursIntervalIs)});
    // Manual channels taking everything leave nothing, not a wrapped share.
    image.channel(5).memory = 30000;
    EXPECT_EQ(allocateForChannel(image, 2, 0, 2, 0, prompts), 0);
}

TEST_F(ChannelSave, GasVariantCoefficientIsAPercentageOfConstantNine) {
    image.meter.variant = 8;
    image.meter.constants[8] = 0.101325;
    form.outputCode = 0;
    form.inputIndex = 14;
    form.tempCoef = QStringLiteral("2");
    ASSERT_TRUE(saveChannel(image, 7, form, prompts));
    EXPECT_DOUBLE_EQ(image.channelData(7).temp_coef, 0.02 * 0.101325);
    EXPECT_EQ(channelFormFromImage(image, 7).tempCoef, QStringLiteral("2,0000"));
    ASSERT_TRUE(saveChannel(image, 6, form, prompts));
    EXPECT_DOUBLE_EQ(image.channelData(6).temp_coef, 2.0);
    image.meter.constants[8] = 0.0;
    EXPECT_EQ(channelFormFromImage(image, 7).tempCoef, QStringLiteral("0,0000"));
}

TEST(ChannelBoxes, TemperatureBoxesByVersionAndChannel) {
    for (int ch = 1; ch <= kChannelCount; ++ch) {
        const TemperatureBoxes steam = temperatureBoxes(0, ch);
        EXPECT_EQ(*steam.waterEnabled, ch == 3 || ch == 6);
        EXPECT_EQ(*steam.coefEnabled, ch == 3 || ch == 6);
        const TemperatureBoxes gas = temperatureBoxes(1, ch);
        EXPECT_EQ(*gas.waterEnabled, ch <= 3 || ch == 5 || ch == 6) << ch;
        EXPECT_EQ(*gas.coefEnabled, (ch >= 2 && ch <= 3) || ch == 5 || ch == 6) << ch;
        EXPECT_EQ(gas.waterLabel, ch == 1 ? 407 : 363);
    }
    EXPECT_FALSE(temperatureBoxes(2, 3).waterEnabled.has_value());
}

TEST(ChannelDelete, KeepsMemoryModeDividerAndOldPoints) {
    definice_PV_rec s;
    definice_PV_udaj_rec d;
    s.in_use = 1;
    s.auto_memory = 1;
    s.divider = 4;
    s.memory = 500;
    s.table_points = 2;
    s.table_x[1] = 4048;
    s.output_code = 191;
    d.name = "TP1";
    d.block_word = 1;
    deleteChannel(s, d);
    EXPECT_EQ(s.in_use, 0);
    EXPECT_EQ(s.memory, 0);
    EXPECT_EQ(s.table_points, 0);
    EXPECT_EQ(s.output_code, 0);
    EXPECT_EQ(s.auto_memory, 1);
    EXPECT_EQ(s.divider, 4);
    EXPECT_EQ(s.table_x[1], 4048);
    EXPECT_TRUE(d.name.empty());
    EXPECT_EQ(d.block_word, kBlockWordDefault);
}

}  // namespace
}  // namespace pelmo
