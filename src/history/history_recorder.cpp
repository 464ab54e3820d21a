#include "history/history_recorder.h"

#include <QDateTime>

#include "archives/message_log.h"
#include "base/cp1250.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "files/station_file.h"

namespace pelmo {

StationKey historyKey(const StationImage& image) {
    // Archives and messages do not read the station block: the name in the image is this
    // station's only when the block was read at this address. Else the history keeps the
    // name it knows.
    const bool nameIsThisStations = image.station.net_address == image.bus_address;
    return {image.cmos.serial_number,
            nameIsThisStations ? fromCp1250(image.station.name) : QString(), image.bus_address};
}

namespace {

// Opens the database at `path` and runs `store`; true when stored or when there is no
// database.
template <typename Store>
bool withDatabase(const QString& path, Prompts& prompts, Store store) {
    if (path.isEmpty()) {
        return true;
    }
    HistoryDatabase db(path);
    if (db.open() && store(db) != 0) {
        return true;
    }
    prompts.warning(txt(kTextTheReadingCouldNot).arg(db.error()));
    return false;
}

QString isoFromCode(std::uint32_t seconds) {
    StationCalendar c;
    calendarFromTimeCode(seconds, c);
    return isoStationTime(c);
}

}  // namespace

std::vector<MessageEntry> messageEntries(std::span<const std::uint8_t> log) {
    std::vector<MessageEntry> entries;
    int row = 1;
    for (const MessageRecord& r : messageRecords(log).records) {
        entries.push_back({row++, isoFromCode(r.stamp), r.type, messageText(r.type)});
    }
    return entries;
}

bool HistoryRecorder::archiveRead(const StationImage& image, const StationCalendar& stationClock,
                                  const QString& summary, const std::vector<ArchiveEntry>& rows,
                                  Prompts& prompts) {
    return withDatabase(path_, prompts, [&](HistoryDatabase& db) {
        return db.storeArchive(historyKey(image), isoStationTime(stationClock), summary, rows);
    });
}

bool HistoryRecorder::messageLogRead(const StationImage& image, const StationCalendar& stationClock,
                                     std::span<const std::uint8_t> log, Prompts& prompts) {
    const std::vector<MessageEntry> entries = messageEntries(log);
    const QByteArray bytes(reinterpret_cast<const char*>(log.data()),
                           static_cast<qsizetype>(log.size()));
    return withDatabase(path_, prompts, [&](HistoryDatabase& db) {
        return db.storeMessages(historyKey(image), isoStationTime(stationClock), bytes, entries);
    });
}

bool HistoryRecorder::monitoringRead(StationImage& image, const MonitoringRecording& recording,
                                     bool gasVersion, Prompts& prompts) {
    MonitoringBytes bytes;
    if (!encodeMonitoringFile(recording, bytes.mon)) {
        // Too long for the file format: the file save reports it, the history keeps nothing.
        return true;
    }
    bytes.con = encodeStationFile(image, {gasVersion});
    return withDatabase(path_, prompts, [&](HistoryDatabase& db) {
        return db.storeMonitoring(historyKey(image), isoFromCode(recording.status.station_time),
                                  bytes);
    });
}

}  // namespace pelmo
