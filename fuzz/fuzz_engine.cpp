// The engine's answer verification over arbitrary received bytes. Byte 0 picks the request
// (or a probe), byte 1 the verification mode, whether the answer may start without 06h,
// and whether the table's answer length or byte 2 is the expected length. The rest arrives
// as the received stream in chunks (a length byte, then that many bytes), one chunk per
// poll, and the poll is driven directly until the engine reports.
//
// Checked on every poll: the engine reports success exactly when an independent check of
// the received bytes passes, reports once, stops its timer when it reports, keeps at most
// 256 bytes, and gives up after its repeats; every request it writes is a whole datagram.
#include <vector>

#include "fuzz_support.h"
#include "link/communication.h"
#include "link/in_process_port.h"

using namespace pelmo;
using namespace pelmo::fuzz;

namespace {

bool referenceTrailer(std::span<const std::uint8_t> b, std::size_t start) {
    if (b.size() < 2) {
        return false;
    }
    unsigned sum = 0;
    unsigned x = 0;
    for (std::size_t i = start; i + 2 < b.size(); ++i) {
        sum += b[i];
        x ^= b[i];
    }
    return (sum & 0xFF) == b[b.size() - 2] && x == b[b.size() - 1];
}

bool referenceVerified(std::span<const std::uint8_t> b, AnswerMode mode, int expected,
                       bool ackFirst) {
    const int n = static_cast<int>(b.size());
    const std::size_t start = (ackFirst && n > 0 && b[0] != kAckByte) ? 0 : 1;
    switch (mode) {
        case AnswerMode::AtLeast:
            return n >= expected && referenceTrailer(b, start);
        case AnswerMode::Exact:
            return n == expected && referenceTrailer(b, start);
        case AnswerMode::Trailer:
            return referenceTrailer(b, start);
        case AnswerMode::Ack:
            return (n >= 1 && b[0] == kAckByte) || (n >= 2 && b[0] == kDleByte && b[1] == kAckByte);
        default:
            return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const int selector = data[0] % (kRequestCount + 1);
    const bool probe = selector == kRequestCount;
    const int request = probe ? COMM : selector;
    const auto mode = static_cast<AnswerMode>(
        data[1] & 0x07);  // 0..7: the four modes and four that verify nothing
    const bool ackFirst = (data[1] & 0x08) != 0;
    const int expected = (data[1] & 0x10) ? data[2] : requestInfo(request).answerLength;

    StationImage image;
    resetNewStation(image);
    image.bus_address = 251;
    image.current_index = 1;
    TxBuffer tx{};
    ReceiveState rx;
    SilentPrompts prompts;
    LinkContext link;
    link.build.image = &image;
    link.build.clock = [] { return LocalDateTime{2024, 5, 6, 7, 8, 9}; };
    link.tx = &tx;
    link.rx = &rx;
    InProcessPort port;
    port.setReceiveHandler([&rx](std::span<const std::uint8_t> b) { rx.append(b); });

    int reports = 0;
    int lastFailed = -1;
    TCommunication engine(
        [&](ExchangeResult result) {
            ++reports;
            lastFailed = result == ExchangeResult::Failed ? 1 : 0;
        },
        nullptr, port, link);
    if (probe) {
        engine.probe();
    } else {
        engine.send(static_cast<Request>(request), {expected, mode, ackFirst});
    }
    const AnswerMode modeUsed = engine.mode();
    const int expectedUsed = engine.expected();
    const bool ackFirstUsed = engine.ackFirst();
    const int maxPolls = (engine.maxRepeats() + 1) * (kPollsPerAttempt + 1) + 1;

    std::size_t at = 3;
    int polls = 0;
    while (reports == 0) {
        FUZZ_CHECK(polls++ <= maxPolls);
        if (at < size) {
            const std::size_t n = std::min<std::size_t>(data[at], size - at - 1);
            port.deliverToHost(std::span(data + at + 1, n));
            at += 1 + n;
        }
        FUZZ_CHECK(rx.length() <= static_cast<int>(ReceiveState::kCapacity));
        FUZZ_CHECK(rx.text().size() == 2 * static_cast<std::size_t>(rx.length()));
        const bool expect = referenceVerified(rx.bytes(), modeUsed, expectedUsed, ackFirstUsed);
        FUZZ_CHECK(engine.verified() == expect);
        engine.poll();
        if (expect) {
            FUZZ_CHECK(reports == 1 && lastFailed == 0);
        }
        if (reports > 0) {
            FUZZ_CHECK(!engine.waiting());
        }
    }
    FUZZ_CHECK(reports == 1);
    // One write per attempt; every one a request the table knows, with a matching trailer.
    FUZZ_CHECK(port.writes().size() <= static_cast<std::size_t>(engine.maxRepeats() + 1));
    for (const auto& w : port.writes()) {
        if (request == ACK) {
            FUZZ_CHECK(w.size() == 1 && w[0] == kAckByte);
            continue;
        }
        FUZZ_CHECK(w.size() >= 5 && w.size() <= kTxBufferSize);
        FUZZ_CHECK(static_cast<int>(w.size()) == requestLength(w[1], w[2], w[3]));
        FUZZ_CHECK(referenceTrailer(w, 0));
    }
    return 0;
}
