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
        engine = std::make_unique<TCommunication>([this](int, int failed) { done = failed; },
                                                  nullptr, kMessageFinished, port, context);
    }

    std::uint32_t now() const {
        return kStart + static_cast<std::uint32_t>(link.elapsedMs() / 1000);
    }

    // Sends `id` as the sequences do and polls until the engine reports.
    Outcome exchange(int id, int expected, int mode, bool ackFirst = false) {
        port.clearWrites();
        done.reset();
        Outcome out;
        engine->send(id, expected, mode, ackFirst);
        while (!done && out.polls < 2000) {
            link.advance(kPollIntervalMs);
            engine->poll();
            ++out.polls;
        }
        out.ok = done == 0;
        const auto bytes = rx.bytes();
        out.answer.assign(bytes.begin(), bytes.end());
        out.transmissions = port.writes().size();
        return out;
    }

    // With the length and mode the request table gives; the live view checks 51 exactly.
    Outcome request(int id, bool ackFirst = false) {
        const RequestInfo& info = requestInfo(id);
        const int mode = info.mode >= 0                              ? info.mode
                         : info.answerLength > 0 && id != SEND_BLOCK ? kModeExact
                         : id == SEND_BLOCK                          ? kModeAtLeast
                                                                     : kModeAck;
        return exchange(id, info.answerLength, mode, ackFirst);
    }

    // request() followed by the host's acknowledgement.
    Outcome step(int id, bool ackFirst = false) {
        Outcome out = request(id, ackFirst);
        if (out.ok) {
            engine->acknowledge();
        }
        return out;
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
};

}  // namespace pelmo::sim::test
