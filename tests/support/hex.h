#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pelmo::test {

// "01 40 0E" -> bytes; blanks are ignored.
std::vector<std::uint8_t> fromHex(const std::string& text);
std::string toHex(std::span<const std::uint8_t> bytes);

// An answer as a station sends it: 06h, then 01h, two header bytes, a length byte, the
// payload and the SUM/XOR trailer over the datagram.
std::vector<std::uint8_t> stationAnswer(std::span<const std::uint8_t> payload,
                                        std::uint8_t cls = 0x02, std::uint8_t code = 0x00);

}  // namespace pelmo::test
