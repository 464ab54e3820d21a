// READ_STATUS answers: the station clock the archive and message windows take from them,
// and its calendar breakdown.
#include "files/archive_file.h"
#include "fuzz_support.h"
#include "link/status_answer.h"

using namespace pelmo;
using namespace pelmo::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto answer = bytesOf(data, size);
    const auto clock = stationClockFromStatus(answer);
    FUZZ_CHECK(clock.has_value() == (size >= 25));
    if (!clock) {
        return 0;
    }
    FUZZ_CHECK(*clock == le32(answer, 21));
    ArchiveRecordState state;
    setStationClock(state, *clock);
    const StationCalendar& c = state.station;
    FUZZ_CHECK(c.month >= 1 && c.month <= 12 && c.day >= 1 && c.day <= 31 && c.hour >= 0 &&
               c.hour < 24 && c.minute >= 0 && c.minute < 60 && c.second >= 0 && c.second < 60);
    FUZZ_CHECK(c.year >= 0 && c.year <= 99);
    // The breakdown reads back as the same time code while the two-digit year can hold it
    // (up to the end of 2079).
    if (*clock <= timeCodeFromCalendar(79, 12, 31, 23, 59, 59)) {
        FUZZ_CHECK(timeCodeFromCalendar(c.year, c.month, c.day, c.hour, c.minute, c.second) ==
                   *clock);
    }
    FUZZ_CHECK(timeText(c, TimeTextKind::Time).size() == 8);
    FUZZ_CHECK(timeText(c, TimeTextKind::Date).size() == 8);
    for (const int position :
         {kArchivePositionFirst, kArchivePositionActual, kArchivePositionLast}) {
        FUZZ_CHECK(!archiveFileName(position, c).isEmpty());
    }
    return 0;
}
