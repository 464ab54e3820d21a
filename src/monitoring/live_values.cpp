#include "monitoring/live_values.h"

#include "base/cp1250.h"
#include "base/decimal_text.h"
#include "base/file_access.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "files/monitoring_export.h"
#include "link/request_table.h"
#include "monitoring/sample_values.h"

namespace pelmo {

namespace {

constexpr std::size_t kLiveTimeOffset = 5;
constexpr std::size_t kLiveRawOffset = 10;
constexpr std::size_t kLiveChannelStride = 5;
constexpr double kSaturationLowLimit = 0.0;
constexpr double kSaturationHighLimit = 25.0;
constexpr int kSaturationBandConstant = 9;
constexpr int kHysteresisConstant = 10;
const char* const kNotInUse = "xxx";
const char* const kNoValue = "------";

QString valueText(const std::optional<double>& v) {
    return v ? formatDecimal(*v, 3) : QString::fromLatin1(kNoValue);
}

}  // namespace

bool liveAnswerVerifies(std::span<const std::uint8_t> bytes) {
    return bytes.size() == kLiveAnswerLength && trailerMatches(bytes, 1);
}

std::optional<LiveRecord> decodeLiveAnswer(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kLiveAnswerLength) {
        return std::nullopt;
    }
    LiveRecord r;
    r.time = static_cast<std::uint32_t>(bytes[kLiveTimeOffset]) |
             static_cast<std::uint32_t>(bytes[kLiveTimeOffset + 1]) << 8 |
             static_cast<std::uint32_t>(bytes[kLiveTimeOffset + 2]) << 16 |
             static_cast<std::uint32_t>(bytes[kLiveTimeOffset + 3]) << 24;
    for (std::size_t i = 0; i < kChannelCount; ++i) {
        const std::size_t at = kLiveRawOffset + kLiveChannelStride * i;
        r.raw[i] = bytes[at] | bytes[at + 1] << 8;
    }
    return r;
}

double livePercent(std::int32_t raw) {
    return raw / static_cast<double>(kLiveRawTop) * 100.0;
}

int steamState(SteamCalculator& calculator, const definice_meridla_rec& meter, double t, double p) {
    const CalcValue ts =
        calculator.saturationTemperature(p, kSaturationLowLimit, kSaturationHighLimit);
    if (!ts) {
        return 0;
    }
    if (t < *ts - meter.constants[kSaturationBandConstant - 1]) {
        return 3;
    }
    if (t < *ts - meter.constants[kHysteresisConstant - 1]) {
        return 2;
    }
    return 1;
}

QString steamStateLetter(int state) {
    switch (state) {
        case 1:
            return QStringLiteral("S");
        case 2:
            return QStringLiteral("M");
        case 3:
            return QStringLiteral("F");
        default:
            return QString();
    }
}

LiveEvaluator::LiveEvaluator(const StationImage& image, int version)
    : image_(image), version_(version), calculator_(image) {}

double LiveEvaluator::rangeValue(const definice_PV_udaj_rec& data, std::int32_t raw) {
    return data.value_min + (data.value_max - data.value_min) * raw / kLiveRawTop;
}

int LiveEvaluator::steamState(double t, double p) {
    return pelmo::steamState(calculator_, image_.meter, t, p);
}

std::optional<double> LiveEvaluator::operator()(int channel, std::int32_t raw) {
    if (channel < 1 || channel > kChannelCount || !image_.channel(channel).table_present) {
        return 0.0;
    }
    double v = rangeValue(image_.channelData(channel), raw);
    const int variant = image_.meter.variant;
    if (variant != 0) {
        if (channel == 1 || channel == 4) {
            temperature_ = v;
        } else if (channel == 2 || channel == 5) {
            pressure_ = v;
        } else if (channel == 3 && steamState(temperature_, pressure_) == 3) {
            v = 0.0;
        }
    }
    if (version_ == 0) {
        const CalcValue derived = calculator_.derive(channel - 1, v);
        if (!derived) {
            return std::nullopt;
        }
        v = *derived;
        if (steamPressureCorrected(channel, variant)) {
            v -= kSteamPressureCorrection;
        }
    } else if ((channel == 3 || channel == 6) && image_.channel(channel).in_use) {
        const CalcValue flow = calculator_.gasFlow(channel, v, pressure_, temperature_);
        if (!flow) {
            return std::nullopt;
        }
        v = *flow;
    }
    return v;
}

std::array<QString, kChannelCount> liveValueTexts(const StationImage& image, int version,
                                                  const LiveRecord& record) {
    std::array<QString, kChannelCount> texts;
    LiveEvaluator evaluate(image, version);
    for (int c = 1; c <= kChannelCount; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        texts[i] = image.channel(c).in_use ? valueText(evaluate(c, record.raw[i]))
                                           : QString::fromLatin1(kNotInUse);
    }
    return texts;
}

LiveCursor liveCursor(const StationImage& image, int version, const LiveRecords& records,
                      int position) {
    LiveCursor cursor;
    if (position < 0 || static_cast<std::size_t>(position) >= records.size()) {
        cursor.values.fill(QStringLiteral("---"));
        return cursor;
    }
    const LiveRecord& record = records[static_cast<std::size_t>(position)];
    cursor.onRecord = true;
    cursor.time = record.time;
    LiveEvaluator evaluate(image, version);
    for (int c = 1; c <= kChannelCount; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        if (!image.channel(c).in_use) {
            cursor.values[i] = QString::fromLatin1(kNotInUse);
            continue;
        }
        const auto v = evaluate(c, record.raw[i]);
        const double physical = image.channel(c).table_present
                                    ? LiveEvaluator::rangeValue(image.channelData(c), record.raw[i])
                                    : 0.0;
        if (c == 1 || c == 4) {
            cursor.temperature = static_cast<float>(physical);
        } else if (c == 2 || c == 5) {
            cursor.pressure = static_cast<float>(physical);
        }
        cursor.values[i] = valueText(v);
        if (c == 3 || c == 6) {
            const int state = evaluate.steamState(cursor.temperature, cursor.pressure);
            cursor.states[i] = steamStateLetter(state);
            if (state == 3) {
                cursor.values[i] = formatDecimal(0.0, 3);
            }
        }
    }
    return cursor;
}

bool advanceLiveChart(ChartWindow& window, int points) {
    if (points != window.end) {
        return false;
    }
    window.end += kLiveAdvance;
    return true;
}

QByteArray liveCsvHeader(const StationImage& image) {
    QByteArray out = "time";
    for (int c = 1; c <= kChannelCount; ++c) {
        if (image.channel(c).in_use) {
            const definice_PV_udaj_rec& d = image.channelData(c);
            const QString name =
                fromCp1250(d.name) + QStringLiteral(" [") + fromCp1250(d.units) + QLatin1Char(']');
            out += ',' + csvField(name + QStringLiteral(" raw")) + ',' + csvField(name);
        }
    }
    return out + "\r\n";
}

QByteArray liveCsvLine(const StationImage& image, int version, const LiveRecord& record) {
    QByteArray out = csvStationTime(record.time);
    LiveEvaluator evaluate(image, version);
    for (int c = 1; c <= kChannelCount; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        if (image.channel(c).in_use) {
            out += ',' + QByteArray::number(record.raw[i]) + ',';
            if (const auto v = evaluate(c, record.raw[i])) {
                out += csvNumber(*v);
            }
        }
    }
    return out + "\r\n";
}

QByteArray liveCsvExport(const StationImage& image, int version, const LiveRecords& records) {
    QByteArray out = liveCsvHeader(image);
    for (const LiveRecord& r : records) {
        out += liveCsvLine(image, version, r);
    }
    return out;
}

bool exportLiveCsv(const QString& path, const StationImage& image, int version,
                   const LiveRecords& records, Prompts& prompts) {
    return writeFileAtomically(path, liveCsvExport(image, version, records), prompts) ==
           WriteResult::Ok;
}

}  // namespace pelmo
