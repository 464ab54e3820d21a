#include "bus/query_sequence.h"

#include "base/prompts.h"
#include "base/texts.h"

namespace pelmo {

QuerySequence::QuerySequence(StationPort& port, LinkContext& link, Prompts* prompts)
    : port_(port), link_(link), prompts_(prompts) {}

QuerySequence::~QuerySequence() = default;

StationImage& QuerySequence::image() const {
    return link_.build.image ? *link_.build.image : station();
}

Prompts& QuerySequence::prompter() const {
    return prompts_ ? *prompts_ : prompts();
}

std::span<const std::uint8_t> QuerySequence::answer() const {
    return link_.rx->bytes();
}

void QuerySequence::begin(int message) {
    engine_ = std::make_unique<TCommunication>([this](int, int failed) { completion(failed); },
                                               nullptr, message, port_, link_);
    TCommunication::setCurrent(engine_.get());
}

void QuerySequence::send(int request, int expected, int mode) {
    state_ = request;
    engine_->send(request, expected, mode, false);
}

void QuerySequence::closeAndRelease() {
    state_ = kFinished;
    if (engine_) {
        engine_->close();
        engine_.reset();
    }
}

void QuerySequence::release() {
    state_ = kFinished;
    engine_.reset();
}

void QuerySequence::reportConnectionError() {
    prompter().error(txt(136));
}

}  // namespace pelmo
