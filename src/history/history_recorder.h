#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <span>
#include <vector>

#include "context/reading_observer.h"
#include "files/monitoring_file.h"
#include "files/station_time_iso.h"
#include "history/history_database.h"
#include "link/time_code.h"
#include "model/station_image.h"

namespace pelmo {

class Prompts;

// Stores the readings the sequences complete in the history database at `path` (nothing
// when the path is empty). A database that cannot be opened or written is reported as a
// warning (text 1200) and never stops the caller: the usual files are written all the same.
class HistoryRecorder final : public ReadingObserver {
public:
    explicit HistoryRecorder(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }

    bool archiveRead(const StationImage& image, const StationCalendar& stationClock,
                     const QString& summary, const std::vector<ArchiveEntry>& rows,
                     Prompts& prompts) override;
    bool messageLogRead(const StationImage& image, const StationCalendar& stationClock,
                        std::span<const std::uint8_t> log, Prompts& prompts) override;
    // The recording's .mon bytes and the station file beside it.
    bool monitoringRead(StationImage& image, const MonitoringRecording& recording, bool gasVersion,
                        Prompts& prompts) override;

private:
    QString path_;
};

// The station a reading of `image` is kept under: the serial number, the bus address and the
// name when the station block was read at that address.
StationKey historyKey(const StationImage& image);
// The rows of a message log as the history keeps them, texts in the current language.
std::vector<MessageEntry> messageEntries(std::span<const std::uint8_t> log);

}  // namespace pelmo
