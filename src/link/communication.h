#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>

#include "link/bus_statistics.h"
#include "link/receive_state.h"
#include "link/request_table.h"

namespace pelmo {

class StationPort;
class TCommunication;

// What an engine reads and writes besides its port: the image and selectors the builder
// uses, the transmit buffer and the receive state. The program uses one shared set.
struct LinkContext {
    LinkContext() = default;
    // One link per bus: a copy would count its engines apart from the bus they share.
    LinkContext(const LinkContext&) = delete;
    LinkContext& operator=(const LinkContext&) = delete;

    BuildContext build;  // its image must be set
    TxBuffer* tx = nullptr;
    ReceiveState* rx = nullptr;
    // Told the bus address whenever a probe starts (the debug console shows it).
    std::function<void(int address)> probeObserver;
    // Where the engines count the bus health; none: not counted.
    BusStatistics* statistics = nullptr;
    // Engines alive on this link: a sequence keeps its engine while it runs.
    int engines = 0;
    // The engine of the running sequence, the one the console's send and the main window's
    // interruption close; cleared when that engine is destroyed.
    TCommunication* current = nullptr;
    // Told when the first engine appears and when the last one goes, so that the windows
    // keep every other command off the bus meanwhile.
    std::function<void(bool busy)> busyObserver;
    // Asked before each request an engine starts or sends without waiting (repetitions of
    // the outstanding one are not asked); false holds it back and the engine stays idle, so
    // that an interrupted command stops at an exchange boundary.
    std::function<bool(TCommunication& engine, Request request)> admit;
};

// How an exchange ended.
enum class ExchangeResult { Verified, Failed };

inline constexpr int kPollIntervalMs = 20;
inline constexpr int kProbeIntervalMs = 15;
inline constexpr int kPollsPerAttempt = 30;
inline constexpr int kDefaultRepeats = 3;
inline constexpr int kProbeRepeats = 2;
// Polls of silence that end the wait for late answers once bytes arrived during it.
inline constexpr int kQuietAfterBytes = 3;

// One request/answer exchange at a time: builds and writes a request, polls the receive
// state until the answer verifies, repeats after 31 failed polls, and reports to whoever
// started it. The completion call is the last thing a poll does, so its receiver may
// destroy the engine inside it.
class TCommunication final : public QObject {
    Q_OBJECT
public:
    // Verified, or failed after the last repetition.
    using Completion = std::function<void(ExchangeResult result)>;
    // A request whose block would not encode: told at each attempt, which then sends nothing.
    using BuildFailed = std::function<void(BuildFailure failure)>;

    TCommunication(Completion completion, QObject* owner, StationPort& port, LinkContext& link);
    ~TCommunication() override;

    // Hands the completions to someone else.
    void setCompletion(Completion completion) { completion_ = std::move(completion); }
    void setBuildFailed(BuildFailed buildFailed) { buildFailed_ = std::move(buildFailed); }

    void send(Request request, AnswerExpectation expect);
    void probe();
    void sendWithoutWaiting(Request request);
    void acknowledge();
    void stop();
    // END_COMM, acknowledgement not awaited.
    void close();
    void reset(bool full);

    // One timer tick; tests call it directly instead of waiting for the timer.
    void poll();
    // Lets the blocks the port holds for a free line go out now if their time has come; for
    // sequences that poll on a timer of their own (live values).
    void servicePort();
    // Whether the outstanding answer verifies now.
    bool verified() const;

    QTimer& timer() { return timer_; }
    int ticks() const { return ticks_; }
    int repeats() const { return repeats_; }
    Request request() const { return request_; }
    int expected() const { return expected_; }
    AnswerMode mode() const { return mode_; }
    bool ackFirst() const { return ack_first_; }
    int maxRepeats() const { return max_repeats_; }
    bool waiting() const { return timer_.isActive(); }
    LinkContext& link() { return link_; }

private:
    bool admitted(Request request);
    // Builds request and writes it; a block that does not encode is told to buildFailed_.
    bool write(Request request);
    bool transmit();
    // Stops waiting for the outstanding answer, which the station may still send.
    void abandonAnswer();
    // Transmits now, or after the quiet time a slow station's late answers need.
    void transmitOrDefer();
    bool verifyLength(int expected) const;
    // The whole answer is there but its trailer is wrong.
    bool wholeAnswerWithBadTrailer() const;
    int address() const;

    QTimer timer_;
    Completion completion_;
    BuildFailed buildFailed_;
    AnswerMode mode_ = AnswerMode::AtLeast;
    bool ack_first_ = false;
    std::uint8_t max_repeats_ = kDefaultRepeats;
    StationPort& port_;
    int ticks_ = 0;
    int repeats_ = 0;
    Request request_ = ACK;
    int expected_ = 0;
    // Attempts of this exchange that received nothing at all.
    int silentAttempts_ = 0;
    // Polls to wait, discarding what arrives, before the next request goes out.
    int quietPolls_ = 0;
    bool deferred_ = false;
    LinkContext& link_;
};

// Points the link's builder at another image for one read (a backup, a comparison) and
// gives the link its own image back when the read ends or the loan goes. The engines still
// count on the one link, so the bus shows busy and an interruption reaches them.
class ImageLoan {
public:
    explicit ImageLoan(LinkContext& link) : link_(link) {}
    ImageLoan(const ImageLoan&) = delete;
    ImageLoan& operator=(const ImageLoan&) = delete;
    ~ImageLoan() { giveBack(); }

    void lend(StationImage& image) {
        giveBack();
        saved_ = link_.build.image;
        lent_ = true;
        link_.build.image = &image;
    }
    void giveBack() {
        if (lent_) {
            link_.build.image = saved_;
            lent_ = false;
        }
    }

private:
    LinkContext& link_;
    StationImage* saved_ = nullptr;
    bool lent_ = false;
};

// END_COMM on the link's current engine, if there is one.
void closeCurrentEngine(LinkContext& link);

}  // namespace pelmo
