#include "link/in_process_port.h"

namespace pelmo {

bool InProcessPort::open() {
    if (failing_) {
        return false;
    }
    open_ = true;
    return true;
}

bool InProcessPort::transmit(std::span<const std::uint8_t> data) {
    if (!open_ && !open()) {
        return false;
    }
    writes_.emplace_back(data.begin(), data.end());
    noteWritten(data);
    if (peer_) {
        peer_(data);
    }
    return true;
}

}  // namespace pelmo
