#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "link/station_port.h"

namespace pelmo {

// A port whose far end lives in this process: a scripted test peer or the station
// simulator. Writes reach the peer at once; the peer answers through deliverToHost
// whenever it likes (at once, or later to model delays).
class InProcessPort final : public StationPort {
public:
    using Peer = std::function<void(std::span<const std::uint8_t>)>;

    void setPeer(Peer peer) { peer_ = std::move(peer); }

    bool open() override;
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }

    void deliverToHost(std::span<const std::uint8_t> data) { deliver(data); }

    // Every block the host wrote, in order.
    const std::vector<std::vector<std::uint8_t>>& writes() const { return writes_; }
    void clearWrites() { writes_.clear(); }
    // Makes open() and write() fail, as a missing device would.
    void setFailing(bool failing) { failing_ = failing; }

protected:
    bool transmit(std::span<const std::uint8_t> data) override;

private:
    Peer peer_;
    std::vector<std::vector<std::uint8_t>> writes_;
    bool open_ = false;
    bool failing_ = false;
};

}  // namespace pelmo
