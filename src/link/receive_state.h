#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace pelmo {

// Bytes received from the bus since the engine's last reset. Bytes past the 256th of one
// exchange are counted but not kept, so nothing is ever written past the buffer.
class ReceiveState {
public:
    static constexpr std::size_t kCapacity = 256;

    // The one way received bytes enter the program.
    void append(std::span<const std::uint8_t> bytes);
    // Clears buffer, length and hexadecimal text; the receive count stays.
    void reset();

    std::span<const std::uint8_t> bytes() const { return {buffer_.data(), length_}; }
    int length() const { return static_cast<int>(length_); }
    // Two lowercase hexadecimal digits per kept byte.
    const std::string& text() const { return text_; }
    std::uint8_t at(std::size_t i) const { return i < kCapacity ? buffer_[i] : 0; }

    // Progress counter that windows show; only they reset it.
    int count() const { return count_; }
    void setCount(int value) { count_ = value; }
    // Bytes of the current exchange that did not fit.
    int overflow() const { return overflow_; }

private:
    std::array<std::uint8_t, kCapacity> buffer_{};
    std::size_t length_ = 0;
    std::string text_;
    int count_ = 0;
    int overflow_ = 0;
};

}  // namespace pelmo
