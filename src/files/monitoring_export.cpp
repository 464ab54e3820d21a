#include "files/monitoring_export.h"

#include <QString>
#include <charconv>
#include <cmath>
#include <numeric>

#include "base/cp1250.h"

namespace pelmo {

namespace {

constexpr int kCellWidth = 9;
constexpr char kDegreeProgram = '\xB0';
constexpr char kDegreeFile = '\xF8';

// A channel the export can lay out: in use and with an interval to place its samples by.
bool exported(const StationImage& image, int channel) {
    const definice_PV_rec& c = image.channel(channel);
    return c.in_use && c.interval > 0;
}

std::int64_t roundedDiv(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(
        std::nearbyint(static_cast<double>(a) / static_cast<double>(b)));
}

// First line's time: the grid start aligned down to the smallest interval on the clock,
// one step on.
std::uint32_t firstLineTime(std::uint32_t stationTime, std::int64_t g, std::int64_t n,
                            std::int64_t smallest) {
    std::int64_t s = static_cast<std::int64_t>(stationTime) - g * n;
    if (s < 0) {
        s = 0;
    }
    StationCalendar cal;
    calendarFromTimeCode(static_cast<std::uint32_t>(s), cal);
    if (smallest < 3600) {
        s -= (cal.minute * 60) % smallest;
    } else if (smallest < 86400) {
        s -= (static_cast<std::int64_t>(cal.hour) * 3600) % smallest;
    }
    s -= cal.second % smallest;
    return static_cast<std::uint32_t>(std::max<std::int64_t>(s, 0) + g);
}

void putCell(QByteArray& line, std::string text) {
    text.resize(kCellWidth, ' ');
    for (char& ch : text) {
        if (ch == ',') {
            ch = '.';
        } else if (ch == kDegreeProgram) {
            ch = kDegreeFile;
        }
    }
    line.append(text.data(), kCellWidth);
}

void putTab(QByteArray& line, const TextExportOptions& options) {
    if (options.delimiter) {
        line.append('\t');
    }
}

// Exactly 0 and 65535 are what a station writes for "no value".
bool showsValue(const ExportCell& cell) {
    return cell.kind == ExportCell::Kind::Value && cell.value != 0.0 && cell.value != 65535.0;
}

std::string valueCell(const ExportCell& cell) {
    if (cell.kind == ExportCell::Kind::NoSample) {
        return "   xxx";
    }
    if (!showsValue(cell)) {
        return "   ---";
    }
    return QByteArray::number(cell.value, 'f', 8).left(8).toStdString();
}

std::string calendarText(std::uint32_t time, TimeTextKind kind) {
    StationCalendar cal;
    calendarFromTimeCode(time, cal);
    return timeText(cal, kind);
}

}  // namespace

// Values are single precision as the station computes them: the shortest text that reads
// back as the same float, with a decimal point.
QByteArray csvNumber(double v) {
    std::array<char, 32> buffer{};
    const auto end =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), static_cast<float>(v));
    return QByteArray(buffer.data(), end.ptr - buffer.data());
}

QByteArray csvField(const QString& text) {
    QByteArray f = text.toUtf8();
    if (f.contains(',') || f.contains('"') || f.contains('\n') || f.contains('\r')) {
        f.replace("\"", "\"\"");
        f = '"' + f + '"';
    }
    return f;
}

QByteArray csvStationTime(std::uint32_t time) {
    StationCalendar cal;
    const int century = calendarFromTimeCode(time, cal);
    return QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02d", century * 100 + cal.year, cal.month,
                             cal.day, cal.hour, cal.minute, cal.second)
        .toLatin1();
}

int commonInterval(const StationImage& image) {
    int g = 0;
    for (int c = 1; c <= kChannelCount; ++c) {
        if (exported(image, c)) {
            g = std::gcd(g, static_cast<int>(image.channel(c).interval));
        }
    }
    return g;
}

namespace {

// The export's time grid: step g, n lines, the smallest interval for the alignment.
struct ExportGrid {
    std::int64_t g = 0;
    std::int64_t n = 0;
    std::int64_t smallest = 0;
};

ExportGrid exportGrid(const MonitoringRecording& recording, const StationImage& image) {
    ExportGrid grid;
    grid.g = commonInterval(image);
    if (grid.g == 0) {
        return grid;
    }
    std::int64_t longest = 0;
    for (int c = 1; c <= kChannelCount; ++c) {
        if (!exported(image, c)) {
            continue;
        }
        const std::int64_t interval = image.channel(c).interval;
        grid.smallest = grid.smallest == 0 ? interval : std::min(grid.smallest, interval);
        const std::int64_t count = recording.status.counts[static_cast<std::size_t>(c - 1)];
        if (count < kEmptyListCount) {
            longest = std::max(longest, interval * count);
        }
    }
    grid.n = roundedDiv(longest, grid.g);
    return grid;
}

}  // namespace

std::int64_t exportLineCount(const MonitoringRecording& recording, const StationImage& image) {
    return exportGrid(recording, image).n;
}

std::optional<std::vector<ExportLine>> monitoringExportLines(const MonitoringRecording& recording,
                                                             const StationImage& image,
                                                             const SampleValue& value) {
    const auto [g, n, smallest] = exportGrid(recording, image);
    if (n > kMaxExportLines) {
        return std::nullopt;
    }
    std::vector<ExportLine> lines;
    if (g == 0) {
        return lines;  // no channel in use
    }
    std::array<std::int64_t, kChannelCount> lead{};  // lines before a channel's first sample
    for (int c = 1; c <= kChannelCount; ++c) {
        const std::int64_t count = recording.status.counts[static_cast<std::size_t>(c - 1)];
        lead[static_cast<std::size_t>(c - 1)] =
            exported(image, c) ? n - roundedDiv(image.channel(c).interval * count, g) : 0;
    }
    const std::uint32_t first = firstLineTime(recording.status.station_time, g, n, smallest);
    lines.resize(static_cast<std::size_t>(n));
    for (std::int64_t q = 0; q < n; ++q) {
        ExportLine& line = lines[static_cast<std::size_t>(q)];
        line.time = first + static_cast<std::uint32_t>(q * g);
        for (int c = 1; c <= kChannelCount; ++c) {
            ExportCell& cell = line.cells[static_cast<std::size_t>(c - 1)];
            const std::int64_t k = q - lead[static_cast<std::size_t>(c - 1)];
            if (!exported(image, c) || k < 0) {
                continue;
            }
            const std::int64_t w = k * g / image.channel(c).interval;
            const auto& list = recording.list(c);
            if (static_cast<std::int64_t>(kSampleListHeader) + w >=
                static_cast<std::int64_t>(list.size())) {
                continue;
            }
            const auto v = value(c, list[kSampleListHeader + static_cast<std::size_t>(w)]);
            cell.kind = v ? ExportCell::Kind::Value : ExportCell::Kind::Missing;
            cell.value = v.value_or(0.0);
        }
    }
    return lines;
}

QByteArray monitoringTextExport(const StationImage& image, const std::vector<ExportLine>& lines,
                                const TextExportOptions& options, const LocalDateTime& today) {
    QByteArray out;
    auto header = [&](const std::string& first, auto field) {
        QByteArray line;
        putCell(line, first);
        putTab(line, options);
        for (int c = 1; c <= kChannelCount; ++c) {
            putCell(line, image.channel(c).in_use ? field(image.channelData(c)) : "   ---");
            putTab(line, options);
        }
        out += line + "\r\n";
    };
    header(image.station.name, [](const definice_PV_udaj_rec& d) { return d.name; });
    header(std::to_string(image.meter.meter_number),
           [](const definice_PV_udaj_rec& d) { return d.text.substr(0, 8); });
    const StationCalendar todayCal{today.year % 100, today.month, today.day, 0, 0, 0};
    header(timeText(todayCal, TimeTextKind::Date),
           [](const definice_PV_udaj_rec& d) { return d.units; });

    for (const ExportLine& l : lines) {
        QByteArray line;
        if (options.date) {
            putCell(line, calendarText(l.time, TimeTextKind::Date));
        }
        putCell(line, calendarText(l.time, TimeTextKind::Time));
        putTab(line, options);
        for (const ExportCell& cell : l.cells) {
            putCell(line, valueCell(cell));
            putTab(line, options);
        }
        out += line + "\r\n";
    }
    return out;
}

QByteArray monitoringCsvExport(const StationImage& image, const std::vector<ExportLine>& lines) {
    QByteArray out = "time";
    for (int c = 1; c <= kChannelCount; ++c) {
        if (image.channel(c).in_use) {
            const definice_PV_udaj_rec& d = image.channelData(c);
            out += ',' + csvField(fromCp1250(d.name) + QStringLiteral(" [") + fromCp1250(d.units) +
                                  QLatin1Char(']'));
        }
    }
    out += "\r\n";
    for (const ExportLine& l : lines) {
        out += csvStationTime(l.time);
        for (int c = 1; c <= kChannelCount; ++c) {
            if (!image.channel(c).in_use) {
                continue;
            }
            out += ',';
            const ExportCell& cell = l.cells[static_cast<std::size_t>(c - 1)];
            if (showsValue(cell)) {
                out += csvNumber(cell.value);
            }
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace pelmo
