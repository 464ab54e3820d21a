// Monitoring files (.mon): a file that loads has consistent lists and counts, saves again,
// and the saved file loads to the same recording.
#include "files/monitoring_file.h"
#include "fuzz_support.h"

using namespace pelmo;
using namespace pelmo::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    MonitoringRecording recording;
    if (!decodeMonitoringFile(bytes, recording)) {
        return 0;
    }
    FUZZ_CHECK(size <= static_cast<std::size_t>(kMonitoringFileHeader + kMaxMonitoringData));
    FUZZ_CHECK(recording.dataLength() + kMonitoringFileHeader == size);
    for (int k = 1; k <= kChannelCount; ++k) {
        const auto& list = recording.list(k);
        FUZZ_CHECK(list.empty() || list.size() >= kSampleListHeader);
        FUZZ_CHECK(recording.samples(k) >= 0 &&
                   static_cast<std::size_t>(recording.samples(k)) <= list.size());
    }
    QByteArray saved;
    FUZZ_CHECK(encodeMonitoringFile(recording, saved));
    FUZZ_CHECK(saved.size() == bytes.size());
    MonitoringRecording again;
    FUZZ_CHECK(decodeMonitoringFile(saved, again));
    FUZZ_CHECK(again.lists == recording.lists && again.status == recording.status);
    return 0;
}
