#include "monitoring/sled_dat_logic.h"

#include <cmath>
#include <limits>

#include "base/cp1250.h"
#include "files/monitoring_export.h"
#include "link/time_code.h"

namespace pelmo {

namespace {

constexpr int kCursorSteps = 100;
constexpr int kZoomSteps = 10;

}  // namespace

bool charted(const StationImage& image, int channel) {
    return image.channel(channel).in_use && image.channel(channel).interval > 0;
}

ChartScales chartScales(const MonitoringRecording& recording, const StationImage& image) {
    ChartScales s;
    std::int64_t span = 0;
    for (int c = 1; c <= kChannelCount; ++c) {
        if (charted(image, c)) {
            span = std::max<std::int64_t>(
                span, static_cast<std::int64_t>(recording.samples(c)) * image.channel(c).interval);
        }
    }
    // 65535 samples of 65535 s do not fit the scroll bar's int.
    s.span = static_cast<int>(std::min<std::int64_t>(span, std::numeric_limits<int>::max()));
    s.axis = std::max(s.span, kZoomMinimum);
    s.zoomStep = static_cast<int>(std::nearbyint(s.axis / static_cast<double>(kZoomSteps)));
    // With no channel in use the cursor still moves second by second.
    s.cursorStep = std::max(commonInterval(image), 1);
    s.largeStep = s.cursorStep * kCursorSteps;
    return s;
}

double samplePercent(std::uint8_t sample) {
    return validSample(sample) ? sample / 250.0 * 100.0 : 0.0;
}

QList<QPointF> channelPoints(const MonitoringRecording& recording, const StationImage& image,
                             int channel) {
    QList<QPointF> points;
    if (!charted(image, channel)) {
        return points;
    }
    const auto& list = recording.list(channel);
    const double interval = image.channel(channel).interval;
    const int n = recording.samples(channel);
    points.reserve(n);
    for (int k = 0; k < n; ++k) {
        points.append(
            QPointF((k + 1) * interval - 1,
                    samplePercent(list[kSampleListHeader + static_cast<std::size_t>(k)])));
    }
    return points;
}

std::uint8_t sampleAtCursor(const MonitoringRecording& recording, const StationImage& image,
                            int channel, int position) {
    if (!charted(image, channel) || position < 1) {
        return 0;
    }
    const std::size_t i =
        static_cast<std::size_t>((position - 1) / image.channel(channel).interval);
    const auto& list = recording.list(channel);
    return kSampleListHeader + i < list.size() ? list[kSampleListHeader + i] : 0;
}

std::uint32_t cursorTime(const MonitoringRecording& recording, const StationImage& image,
                         int position) {
    const std::int64_t g = commonInterval(image);
    std::int64_t longest = 0;
    for (int c = 1; c <= kChannelCount; ++c) {
        const std::int64_t count = recording.status.counts[static_cast<std::size_t>(c - 1)];
        if (charted(image, c) && count < kEmptyListCount) {
            longest = std::max(longest, image.channel(c).interval * count);
        }
    }
    const std::int64_t start =
        g > 0 ? static_cast<std::int64_t>(recording.status.station_time) -
                    g * static_cast<std::int64_t>(
                            std::nearbyint(static_cast<double>(longest) / static_cast<double>(g)))
              : static_cast<std::int64_t>(recording.status.station_time);
    return static_cast<std::uint32_t>(start + position);
}

std::optional<AxisRange> pageWindow(ChartWindow& window, int position, int firstSeriesPoints) {
    const int w = window.width;
    if (position < 0) {
        window.end = w;
        return AxisRange{0, static_cast<double>(w)};
    }
    if (position > window.end || firstSeriesPoints == window.end + 2) {
        const AxisRange r{static_cast<double>(window.end), static_cast<double>(window.end + w)};
        window.end += w;
        return r;
    }
    if (position < window.end - w) {
        const AxisRange r{static_cast<double>(window.end - 2 * w),
                          static_cast<double>(window.end - w)};
        window.end -= w;
        return r;
    }
    return std::nullopt;
}

double timeTickInterval(double span, int maxTicks) {
    const double wanted = span / std::max(maxTicks, 1);
    constexpr double kLargest = 1e12;  // beyond any recording's span
    if (!(wanted > 1)) {
        return 1;
    }
    for (double decade = 1; decade < kLargest; decade *= 10) {
        for (double m : {1.0, 2.0, 5.0}) {
            if (m * decade >= wanted) {
                return m * decade;
            }
        }
    }
    return kLargest;
}

QString zoomCaption(int seconds) {
    const int days = seconds / 86400;
    const int rest = seconds % 86400;
    return QStringLiteral("%1d %2h %3m %4s ")
        .arg(days)
        .arg(rest / 3600)
        .arg(rest % 3600 / 60)
        .arg(rest % 60);
}

QString inputName(int code) {
    if (code < 9) {
        return QStringLiteral("A%1").arg(code);
    }
    if (code < 32) {
        return QStringLiteral("D%1").arg(code - 8);
    }
    if (code < 48) {
        return QStringLiteral("F%1").arg(code - 31);
    }
    return QStringLiteral("C%1").arg(code - 47);
}

QString channelCaption(const StationImage& image, int channel) {
    const std::string& text = image.channelData(channel).text;
    return QString::number(channel) + QLatin1Char('.') +
           (text.empty() ? QStringLiteral("--- N/A ---") : fromCp1250(text));
}

std::array<int, 5> gridColumnWidths(int gridWidth) {
    const double unit = gridWidth / 20.0;
    auto r = [](double v) { return static_cast<int>(std::lround(v)); };
    return {r(unit * 6 + 8), r(unit * 5 - 6), r(unit * 5 - 6), r(unit * 2), r(unit * 2)};
}

int gridRowHeight(int gridHeight) {
    return gridHeight / 9 - 1;
}

QString stationDateText(std::uint32_t time) {
    StationCalendar cal;
    calendarFromTimeCode(time, cal);
    return QString::fromStdString(timeText(cal, TimeTextKind::Date));
}

QString stationTimeText(std::uint32_t time) {
    StationCalendar cal;
    calendarFromTimeCode(time, cal);
    return QString::fromStdString(timeText(cal, TimeTextKind::Time));
}

}  // namespace pelmo
