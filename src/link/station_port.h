#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace pelmo {

// Line state for the console's status lights.
struct LineStatus {
    bool open = false;
    bool dsr = false;
    bool cts = false;
    bool error = false;
};

// The bus as the engine sees it: blocks go out, received bytes come back through the
// receive handler. Implemented by the real serial port and by in-process links.
class StationPort {
public:
    using ReceiveHandler = std::function<void(std::span<const std::uint8_t>)>;
    using TrafficObserver = std::function<void(bool outgoing, std::span<const std::uint8_t>)>;

    virtual ~StationPort() = default;

    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Opens the port first when it is closed.
    virtual bool write(std::span<const std::uint8_t> data) = 0;
    virtual LineStatus lineStatus() const { return {isOpen(), false, false, false}; }
    // Delivers now what has already arrived but waits for the event loop, so that the
    // engine sees every byte received before it resets or polls.
    virtual void deliverArrived() {}

    void setReceiveHandler(ReceiveHandler handler) { receiveHandler_ = std::move(handler); }
    // Sees every byte written and received, e.g. for a traffic log or a trace.
    void setTrafficObserver(TrafficObserver observer) { observer_ = std::move(observer); }

protected:
    void deliver(std::span<const std::uint8_t> data);
    void noteWritten(std::span<const std::uint8_t> data);

private:
    ReceiveHandler receiveHandler_;
    TrafficObserver observer_;
};

}  // namespace pelmo
