#include "link/communication.h"

#include <algorithm>

#include "link/station_port.h"

namespace pelmo {

TCommunication::TCommunication(Completion completion, QObject* owner, StationPort& port,
                               LinkContext& link)
    : QObject(owner), completion_(std::move(completion)), port_(port), link_(link) {
    timer_.setInterval(kPollIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &TCommunication::poll);
    reset(true);
    if (++link_.engines == 1 && link_.busyObserver) {
        link_.busyObserver(true);
    }
}

TCommunication::~TCommunication() {
    abandonAnswer();
    if (link_.current == this) {
        link_.current = nullptr;
    }
    if (--link_.engines == 0 && link_.busyObserver) {
        link_.busyObserver(false);
    }
}

bool TCommunication::write(Request request) {
    TxBuffer& tx = *link_.tx;
    const BuiltRequest built = buildRequest(tx, request, link_.build);
    if (built.failure != BuildFailure::None && buildFailed_) {
        // A copy: the receiver's box may run the event loop.
        const BuildFailed told = buildFailed_;
        told(built.failure);
    }
    if (built.length <= 0) {
        return false;
    }
    return port_.write(
        std::span<const std::uint8_t>(tx.data(), static_cast<std::size_t>(built.length)));
}

bool TCommunication::transmit() {
    return write(request_);
}

bool TCommunication::admitted(Request request) {
    return !link_.admit || link_.admit(*this, request);
}

void TCommunication::send(Request request, AnswerExpectation expect) {
    if (!admitted(request)) {
        return;
    }
    // A request sent while an answer is outstanding (END_COMM closing mid-exchange) waits
    // until that answer has crossed the line: written into it, the station would not hear it.
    abandonAnswer();
    request_ = request;
    expected_ = expect.length;
    mode_ = expect.mode;
    ack_first_ = expect.ackFirst;
    timer_.setInterval(kPollIntervalMs);
    max_repeats_ = kDefaultRepeats;
    reset(true);
    if (link_.statistics) {
        link_.statistics->exchangeStarted(address());
    }
    // A failed build or write is not reported here: the repeat limit ends the exchange.
    transmitOrDefer();
    timer_.start();
}

void TCommunication::probe() {
    if (!admitted(COMM)) {
        return;
    }
    timer_.setInterval(kProbeIntervalMs);
    reset(true);
    mode_ = AnswerMode::Exact;
    expected_ = requestInfo(COMM).answerLength;
    max_repeats_ = kProbeRepeats;
    request_ = COMM;
    ack_first_ = false;
    if (link_.probeObserver) {
        link_.probeObserver(address());
    }
    if (link_.statistics) {
        link_.statistics->exchangeStarted(address());
    }
    transmitOrDefer();
    timer_.start();
}

void TCommunication::transmitOrDefer() {
    silentAttempts_ = 0;
    deferred_ = quietPolls_ > 0;
    if (!deferred_) {
        (void)transmit();
    }
}

void TCommunication::sendWithoutWaiting(Request request) {
    if (!admitted(request)) {
        return;
    }
    if (!write(request)) {
        return;
    }
    // The station answers all the same; whatever is written next (END_COMM when the live
    // poll stops) waits until that answer is due.
    const AnswerExpectation expect = tableExpectation(request);
    if (expect.mode != AnswerMode::None) {
        port_.abandonAnswer(expect.mode == AnswerMode::Ack ? 1 : std::max(expect.length, 1));
    }
}

void TCommunication::acknowledge() {
    sendWithoutWaiting(ACK);
}

void TCommunication::stop() {
    abandonAnswer();
    deferred_ = false;
}

void TCommunication::abandonAnswer() {
    if (!timer_.isActive()) {
        return;
    }
    timer_.stop();
    // Nobody waits for this answer any more, but the station still sends it (END_COMM's
    // 06h, say): the line stays the station's until it is due.
    port_.abandonAnswer(mode_ == AnswerMode::Ack ? 1 : std::max(expected_, 1));
}

void TCommunication::close() {
    // Not deferred behind late answers: the sequence usually drops the engine right after,
    // and a deferred END_COMM would never go out. The port still keeps the line's turns.
    quietPolls_ = 0;
    send(END_COMM, tableExpectation(END_COMM));
}

void TCommunication::reset(bool full) {
    ticks_ = 0;
    if (full) {
        repeats_ = 0;
    }
    // Bytes already at the port belong to what went before (a late acknowledgement of the
    // previous sequence's END_COMM, say); left for the event loop they would land after the
    // reset and spoil the next answer.
    port_.deliverArrived();
    link_.rx->reset();
}

bool TCommunication::verifyLength(int expected) const {
    const auto bytes = link_.rx->bytes();
    const int n = static_cast<int>(bytes.size());
    if (n < 2) {
        return false;
    }
    // Without ack_first the first byte (the station's 06h) is never part of the trailer;
    // with it, an answer that does not start with 06h is summed from its first byte.
    const std::size_t start = (ack_first_ && bytes[0] != kAckByte) ? 0 : 1;
    return n == expected && trailerMatches(bytes, start);
}

bool TCommunication::verified() const {
    const int n = link_.rx->length();
    switch (mode_) {
        case AnswerMode::AtLeast:
            return n >= expected_ && verifyLength(n);
        case AnswerMode::Exact:
            return verifyLength(expected_);
        case AnswerMode::Trailer:
            return verifyLength(n);
        case AnswerMode::Ack: {
            const auto bytes = link_.rx->bytes();
            return (n >= 1 && bytes[0] == kAckByte) ||
                   (n >= 2 && bytes[0] == kDleByte && bytes[1] == kAckByte);
        }
        default:
            return false;
    }
}

void TCommunication::servicePort() {
    port_.service();
}

void TCommunication::poll() {
    // The receiver may destroy this engine inside the completion call, so the call works on
    // copies and nothing touches a member afterwards.
    const Completion completion = completion_;
    // Blocks held for a free line go out first; an answer whose last byte came in just
    // before this tick counts now, not a tick later.
    port_.service();
    port_.deliverArrived();
    if (deferred_) {
        // Late answers to the last exchange's unanswered attempts are thrown away until
        // the line has been quiet long enough, then the request goes out.
        if (link_.rx->length() > 0) {
            link_.rx->reset();
            quietPolls_ = std::max(quietPolls_, kQuietAfterBytes);
        }
        if (--quietPolls_ > 0) {
            return;
        }
        deferred_ = false;
        reset(false);
        (void)transmit();
        return;
    }
    if (verified()) {
        timer_.stop();
        // Each attempt that heard nothing may still be answered, later than this answer
        // and in time to pass for the next request's: a slow station would shift every
        // following block by one. The next request waits until they are all due.
        quietPolls_ =
            silentAttempts_ > 0 ? silentAttempts_ * (kPollsPerAttempt + 1) + kQuietAfterBytes : 0;
        if (link_.statistics) {
            link_.statistics->answered(address(), (ticks_ + 1) * timer_.interval());
        }
        completion(ExchangeResult::Verified);
        return;
    }
    if (++ticks_ <= kPollsPerAttempt) {
        return;
    }
    if (link_.statistics) {
        link_.statistics->attemptFailed(address(), wholeAnswerWithBadTrailer());
    }
    if (link_.rx->length() == 0) {
        ++silentAttempts_;
    }
    reset(false);
    ++repeats_;
    if (repeats_ > max_repeats_) {
        timer_.stop();
        completion(ExchangeResult::Failed);
        return;
    }
    if (link_.statistics) {
        link_.statistics->repeated(address());
    }
    (void)transmit();
}

bool TCommunication::wholeAnswerWithBadTrailer() const {
    const int n = link_.rx->length();
    switch (mode_) {
        case AnswerMode::AtLeast:
            return n >= expected_ && n >= 2;
        case AnswerMode::Exact:
            return n == expected_ && n >= 2;
        default:
            return false;
    }
}

int TCommunication::address() const {
    return link_.build.image->bus_address;
}

void closeCurrentEngine(LinkContext& link) {
    if (link.current) {
        link.current->close();
    }
}

}  // namespace pelmo
