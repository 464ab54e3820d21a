#pragma once

#include <cstdint>
#include <optional>

#include "calc/steam_calculator.h"
#include "model/station_image.h"

namespace pelmo {

// The steam station shows a circuit's pressure this much lower (channel 2 or 5) in the
// meter variants for which steamPressureCorrected() holds; recorded and live values follow it.
inline constexpr double kSteamPressureCorrection = 0.1;
bool steamPressureCorrected(int channel, int variant);

// Turns sample bytes into the values the operator reads: the channel's range, then the
// circuit evaluation and, in the steam version, the station's display correction. Feed it
// the channels of one moment in ascending order: a circuit's flow needs the temperature and
// pressure given before it.
class SampleEvaluator {
public:
    // `version` is the program version setting: 0 steam, 1 gas.
    SampleEvaluator(const StationImage& image, int version);

    // Nothing when the channel has no table, the byte marks a missing sample or the circuit
    // evaluation gives no value.
    std::optional<double> operator()(int channel, std::uint8_t sample);

    // The channel's physical value of a valid sample byte: value_min at 3, value_max at 253.
    static double rangeValue(const definice_PV_udaj_rec& data, std::uint8_t sample);

private:
    const StationImage& image_;
    int version_;
    SteamCalculator calculator_;
};

}  // namespace pelmo
