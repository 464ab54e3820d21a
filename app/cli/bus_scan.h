#pragma once

#include <functional>
#include <vector>

#include "model/station_image.h"
#include "operations/command_line.h"

namespace pelmo::cli {

class Session;

// --from and --to (1..251, from not above to), defaulting to the whole search range; false
// after the refusal and the usage were printed.
bool readAddressRange(const CommandOptions& options, int& first, int& last);

// Searches first..last on the session's port and returns the stations found, by address;
// `found` hears of each as it is found. The station image's address list holds them
// afterwards too. The progress line follows the probe.
std::vector<TAddressList> scanBus(Session& session, int first, int last,
                                  const std::function<void(const TAddressList&)>& found = {});

}  // namespace pelmo::cli
