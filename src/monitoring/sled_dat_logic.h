#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "files/monitoring_file.h"
#include "model/station_image.h"

namespace pelmo {

// The data tracking view's logic without widgets: chart scales, points, the cursor's
// samples and time, paging and the grid's texts.

inline constexpr int kZoomMinimum = 1000;
inline constexpr int kZoomMaximum = 500000;
inline constexpr int kZoomSmallStep = 5000;
inline constexpr int kInitialWindowWidth = 1000;
inline constexpr int kInitialWindowEnd = 400;
inline constexpr int kCursorTop = 130;  // the cursor line runs from 0 to here
inline constexpr int kViewProgressMaximum = 1050;
inline constexpr double kAxisBottom = -1.0;
inline constexpr double kAxisTop = 100.0;

enum class TrackingMode { Monitoring, Live };

// Scales of a filled chart.
struct ChartScales {
    int span = 0;         // S: the longest channel's samples × interval
    int axis = 1000;      // A: bottom axis and zoom bar maximum (at least 1000)
    int zoomStep = 100;   // A / 10, rounded
    int cursorStep = 1;   // greatest common divisor of the intervals in use
    int largeStep = 100;  // cursorStep × 100
};

ChartScales chartScales(const MonitoringRecording& recording, const StationImage& image);

// A channel that can be drawn: in use and with a sampling interval.
bool charted(const StationImage& image, int channel);

// The points of a channel's series: sample k at ((k + 1) × interval − 1, b ÷ 250 × 100), a
// missing sample at 0.
QList<QPointF> channelPoints(const MonitoringRecording& recording, const StationImage& image,
                             int channel);

// Plotted height of a sample byte.
double samplePercent(std::uint8_t sample);

// The sample byte under the cursor at position P ((P − 1) div interval), 0 past the list.
std::uint8_t sampleAtCursor(const MonitoringRecording& recording, const StationImage& image,
                            int channel, int position);

// Station time at cursor position P: the recording's start (station time less the longest
// announced span, on the grid of the common interval) plus P.
std::uint32_t cursorTime(const MonitoringRecording& recording, const StationImage& image,
                         int position);

// The visible time window: width W and right end E, paged as the cursor moves.
struct ChartWindow {
    int width = kInitialWindowWidth;
    int end = kInitialWindowEnd;
};

struct AxisRange {
    double min = 0;
    double max = 0;
    bool operator==(const AxisRange&) const = default;
};

// Pages the window by at most one width for cursor position P; `firstSeriesPoints` is the
// number of points channel 1's series holds. Gives the new bottom axis range, if it moves.
std::optional<AxisRange> pageWindow(ChartWindow& window, int position, int firstSeriesPoints);

// Spacing of the time axis ticks: the smallest of 1, 2 or 5 times a power of ten (whole
// seconds, at least 1) that puts no more than `maxTicks` intervals on `span` seconds.
double timeTickInterval(double span, int maxTicks);

// "Měřítko [s]: " followed by days, hours, minutes and seconds of the zoom width.
QString zoomCaption(int seconds);

// Input of a channel as the grid shows it: A1..A8, D1..D23, F1..F16, C1...
QString inputName(int inputCode);

// Column 0 of a channel row: "n." and the channel text ("--- N/A ---" when empty).
QString channelCaption(const StationImage& image, int channel);

// Side grid geometry for a grid of the given size.
std::array<int, 5> gridColumnWidths(int gridWidth);
int gridRowHeight(int gridHeight);

// "dd/mm/yy" and "hh:mm:ss" of a station time ("--" fields for the zero year).
QString stationDateText(std::uint32_t time);
QString stationTimeText(std::uint32_t time);

}  // namespace pelmo
