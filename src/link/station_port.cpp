#include "link/station_port.h"

namespace pelmo {

void StationPort::deliver(std::span<const std::uint8_t> data) {
    if (data.empty()) {
        return;
    }
    if (observer_) {
        observer_(false, data);
    }
    if (receiveHandler_) {
        receiveHandler_(data);
    }
}

void StationPort::noteWritten(std::span<const std::uint8_t> data) {
    if (observer_) {
        observer_(true, data);
    }
}

}  // namespace pelmo
