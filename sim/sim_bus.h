#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "sim/sim_station.h"

namespace pelmo::sim {

enum class BusEventKind {
    Request,      // a framed request with a correct trailer
    Answer,       // bytes a station sends back
    Acknowledge,  // the host's 06h between exchanges
    Ignored,      // stray bytes, an unknown request or one with a wrong trailer
};

struct BusEvent {
    BusEventKind kind;
    std::span<const std::uint8_t> bytes;
    int address = 0;  // the station concerned, 0 for none
};

// Several stations on one RS-485 line. Takes the host's byte stream in whatever pieces it
// arrives, frames requests by class, code and length byte, checks their trailers and hands
// each to the station it concerns. A station only talks after a COMM with its address
// opened a session, and END_COMM closes it; the other stations stay silent.
class SimBus {
public:
    explicit SimBus(SimClock clock = {});

    // A station with the default content at `address`; references stay valid.
    SimStation& addStation(int address);
    // A station with the given content (another serial number, say).
    SimStation& addStation(int address, const StationContent& content);
    SimStation* station(int address);
    const std::vector<std::unique_ptr<SimStation>>& stations() const { return stations_; }
    SimStation* session() const { return session_; }

    // Bytes written by the host; returns the answers in the order they leave the stations.
    std::vector<Reply> receive(std::span<const std::uint8_t> bytes);
    // The line has been quiet for longer than a frame may pause: a half-received request is
    // dropped, as a station's frame timer would.
    void lineIdle();
    bool hasPartial() const { return !pending_.empty(); }

    void setObserver(std::function<void(const BusEvent&)> observer) {
        observer_ = std::move(observer);
    }

private:
    enum class Frame { Complete, Incomplete, Invalid };
    Frame frameAt(std::size_t pos, std::size_t& length) const;
    bool validFrameAt(std::size_t pos) const;
    void drop(std::size_t n, BusEventKind kind);
    void dispatch(std::span<const std::uint8_t> request, std::vector<Reply>& replies);
    void note(BusEventKind kind, std::span<const std::uint8_t> bytes, int address) const;

    SimClock clock_;
    std::vector<std::unique_ptr<SimStation>> stations_;
    SimStation* session_ = nullptr;
    std::deque<std::uint8_t> pending_;
    std::function<void(const BusEvent&)> observer_;
};

// Answers waiting for their delay to pass, in the order they were sent.
class ReplySchedule {
public:
    void add(Reply reply, std::int64_t nowMs);
    // Bytes whose time has come, oldest first; `count` gets how many answers they are.
    std::vector<std::uint8_t> takeDue(std::int64_t nowMs, std::size_t* count = nullptr);
    std::optional<std::int64_t> nextDue() const;
    std::size_t size() const { return held_.size(); }
    void clear() { held_.clear(); }

private:
    struct Held {
        std::int64_t due;
        std::vector<std::uint8_t> bytes;
    };
    std::deque<Held> held_;
};

}  // namespace pelmo::sim
