#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "link/communication.h"
#include "link/in_process_port.h"
#include "link/time_code.h"
#include "sim/in_process_sim.h"

namespace pelmo::sim::test {

// 2025-03-10 12:00:00, a Monday of an odd year.
inline const std::uint32_t kStart = timeCodeFromCalendar(25, 3, 10, 12, 0, 0);

struct Outcome {
    bool ok = false;
    std::vector<std::uint8_t> answer;  // what the engine had received when it finished
    std::size_t heard = 0;             // bytes that reached the host over all attempts
    std::size_t transmissions = 0;
    int polls = 0;
};

// The program's engine on an in-process port with a simulated bus at its far end. Time is
// the link's: every poll moves it on by one poll interval, nothing sleeps.
class SimBench : public ::testing::Test {
protected:
    SimBench() : bus([this] { return now(); }), link(bus, port) {
        context.build.image = &image;
        context.build.clock = [this] {
            StationCalendar c;
            const int century = calendarFromTimeCode(now(), c);
            return LocalDateTime{
                century * 100 + c.year, c.month, c.day, c.hour, c.minute, c.second};
        };
        context.build.fly = &fly;
        context.tx = &tx;
        context.rx = &rx;
        port.setReceiveHandler([this](std::span<const std::uint8_t> b) { rx.append(b); });
        port.setTrafficObserver([this](bool outgoing, std::span<const std::uint8_t> b) {
            heard += outgoing ? 0 : b.size();
        });
        engine = std::make_unique<TCommunication>(
            [this](ExchangeResult r) { done = r == ExchangeResult::Failed; }, nullptr, port,
            context);
    }

    std::uint32_t now() const {
        return kStart + static_cast<std::uint32_t>(link.elapsedMs() / 1000);
    }

    // Sends `id` as the sequences do and polls until the engine reports.
    Outcome exchange(int id, int expected, AnswerMode mode, bool ackFirst = false) {
        port.clearWrites();
        done.reset();
        heard = 0;
        Outcome out;
        engine->send(static_cast<Request>(id), {expected, mode, ackFirst});
        while (!done && out.polls < 2000) {
            link.advance(kPollIntervalMs);
            engine->poll();
            ++out.polls;
        }
        out.ok = done == 0;
        const auto bytes = rx.bytes();
        out.answer.assign(bytes.begin(), bytes.end());
        out.transmissions = port.writes().size();
        out.heard = heard;
        return out;
    }

    // With the length and mode the request table gives.
    Outcome request(int id, bool ackFirst = false) {
        const RequestInfo& info = requestInfo(id);
        return exchange(id, info.answerLength, info.mode, ackFirst);
    }

    // request() followed by the host's acknowledgement.
    Outcome step(int id, bool ackFirst = false) {
        Outcome out = request(id, ackFirst);
        if (out.ok) {
            engine->acknowledge();
        }
        return out;
    }

    // A channel's buffer collected block by block as the monitoring transfer does: first
    // block data from byte 6, continuations (leading 06h allowed) from byte 3, while the
    // flags carry 08h. Empty when a block fails.
    std::vector<std::uint8_t> fetchChannel(int channel, int* blocks = nullptr) {
        image.current_index = static_cast<std::uint16_t>(channel);
        std::vector<std::uint8_t> buffer;
        Outcome o = step(SEND_BLOCK);
        if (!o.ok || o.answer.size() < 7) {
            return {};
        }
        buffer.insert(buffer.end(), o.answer.begin() + 6, o.answer.begin() + 5 + o.answer[4]);
        bool more = o.answer[2] & 0x08;
        int count = 1;
        while (more && count < 50) {
            o = step(SEND_BLOCK, true);
            if (!o.ok || o.answer.size() < 10) {
                return {};
            }
            buffer.insert(buffer.end(), o.answer.begin() + 3, o.answer.begin() + 3 + o.answer[2]);
            more = o.answer[1] & 0x08;
            ++count;
        }
        if (blocks) {
            *blocks = count;
        }
        return buffer;
    }

    bool open(int address = kDefaultBusAddress) {
        image.bus_address = address;
        return step(COMM).ok;
    }

    StationImage image;
    FlySetup fly{1, 2, true};
    TxBuffer tx{};
    ReceiveState rx;
    LinkContext context;
    InProcessPort port;
    SimBus bus;
    InProcessSim link;
    std::unique_ptr<TCommunication> engine;
    std::optional<int> done;
    std::size_t heard = 0;
};

}  // namespace pelmo::sim::test
