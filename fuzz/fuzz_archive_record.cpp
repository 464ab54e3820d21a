// READ_ARCHIVE_DATA answers: values and time stamp, a daily record one second earlier,
// and the archive file written from the record reads back with the same texts.
#include "archives/archive_logic.h"
#include "fuzz_support.h"

using namespace pelmo;
using namespace pelmo::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto answer = bytesOf(data, size);
    ArchiveRecordState monthly;
    ArchiveRecordState daily;
    const bool ok = decodeArchiveRecord(answer, 3, monthly);
    FUZZ_CHECK(decodeArchiveRecord(answer, kArchiveFirstDay, daily) == ok);
    FUZZ_CHECK(ok == (size >= 5 && std::size_t{data[4]} + 1 + 4 <= size));
    if (!ok) {
        return 0;
    }
    const std::uint32_t stamp = le32(answer, std::size_t{data[4]} + 1);
    FUZZ_CHECK(monthly.record_seconds == stamp && daily.record_seconds == stamp);
    for (std::size_t i = 0; i < monthly.values.size(); ++i) {
        const std::size_t at = 5 + 4 * i;
        FUZZ_CHECK(sameReal(monthly.values[i], at + 4 <= size ? single(answer, at) : 0.0));
        FUZZ_CHECK(sameReal(daily.values[i], monthly.values[i]));
    }
    StationCalendar expected;
    calendarFromTimeCode(stamp > 0 ? stamp - 1 : 0, expected);
    FUZZ_CHECK(daily.record == expected);

    // The archive file of the record, as the archive window writes it.
    setStationClock(monthly, stamp);
    static const ArchiveRows labelled = [] {
        ArchiveRows r;
        for (std::size_t i = 0; i < r.size(); ++i) {
            r[i].label = QStringLiteral("Q%1").arg(i + 1);
            r[i].unit = QStringLiteral("GJ");
        }
        return r;
    }();
    ArchiveRows rows = labelled;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].value = QString::number(monthly.values[i], 'g', 6).replace('.', ',');
    }
    const QByteArray file = encodeArchiveFile(monthly, rows);
    const ArchiveFileTexts texts = decodeArchiveFile(file);
    FUZZ_CHECK(texts.recordTime ==
               QString::fromStdString(timeText(monthly.record, TimeTextKind::Time)));
    FUZZ_CHECK(texts.stationDate ==
               QString::fromStdString(timeText(monthly.station, TimeTextKind::Date)));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        FUZZ_CHECK(texts.rows[i].label == rows[i].label);
    }
    return 0;
}
