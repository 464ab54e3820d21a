#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/station_image.h"
#include "sim/steam_model.h"

namespace pelmo::sim {

// Label (16 bytes) and unit (4 bytes) of one archived quantity, Windows-1250.
struct ArchiveLabel {
    std::string label;
    std::string unit;
};

// One record of the station's message log.
struct MessageRecord {
    std::uint32_t time = 0;
    std::uint8_t detail = 0;
    std::uint8_t type = 0;
};

inline constexpr std::uint8_t kMessagePowerOff = 3;
inline constexpr std::uint8_t kMessagePowerOn = 4;
inline constexpr std::uint8_t kMessageMeasuringStarted = 14;

// Everything a simulated station starts with. The configuration is kept as a station image
// so that the station's blocks come out of the program's own encoders.
struct StationContent {
    StationImage image;  // cmos, meter, channels and station definition
    CmosIdentity cmosIdentity{};
    std::uint8_t secondVersionByte = 0;
    std::array<ArchiveLabel, kQuantityCount> archive;
    std::vector<MessageRecord> messages;  // oldest first
    std::uint32_t meteringSince = 0;      // origin of the accumulated quantities
    std::uint32_t lastProgrammed = 0;
    std::uint32_t partialSince = 0;
    std::uint32_t monitoringSince = 0;  // recording of monitoring samples began
    std::uint32_t maximumTime = 0;      // time of circuit 1's fifteen-minute maximum
    float maximumValue = 0.0f;
};

// The steam station every simulator starts with, at bus `address`, with its clock at `now`.
StationContent defaultStation(int address, std::uint32_t now);

// CMOS identity bytes 0..31 of a hardware record: input cards, version, prescalers.
CmosIdentity cmosIdentityFor(const CMOS_rec& cmos, std::uint8_t firstVersionByte);

}  // namespace pelmo::sim
