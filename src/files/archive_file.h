#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

#include "link/time_code.h"

namespace pelmo {

class Prompts;

inline constexpr int kArchiveQuantities = 15;

// The archive record last read from a station, and the station clock of that read. The
// programming run and the message transfer store the station clock here too.
struct ArchiveRecordState {
    std::array<double, kArchiveQuantities> values{};
    StationCalendar station;  // station clock when the archive was read
    std::uint32_t station_seconds = 0;
    StationCalendar record;            // the record's time stamp as shown
    std::uint32_t record_seconds = 0;  // the stamp as received
};

// The program's one archive record state.
// Stores a station clock (seconds since 1980) as station seconds and date/time.
void setStationClock(ArchiveRecordState& state, std::uint32_t seconds);

// One row of the archive grid as shown: label, value text (decimal comma), unit.
struct ArchiveRow {
    QString label;
    QString value;
    QString unit;
    bool operator==(const ArchiveRow&) const = default;
};
using ArchiveRows = std::array<ArchiveRow, kArchiveQuantities>;

// What an archive file gives back: the four time texts and up to 15 rows.
struct ArchiveFileTexts {
    QString recordTime;
    QString recordDate;
    QString stationTime;
    QString stationDate;
    ArchiveRows rows;
};

// Scroll-bar positions of the archive window.
inline constexpr int kArchivePositionFirst = 0;
inline constexpr int kArchivePositionLast = 33;
inline constexpr int kArchivePositionActual = 24;
inline constexpr int kArchivePositionPartial = 25;

// Month and two-digit year that monthly position 0..23 shows: the station's month plus
// (position - 24), brought back into 1..12 with the year adjusted.
struct ArchiveMonth {
    int month = 1;
    int year = 0;
};
ArchiveMonth archiveMonth(int position, const StationCalendar& station);

// File name of the archive read at `position` (O_03_2023.dat, Aktualn.dat, Mezista.dat,
// Den_-1.dat); empty for a position outside 0..33.
QString archiveFileName(int position, const StationCalendar& station);

// Fixed columns: record and station time lines, one line per grid row while its label is not
// empty (at most 15), then the trailer 09h 05h 08h.
QByteArray encodeArchiveFile(const ArchiveRecordState& state, const ArchiveRows& rows);
// Reads the columns back by byte position; rows beyond the 15th are ignored.
ArchiveFileTexts decodeArchiveFile(const QByteArray& bytes);

enum class ArchiveFileResult { Ok, NotFound, OpenFailed, WriteFailed };

// Creates the station folder of `path` and writes the file through a temporary file.
// An unopenable file shows the file error box; the caller reports WriteFailed.
ArchiveFileResult saveArchiveFile(const QString& path, const QByteArray& bytes, Prompts& prompts);
// A missing file shows text 234; an unopenable one the file error box.
ArchiveFileResult loadArchiveFile(const QString& path, Prompts& prompts, ArchiveFileTexts& out);

}  // namespace pelmo
