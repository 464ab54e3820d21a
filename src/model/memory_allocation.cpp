#include "model/memory_allocation.h"

#include <cstdlib>

#include "base/prompts.h"
#include "base/texts.h"
#include "model/raw_scale.h"

namespace pelmo {

namespace {
constexpr int kFixedMemory = 3840;
constexpr int kBytesPerMessage = 6;

// A stored interval of 0 would divide by zero; it counts as one second, as the editor reads it.
float samplesPerHour(const definice_PV_rec& s) {
    return 3600.0f / static_cast<float>(s.interval == 0 ? 1 : s.interval);
}
}  // namespace

int freeStationMemory(const stanice_rec& station) {
    return station.memory_size - kFixedMemory - kBytesPerMessage * station.messages_total;
}

int channelMemoryTotal(const StationImage& image) {
    int total = 0;
    for (const auto& s : image.pv) {
        total += s.memory;
    }
    return total;
}

// 64-bit: a message count from a file is not bounded by anything the station can hold.
std::int64_t stationMemoryTotal(const stanice_rec& station) {
    return std::int64_t{station.memory_size} - kFixedMemory;
}

std::int64_t messageMemory(const stanice_rec& station) {
    return std::int64_t{kBytesPerMessage} * station.messages_total;
}

std::int64_t channelMemoryInUse(const StationImage& image) {
    std::int64_t total = 0;
    for (const auto& s : image.pv) {
        if (s.in_use != 0) {
            total += s.memory;
        }
    }
    return total;
}

void allocateAutomaticMemory(StationImage& image) {
    int manual = 0;
    float weight = 0.0f;
    for (const auto& s : image.pv) {
        if (s.in_use != 1) {
            continue;
        }
        if (s.auto_memory == 0) {
            manual += s.memory;
        } else {
            weight += samplesPerHour(s);
        }
    }
    if (weight == 0.0f) {
        weight = 1.0f;
    }
    const float free = static_cast<float>(freeStationMemory(image.station) - manual);
    const float k = free / weight;
    for (auto& s : image.pv) {
        if (s.in_use != 1 || s.auto_memory == 0) {
            continue;
        }
        const double m = roundHalfEven(static_cast<double>(samplesPerHour(s) * k));
        // No memory left must give 0, not a wrapped 16-bit value.
        s.memory = static_cast<std::uint16_t>(m < 0.0 ? 0.0 : (m > 65535.0 ? 65535.0 : m));
    }
}

bool checkChannelMemory(StationImage& image, int channel, std::int64_t requested,
                        Prompts& prompts) {
    std::int64_t used = 0;
    for (int n = 1; n <= kChannelCount; ++n) {
        if (n != channel && image.channel(n).in_use == 1) {
            used += image.channel(n).memory;
        }
    }
    const std::int64_t left = freeStationMemory(image.station) - used;
    // A 16-bit memory field cannot hold more; no station offers that much anyway.
    if (left < requested || requested > 0xFFFF) {
        prompts.warning(txt(kTextMemorySizeExceeded) +
                        QStringLiteral("( %1B )").arg(std::llabs(left - requested)));
        return false;
    }
    image.channel(channel).memory = static_cast<std::uint16_t>(requested);
    return true;
}

}  // namespace pelmo
