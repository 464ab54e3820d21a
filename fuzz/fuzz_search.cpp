// The search window's sequence over arbitrary answers. Byte 0 sets how many addresses are
// walked (1..40, so that more than 32 stations can answer); the rest is answers: a length
// byte, then that many bytes, handed back for each request written. When the answers run
// out, one exchange times out and then the search is stopped.
//
// Checked: the search always ends (no hang), reports its end once, leaves no engine and no
// timer running, lists at most 32 stations in address order within the range, and restores
// the bus address it found.
#include <vector>

#include "bus/address_search.h"
#include "fuzz_support.h"
#include "link/in_process_port.h"

using namespace pelmo;
using namespace pelmo::fuzz;

namespace {

struct CountingView final : AddressSearchView {
    void searchStatus(const QString&) override {}
    void probing(int) override {}
    void addressAnswered(int found, int) override { FUZZ_CHECK(found >= 1 && found <= 32); }
    void stationFound(int found, int address, const QString&) override {
        FUZZ_CHECK(found == static_cast<int>(addresses.size()) + 1);
        addresses.push_back(address);
    }
    void searchEnded() override { ++ended; }
    std::vector<int> addresses;
    int ended = 0;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const int first = 1;
    const int last = first + data[0] % 40;

    StationImage image;
    resetNewStation(image);
    image.bus_address = 77;
    TxBuffer tx{};
    ReceiveState rx;
    SilentPrompts prompts;
    LinkContext link;
    link.build.image = &image;
    link.tx = &tx;
    link.rx = &rx;
    InProcessPort port;
    port.setReceiveHandler([&rx](std::span<const std::uint8_t> b) { rx.append(b); });

    std::size_t at = 1;
    int unanswered = 0;
    port.setPeer([&](std::span<const std::uint8_t> written) {
        if (written.size() == 1) {
            return;  // the host's acknowledgement
        }
        if (at >= size) {
            ++unanswered;
            return;
        }
        const std::size_t n = std::min<std::size_t>(data[at], size - at - 1);
        const std::span<const std::uint8_t> answer(data + at + 1, n);
        at += 1 + n;
        port.deliverToHost(answer);
    });

    CountingView view;
    {
        AddressSearch search(port, link, prompts, view, first, last);
        AddressSearch::clearFound(image);
        search.start();
        bool stopped = false;
        const int limit = (last - first + 2) * 4 * 3 * (kPollsPerAttempt + 2) + 1000;
        int polls = 0;
        while (!search.finished()) {
            FUZZ_CHECK(polls++ < limit);
            if (unanswered > 1 && !stopped) {
                search.stop();
                stopped = true;
            }
            if (search.pausing()) {
                search.pauseElapsed();
            } else if (TCommunication* e = search.engine()) {
                e->poll();
            } else {
                FUZZ_CHECK(!"search neither finished, pausing nor running an engine");
            }
        }
        FUZZ_CHECK(view.ended == 1);
        FUZZ_CHECK(!search.running() && !search.pausing());
        FUZZ_CHECK(search.foundCount() == static_cast<int>(view.addresses.size()));
        search.restoreAddress();
    }
    FUZZ_CHECK(image.bus_address == 77);
    FUZZ_CHECK(view.addresses.size() <= 32);
    for (std::size_t i = 0; i < view.addresses.size(); ++i) {
        FUZZ_CHECK(view.addresses[i] >= first && view.addresses[i] <= last);
        FUZZ_CHECK(i == 0 || view.addresses[i] > view.addresses[i - 1]);
        const TAddressList& entry = image.address_list[i];
        FUZZ_CHECK(entry.address == view.addresses[i] && entry.name.size() <= 20);
    }
    return 0;
}
