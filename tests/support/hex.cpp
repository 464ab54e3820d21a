#include "hex.h"

#include <cctype>
#include <cstdio>
#include <stdexcept>

namespace pelmo::test {

std::vector<std::uint8_t> fromHex(const std::string& text) {
    std::vector<std::uint8_t> out;
    int pending = -1;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            continue;
        }
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            throw std::invalid_argument("bad hex");
        }
        const int v = std::isdigit(static_cast<unsigned char>(c))
                          ? c - '0'
                          : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        if (pending < 0) {
            pending = v;
        } else {
            out.push_back(static_cast<std::uint8_t>(pending * 16 + v));
            pending = -1;
        }
    }
    if (pending >= 0) {
        throw std::invalid_argument("odd hex");
    }
    return out;
}

std::string toHex(std::span<const std::uint8_t> bytes) {
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
        out += buf;
    }
    return out;
}

std::vector<std::uint8_t> stationAnswer(std::span<const std::uint8_t> payload, std::uint8_t cls,
                                        std::uint8_t code) {
    std::vector<std::uint8_t> out{0x06, 0x01, cls, code, static_cast<std::uint8_t>(payload.size())};
    out.insert(out.end(), payload.begin(), payload.end());
    std::uint8_t sum = 0;
    std::uint8_t x = 0;
    for (std::size_t i = 1; i < out.size(); ++i) {
        sum = static_cast<std::uint8_t>(sum + out[i]);
        x ^= out[i];
    }
    out.push_back(sum);
    out.push_back(x);
    return out;
}

}  // namespace pelmo::test
