#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <span>

#include "link/communication.h"

namespace pelmo {

class Prompts;
class StationPort;

// What every station query chain shares: its engine, the image and selectors it works on,
// and the prompts it reports through. The state is the identifier of the request whose
// answer is awaited, kFinished once the chain is over.
class QuerySequence {
public:
    static constexpr int kFinished = 17;

    virtual ~QuerySequence();

    int state() const { return state_; }
    TCommunication* engine() const { return engine_.get(); }
    bool running() const { return engine_ != nullptr; }
    StationImage& image() const;
    LinkContext& link() const { return link_; }

protected:
    QuerySequence(StationPort& port, LinkContext& link, Prompts* prompts);

    // A new engine whose completions go to completion().
    void begin(int message = kMessageFinished);
    void send(int request, int expected, int mode);
    // END_COMM without waiting, then the engine goes.
    void closeAndRelease();
    void release();
    Prompts& prompter() const;
    std::span<const std::uint8_t> answer() const;
    // The connection error box (text 136) after the engine was closed and released.
    void reportConnectionError();

    virtual void completion(int failed) = 0;

    StationPort& port_;
    LinkContext& link_;
    Prompts* prompts_;
    std::unique_ptr<TCommunication> engine_;
    int state_ = 0;
};

}  // namespace pelmo
