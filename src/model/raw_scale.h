#pragma once

#include <cstdint>

#include "model/station_image.h"

namespace pelmo {

inline constexpr int kRawScaleMax = 65534;

// Reals to stored integers: nearest, halves to the even neighbour.
double roundHalfEven(double value);

// Channel limits and range ends travel as 0..65534 spread over the value range.
double rawToValue(const definice_PV_udaj_rec& data, std::uint16_t raw);
// Result is clamped into the 16-bit field so an out-of-range value cannot wrap.
std::uint16_t valueToRaw(const definice_PV_udaj_rec& data, double value);

}  // namespace pelmo
