#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>

#include "calc/steam_calculator.h"
#include "model/station_image.h"
#include "monitoring/sled_dat_logic.h"

namespace pelmo {

class Prompts;

// What the live tracking keeps of one READ_LIVE answer: the raw values of channels 1..8
// (0..65534 scale) and the station time.
struct LiveRecord {
    std::array<std::int32_t, kChannelCount> raw{};
    std::uint32_t time = 0;
};
static_assert(sizeof(LiveRecord) == 36);

using LiveRecords = std::deque<LiveRecord>;

inline constexpr int kLiveAnswerLength = 51;
inline constexpr int kLiveRawTop = 65534;
inline constexpr int kLiveWindowWidth = 400;
inline constexpr int kLiveAdvance = 300;  // three quarters of the window
inline constexpr int kLiveCursorMaximum = 3600;

// Whether the received bytes are a whole live answer: exactly 51 bytes whose trailer
// matches behind the station's leading 06h.
bool liveAnswerVerifies(std::span<const std::uint8_t> bytes);
// The record of a verified live answer; nothing for anything shorter than 51 bytes.
std::optional<LiveRecord> decodeLiveAnswer(std::span<const std::uint8_t> bytes);

// Plotted height of a raw value: 0 at 0, 100 at 65534.
double livePercent(std::int32_t raw);

// Steam state of a circuit at temperature T and pressure p: 1 superheated ("S"), 2 moist
// ("M"), 3 flooded ("F"); 0 when the saturation temperature cannot be computed.
int steamState(SteamCalculator& calculator, const definice_meridla_rec& meter, double t, double p);
QString steamStateLetter(int state);

// Values of the channels of one record, fed in ascending channel order so that a circuit's
// temperature and pressure are set before its flow.
class LiveEvaluator {
public:
    LiveEvaluator(const StationImage& image, int version);

    // The channel's value at a raw reading (0 without a table); nothing when the steam or
    // gas figures cannot be computed.
    std::optional<double> operator()(int channel, std::int32_t raw);
    // The channel's range value before any derivation.
    static double rangeValue(const definice_PV_udaj_rec& data, std::int32_t raw);
    int steamState(double t, double p);

    double temperature() const { return temperature_; }
    double pressure() const { return pressure_; }

private:
    const StationImage& image_;
    int version_;
    SteamCalculator calculator_;
    double temperature_ = 0.0;
    double pressure_ = 0.0;
};

// Column 1 of the grid for a new record: "%.3f" of each channel in use, "xxx" otherwise.
std::array<QString, kChannelCount> liveValueTexts(const StationImage& image, int version,
                                                  const LiveRecord& record);

// The side panel at cursor position P over the records.
struct LiveCursor {
    bool onRecord = false;  // P names a record
    std::uint32_t time = 0;
    std::array<QString, kChannelCount> values;  // column 2
    std::array<QString, kChannelCount> states;  // column 4
    float temperature = 0.0f;                   // the circuit at the cursor
    float pressure = 0.0f;
};
LiveCursor liveCursor(const StationImage& image, int version, const LiveRecords& records,
                      int position);

// Moves the live chart on when channel 1's series reaches the window end: both ends of the
// axis move right by 300 and so does the window end, so the chart keeps following.
bool advanceLiveChart(ChartWindow& window, int points);

// UTF-8 CSV of the records: a header row ("time", then "name [unit] raw" and "name [unit]"
// of each channel in use), ISO 8601 times, raw and engineering value per channel, decimal
// points, an empty cell where no value can be computed.
QByteArray liveCsvHeader(const StationImage& image);
QByteArray liveCsvLine(const StationImage& image, int version, const LiveRecord& record);
QByteArray liveCsvExport(const StationImage& image, int version, const LiveRecords& records);
// Writes the CSV through a temporary file; false after the error box (the file error box when
// it cannot be created, text 385 when writing fails).
bool exportLiveCsv(const QString& path, const StationImage& image, int version,
                   const LiveRecords& records, Prompts& prompts);

}  // namespace pelmo
