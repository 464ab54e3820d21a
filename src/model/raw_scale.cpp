#include "model/raw_scale.h"

#include <cfenv>
#include <cmath>

namespace pelmo {

double roundHalfEven(double value) {
    // nearbyint honours the current rounding mode; the program never leaves the default.
    return std::nearbyint(value);
}

double rawToValue(const definice_PV_udaj_rec& data, std::uint16_t raw) {
    if (raw == 0 || data.value_max == data.value_min) {
        return data.table_offset;
    }
    return data.value_min + raw * (data.value_max - data.value_min) / kRawScaleMax;
}

std::uint16_t valueToRaw(const definice_PV_udaj_rec& data, double value) {
    if (data.value_max == data.value_min) {
        return 0;
    }
    const double raw =
        roundHalfEven((value - data.value_min) * kRawScaleMax / (data.value_max - data.value_min));
    if (!(raw >= 0.0)) {
        return 0;
    }
    if (raw > 65535.0) {
        return 65535;
    }
    return static_cast<std::uint16_t>(raw);
}

}  // namespace pelmo
