#pragma once

#include <QString>

#include "files/monitoring_export.h"
#include "files/monitoring_file.h"
#include "model/station_image.h"

namespace pelmo {

class Prompts;

// A monitoring file and the station file beside it, as the data tracking view and pelmo-cli
// open, save and export them. Every function reports its own error box (the texts the view
// shows) and tells the caller how it went.
enum class PairResult {
    Ok,
    NoCompanion,  // text 277 shown
    FileError,    // the file error box shown (cannot open, create or write)
    Corrupt,      // text 146 shown (also a recording too long for the file)
    ExportError,  // text 385 shown
};

// Loads the companion station file into `image` (reset first) and the monitoring file into
// `recording`. `version` is the program version (0 steam, 1 gas), which scales two meter
// constants in the station file.
PairResult loadMonitoringPair(const QString& path, StationImage& image,
                              MonitoringRecording& recording, int version, Prompts& prompts);

// The same from the two files' bytes (a recording kept in the history): text 146 when either
// does not decode.
PairResult decodeMonitoringPair(const QByteArray& mon, const QByteArray& con, StationImage& image,
                                MonitoringRecording& recording, int version, Prompts& prompts);

// Writes the monitoring file and the station file under the companion name, both or neither.
// A recording whose data section would not fit the file's 16-bit fields is refused (text 146)
// and nothing is written.
PairResult saveMonitoringPair(const QString& path, StationImage& image,
                              const MonitoringRecording& recording, int version, Prompts& prompts);

enum class ExportFormat { Text, Csv };

// The export lines with the values the view shows at its cursor (version: 0 steam, 1 gas).
std::optional<std::vector<ExportLine>> monitoringLines(const MonitoringRecording& recording,
                                                       const StationImage& image, int version);

// Writes the text export (or the CSV) of the recording.
PairResult exportMonitoring(const QString& path, const StationImage& image,
                            const MonitoringRecording& recording, ExportFormat format,
                            const TextExportOptions& options, int version, Prompts& prompts);

}  // namespace pelmo
