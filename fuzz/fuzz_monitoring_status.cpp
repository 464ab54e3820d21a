// STAV_MER answers: counts, total and station time of the monitoring buffers.
#include "fuzz_support.h"
#include "monitoring/mon_transfer.h"

using namespace pelmo;
using namespace pelmo::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto answer = bytesOf(data, size);
    MonitoringStatus status;
    status.total = -1;
    const bool ok = decodeMonitoringStatus(answer, status);
    FUZZ_CHECK(ok == (size >= 87));
    if (!ok) {
        // A refused answer leaves the status as it was.
        FUZZ_CHECK(status.total == -1);
        return 0;
    }
    std::int32_t total = 0;
    for (std::size_t i = 0; i < status.counts.size(); ++i) {
        FUZZ_CHECK(status.counts[i] == le16(answer, 27 + 8 * i));
        total += status.counts[i];
    }
    FUZZ_CHECK(status.total == total && total >= 0 && total <= 8 * 65535);
    FUZZ_CHECK(status.station_time == le32(answer, 7) && status.second_word == le32(answer, 11));
    return 0;
}
