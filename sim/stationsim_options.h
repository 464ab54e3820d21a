#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/sim_faults.h"

namespace pelmo::sim {

struct StationOptions {
    int address = kDefaultBusAddress;
    int serial = 0;  // --serial: 0 keeps the default station's serial number
    FaultSettings faults;
};

// Command line of the stationsim program.
struct SimulatorOptions {
    std::vector<StationOptions> stations;  // one per --address, else the default station
    FaultSettings everyStation;            // --fault/--locked given before any --address
    bool fast = false;
    bool log = false;
    bool timing = false;
    bool help = false;
    bool version = false;
    std::string link;
    // --clock: the station clock's start (a time code); it then runs with the PC's clock.
    std::optional<std::uint32_t> clockStart;
};

// Arguments without the program name. False with a message for a bad command line.
bool parseSimulatorOptions(std::span<const std::string> args, SimulatorOptions& out,
                           std::string& error);
std::string simulatorUsage();

}  // namespace pelmo::sim
