// SEND_BLOCK answers, as a first and as a further block: the data lies inside the answer
// before its trailer, and a channel list built from the blocks encodes into a monitoring
// file that decodes to the same list.
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
    MonitoringRecording recording;
    for (const bool first : {true, false}) {
        const auto block = monitoringBlock(answer, first);
        if (!block) {
            continue;
        }
        const std::size_t dataAt = first ? 6 : 3;
        const std::size_t length = answer[first ? 4 : 2];
        FUZZ_CHECK(block->counted == static_cast<int>(length));
        FUZZ_CHECK(block->data.size() == (first ? length - 1 : length));
        FUZZ_CHECK(block->data.data() == data + dataAt);
        FUZZ_CHECK(dataAt + block->data.size() + 2 <= size);
        FUZZ_CHECK(block->more == ((answer[first ? 2 : 1] & 0x08) != 0));
        auto& list = recording.list(first ? 1 : 2);
        list.assign(kSampleListHeader, 0);
        list.insert(list.end(), block->data.begin(), block->data.end());
    }
    QByteArray file;
    FUZZ_CHECK(encodeMonitoringFile(recording, file));
    MonitoringRecording decoded;
    FUZZ_CHECK(decodeMonitoringFile(file, decoded));
    FUZZ_CHECK(decoded.lists == recording.lists);
    return 0;
}
