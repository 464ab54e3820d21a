#pragma once

#include "model/station_image.h"

namespace pelmo {

// Station memory left for channel samples: what the station has, less its fixed part and
// six bytes per message record.
int freeStationMemory(const stanice_rec& station);

int channelMemoryTotal(const StationImage& image);

// Shares the memory that channels with manual memory leave free among the channels with
// automatic memory, in proportion to their samples per hour, so that they all cover the
// same span of time.
void allocateAutomaticMemory(StationImage& image);

}  // namespace pelmo
