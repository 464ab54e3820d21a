#include "calc/steam_calculator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "calc/steam_tables.h"

namespace pelmo {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A steam meter of circuits 1 and 2 (variant 2) with the usual limits: TP 100..400 °C,
// PP 0,1..4 MPa, saturation band 10 °C; flow channels named, mass method.
StationImage steamMeter() {
    StationImage image;
    image.meter.variant = 2;
    image.meter.mode_b = 2;
    image.meter.constants[0] = 400.0;  // TP max
    image.meter.constants[1] = 100.0;  // TP min
    image.meter.constants[6] = 4.0;    // PP max
    image.meter.constants[7] = 0.1;    // PP min
    image.meter.constants[8] = 10.0;   // saturation band
    image.channelData(3).name = "Q1";
    image.channelData(6).name = "Q2";
    return image;
}

TEST(SteamTables, SaturationWorkedExamples) {
    StationImage image = steamMeter();
    image.meter.constants[6] = 1.6;
    SteamCalculator calc(image);
    EXPECT_EQ(calc.saturationTemperature(1.0), 179.88f);
    EXPECT_EQ(calc.saturationTemperature(1.05), static_cast<float>((179.88 + 184.7) / 2));
    // Last valid and first invalid pressure of the meter's limits.
    EXPECT_EQ(calc.saturationTemperature(1.6), 201.37f);
    EXPECT_EQ(calc.saturationTemperature(1.7), kSaturationOutOfLimits);
    EXPECT_EQ(calc.lastSaturationTemperature(), kSaturationOutOfLimits);
    EXPECT_EQ(calc.saturationTemperature(0.1), 99.63f);
    EXPECT_EQ(calc.saturationTemperature(0.0999), kSaturationOutOfLimits);
    // Explicit limits replace the meter's; outside the table it extrapolates.
    EXPECT_EQ(calc.saturationTemperature(1.7, 0.0, 25.0),
              static_cast<float>(201.37 + 0.1 * 5.74 / 0.2));
    EXPECT_EQ(calc.saturationTemperature(6.0, 0.0, 25.0),
              static_cast<float>(263.91 + 1.0 * 6.5 / 0.5));

    EXPECT_EQ(calc.saturationPressure(99.0),
              static_cast<float>(0.1 + (99.0 - 99.63) * (0.12 - 0.1) / (104.81 - 99.63)));
    EXPECT_EQ(calc.lastSaturationPressure(), calc.saturationPressure(99.0));
    EXPECT_EQ(calc.saturationPressure(179.88), 1.0f);
    EXPECT_EQ(calc.saturationPressure(190.0),
              static_cast<float>(1.2 + (190.0 - 187.96) * 0.1 / (191.41 - 187.96)));
}

TEST(SteamTables, DensityAtTheGridCornerAndByMethod) {
    StationImage image = steamMeter();
    SteamCalculator calc(image);
    EXPECT_EQ(calc.density(0, 0.1, 100.0), 0.02428f);
    EXPECT_EQ(calc.density(2, 0.1, 100.0), 0.02428f);  // mass: ω as it is

    image.meter.mode_b |= 0x10;  // circuit 1 by volume
    EXPECT_EQ(calc.density(2, 0.1, 100.0), static_cast<float>(0.02428 * 0.02428 * 1000.0));
    EXPECT_NEAR(*calc.density(2, 0.1, 100.0), 0.5895, 1e-4);
    EXPECT_DOUBLE_EQ(*calc.lastDensity(), 0.02428 * 0.02428 * 1000.0);
    EXPECT_EQ(calc.density(5, 0.1, 100.0), 0.02428f);  // circuit 2 still by mass
    EXPECT_EQ(calc.density(1, 0.1, 100.0), 0.02428f);  // only flow kinds adjust

    image.meter.mode_a |= 0x40;  // direct wins over the volume bit
    EXPECT_EQ(calc.density(2, 0.1, 100.0), 1.0f);
    image.meter.mode_a |= 0x80;
    EXPECT_EQ(calc.density(5, 0.5, 300.0), 1.0f);
}

TEST(SteamTables, CurvatureAtHalfAnIntervalIsAQuarterOfItsCoefficient) {
    for (int r = 0; r < kDensityRows; ++r) {
        for (int j = 0; j + 1 < kDensityColumns; ++j) {
            const double p = (kDensityPressure[j] + kDensityPressure[j + 1]) / 2;
            const double linear = (kDensityOmega[r][j] + kDensityOmega[r][j + 1]) / 2;
            EXPECT_NEAR(*steamOmega(p, kDensityTemperature[r]),
                        linear * (1 + kDensityCurvature[j] / 4), 1e-15)
                << "row " << r << " interval " << j;
        }
    }
}

// Both sides of every key meet the table's value there, and no argument inside the meter
// limits (nor a good way beyond them) gives NaN or infinity.
TEST(SteamTables, ContinuousAtEveryCellBoundaryAndAlwaysFinite) {
    constexpr double eps = 1e-9;
    for (int i = 0; i < kSaturationPairs; ++i) {
        const double p = kSaturationPressure[i];
        const double t = kSaturationTemperature[i];
        EXPECT_NEAR(*saturationTemperatureOf(p - eps), t, 1e-6) << i;
        EXPECT_NEAR(*saturationTemperatureOf(p + eps), t, 1e-6) << i;
        EXPECT_NEAR(*saturationPressureOf(t - eps), p, 1e-6) << i;
        EXPECT_NEAR(*saturationPressureOf(t + eps), p, 1e-6) << i;
    }
    for (int r = 0; r < kDensityRows; ++r) {
        for (int j = 0; j < kDensityColumns; ++j) {
            const double t = kDensityTemperature[r];
            const double p = kDensityPressure[j];
            const double at = kDensityOmega[r][j];
            for (double dt : {-eps, 0.0, eps}) {
                for (double dp : {-eps, 0.0, eps}) {
                    ASSERT_NEAR(*steamOmega(p + dp, t + dt), at, 1e-8) << r << "," << j;
                }
            }
        }
    }
    for (double p = 0.0; p <= 30.0; p += 0.01) {
        ASSERT_TRUE(saturationTemperatureOf(p)) << p;
        for (double t = 0.0; t <= 600.0; t += 2.5) {
            ASSERT_TRUE(steamOmega(p, t)) << p << " " << t;
        }
    }
    for (double t = -50.0; t <= 600.0; t += 0.05) {
        ASSERT_TRUE(saturationPressureOf(t)) << t;
    }
}

TEST(SteamTables, NonFiniteArgumentsGiveNoValue) {
    StationImage image = steamMeter();
    SteamCalculator calc(image);
    for (double bad : {kNaN, kInf, -kInf}) {
        EXPECT_FALSE(saturationTemperatureOf(bad));
        EXPECT_FALSE(saturationPressureOf(bad));
        EXPECT_FALSE(steamOmega(bad, 200.0));
        EXPECT_FALSE(steamOmega(1.0, bad));
        EXPECT_FALSE(calc.saturationTemperature(bad, 0.0, 25.0));
        EXPECT_FALSE(calc.saturationPressure(bad));
        EXPECT_FALSE(calc.density(2, bad, 200.0));
    }
    // Finite in double, beyond single precision.
    EXPECT_FALSE(calc.saturationPressure(1e300));
    EXPECT_FALSE(calc.lastSaturationPressure());
}

TEST(SteamTables, VariantMasks) {
    const std::uint8_t masks[] = {0, 7, 63, 192, 199, 255, 232, 239, 7};
    for (int v = 0; v <= 8; ++v) {
        EXPECT_EQ(variantChannelMask(v), masks[v]) << v;
    }
    EXPECT_EQ(variantChannelMask(9), 0);
    EXPECT_EQ(variantChannelMask(-1), 0);
    EXPECT_TRUE(variantUsesChannel(6, 4));
    EXPECT_FALSE(variantUsesChannel(6, 5));
    EXPECT_FALSE(variantUsesChannel(5, 9));
}

// Feeds one circuit-1 sample through the derivation: temperature, pressure, flow.
CalcValue circuitFlow(SteamCalculator& calc, double t, double p, double q) {
    calc.derive(0, t);
    calc.derive(1, p);
    return calc.derive(2, q);
}

TEST(SteamDerivation, FlowFollowsTheSaturationBand) {
    StationImage image = steamMeter();
    SteamCalculator calc(image);
    // Superheated: 200 °C at 1 MPa meters at the measured pressure.
    EXPECT_EQ(circuitFlow(calc, 200.0, 1.0, 1000.0), static_cast<float>(1000.0 * 0.069709f));
    EXPECT_EQ(calc.temperature(), 0.0);
    EXPECT_EQ(calc.pressure(), 0.0);
    // 4,88 °C below saturation, inside the band: the saturation pressure of T stands in.
    calc.derive(0, 175.0);
    EXPECT_EQ(calc.derive(1, 1.0), 1.0f);
    EXPECT_EQ(calc.pressure(), *calc.saturationPressure(175.0));
    EXPECT_TRUE(calc.derive(2, 1000.0) > 0.0f);
    // 12 °C below saturation with a band of 10: no flow; 10 °C is already outside.
    EXPECT_EQ(circuitFlow(calc, 179.88 - 12.0, 1.0, 1000.0), 0.0f);
    EXPECT_EQ(circuitFlow(calc, 169.88f, 1.0, 1000.0), 0.0f);
    EXPECT_FALSE(calc.inRange());
    EXPECT_TRUE(circuitFlow(calc, 170.0, 1.0, 1000.0) > 0.0f);
}

TEST(SteamDerivation, LimitsNamesAndVariantsOfTheFlow) {
    StationImage image = steamMeter();
    SteamCalculator calc(image);
    // Circuit temperature and pressure limits, last valid and first invalid.
    EXPECT_TRUE(circuitFlow(calc, 400.0, 4.0, 10.0) > 0.0f);
    EXPECT_EQ(circuitFlow(calc, 400.5, 4.0, 10.0), 0.0f);
    EXPECT_EQ(circuitFlow(calc, 300.0, 4.01, 10.0), 0.0f);
    // Pressure outside the meter's limits reads saturation 99, so it is taken as measured
    // and then fails the limits.
    EXPECT_EQ(circuitFlow(calc, 300.0, 0.05, 10.0), 0.0f);

    // A flow channel without a name passes its value; the pressure channel then shows
    // 10000000 and the circuit pressure is the saturation pressure of T.
    image.channelData(3).name.clear();
    calc.derive(0, 200.0);
    EXPECT_EQ(calc.derive(1, 1.0), kNoFlowChannelPressure);
    EXPECT_EQ(calc.pressure(), *calc.saturationPressure(200.0));
    EXPECT_EQ(calc.derive(2, 12.5), 12.5f);
    image.channelData(3).name = "Q1";

    // Variant 6 (4, 6, 7, 8): channel 3 is not metered, channel 6 lacks its pressure 5.
    image.meter.variant = 6;
    EXPECT_EQ(circuitFlow(calc, 200.0, 1.0, 12.5), 12.5f);
    calc.derive(3, 200.0);
    calc.derive(4, 1.0);
    EXPECT_EQ(calc.derive(5, 12.5), 12.5f);

    // A circuit pressure of exactly 0 with limits that allow it.
    image.meter.variant = 2;
    image.meter.constants[7] = 0.0;
    EXPECT_EQ(circuitFlow(calc, 150.0, 0.0, 5.0), kNoFlowChannelPressure);
}

TEST(SteamDerivation, AnalogFlowsGetTheTemperatureCorrection) {
    StationImage image = steamMeter();
    image.channelData(6).calib_water_temp = 20.0;
    image.channelData(6).temp_coef = 0.001;
    SteamCalculator calc(image);
    calc.derive(3, 200.0);
    calc.derive(4, 1.0);
    const float base = static_cast<float>(100.0 * 0.069709f);
    const CalcValue analog = calc.derive(5, 100.0);
    EXPECT_FLOAT_EQ(*analog, base + (200.0 - 20.0) * base * 0.001f);

    image.channel(6).input_code = 9;  // digital: no correction
    calc.derive(3, 200.0);
    calc.derive(4, 1.0);
    EXPECT_EQ(calc.derive(5, 100.0), base);
}

TEST(SteamDerivation, OtherKindsAndUnreadableValues) {
    StationImage image = steamMeter();
    SteamCalculator calc(image);
    EXPECT_EQ(calc.derive(6, -12.345), -12.345f);
    EXPECT_EQ(calc.derive(7, 1e7), 1e7f);
    EXPECT_FALSE(calc.derive(7, kNaN));
    // An unreadable temperature or pressure stops the circuit's flow; an unreadable flow
    // is no value.
    EXPECT_FALSE(calc.derive(0, kNaN));
    EXPECT_EQ(calc.derive(2, 10.0), 0.0f);
    calc.derive(0, 200.0);
    EXPECT_FALSE(calc.derive(1, kInf));
    EXPECT_EQ(calc.derive(2, 10.0), 0.0f);
    EXPECT_FALSE(circuitFlow(calc, 200.0, 1.0, kNaN));
    EXPECT_FALSE(circuitFlow(calc, 200.0, 1.0, 1e300));
}

// Gas version: TP limits -20..60 °C, normal pressure 0,101325 MPa, water 998 kg/m³.
StationImage gasMeter() {
    StationImage image = steamMeter();
    image.meter.variant = 8;
    image.meter.mode_b = 8;
    image.meter.constants[0] = 60.0;
    image.meter.constants[1] = -20.0;
    image.meter.constants[8] = 0.101325;
    image.meter.constants[9] = 998.0;
    image.channelData(2).calib_water_temp = 0.8;  // K of channel 3
    image.channelData(3).calib_water_temp = 20.0;
    image.channelData(3).temp_coef = 0.002;
    return image;
}

TEST(GasFlow, DensityAndFlowByWaterWeight) {
    StationImage image = gasMeter();
    SteamCalculator calc(image);
    const double denominator = static_cast<float>((15.0 + 273.15) * 0.101325);
    const float density = static_cast<float>(0.8f * 0.5 * 273.15 / denominator);
    EXPECT_EQ(calc.gasDensity(3, 0.5, 15.0), density);
    EXPECT_GT(*calc.gasDensity(3, 0.5, 60.0), 0.0f);
    EXPECT_GT(*calc.gasDensity(3, 0.5, -20.0), 0.0f);
    EXPECT_EQ(calc.gasDensity(3, 0.5, 60.5), 0.0f);
    EXPECT_EQ(calc.gasDensity(3, 0.5, -20.5), 0.0f);

    const float m = static_cast<float>(std::sqrt(static_cast<double>(density) * 998.0));
    const double expected = 40.0 * m / 0.8f * ((15.0 - 20.0) * 0.002f + 1.0);
    EXPECT_FLOAT_EQ(*calc.gasFlow(3, 40.0, 0.5, 15.0), expected);
    // With mode_b 16..31 only channel 6 goes by the water weight, with 32..47 only channel 3.
    image.meter.mode_b = 8 + 16;
    EXPECT_EQ(calc.gasFlow(3, 40.0, 0.5, 15.0), static_cast<float>(density * 40.0));
    image.meter.mode_b = 8 + 32;
    EXPECT_FLOAT_EQ(*calc.gasFlow(3, 40.0, 0.5, 15.0), expected);
    image.meter.mode_b = 48;
    EXPECT_EQ(calc.gasFlow(3, 40.0, 0.5, 15.0), static_cast<float>(density * 40.0));

    // The views use the circuit's measured temperature and pressure for channels 3 and 6,
    // although the steam derivation finds 15 °C far below saturation.
    image.meter.mode_b = 8;
    const double sample[] = {15.0, 0.5, 40.0, 10.0, 0.4, 30.0};
    std::vector<CalcValue> shown;
    for (int c = 1; c <= 6; ++c) {
        shown.push_back(calc.sampleValue(c, sample[c - 1], true));
    }
    EXPECT_EQ(shown[0], 15.0f);
    EXPECT_EQ(shown[2], calc.gasFlow(3, 40.0, 0.5, 15.0));
    EXPECT_EQ(shown[5], calc.gasFlow(6, 30.0, 0.4, 10.0));
    EXPECT_EQ(calc.sampleValue(3, 40.0, false), 0.0f);  // the steam version's answer
}

TEST(GasFlow, WhatCannotBeComputedIsNoValue) {
    StationImage image = gasMeter();
    SteamCalculator calc(image);
    image.channelData(2).calib_water_temp = 0.0;  // a new station: K = 0
    EXPECT_EQ(calc.gasDensity(3, 0.5, 15.0), 0.0f);
    EXPECT_FALSE(calc.gasFlow(3, 40.0, 0.5, 15.0));
    image.channelData(2).calib_water_temp = -0.8;  // negative density under the root
    EXPECT_FALSE(calc.gasFlow(3, 40.0, 0.5, 15.0));
    image.channelData(2).calib_water_temp = 0.8;
    image.meter.constants[8] = 0.0;  // no normal pressure
    EXPECT_FALSE(calc.gasDensity(3, 0.5, 15.0));
    EXPECT_FALSE(calc.gasFlow(3, 40.0, 0.5, 15.0));
    image.meter.constants[8] = 0.101325;
    EXPECT_FALSE(calc.gasFlow(3, kNaN, 0.5, 15.0));
    EXPECT_FALSE(calc.gasDensity(3, kInf, 15.0));
    EXPECT_FALSE(calc.gasDensity(1, 0.5, 15.0));
}

}  // namespace
}  // namespace pelmo
