#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "model/station_image.h"

namespace pelmo {

// How long a channel's memory lasts: days, hours and minutes of a span in seconds.
struct CapacitySplit {
    std::int64_t days = 0;
    int hours = 0;
    int minutes = 0;
};

// memory × interval in seconds; 0 for a channel out of use. 64-bit: 65535 bytes at 43200 s
// is far beyond 32 bits.
std::int64_t channelCapacitySeconds(const definice_PV_rec& channel);
CapacitySplit splitCapacity(std::int64_t seconds);
// "0d  16h  40m  " in the current language.
QString capacityText(std::int64_t seconds);

struct MemoryInfoRow {
    QString channel;   // "Ch. 1"
    QString bytes;     // memory in bytes, "0" for a channel out of use
    QString capacity;  // capacityText
};

// What the memory distribution window shows.
struct MemoryInfo {
    std::array<MemoryInfoRow, kChannelCount> rows;
    std::int64_t messages = 0;
    std::int64_t occupied = 0;
    std::int64_t total = 0;
    std::int64_t free = 0;
};

MemoryInfo memoryInfo(const StationImage& image);

}  // namespace pelmo
