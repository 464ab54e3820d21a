#pragma once

#include <array>
#include <optional>

#include "model/station_image.h"

namespace pelmo {

// Result of a calculation: std::nullopt is "no value" (shown as "------" or "   ---"), given
// whenever the figure cannot be computed (an argument or the result not finite, a division
// by zero, a negative square root). Never NaN or infinity.
using CalcValue = std::optional<float>;

// Fixed figures of the derivation, shown as they are: 99 for a saturation temperature asked
// outside the pressure limits; 10000000 for the pressure channel of a circuit without a flow
// channel and for a flow whose circuit temperature or pressure is exactly 0.
inline constexpr float kSaturationOutOfLimits = 99.0f;
inline constexpr float kNoFlowChannelPressure = 10000000.0f;

// Steam and gas properties of the station image's meter, and the live derivation that turns
// a circuit's recorded temperature, pressure and flow into the flow the station computes.
//
// The derivation keeps state between calls (the circuit's temperature and pressure, the last
// saturation values, the in-range flag), so a sample must be fed channel by channel in
// ascending order: temperature and pressure before the flow of the same circuit. Whoever
// derives makes a calculator of its own over the station image it shows.
//
// Results are single precision as the station computes them; the work between is double.
class SteamCalculator {
public:
    explicit SteamCalculator(const StationImage& image);

    // Forgets the derivation state (T, p, last values, in-range flag).
    void reset();

    // Saturation temperature of pressure p; kSaturationOutOfLimits (99) when p lies above
    // PP max or below PP min (constants 7 and 8). Becomes the last saturation temperature.
    CalcValue saturationTemperature(double p);
    // The same with the caller's limits instead of the meter's.
    CalcValue saturationTemperature(double p, double minPressure, double maxPressure);
    // Saturation pressure of temperature t, without limits. Becomes the last saturation
    // pressure.
    CalcValue saturationPressure(double t);

    // ω(t, p); for kind 2 (circuit 1) and kind 5 (circuit 2) adjusted by the circuit's
    // measurement method: volume gives the density 1000 × ω² in kg/m³, direct and indirect
    // give 1, mass leaves ω. The adjusted double, before rounding, becomes the last density.
    CalcValue density(int kind, double p, double t);

    // Live derivation of channel kind + 1's physical value x (kinds 0..5: temperature,
    // pressure, flow of circuit 1, then of circuit 2); returns the value to show. Kinds 6 and
    // 7 (and any other) return x unchanged.
    CalcValue derive(int kind, double x);

    // Gas version, channel c = 3 or 6: the gas density at p and t, 0 outside the gas
    // temperature limits (constants 1 and 2).
    CalcValue gasDensity(int channel, double p, double t);
    // Gas version: the flow of channel c from its value x at p and t.
    CalcValue gasFlow(int channel, double x, double p, double t);

    // One recorded or live channel value (channel 1..8) as the data views show it: in the gas
    // version the flow channels 3 and 6 use gasFlow at the last measured pressure and
    // temperature of their circuit (channels 2 and 1, or 5 and 4); every other channel, and
    // every channel in the steam version, derive(channel - 1, x).
    CalcValue sampleValue(int channel, double x, bool gasVersion);

    // The derivation state, for display and tests.
    double temperature() const { return temperature_; }
    double pressure() const { return pressure_; }
    bool inRange() const { return inRange_; }
    CalcValue lastSaturationTemperature() const { return lastSaturationTemperature_; }
    CalcValue lastSaturationPressure() const { return lastSaturationPressure_; }
    std::optional<double> lastDensity() const { return lastDensity_; }

private:
    void refreshCopies();
    double constant(int number) const { return image_.meter.constants[number - 1]; }
    CalcValue derivePressure(int kind, double x);
    CalcValue deriveFlow(int kind, double x);

    const StationImage& image_;
    double temperature_ = 0.0;
    double pressure_ = 0.0;
    CalcValue lastSaturationTemperature_;
    CalcValue lastSaturationPressure_;
    std::optional<double> lastDensity_;
    bool inRange_ = false;
    // Measured temperature and pressure of circuits 1 and 2, for the gas flow. The steam
    // state above does not serve: its pressure follows the steam saturation line.
    std::array<double, 2> gasTemperature_{};
    std::array<double, 2> gasPressure_{};
    // Single-precision copies, refreshed on every call of the derivation and the gas figures.
    float saturationBand_ = 0.0f;
    std::array<float, kChannelCount> calibWaterTemp_{};
    std::array<float, kChannelCount> tempCoef_{};
};

// The steam density ρ = 1000 × ω² in kg/m³ at p and t, from ω in single precision and
// rounded as the flow conversion rounds it.
CalcValue steamDensity(double p, double t);

// A value as single precision, or no value when it is not finite there.
CalcValue toCalcValue(double v);

}  // namespace pelmo
