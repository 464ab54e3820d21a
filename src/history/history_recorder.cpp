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

// Opens the configured database and runs `store`; true when stored or when no database is
// set up.
template <typename Store>
bool withDatabase(Prompts& prompts, Store store) {
    const QString path = historyDatabasePath();
    if (path.isEmpty()) {
        return true;
    }
    HistoryDatabase db(path);
    if (db.open() && store(db) != 0) {
        return true;
    }
    prompts.warning(txt(1200).arg(db.error()));
    return false;
}

QString isoFromCode(std::uint32_t seconds) {
    StationCalendar c;
    calendarFromTimeCode(seconds, c);
    return isoStationTime(c);
}

}  // namespace

QString isoStationTime(const StationCalendar& c) {
    if (c.year == 80 && c.month == 1 && c.day == 1 && c.hour == 0 && c.minute == 0 &&
        c.second == 0) {
        return {};
    }
    const int year = c.year >= 80 ? 1900 + c.year : 2000 + c.year;
    return QStringLiteral("%1-%2-%3T%4:%5:%6")
        .arg(year, 4, 10, QLatin1Char('0'))
        .arg(c.month, 2, 10, QLatin1Char('0'))
        .arg(c.day, 2, 10, QLatin1Char('0'))
        .arg(c.hour, 2, 10, QLatin1Char('0'))
        .arg(c.minute, 2, 10, QLatin1Char('0'))
        .arg(c.second, 2, 10, QLatin1Char('0'));
}

bool stationTimeFromIso(const QString& text, StationCalendar& out) {
    const QDateTime t = QDateTime::fromString(text, Qt::ISODate);
    if (!t.isValid() || t.date().year() < 1980 || t.date().year() > 2079) {
        return false;
    }
    out = {t.date().year() % 100, t.date().month(),  t.date().day(),
           t.time().hour(),       t.time().minute(), t.time().second()};
    return true;
}

std::vector<MessageEntry> messageEntries(std::span<const std::uint8_t> log) {
    std::vector<MessageEntry> entries;
    int row = 1;
    for (const MessageRecord& r : messageRecords(log).records) {
        entries.push_back({row++, isoFromCode(r.stamp), r.type, messageText(r.type)});
    }
    return entries;
}

bool recordArchiveReading(const StationImage& image, const StationCalendar& stationClock,
                          const QString& summary, const std::vector<ArchiveEntry>& rows,
                          Prompts& prompts) {
    return withDatabase(prompts, [&](HistoryDatabase& db) {
        return db.storeArchive(historyKey(image), isoStationTime(stationClock), summary, rows);
    });
}

bool recordMessageLog(const StationImage& image, const StationCalendar& stationClock,
                      std::span<const std::uint8_t> log, Prompts& prompts) {
    const std::vector<MessageEntry> entries = messageEntries(log);
    const QByteArray bytes(reinterpret_cast<const char*>(log.data()),
                           static_cast<qsizetype>(log.size()));
    return withDatabase(prompts, [&](HistoryDatabase& db) {
        return db.storeMessages(historyKey(image), isoStationTime(stationClock), bytes, entries);
    });
}

bool recordMonitoring(StationImage& image, const MonitoringRecording& recording, int version,
                      Prompts& prompts) {
    MonitoringBytes bytes;
    if (!encodeMonitoringFile(recording, bytes.mon)) {
        // Too long for the file format: the file save reports it, the history keeps nothing.
        return true;
    }
    bytes.con = encodeStationFile(image, {version == 1});
    return withDatabase(prompts, [&](HistoryDatabase& db) {
        return db.storeMonitoring(historyKey(image), isoFromCode(recording.status.station_time),
                                  bytes);
    });
}

}  // namespace pelmo
