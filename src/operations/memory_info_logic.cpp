#include "operations/memory_info_logic.h"

#include "base/texts.h"
#include "model/memory_allocation.h"

namespace pelmo {

namespace {
constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kSecondsPerHour = 3600;
constexpr std::int64_t kSecondsPerMinute = 60;
}  // namespace

std::int64_t channelCapacitySeconds(const definice_PV_rec& channel) {
    if (channel.in_use == 0) {
        return 0;
    }
    return std::int64_t{channel.memory} * std::int64_t{channel.interval};
}

CapacitySplit splitCapacity(std::int64_t seconds) {
    CapacitySplit split;
    split.days = seconds / kSecondsPerDay;
    split.hours = static_cast<int>(seconds % kSecondsPerDay / kSecondsPerHour);
    split.minutes = static_cast<int>(seconds % kSecondsPerHour / kSecondsPerMinute);
    return split;
}

QString capacityText(std::int64_t seconds) {
    const CapacitySplit s = splitCapacity(seconds);
    return QString::number(s.days) + txt(kTextD) + QString::number(s.hours) + txt(kTextH) +
           QString::number(s.minutes) + txt(kTextM);
}

MemoryInfo memoryInfo(const StationImage& image) {
    MemoryInfo info;
    for (int n = 1; n <= kChannelCount; ++n) {
        const definice_PV_rec& s = image.channel(n);
        MemoryInfoRow& row = info.rows[static_cast<std::size_t>(n - 1)];
        row.channel = QStringLiteral("Ch. ") + QString::number(n);
        row.bytes = QString::number(s.in_use != 0 ? s.memory : 0);
        row.capacity = capacityText(channelCapacitySeconds(s));
    }
    const std::int64_t channels = channelMemoryInUse(image);
    info.messages = messageMemory(image.station);
    info.occupied = info.messages + channels;
    info.total = stationMemoryTotal(image.station);
    info.free = info.total - info.messages - channels;
    return info;
}

}  // namespace pelmo
