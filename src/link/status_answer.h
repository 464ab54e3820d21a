#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace pelmo {

// The station clock carried by a READ_STATUS answer: seconds since 1980-01-01 00:00:00,
// little-endian in answer bytes 21..24. Nothing when the answer is too short to hold it.
std::optional<std::uint32_t> stationClockFromStatus(std::span<const std::uint8_t> answer);

}  // namespace pelmo
