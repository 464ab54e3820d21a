#pragma once

#include <cstdint>

#include "model/station_image.h"

namespace pelmo {

class Prompts;

// Station memory left for channel samples: what the station has, less its fixed part and
// six bytes per message record.
int freeStationMemory(const stanice_rec& station);

int channelMemoryTotal(const StationImage& image);

// Station memory above its fixed part: what messages and channels share.
std::int64_t stationMemoryTotal(const stanice_rec& station);
// Memory the station's message records take.
std::int64_t messageMemory(const stanice_rec& station);
// Memory of the channels in use (a channel out of use keeps no samples).
std::int64_t channelMemoryInUse(const StationImage& image);

// Shares the memory that channels with manual memory leave free among the channels with
// automatic memory, in proportion to their samples per hour, so that they all cover the
// same span of time.
void allocateAutomaticMemory(StationImage& image);

// The channel editor's memory check: whether `requested` bytes for channel n fit beside the
// memory of the other channels in use. When they fit, the channel's memory becomes
// `requested`; otherwise text 309 and the shortfall are shown as a warning.
bool checkChannelMemory(StationImage& image, int channel, std::int64_t requested, Prompts& prompts);

}  // namespace pelmo
