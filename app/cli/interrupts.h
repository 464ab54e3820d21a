#pragma once

#include <QPointer>
#include <memory>

#include "link/communication.h"

class QEventLoop;
class QSocketNotifier;

namespace pelmo {
class StationPort;
}

namespace pelmo::cli {

// Ctrl+C (SIGINT) and SIGTERM for every command. The signal handler only writes to a pipe;
// the event loop reads it. The first signal lets the exchange on the line finish and holds
// the next request back; a second one stops at once. Either way the station's session is
// then ended with END_COMM and the command exits 130 (SIGINT) or 143 (SIGTERM) after
// writing what it has.
class Interrupts {
public:
    Interrupts();
    ~Interrupts();
    Interrupts(const Interrupts&) = delete;
    Interrupts& operator=(const Interrupts&) = delete;

    // Holds the link's engines at the exchange boundaries from now on.
    void watch(LinkContext& link);

    // A signal came: the command winds up.
    static bool requested();
    // 128 + the first signal, 0 without one.
    static int exitCode();

    // Whether the event loop since the last loopStarting() was ended by the interrupt rather
    // than by its sequence.
    void loopStarting() { stoppedLoop_ = false; }
    bool stoppedLoop() const { return stoppedLoop_; }
    // END_COMM on `port` unless nothing was sent or the last request already was END_COMM;
    // once only. Nothing goes on the bus afterwards.
    void endSession(StationPort& port);
    // Runs the event loop until the blocks `port` holds for the line (the turnaround after
    // the station's last byte) are written, so that a sequence's last request (END_COMM)
    // reaches the station before the command goes on or ends; a signal stops the wait.
    void drain(StationPort& port);

private:
    bool admit(TCommunication& engine, Request request);
    void signalled();
    void stopLoop();

    int readFd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    LinkContext* link_ = nullptr;
    QPointer<TCommunication> last_;
    int lastRequest_ = -1;  // -1: nothing sent yet
    bool stoppedLoop_ = false;
    bool closing_ = false;
    bool closed_ = false;
    QEventLoop* closingLoop_ = nullptr;
    TCommunication* closingEngine_ = nullptr;
};

}  // namespace pelmo::cli
