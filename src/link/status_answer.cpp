#include "link/status_answer.h"

namespace pelmo {

namespace {
constexpr std::size_t kClockOffset = 21;
}  // namespace

std::optional<std::uint32_t> stationClockFromStatus(std::span<const std::uint8_t> answer) {
    if (answer.size() < kClockOffset + 4) {
        return std::nullopt;
    }
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        v |= static_cast<std::uint32_t>(answer[kClockOffset + i]) << (8 * i);
    }
    return v;
}

}  // namespace pelmo
