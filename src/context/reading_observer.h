#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <vector>

namespace pelmo {

class Prompts;
struct MonitoringRecording;
struct StationCalendar;
struct StationImage;

// One value of an archive record as it was read and shown.
struct ArchiveEntry {
    int position = 0;
    int archiveNumber = 0;
    QString recordTime;  // ISO 8601 as the station stamped it, empty for a zero stamp
    int row = 0;         // 1.. as the grid shows it
    QString label;
    QString unit;
    double value = 0.0;
    bool operator==(const ArchiveEntry&) const = default;
};

// Told of every reading a sequence completes (the history keeps them). A reading that cannot
// be kept is reported through `prompts` and never stops the caller, which writes its usual
// files all the same; each returns false only after such a report.
class ReadingObserver {
public:
    virtual ~ReadingObserver() = default;

    virtual bool archiveRead(const StationImage& image, const StationCalendar& stationClock,
                             const QString& summary, const std::vector<ArchiveEntry>& rows,
                             Prompts& prompts) = 0;
    virtual bool messageLogRead(const StationImage& image, const StationCalendar& stationClock,
                                std::span<const std::uint8_t> log, Prompts& prompts) = 0;
    // The recording and the station configuration it was read with.
    virtual bool monitoringRead(StationImage& image, const MonitoringRecording& recording,
                                bool gasVersion, Prompts& prompts) = 0;
};

}  // namespace pelmo
