#pragma once

#include <cstdint>

#include "link/in_process_port.h"
#include "sim/sim_bus.h"

namespace pelmo::sim {

// Puts a simulated bus behind an in-process port. Answers reach the host at once, or, when a
// station delays them, once the test has moved this link's time on far enough. Nothing here
// waits for real time.
class InProcessSim {
public:
    // A pause this long between bytes ends a half-received request (about four characters
    // at 9600 Bd).
    static constexpr int kFrameGapMs = 5;

    InProcessSim(SimBus& bus, InProcessPort& port);
    ~InProcessSim();
    InProcessSim(const InProcessSim&) = delete;
    InProcessSim& operator=(const InProcessSim&) = delete;

    // Paced: each answer is due once the request and the answer have crossed the line at
    // 9600 Bd, as on a real line (off: at once, unless a station delays it).
    void setPaced(bool paced) { paced_ = paced; }

    // Moves the link's time on by `ms` and delivers the answers that became due.
    void advance(int ms);
    std::int64_t elapsedMs() const { return now_; }
    std::size_t heldBack() const { return schedule_.size(); }

private:
    void fromHost(std::span<const std::uint8_t> bytes);

    SimBus& bus_;
    InProcessPort& port_;
    ReplySchedule schedule_;
    std::int64_t now_ = 0;
    std::int64_t lastByte_ = 0;
    bool paced_ = false;
};

}  // namespace pelmo::sim
