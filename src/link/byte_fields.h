#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace pelmo {

// Reads little-endian fields out of untrusted bytes. Everything beyond the end reads as 0,
// which is how a field past the end of a short answer decodes.
class FieldReader {
public:
    explicit FieldReader(std::span<const std::uint8_t> bytes, std::size_t base = 0)
        : bytes_(bytes), base_(base) {}

    bool has(std::size_t offset) const { return base_ + offset < bytes_.size(); }
    std::uint8_t u8(std::size_t offset) const;
    std::uint16_t u16(std::size_t offset) const;
    std::uint32_t u32(std::size_t offset) const;
    double f32(std::size_t offset) const;
    double f64(std::size_t offset) const;
    // Fixed-width station text: trailing blanks and NULs dropped, F8h turned into B0h.
    std::string text(std::size_t offset, std::size_t width) const;
    // The same bytes without trimming or degree-sign conversion.
    std::string raw(std::size_t offset, std::size_t width) const;

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t base_;
};

// Writes little-endian fields into a payload; writes past the end are dropped (the
// payloads are sized by the request table, so that never happens in practice).
class FieldWriter {
public:
    explicit FieldWriter(std::span<std::uint8_t> bytes) : bytes_(bytes) {}

    void u8(std::size_t offset, std::uint32_t value);
    void u16(std::size_t offset, std::uint32_t value);
    void u32(std::size_t offset, std::uint32_t value);
    void u32be(std::size_t offset, std::uint32_t value);
    // False when a finite double is too large for single precision; NaN and the infinities
    // are written as their single-precision bit patterns.
    [[nodiscard]] bool f32(std::size_t offset, double value);
    void f64(std::size_t offset, double value);
    // B0h becomes F8h, then the text is padded with `pad` and cut to the width.
    void text(std::size_t offset, std::size_t width, const std::string& value, char pad = ' ');
    void bytes(std::size_t offset, std::span<const std::uint8_t> values);

private:
    std::span<std::uint8_t> bytes_;
};

// The station's degree sign is F8h; the program's code page has it at B0h.
std::string toStationText(std::string text);
std::string fromStationText(std::string text);

bool fitsSingle(double value);

}  // namespace pelmo
