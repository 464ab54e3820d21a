#include "model/station_image.h"

#include <cassert>

namespace pelmo {

std::int32_t CMOS_rec::prescaler(int input) const {
    switch (input) {
        case 1:
            return freq_prescaler_1;
        case 2:
            return freq_prescaler_2;
        case 3:
            return freq_prescaler_3;
        case 4:
            return freq_prescaler_4;
        default:
            return 0;
    }
}

definice_PV_rec& StationImage::channel(int n) {
    assert(n >= 1 && n <= kChannelCount);
    return pv.at(static_cast<std::size_t>(n - 1));
}

const definice_PV_rec& StationImage::channel(int n) const {
    assert(n >= 1 && n <= kChannelCount);
    return pv.at(static_cast<std::size_t>(n - 1));
}

definice_PV_udaj_rec& StationImage::channelData(int n) {
    assert(n >= 1 && n <= kChannelCount);
    return pv_data.at(static_cast<std::size_t>(n - 1));
}

const definice_PV_udaj_rec& StationImage::channelData(int n) const {
    assert(n >= 1 && n <= kChannelCount);
    return pv_data.at(static_cast<std::size_t>(n - 1));
}

void clearChannel(definice_PV_rec& settings, definice_PV_udaj_rec& data) {
    settings = definice_PV_rec{};
    data = definice_PV_udaj_rec{};
}

void resetNewStation(StationImage& image) {
    image.meter = definice_meridla_rec{};
    image.station.name.clear();
    image.station.meter_name.clear();
    image.station.net_address = 0;
    image.station.messages_total = 0;
    for (int n = 1; n <= kChannelCount; ++n) {
        clearChannel(image.channel(n), image.channelData(n));
    }
}

bool isFrequencyInput(std::uint8_t input_code) {
    return input_code >= 32 && input_code <= 35;
}

std::uint16_t frequencyDivider(const CMOS_rec& cmos, std::uint8_t input_code) {
    if (!isFrequencyInput(input_code)) {
        return 1;
    }
    const std::int32_t p = cmos.prescaler(input_code - 31);
    if (p < 1 || p > 15) {
        return 1;
    }
    return static_cast<std::uint16_t>(1u << (p - 1));
}

}  // namespace pelmo
