#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <span>
#include <vector>

#include "files/monitoring_file.h"
#include "history/history_database.h"
#include "link/time_code.h"
#include "model/station_image.h"

namespace pelmo {

class Prompts;

// Stores the readings the sequences complete in the history database the program set up
// (nothing when none is set). A database that cannot be opened or written is reported as a
// warning (text 1200) and never stops the caller: the usual files are written all the same.
// Each returns false only after such a warning.
bool recordArchiveReading(const StationImage& image, const StationCalendar& stationClock,
                          const QString& summary, const std::vector<ArchiveEntry>& rows,
                          Prompts& prompts);
bool recordMessageLog(const StationImage& image, const StationCalendar& stationClock,
                      std::span<const std::uint8_t> log, Prompts& prompts);
// The recording's .mon bytes and the station file beside it (`version` 1: gas).
bool recordMonitoring(StationImage& image, const MonitoringRecording& recording, int version,
                      Prompts& prompts);

// The station a reading of `image` is kept under: the serial number, the bus address and the
// name when the station block was read at that address.
StationKey historyKey(const StationImage& image);
// The rows of a message log as the history keeps them, texts in the current language.
std::vector<MessageEntry> messageEntries(std::span<const std::uint8_t> log);

// ISO 8601 text of a station moment; empty for the zero time code (year 80 shows "--").
QString isoStationTime(const StationCalendar& c);
// Back to the station's calendar; false for an empty or malformed text.
bool stationTimeFromIso(const QString& text, StationCalendar& out);

}  // namespace pelmo
