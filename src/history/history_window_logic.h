#pragma once

#include <QString>
#include <vector>

#include "files/archive_file.h"
#include "history/history_database.h"
#include "link/time_code.h"

namespace pelmo {

// Caption of a reading's kind in the current language (texts 1214..1216).
QString readingKindCaption(ReadingKind kind);

// An ISO 8601 time as the history window lists it ("2024-03-01 12:00:05"); "--" when empty.
QString historyTimeText(const QString& iso);

// The contents column: the archive file's name, the number of messages, the recording's size.
QString readingContents(const StoredReading& reading);

// The station clock of a stored reading; the zero time code when it is unknown.
StationCalendar storedStationClock(const StoredReading& reading);

// An archive record kept in the history as the archive window shows a file: the four time
// texts and the rows with their values formatted as after a read.
ArchiveFileTexts storedArchiveTexts(const StoredReading& reading,
                                    const std::vector<ArchiveEntry>& rows);

// The scroll-bar position of a stored archive record (the actual state when it has no rows).
int storedArchivePosition(const std::vector<ArchiveEntry>& rows);

}  // namespace pelmo
