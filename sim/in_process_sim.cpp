#include "sim/in_process_sim.h"

namespace pelmo::sim {

InProcessSim::InProcessSim(SimBus& bus, InProcessPort& port) : bus_(bus), port_(port) {
    port_.setPeer([this](std::span<const std::uint8_t> bytes) { fromHost(bytes); });
    // The line's timing runs on this link's time, which the test moves on.
    port_.setClock([this] { return now_ * 1000; });
}

InProcessSim::~InProcessSim() {
    port_.setPeer({});
    port_.setClock({});
}

void InProcessSim::fromHost(std::span<const std::uint8_t> bytes) {
    lastByte_ = now_;
    for (Reply& reply : bus_.receive(bytes)) {
        if (paced_) {
            const auto wireUs =
                static_cast<std::int64_t>(bytes.size() + reply.bytes.size()) * kCharacterUs;
            reply.delayMs += static_cast<int>((wireUs + 999) / 1000);
        }
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
