#include "link/receive_state.h"

namespace pelmo {

void ReceiveState::append(std::span<const std::uint8_t> bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    for (std::uint8_t b : bytes) {
        ++count_;
        if (length_ >= kCapacity) {
            ++overflow_;
            continue;
        }
        buffer_[length_++] = b;
        text_.push_back(kHex[b >> 4]);
        text_.push_back(kHex[b & 0x0F]);
    }
}

void ReceiveState::reset() {
    buffer_.fill(0);
    length_ = 0;
    text_.clear();
    overflow_ = 0;
}

}  // namespace pelmo
