#pragma once

#include <cstdint>
#include <optional>

namespace pelmo {

struct definice_meridla_rec;

// Compiled-in water steam tables and their stateless lookups. Temperatures in °C, absolute
// pressures in MPa, densities in kg/m³. Arguments beyond a table are extrapolated linearly
// from its outermost interval.
//
// Every lookup answers std::nullopt ("no value") instead of NaN or infinity: for an argument
// that is not finite, or when the result would not be finite.

inline constexpr int kSaturationPairs = 32;
inline constexpr int kDensityRows = 11;     // temperatures
inline constexpr int kDensityColumns = 20;  // pressures

// Saturation table, ascending in both columns.
extern const double kSaturationPressure[kSaturationPairs];
extern const double kSaturationTemperature[kSaturationPairs];
// ω(t, p) = √(ρ ÷ 1000) on the grid kDensityTemperature × kDensityPressure.
extern const double kDensityTemperature[kDensityRows];
extern const double kDensityPressure[kDensityColumns];
extern const double kDensityOmega[kDensityRows][kDensityColumns];
// Curvature of the pressure interval [P_j, P_j+1], index j - 1.
extern const double kDensityCurvature[kDensityColumns - 1];

// Saturation temperature of pressure p, plain table lookup (no limits).
std::optional<double> saturationTemperatureOf(double p);
// Saturation pressure of temperature t, the reverse lookup.
std::optional<double> saturationPressureOf(double t);

// ω(t, p) interpolated on the density grid, with the curvature correction of the pressure
// interval; not adjusted for a measurement method.
std::optional<double> steamOmega(double p, double t);

// How a circuit's flow meter works, as the density lookup adjusts for it.
enum class DensityMethod : int {
    Volume = 0,  // ω becomes the density 1000 × ω² in kg/m³
    Mass = 1,    // ω as it is
    Direct = 2,  // direct and indirect: 1
};
// Circuit 1 or 2: Direct when its bit in mode_a is set, else Volume when its bit in mode_b
// is set, else Mass.
DensityMethod densityMethod(const definice_meridla_rec& meter, int circuit);
// ω adjusted by the method.
double applyDensityMethod(double omega, DensityMethod method);

// Channels a meter variant uses, bit k - 1 standing for channel k; 0 for an unknown variant.
std::uint8_t variantChannelMask(int variant);
bool variantUsesChannel(int variant, int channel);

}  // namespace pelmo
