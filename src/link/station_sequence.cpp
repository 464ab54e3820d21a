#include "link/station_sequence.h"

#include "base/prompts.h"
#include "base/texts.h"

namespace pelmo {

StationSequence::StationSequence(StationPort& port, LinkContext& link, Prompts& prompts)
    : port_(port), link_(link), prompts_(prompts) {}

StationSequence::~StationSequence() = default;

std::span<const std::uint8_t> StationSequence::answer() const {
    return link_.rx->bytes();
}

void StationSequence::connect(TCommunication& engine) {
    engine.setCompletion([this](ExchangeResult result) { completion(result); });
    engine.setBuildFailed([this](BuildFailure failure) { reportBuildFailure(prompts_, failure); });
}

void StationSequence::begin(Claim claim) {
    engine_ = std::make_unique<TCommunication>(nullptr, nullptr, port_, link_);
    connect(*engine_);
    if (claim == Claim::Current) {
        link_.current = engine_.get();
    }
}

void StationSequence::adopt(std::unique_ptr<TCommunication> engine) {
    engine_ = std::move(engine);
    if (engine_) {
        connect(*engine_);
    }
}

void StationSequence::send(Request request) {
    send(request, tableExpectation(request));
}

void StationSequence::send(Request request, AnswerExpectation expect) {
    state_ = request;
    engine_->send(request, expect);
}

void StationSequence::sendContinuation(Request request) {
    AnswerExpectation expect = tableExpectation(request);
    expect.ackFirst = true;
    send(request, expect);
}

void StationSequence::acknowledge() {
    engine_->acknowledge();
}

void StationSequence::closeEngine() {
    if (engine_) {
        engine_->close();
        engine_.reset();
    }
}

void StationSequence::releaseEngine() {
    engine_.reset();
}

void StationSequence::closeAndRelease() {
    state_ = kFinished;
    closeEngine();
}

void StationSequence::release() {
    state_ = kFinished;
    releaseEngine();
}

void StationSequence::reportConnectionError() {
    prompter().error(txt(kTextErrorConnectiongToDevice));
}

}  // namespace pelmo
