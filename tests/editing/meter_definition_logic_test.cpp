#include "editing/meter_definition_logic.h"

#include <gtest/gtest.h>

#include "base/decimal_text.h"
#include "base/texts.h"
#include "scripted_prompts.h"

namespace pelmo {
namespace {

using test::ScriptedPrompts;

TEST(DecimalText, CommaBothWays) {
    EXPECT_EQ(formatDecimal(12.5, 4), QStringLiteral("12,5000"));
    EXPECT_EQ(formatDecimal(0.0, 6), QStringLiteral("0,000000"));
    EXPECT_EQ(formatDecimal(-0.0000258, 7), QStringLiteral("-0,0000258"));

    double v = 0.0;
    const std::pair<const char*, double> good[] = {
        {"1,5", 1.5}, {"-0,25", -0.25}, {",5", 0.5}, {"5,", 5.0}, {"007", 7.0}};
    for (const auto& [text, expected] : good) {
        ASSERT_TRUE(parseDecimal(QString::fromLatin1(text), v)) << text;
        EXPECT_DOUBLE_EQ(v, expected) << text;
    }
    for (const char* bad : {"", "-", ",", "1.5", "1,2,3", "1-2", "--1", " 1", "1e5"}) {
        EXPECT_FALSE(parseDecimal(QString::fromLatin1(bad), v)) << bad;
    }
    // Digits alone can overflow a double.
    EXPECT_FALSE(parseDecimal(QString(400, QLatin1Char('9')), v));
}

TEST(MeterModes, EveryMethodPairRoundTripsThroughItsBits) {
    for (int m1 = 0; m1 < 4; ++m1) {
        for (int m2 = 0; m2 < 4; ++m2) {
            std::uint8_t a = 0;
            std::uint8_t b = 0;
            addMethodBits(a, b, 1, static_cast<Method>(m1));
            addMethodBits(a, b, 2, static_cast<Method>(m2));
            EXPECT_EQ(methodOf(a, b, 1), static_cast<Method>(m1));
            EXPECT_EQ(methodOf(a, b, 2), static_cast<Method>(m2));
            // Methods only ever touch the top two bits of mode_a and bits 4, 5 of mode_b.
            EXPECT_EQ(a & 0x3F, 0);
            EXPECT_EQ(b & 0xCF, 0);
        }
    }
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    addMethodBits(a, b, 1, Method::Volume);
    EXPECT_EQ(b, 0x10);
    EXPECT_EQ(a, 0);
    addMethodBits(a, b, 2, Method::Direct);
    EXPECT_EQ(a, 0x80);
    EXPECT_EQ(b, 0x10);
}

TEST(MeterModes, OutputEntriesFromTheLowNibble) {
    using E = std::array<int, 2>;
    EXPECT_EQ(outputEntriesOf(0), (E{kOutputByChannels, kOutputByChannels}));
    EXPECT_EQ(outputEntriesOf(1), (E{kOutputCalculated, kOutputByChannels}));
    EXPECT_EQ(outputEntriesOf(2 + 16), (E{kOutputByChannels, kOutputCalculated}));
    EXPECT_EQ(outputEntriesOf(3 + 32), (E{kOutputCalculated, kOutputCalculated}));
    EXPECT_EQ(outputEntriesOf(4), (E{-1, -1}));
    EXPECT_EQ(outputEntriesOf(15), (E{-1, -1}));
}

class MeterForms : public ::testing::Test {
protected:
    MeterForms() { setLanguage(Language::Czech); }
    ~MeterForms() override { setLanguage(Language::Czech); }

    // A form that passes every check.
    static MeterForm validForm() {
        MeterForm f;
        f.meterNumber = QStringLiteral("12345");
        f.variant = 1;
        f.medium = kMediumSteam;
        f.methods = {1, 1};
        f.outputs = {kOutputByChannels, kOutputByChannels};
        for (auto& c : f.constants) {
            c = QStringLiteral("1,0");
        }
        f.parameters = {QStringLiteral("0,5"), QStringLiteral("60"), QStringLiteral("120"),
                        QStringLiteral("180"), QStringLiteral("0"),  QStringLiteral("0")};
        return f;
    }

    // Saves and expects exactly one information box with `text`; the record stays as it was.
    void expectRefused(const MeterForm& form, const QString& text, bool gas = false) {
        definice_meridla_rec meter;
        meter.meter_number = 7;
        const definice_meridla_rec before = meter;
        ScriptedPrompts seen;
        EXPECT_FALSE(saveMeterForm(form, meter, gas, seen));
        ASSERT_EQ(seen.shown.size(), 1u);
        EXPECT_EQ(seen.shown[0].kind, Prompts::Kind::Information);
        EXPECT_EQ(seen.shown[0].text, text);
        EXPECT_EQ(meter, before);
    }

    static QString illegal(const QString& caption, const QString& positions) {
        return txt(kTextBox151) + caption + txt(kTextContainsIllegalCharactersPos) + positions +
               txt(kTextClosingParenthesis);
    }
    static QString illegal(const QString& caption, const char* positions) {
        return illegal(caption, QString::fromLatin1(positions));
    }
    // "1. 2. ... n. ": a value that is wrong as a whole.
    static QString allPositions(int n) {
        QString p;
        for (int i = 1; i <= n; ++i) {
            p += QString::number(i) + QStringLiteral(". ");
        }
        return p;
    }

    ScriptedPrompts prompts;
};

TEST_F(MeterForms, MethodsVariantAndMediumMakeTheModeBytes) {
    MeterForm f = validForm();
    f.methods = {static_cast<int>(Method::Indirect), static_cast<int>(Method::Direct)};
    f.variant = 4;
    f.medium = kMediumSteam;
    definice_meridla_rec meter;
    ASSERT_TRUE(saveMeterForm(f, meter, false, prompts));
    EXPECT_EQ(meter.mode_b, 16 + 4);
    EXPECT_EQ(meter.mode_a, 64 + 128 + 4 + 2);
    EXPECT_EQ(meter.mode_copy, 20);
    EXPECT_EQ(meter.variant, 4);

    f.medium = kMediumWater;
    f.methods = {static_cast<int>(Method::Mass), static_cast<int>(Method::Volume)};
    f.variant = 0;
    ASSERT_TRUE(saveMeterForm(f, meter, false, prompts));
    EXPECT_EQ(meter.mode_b, 64 + 32);
    EXPECT_EQ(meter.mode_a, 2);

    // Reading it back selects the same entries.
    const MeterForm back = meterFormFromImage(meter, false);
    EXPECT_EQ(back.medium, kMediumWater);
    EXPECT_EQ(back.methods, f.methods);
    EXPECT_EQ(back.variant, 0);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(MeterForms, OutputWordFromListsAndUnitBoxes) {
    MeterForm f = validForm();
    f.outputs = {kOutputCalculated, kOutputByChannels};
    f.perTonne = {false, true};
    definice_meridla_rec meter;
    meter.output_word = 0x7F;  // rebuilt from the controls, not merged
    ASSERT_TRUE(saveMeterForm(f, meter, false, prompts));
    EXPECT_EQ(meter.output_word, 1 + 32);

    f.outputs = {kOutputByChannels, kOutputCalculated};
    f.perTonne = {true, false};
    ASSERT_TRUE(saveMeterForm(f, meter, false, prompts));
    EXPECT_EQ(meter.output_word, 2 + 16);
    const MeterForm back = meterFormFromImage(meter, false);
    EXPECT_EQ(back.outputs, f.outputs);
    EXPECT_EQ(back.perTonne, f.perTonne);
}

TEST_F(MeterForms, UnselectedListsKeepWhatTheRecordHeld) {
    // A gas meter read from a station: variant 8, with an output pattern the lists cannot
    // show.
    definice_meridla_rec meter;
    meter.mode_b = 8 | 0x20 | 0x40;
    meter.mode_a = 0x80 | 10;
    meter.output_word = 5;
    MeterForm f = meterFormFromImage(meter, false);
    EXPECT_EQ(f.variant, -1);
    EXPECT_EQ(meter.variant, 8);
    EXPECT_EQ(f.outputs, (std::array<int, 2>{-1, -1}));
    EXPECT_EQ(f.methods[1], static_cast<int>(Method::Indirect));

    ASSERT_TRUE(saveMeterForm(f, meter, false, prompts));
    EXPECT_EQ(meter.mode_b, 8 | 0x20 | 0x40);
    EXPECT_EQ(meter.mode_a, 0x80 | 10);
    EXPECT_EQ(meter.variant, 8);
    EXPECT_EQ(meter.output_word, 1) << "output 1 stays computed by the meter";
}

TEST_F(MeterForms, EveryRowLandsInItsConstant) {
    MeterForm f = validForm();
    for (int row = 1; row <= kMeterConstantRows; ++row) {
        f.constants[static_cast<std::size_t>(row - 1)] = QString::number(row * 10);
    }
    f.parameters[0] = QStringLiteral("-1,25");
    definice_meridla_rec meter;
    ASSERT_TRUE(saveMeterForm(f, meter, false, prompts));
    const std::array<double, 15> expected{10,  20,  40,  30, -1.25, 90,  50, 60,
                                          130, 140, 100, 70, 80,    110, 120};
    for (std::size_t i = 0; i < 15; ++i) {
        EXPECT_DOUBLE_EQ(meter.constants[i], expected[i]) << "constant " << i + 1;
    }
    EXPECT_EQ(meter.interval_p1, 60);
    EXPECT_EQ(meter.interval_p2, 120);
    EXPECT_EQ(meter.interval_cond, 180);

    const MeterForm back = meterFormFromImage(meter, false);
    EXPECT_EQ(back.constants[2], QStringLiteral("30,000000"));
    EXPECT_EQ(back.parameters[0], QStringLiteral("-1,250000"));
}

TEST_F(MeterForms, GasScalesRowsFourAndTwelve) {
    MeterForm f = validForm();
    f.constants[3] = QStringLiteral("25,8");
    f.constants[11] = QStringLiteral("1,5");
    f.constants[2] = QStringLiteral("3,0");
    definice_meridla_rec meter;
    ASSERT_TRUE(saveMeterForm(f, meter, true, prompts));
    EXPECT_DOUBLE_EQ(meter.constants[2], 0.0000258);
    EXPECT_DOUBLE_EQ(meter.constants[14], 0.0000015);
    EXPECT_DOUBLE_EQ(meter.constants[3], 3.0) << "row 3 is not scaled";
    const MeterForm back = meterFormFromImage(meter, true);
    EXPECT_EQ(back.constants[3], QStringLiteral("25,800000"));
    EXPECT_EQ(back.constants[11], QStringLiteral("1,500000"));

    // The steam version shows and stores the same rows unscaled.
    ASSERT_TRUE(saveMeterForm(f, meter, false, prompts));
    EXPECT_DOUBLE_EQ(meter.constants[2], 25.8);
    EXPECT_EQ(meterFormFromImage(meter, true).constants[3], QStringLiteral("25800000,000000"));
}

TEST_F(MeterForms, ImpulseCoefficientsAreStoredAsReciprocals) {
    MeterForm f = validForm();
    f.parameters[4] = QStringLiteral("2,5");
    f.parameters[5] = QStringLiteral("0");
    definice_meridla_rec meter;
    ASSERT_TRUE(saveMeterForm(f, meter, false, prompts));
    EXPECT_DOUBLE_EQ(meter.imp_coef_1, 0.4);
    EXPECT_EQ(meter.imp_coef_2, 0.0);
    const MeterForm back = meterFormFromImage(meter, false);
    EXPECT_EQ(back.parameters[4], QStringLiteral("2,500000"));
    EXPECT_EQ(back.parameters[5], QStringLiteral("0,000000"));
}

TEST_F(MeterForms, GasTicksBothUnitBoxesAndSavesPerTonne) {
    definice_meridla_rec meter;
    const MeterForm f = meterFormFromImage(meter, true);
    EXPECT_EQ(f.perTonne, (std::array<bool, 2>{true, true}));
    ASSERT_TRUE(saveMeterForm(f, meter, true, prompts));
    EXPECT_EQ(meter.output_word, 16 + 32);
}

TEST_F(MeterForms, SecondUnitBoxTogglesOnlyItsBit) {
    definice_meridla_rec meter;
    meter.output_word = 1 + 16;
    setCoefficient2PerTonne(meter, true);
    EXPECT_EQ(meter.output_word, 1 + 16 + 32);
    setCoefficient2PerTonne(meter, true);
    EXPECT_EQ(meter.output_word, 1 + 16 + 32) << "a repeated tick must not add twice";
    setCoefficient2PerTonne(meter, false);
    EXPECT_EQ(meter.output_word, 1 + 16);
}

TEST_F(MeterForms, ChecksRunInOrderAndTheFirstFailureEndsThem) {
    MeterForm f = validForm();
    f.meterNumber.clear();
    f.constants[0] = QStringLiteral("x");
    expectRefused(f, txt(kTextBox) + txt(kTextIdentificationNumber) + txt(kTextCanTBeEmpty));

    f = validForm();
    f.constants[2] = QStringLiteral("1.5");
    f.parameters[1] = QStringLiteral("a");
    expectRefused(f, illegal(txt(kTextTKMaxC), "2. "));

    // The gas caption names the row.
    expectRefused(f, illegal(txt(kTextRKACircuit1), "2. "), true);

    f = validForm();
    f.constants[13].clear();
    expectRefused(f, txt(kTextBox) + txt(kTextHysteresisC) + txt(kTextCanTBeEmpty));

    f = validForm();
    f.parameters[1] = QStringLiteral("1,5");
    expectRefused(f, illegal(txt(kTextIntervalP1Sec), "2. "));

    // Row 1 of the parameters is named "N/A" in the gas version.
    f = validForm();
    f.parameters[0] = QStringLiteral("?");
    expectRefused(f, illegal(QStringLiteral("N/A"), "1. "), true);

    // The coefficient rows carry their unit.
    f = validForm();
    f.perTonne = {false, true};
    f.parameters[5].clear();
    expectRefused(f, txt(kTextBox) + txt(kTextImpulseCoef2) + QStringLiteral(" [/t]") +
                         txt(kTextCanTBeEmpty));
    f.parameters[4] = QStringLiteral("x");
    expectRefused(f, illegal(txt(kTextImpulseCoef1) + QStringLiteral(" [/GJ]"), "1. "));
}

TEST_F(MeterForms, NumbersTheStationCannotCarryAreRefused) {
    // Allowed characters that make no number point at the offending ones.
    MeterForm f = validForm();
    f.constants[0] = QStringLiteral("1,2,3");
    expectRefused(f, illegal(txt(kTextTPMaxC), "4. "));
    f.constants[0] = QStringLiteral("5-");
    expectRefused(f, illegal(txt(kTextTPMaxC), "2. "));
    f.constants[0] = QStringLiteral("-,");
    expectRefused(f, illegal(txt(kTextTPMaxC), "1. 2. "));

    // Reals travel in single precision.
    f = validForm();
    f.constants[6] = QStringLiteral("1") + QString(39, QLatin1Char('0'));
    expectRefused(f, illegal(txt(kTextFlowNo1Max), allPositions(40)));

    // Sixteen-bit fields: the meter number and the intervals.
    f = validForm();
    f.meterNumber = QStringLiteral("65536");
    expectRefused(f, illegal(txt(kTextIdentificationNumber), allPositions(5)));
    f.meterNumber = QStringLiteral("65535");
    f.parameters[3] = QStringLiteral("70000");
    expectRefused(f, illegal(txt(kTextIntervalCondSec), allPositions(5)));

    f = validForm();
    f.meterNumber = QStringLiteral("65535");
    definice_meridla_rec meter;
    ASSERT_TRUE(saveMeterForm(f, meter, false, prompts));
    EXPECT_EQ(meter.meter_number, 65535);
}

}  // namespace
}  // namespace pelmo
