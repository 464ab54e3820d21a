#include "link/station_port.h"

#include <algorithm>
#include <chrono>

namespace pelmo {

namespace {
std::int64_t wireUs(std::size_t bytes) {
    return static_cast<std::int64_t>(bytes) * kCharacterUs;
}
}  // namespace

StationPort::StationPort() {
    flushTimer_.setSingleShot(true);
    QObject::connect(&flushTimer_, &QTimer::timeout, &flushTimer_, [this] { service(); });
}

StationPort::Clock StationPort::steadyClock() {
    return [] {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
}

std::int64_t StationPort::usUntilFree() const {
    if (!clock_) {
        return 0;
    }
    std::int64_t freeAt = abandonedDueUs_;
    if (lastReceivedUs_ >= 0) {
        freeAt = std::max(freeAt, lastReceivedUs_ + turnaroundUs_);
    }
    return std::max<std::int64_t>(freeAt - now(), 0);
}

bool StationPort::write(std::span<const std::uint8_t> data) {
    service();
    if (held_.empty() && usUntilFree() == 0) {
        return send(data, 0);
    }
    held_.push_back({std::vector<std::uint8_t>(data.begin(), data.end()), 0});
    service();
    return true;
}

void StationPort::abandonAnswer(int answerBytes) {
    if (!clock_ || answerBytes <= 0) {
        return;
    }
    if (!held_.empty()) {
        held_.back().abandonedAnswer = answerBytes;
        return;
    }
    answerAbandoned(answerBytes);
}

void StationPort::answerAbandoned(int answerBytes) {
    const std::int64_t due = lastWriteUs_ +
                             wireUs(lastWriteBytes_ + static_cast<std::size_t>(answerBytes)) +
                             turnaroundUs_;
    abandonedDueUs_ = std::max(abandonedDueUs_, due);
}

bool StationPort::send(std::span<const std::uint8_t> data, int abandonedAnswer) {
    const bool ok = transmit(data);
    lastWriteUs_ = now();
    lastWriteBytes_ = data.size();
    if (clock_ && abandonedAnswer > 0) {
        answerAbandoned(abandonedAnswer);
    }
    return ok;
}

void StationPort::service() {
    while (!held_.empty() && usUntilFree() == 0) {
        const Held block = std::move(held_.front());
        held_.pop_front();
        (void)send(block.bytes, block.abandonedAnswer);
    }
    if (!held_.empty()) {
        // Real time; with a test clock the engine's polls take the blocks out instead.
        flushTimer_.start(static_cast<int>((usUntilFree() + 999) / 1000));
    }
}

void StationPort::deliver(std::span<const std::uint8_t> data) {
    if (data.empty()) {
        return;
    }
    if (observer_) {
        observer_(false, data);
    }
    const std::int64_t at = now();
    // Nothing that arrives while a block waits for the line can answer it. (An abandoned
    // answer that comes while nothing waits still reaches the receive state, and the console.)
    const bool stale = clock_ && !held_.empty();
    if (clock_) {
        lastReceivedUs_ = at;
    }
    if (!stale && receiveHandler_) {
        receiveHandler_(data);
    }
}

void StationPort::noteWritten(std::span<const std::uint8_t> data) {
    if (observer_) {
        observer_(true, data);
    }
}

}  // namespace pelmo
