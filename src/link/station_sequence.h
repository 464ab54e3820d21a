#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "link/communication.h"

namespace pelmo {

class Prompts;
class StationPort;

// What every station sequence shares: its engine, the link with the image it works on, the
// port and the prompts it reports through. The state is the identifier of the request whose
// answer is awaited, kFinished once the chain is over. A sequence keeps only its steps:
// completion() gets each exchange's end.
class StationSequence {
public:
    static constexpr int kFinished = END_COMM;

    StationSequence(const StationSequence&) = delete;
    StationSequence& operator=(const StationSequence&) = delete;
    virtual ~StationSequence();

    int state() const { return state_; }
    TCommunication* engine() const { return engine_.get(); }
    bool running() const { return engine_ != nullptr; }
    // The image of the link, which must have one.
    StationImage& image() const { return *link_.build.image; }
    LinkContext& link() const { return link_; }

protected:
    StationSequence(StationPort& port, LinkContext& link, Prompts& prompts);

    // Whether a new engine becomes the current one (the one the console's send closes).
    enum class Claim { Current, Private };

    // A new engine whose completions go to completion().
    void begin(Claim claim = Claim::Current);
    // An engine started elsewhere whose completions go to completion() from now on.
    void adopt(std::unique_ptr<TCommunication> engine);

    // Sends `request` expecting the answer length and mode of the request table.
    void send(Request request);
    // For a request whose answer the table cannot describe.
    void send(Request request, AnswerExpectation expect);
    // A continuation block: as the table says, but the station's 06h may come first.
    void sendContinuation(Request request);
    void acknowledge();

    // END_COMM without waiting, then the engine goes; the state stays.
    void closeEngine();
    // The engine goes without END_COMM; the state stays.
    void releaseEngine();
    // closeEngine() and releaseEngine() that end the chain.
    void closeAndRelease();
    void release();

    Prompts& prompter() const { return prompts_; }
    std::span<const std::uint8_t> answer() const;
    // The connection error box (text 136).
    void reportConnectionError();

    virtual void completion(ExchangeResult result) = 0;

    StationPort& port_;
    LinkContext& link_;
    std::unique_ptr<TCommunication> engine_;
    int state_ = 0;

private:
    void connect(TCommunication& engine);

    Prompts& prompts_;
};

}  // namespace pelmo
