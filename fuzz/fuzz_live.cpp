// READ_LIVE answers: verification, the record, and everything the live tracking computes
// from it for the simulator's configured station (values, steam states, CSV line).
#include "fuzz_support.h"
#include "link/request_table.h"
#include "monitoring/live_values.h"
#include "sim/default_station.h"

using namespace pelmo;
using namespace pelmo::fuzz;

namespace {
const StationImage* g_image = nullptr;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    static const sim::StationContent content = sim::defaultStation(251, 0x584ACE25u);
    g_image = &content.image;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto answer = bytesOf(data, size);
    FUZZ_CHECK(liveAnswerVerifies(answer) == (size == 51 && trailerMatches(answer, 1)));
    const auto record = decodeLiveAnswer(answer);
    FUZZ_CHECK(record.has_value() == (size >= 51));
    if (!record) {
        return 0;
    }
    FUZZ_CHECK(record->time == le32(answer, 5));
    for (std::size_t i = 0; i < kChannelCount; ++i) {
        FUZZ_CHECK(record->raw[i] == static_cast<std::int32_t>(le16(answer, 10 + 5 * i)));
        const double percent = livePercent(record->raw[i]);
        FUZZ_CHECK(percent >= 0.0 && percent <= 100.01);
    }
    const StationImage& image = *g_image;
    static const QByteArray header = liveCsvHeader(image);
    for (const int version : {0, 1}) {
        const auto texts = liveValueTexts(image, version, *record);
        for (const QString& t : texts) {
            FUZZ_CHECK(!t.isEmpty());
        }
        const QByteArray line = liveCsvLine(image, version, *record);
        FUZZ_CHECK(line.endsWith('\n') && line.count('\n') == 1);
        // One cell per header column.
        FUZZ_CHECK(line.count(',') == header.count(','));
        LiveRecords records{*record, *record};
        const LiveCursor cursor = liveCursor(image, version, records, 1);
        FUZZ_CHECK(cursor.onRecord && cursor.time == record->time);
    }
    return 0;
}
