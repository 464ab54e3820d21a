#include "hex.h"

#include <algorithm>
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
    // Sized once and filled by index: GCC 12 at -O2 misreads an initializer list followed by
    // an insert as an out-of-bounds copy.
    std::vector<std::uint8_t> out(5 + payload.size() + 2);
    out[0] = 0x06;
    out[1] = 0x01;
    out[2] = cls;
    out[3] = code;
    out[4] = static_cast<std::uint8_t>(payload.size());
    std::copy(payload.begin(), payload.end(), out.begin() + 5);
    const std::size_t trailer = out.size() - 2;
    std::uint8_t sum = 0;
    std::uint8_t x = 0;
    for (std::size_t i = 1; i < trailer; ++i) {
        sum = static_cast<std::uint8_t>(sum + out[i]);
        x ^= out[i];
    }
    out[trailer] = sum;
    out[trailer + 1] = x;
    return out;
}

}  // namespace pelmo::test
