#include "sim/sim_bus.h"

#include <algorithm>

namespace pelmo::sim {

namespace {

// More than any request can hold; anything beyond is noise that would only delay framing.
constexpr std::size_t kMaxPending = 1024;
constexpr std::uint8_t kAnyStation = 0xFB;
constexpr std::uint8_t kLockMark = 0x80;

bool knownClass(std::uint8_t cls) {
    return cls == 0x02 || cls == 0x40 || cls == 0x80 || cls == 0x81;
}

}  // namespace

SimBus::SimBus(SimClock clock) : clock_(clock ? std::move(clock) : systemClock()) {}

SimStation& SimBus::addStation(int address) {
    stations_.push_back(std::make_unique<SimStation>(address, clock_));
    return *stations_.back();
}

SimStation& SimBus::addStation(int address, const StationContent& content) {
    stations_.push_back(std::make_unique<SimStation>(address, clock_, content));
    return *stations_.back();
}

SimStation* SimBus::station(int address) {
    for (auto& s : stations_) {
        if (s->address() == address) {
            return s.get();
        }
    }
    return nullptr;
}

void SimBus::note(BusEventKind kind, std::span<const std::uint8_t> bytes, int address) const {
    if (observer_) {
        observer_(BusEvent{kind, bytes, address});
    }
}

void SimBus::drop(std::size_t n, BusEventKind kind) {
    n = std::min(n, pending_.size());
    const std::vector<std::uint8_t> gone(pending_.begin(),
                                         pending_.begin() + static_cast<std::ptrdiff_t>(n));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
    note(kind, gone, 0);
}

SimBus::Frame SimBus::frameAt(std::size_t pos, std::size_t& length) const {
    const std::size_t avail = pending_.size() - pos;
    if (avail >= 2 && !knownClass(pending_[pos + 1])) {
        return Frame::Invalid;
    }
    if (avail < 3) {
        return Frame::Incomplete;
    }
    const std::uint8_t cls = pending_[pos + 1];
    const std::uint8_t code = pending_[pos + 2];
    const int id = requestIdFor(cls, code);
    if (id < 0) {
        return Frame::Invalid;
    }
    if (cls == 0x02 && avail < 4) {
        return Frame::Incomplete;
    }
    const int total = requestLength(cls, code, cls == 0x02 ? pending_[pos + 3] : 0);
    // A fixed-size request with another length byte is not one this station understands.
    if (total <= 0 || (cls == 0x02 && id != WRITE_CHANNEL && total != requestInfo(id).length)) {
        return Frame::Invalid;
    }
    length = static_cast<std::size_t>(total);
    return avail < length ? Frame::Incomplete : Frame::Complete;
}

bool SimBus::validFrameAt(std::size_t pos) const {
    std::size_t length = 0;
    if (pending_[pos] != kStartByte || frameAt(pos, length) != Frame::Complete) {
        return false;
    }
    const std::vector<std::uint8_t> frame(
        pending_.begin() + static_cast<std::ptrdiff_t>(pos),
        pending_.begin() + static_cast<std::ptrdiff_t>(pos + length));
    return trailerMatches(frame, 0);
}

std::vector<Reply> SimBus::receive(std::span<const std::uint8_t> bytes) {
    std::vector<Reply> replies;
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    if (pending_.size() > kMaxPending) {
        drop(pending_.size() - kMaxPending, BusEventKind::Ignored);
    }
    while (!pending_.empty()) {
        const std::uint8_t first = pending_.front();
        if (first == kAckByte) {
            drop(1, BusEventKind::Acknowledge);
            if (session_) {
                session_->acknowledged();
            }
            continue;
        }
        if (first != kStartByte) {
            std::size_t n = 1;
            while (n < pending_.size() && pending_[n] != kStartByte && pending_[n] != kAckByte) {
                ++n;
            }
            drop(n, BusEventKind::Ignored);
            continue;
        }
        std::size_t length = 0;
        const Frame f = frameAt(0, length);
        if (f == Frame::Invalid) {
            drop(1, BusEventKind::Ignored);
            continue;
        }
        // A request may hide behind a stray 01h: prefer a complete, correct one further on
        // to a frame that cannot be finished or does not check.
        bool correct = false;
        if (f == Frame::Complete) {
            correct = validFrameAt(0);
        }
        if (!correct) {
            const std::size_t end = f == Frame::Complete ? length : pending_.size();
            std::size_t next = 1;
            while (next < end && !validFrameAt(next)) {
                ++next;
            }
            if (next < end) {
                drop(next, BusEventKind::Ignored);
                continue;
            }
            if (f == Frame::Incomplete) {
                break;  // wait for the rest
            }
            drop(length, BusEventKind::Ignored);  // a corrupt request gets no answer
            continue;
        }
        const std::vector<std::uint8_t> request(
            pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length));
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length));
        dispatch(request, replies);
    }
    return replies;
}

void SimBus::lineIdle() {
    if (!pending_.empty()) {
        drop(pending_.size(), BusEventKind::Ignored);
    }
}

void SimBus::dispatch(std::span<const std::uint8_t> request, std::vector<Reply>& replies) {
    int id = requestIdFor(request[1], request[2]);
    // LOCK_STATION and WRITE_ADDRESS share class and code; the lock carries 80h.
    if (id == WRITE_ADDRESS && request[5] == kLockMark) {
        id = LOCK_STATION;
    }
    SimStation* target = nullptr;
    if (id == COMM) {
        if (session_) {
            session_->sessionEnded();
            session_ = nullptr;
        }
        for (auto& s : stations_) {
            if (s->address() == request[6] && !s->faults().suppresses(COMM)) {
                target = s.get();
                break;
            }
        }
        if (target) {
            session_ = target;
            target->sessionStarted();
        }
    } else if (id == READ_REGISTERS) {
        // Registers are read without a session; FBh asks whichever station listens.
        if (request[4] != kAnyStation) {
            target = station(request[4]);
        } else if (session_) {
            target = session_;
        } else {
            for (auto& s : stations_) {
                if (!s->faults().settings().silent) {
                    target = s.get();
                    break;
                }
            }
        }
    } else {
        target = session_;
    }
    note(BusEventKind::Request, request, target ? target->address() : 0);
    if (!target) {
        return;
    }
    std::optional<std::vector<std::uint8_t>> answer;
    if (!target->faults().suppresses(id)) {
        answer = target->answer(id, request);
    }
    if (id == END_COMM) {
        target->sessionEnded();
        session_ = nullptr;
    }
    if (!answer) {
        return;
    }
    Reply reply = target->faults().shape(id, std::move(*answer));
    if (!reply.bytes.empty()) {
        note(BusEventKind::Answer, reply.bytes, target->address());
        replies.push_back(std::move(reply));
    }
}

void ReplySchedule::add(Reply reply, std::int64_t nowMs) {
    // One line: a later answer never overtakes an earlier one.
    std::int64_t due = nowMs + std::max(reply.delayMs, 0);
    if (!held_.empty()) {
        due = std::max(due, held_.back().due);
    }
    held_.push_back({due, std::move(reply.bytes)});
}

std::vector<std::uint8_t> ReplySchedule::takeDue(std::int64_t nowMs, std::size_t* count) {
    std::vector<std::uint8_t> out;
    while (!held_.empty() && held_.front().due <= nowMs) {
        out.insert(out.end(), held_.front().bytes.begin(), held_.front().bytes.end());
        held_.pop_front();
        if (count) {
            ++*count;
        }
    }
    return out;
}

std::optional<std::int64_t> ReplySchedule::nextDue() const {
    if (held_.empty()) {
        return std::nullopt;
    }
    return held_.front().due;
}

}  // namespace pelmo::sim
