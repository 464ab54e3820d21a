#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "files/monitoring_file.h"
#include "link/time_code.h"
#include "model/station_image.h"

namespace pelmo {

// One cell of an exported line: a value, a missing value ("---") or no sample ("xxx").
struct ExportCell {
    enum class Kind { Value, Missing, NoSample };
    Kind kind = Kind::NoSample;
    double value = 0.0;
};

struct ExportLine {
    std::uint32_t time = 0;  // station time code of the line
    std::array<ExportCell, kChannelCount> cells;
};

// The value a sample byte of channel 1..8 stands for, or nothing (no table, missing sample).
// Called for the channels of a line in ascending order, so a circuit's temperature and
// pressure are known before its flow.
using SampleValue = std::function<std::optional<double>(int channel, std::uint8_t sample)>;

// The most data lines an export writes: the rows a spreadsheet takes.
inline constexpr std::int64_t kMaxExportLines = 1048575;

// Data lines the export of a recording needs (the longest span over the common interval).
std::int64_t exportLineCount(const MonitoringRecording& recording, const StationImage& image);

// The data lines of the export. The recording is laid out on a grid of g seconds (the
// greatest common divisor of the intervals in use) ending at the station time, every channel
// ending there too; each sample appears on the line of its own sample time. Nothing when the
// grid would need more than kMaxExportLines lines (intervals such as 1 s and 3600 s together).
std::optional<std::vector<ExportLine>> monitoringExportLines(const MonitoringRecording& recording,
                                                             const StationImage& image,
                                                             const SampleValue& value);

struct TextExportOptions {
    bool date = false;       // ExportDate: a date cell starts every data line
    bool delimiter = false;  // Delimiter: a TAB after the marked cells
};

// The column text file: three header lines, then one line per data line, 9-byte cells, CR LF.
QByteArray monitoringTextExport(const StationImage& image, const std::vector<ExportLine>& lines,
                                const TextExportOptions& options, const LocalDateTime& today);

// UTF-8 CSV of the same lines: a header row ("time", then "name [unit]" of each channel in
// use), ISO 8601 times, decimal points, empty cells where the text shows "---" or "xxx".
QByteArray monitoringCsvExport(const StationImage& image, const std::vector<ExportLine>& lines);

// CSV cells shared by the exports: a single-precision value as the shortest text that reads
// back as the same float (decimal point), a text quoted when it needs it, a station time as
// ISO 8601 local time.
QByteArray csvNumber(double v);
QByteArray csvField(const QString& text);
QByteArray csvStationTime(std::uint32_t time);

// Greatest common divisor of the intervals of the channels in use (0 when none is).
int commonInterval(const StationImage& image);

}  // namespace pelmo
