#pragma once

#include <QTemporaryDir>
#include <functional>
#include <string>
#include <vector>

#include "context/program_context.h"
#include "link/communication.h"
#include "link/in_process_port.h"
#include "scripted_prompts.h"
#include "sim/in_process_sim.h"
#include "sim/sim_station.h"

namespace pelmo::test {

// A station sequence's link to the simulated default station at 251, on the in-process
// bus (suites using it link pelmo_sim), in a program context of its own whose folder is a
// temporary one. Answers may be altered on their way in, to play a station that misbehaves.
struct SimLink {
    // `clockBase`: the station clock at the start, as a time code.
    explicit SimLink(std::uint32_t clockBase = 0x584ACE25u)
        : sim(bus, port), clockBase_(clockBase) {
        station = &bus.addStation(251);
        // The engines count nothing unless a test asks for it.
        context.statistics = nullptr;
        image.bus_address = 251;
        port.setReceiveHandler([this](std::span<const std::uint8_t> b) {
            std::vector<std::uint8_t> bytes(b.begin(), b.end());
            if (tamper) {
                tamper(bytes);
            }
            rx.append(bytes);
        });
    }

    // Polls `engine()` (re-read every time: a sequence replaces or drops its engine) until
    // it is gone.
    void run(const std::function<TCommunication*()>& engine, int limit = 200000) {
        for (int polls = 0; engine() && polls < limit; ++polls) {
            sim.advance(kPollIntervalMs);
            if (TCommunication* e = engine()) {
                e->poll();
            }
        }
        settle();
    }

    // Lets the blocks the port still holds for a free line go out (the last ACK, an END_COMM
    // right after an answer), as the real port's timer would.
    void settle() {
        for (int ms = 0; port.holding() && ms < 100; ++ms) {
            sim.advance(1);
            port.service();
        }
    }

    // The requests written so far, by name ("ACK" for the acknowledgement).
    std::vector<std::string> requests(bool withAcks = true) const {
        std::vector<std::string> names;
        for (const auto& w : port.writes()) {
            if (w.size() == 1 && w[0] == kAckByte) {
                if (withAcks) {
                    names.emplace_back("ACK");
                }
            } else if (w.size() >= 5) {
                int id = requestIdFor(w[1], w[2]);
                if (id == WRITE_ADDRESS && w[4] == 0xFB && w[5] == 0x80) {
                    id = LOCK_STATION;
                }
                names.emplace_back(id >= 0 ? requestInfo(id).name : "?");
            }
        }
        return names;
    }

    // Re-seals an answer after a test changed it, so that only its content is wrong.
    static void reseal(std::vector<std::uint8_t>& answer) {
        // The trailer covers the datagram behind the leading 06h.
        appendTrailer(std::span<std::uint8_t>(answer).subspan(1));
    }

    sim::SimBus bus{
        [this] { return clockBase_ + static_cast<std::uint32_t>(sim.elapsedMs() / 1000); }};
    InProcessPort port;
    sim::InProcessSim sim;
    sim::SimStation* station = nullptr;
    QTemporaryDir folder;
    // What the program shows when a test attaches no prompts of its own.
    ScriptedPrompts programPrompts;
    ProgramContext program{folder.path(), programPrompts};
    StationImage& image = program.station;
    TxBuffer& tx = program.tx;
    ReceiveState& rx = program.rx;
    LinkContext& context = program.link;
    std::function<void(std::vector<std::uint8_t>&)> tamper;

private:
    std::uint32_t clockBase_;
};

}  // namespace pelmo::test
