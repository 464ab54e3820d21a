#include "link/byte_fields.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace pelmo {

namespace {
constexpr char kProgramDegree = '\xB0';
constexpr char kStationDegree = '\xF8';
}  // namespace

std::uint8_t FieldReader::u8(std::size_t offset) const {
    return has(offset) ? bytes_[base_ + offset] : 0;
}

std::uint16_t FieldReader::u16(std::size_t offset) const {
    return static_cast<std::uint16_t>(u8(offset) | (u8(offset + 1) << 8));
}

std::uint32_t FieldReader::u32(std::size_t offset) const {
    return static_cast<std::uint32_t>(u16(offset)) |
           (static_cast<std::uint32_t>(u16(offset + 2)) << 16);
}

double FieldReader::f32(std::size_t offset) const {
    return static_cast<double>(std::bit_cast<float>(u32(offset)));
}

double FieldReader::f64(std::size_t offset) const {
    const std::uint64_t bits = static_cast<std::uint64_t>(u32(offset)) |
                               (static_cast<std::uint64_t>(u32(offset + 4)) << 32);
    return std::bit_cast<double>(bits);
}

std::string FieldReader::raw(std::size_t offset, std::size_t width) const {
    std::string out;
    for (std::size_t i = 0; i < width && has(offset + i); ++i) {
        out.push_back(static_cast<char>(u8(offset + i)));
    }
    return out;
}

std::string FieldReader::text(std::size_t offset, std::size_t width) const {
    std::string out = raw(offset, width);
    while (!out.empty() && (out.back() == ' ' || out.back() == '\0')) {
        out.pop_back();
    }
    return fromStationText(std::move(out));
}

void FieldWriter::u8(std::size_t offset, std::uint32_t value) {
    if (offset < bytes_.size()) {
        bytes_[offset] = static_cast<std::uint8_t>(value & 0xFF);
    }
}

void FieldWriter::u16(std::size_t offset, std::uint32_t value) {
    u8(offset, value);
    u8(offset + 1, value >> 8);
}

void FieldWriter::u32(std::size_t offset, std::uint32_t value) {
    u16(offset, value & 0xFFFF);
    u16(offset + 2, value >> 16);
}

void FieldWriter::u32be(std::size_t offset, std::uint32_t value) {
    u8(offset, value >> 24);
    u8(offset + 1, value >> 16);
    u8(offset + 2, value >> 8);
    u8(offset + 3, value);
}

bool FieldWriter::f32(std::size_t offset, double value) {
    // NaN and the infinities come from the station itself and go back as they came; only a
    // finite value beyond single precision has no counterpart.
    if (std::isfinite(value) && !fitsSingle(value)) {
        return false;
    }
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(static_cast<float>(value));
    u16(offset, bits & 0xFFFF);
    u16(offset + 2, bits >> 16);
    return true;
}

void FieldWriter::f64(std::size_t offset, double value) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    for (std::size_t i = 0; i < 8; ++i) {
        u8(offset + i, static_cast<std::uint32_t>(bits >> (8 * i)));
    }
}

void FieldWriter::text(std::size_t offset, std::size_t width, const std::string& value, char pad) {
    std::string station = toStationText(value);
    station.resize(width, pad);
    for (std::size_t i = 0; i < width; ++i) {
        u8(offset + i, static_cast<std::uint8_t>(station[i]));
    }
}

void FieldWriter::bytes(std::size_t offset, std::span<const std::uint8_t> values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        u8(offset + i, values[i]);
    }
}

std::string toStationText(std::string text) {
    std::replace(text.begin(), text.end(), kProgramDegree, kStationDegree);
    return text;
}

std::string fromStationText(std::string text) {
    std::replace(text.begin(), text.end(), kStationDegree, kProgramDegree);
    return text;
}

bool fitsSingle(double value) {
    return std::isfinite(value) && std::fabs(value) <= std::numeric_limits<float>::max();
}

}  // namespace pelmo
