#include "sim/in_process_sim.h"

namespace pelmo::sim {

InProcessSim::InProcessSim(SimBus& bus, InProcessPort& port) : bus_(bus), port_(port) {
    port_.setPeer([this](std::span<const std::uint8_t> bytes) { fromHost(bytes); });
}

InProcessSim::~InProcessSim() {
    port_.setPeer({});
}

void InProcessSim::fromHost(std::span<const std::uint8_t> bytes) {
    lastByte_ = now_;
    for (Reply& reply : bus_.receive(bytes)) {
        schedule_.add(std::move(reply), now_);
    }
    const auto due = schedule_.takeDue(now_);
    if (!due.empty()) {
        port_.deliverToHost(due);
    }
}

void InProcessSim::advance(int ms) {
    now_ += ms;
    if (bus_.hasPartial() && now_ - lastByte_ >= kFrameGapMs) {
        bus_.lineIdle();
    }
    const auto due = schedule_.takeDue(now_);
    if (!due.empty()) {
        port_.deliverToHost(due);
    }
}

}  // namespace pelmo::sim
