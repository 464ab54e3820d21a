#include "editing/channel_definition_logic.h"

#include "base/cp1250.h"
#include "base/decimal_text.h"
#include "base/field_check.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "editing/number_field.h"
#include "model/memory_allocation.h"
#include "model/raw_scale.h"

namespace pelmo {

namespace {

struct InputGroupInfo {
    int firstIndex;
    int count;
    int codeOffset;  // code = index + offset
    int text;
};

constexpr InputGroupInfo kGroups[] = {
    {0, 8, 1, 106}, {8, 6, 1, 107}, {14, 4, 18, 108}, {18, 4, 30, 109}, {22, 4, 42, 399}};

constexpr int kCycleSeconds = 43200;

// Limits travel as round((limit - min) * (65534 / (max - min))), kept inside the field.
std::uint16_t rawLimit(double limit, double min, double max) {
    if (max == min) {
        return 0;
    }
    const double raw = roundHalfEven((limit - min) * (kRawScaleMax / (max - min)));
    if (!(raw >= 0.0)) {
        return 0;
    }
    return static_cast<std::uint16_t>(raw > 65535.0 ? 65535.0 : raw);
}

double numberOf(const QString& text) {
    double v = 0.0;
    (void)readNumber(text, v);
    return v;
}

}  // namespace

int inputGroup(int index) {
    for (int g = 0; g < 5; ++g) {
        const InputGroupInfo& info = kGroups[g];
        if (index >= info.firstIndex && index < info.firstIndex + info.count) {
            return g;
        }
    }
    return -1;
}

QString inputEntryText(int index) {
    const int g = inputGroup(index);
    if (g < 0) {
        return {};
    }
    return txt(kGroups[g].text) + QString::number(index - kGroups[g].firstIndex + 1);
}

std::uint8_t inputCodeForIndex(int index) {
    const int g = inputGroup(index);
    return g < 0 ? 0 : static_cast<std::uint8_t>(index + kGroups[g].codeOffset);
}

int inputIndexForCode(std::uint8_t code) {
    if (code == 0) {
        return 0;
    }
    for (int index = 0; index < kInputEntries; ++index) {
        if (inputCodeForIndex(index) == code) {
            return index;
        }
    }
    return -1;
}

bool isFrequencyEntry(int index) {
    return inputGroup(index) == kFrequency;
}

bool isPulseEntry(int index) {
    const int g = inputGroup(index);
    return g == kDigital || g == kCounter;
}

bool tableForbidden(int index) {
    const int g = inputGroup(index);
    return g == kDigital || g == kCounter || g == kHart;
}

bool tableRequired(int index) {
    return inputGroup(index) == kAnalog;
}

QStringList measurementEntries() {
    return {QString::fromUtf8("Průměrná"),  QString::fromUtf8("Okamžitá"),
            QString::fromUtf8("Minimální"), QString::fromUtf8("Maximální"),
            QString::fromUtf8("Součet"),    QString::fromUtf8("Žádná")};
}

QStringList displayEntries() {
    return {QString::fromUtf8("Žádná"), QString::fromUtf8("Okamžitá"), QString::fromUtf8("Uložená"),
            QString::fromUtf8("Obě")};
}

std::vector<OutputEntry> outputEntries(std::int32_t outputWord, std::uint8_t storedCode) {
    const std::uint8_t stored = baseOutputCode(storedCode);
    std::vector<OutputEntry> list{{QString::fromUtf8("Žádný"), 0}};
    for (int k = 0; k < 2; ++k) {
        const auto code = static_cast<std::uint8_t>(128 + k);
        // Bit k set: the meter computes analog output k + 1 itself.
        if ((outputWord & (1 << k)) == 0 || stored == code) {
            list.push_back({QStringLiteral("Int.analog %1").arg(k + 1), code});
        }
    }
    for (int k = 0; k < 8; ++k) {
        list.push_back(
            {QStringLiteral("Ext.analog %1").arg(k + 1), static_cast<std::uint8_t>(136 + k)});
    }
    for (int k = 0; k < 6; ++k) {
        list.push_back(
            {QStringLiteral("Int.digital %1").arg(k + 1), static_cast<std::uint8_t>(160 + k)});
    }
    for (int k = 0; k < 8; ++k) {
        list.push_back(
            {QStringLiteral("Ext.digital %1").arg(k + 1), static_cast<std::uint8_t>(168 + k)});
    }
    return list;
}

bool isInvertedOutput(std::uint8_t code) {
    return (code >= 144 && code <= 159) || code >= 176;
}

std::uint8_t baseOutputCode(std::uint8_t code) {
    return isInvertedOutput(code) ? static_cast<std::uint8_t>(code - kInvertOffset) : code;
}

OutputSelection selectOutput(const std::vector<OutputEntry>& entries, std::uint8_t storedCode) {
    OutputSelection sel;
    sel.inverted = isInvertedOutput(storedCode);
    const std::uint8_t code = baseOutputCode(storedCode);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].code == code) {
            sel.index = static_cast<int>(i);
        }
    }
    return sel;
}

IntervalParts splitInterval(int seconds) {
    IntervalParts p;
    p.hours = seconds / 3600;
    p.minutes = (seconds - p.hours * 3600) / 60;
    p.seconds = seconds - p.hours * 3600 - p.minutes * 60;
    return p;
}

int joinInterval(int hours, int minutes, int seconds) {
    const int s = hours * 3600 + minutes * 60 + seconds;
    return s == 0 ? 1 : s;
}

bool intervalFitsCycle(int seconds) {
    return seconds > 0 && kCycleSeconds % seconds == 0;
}

QString limitText(const definice_PV_rec& settings, const definice_PV_udaj_rec& data,
                  std::uint16_t raw, int decimals) {
    if (!settings.table_present) {
        return kNoLimit;
    }
    return formatDecimal(rawToValue(data, raw), decimals);
}

TemperatureBoxes temperatureBoxes(int programVersion, int channel) {
    TemperatureBoxes boxes;
    if (programVersion == 0) {
        const bool on = channel == 3 || channel == 6;
        boxes.waterEnabled = on;
        boxes.coefEnabled = on;
    } else if (programVersion == 1) {
        boxes.waterEnabled =
            channel == 1 || channel == 2 || channel == 3 || channel == 5 || channel == 6;
        boxes.coefEnabled = channel == 2 || channel == 3 || channel == 5 || channel == 6;
        // The gas meter uses the two values as gas weight and pressure display offset; on
        // channel 1 the first one is the reference temperature.
        boxes.waterLabel = channel == 1 ? 407 : 363;
        boxes.coefLabel = 364;
    }
    return boxes;
}

bool coefficientAsPercentage(const definice_meridla_rec& meter, int channel) {
    return meter.variant == 8 && (channel == 7 || channel == 8);
}

ChannelCaptions defaultChannelCaptions() {
    ChannelCaptions c;
    c.name = txt(kTextNameLabel);
    c.text = txt(kTextTextLabel);
    c.units = txt(kTextUnit);
    c.sensor = txt(kTextSensorTypeLabel);
    c.minValue = txt(kTextMinValue);
    c.maxValue = txt(kTextMaxValue);
    c.memory = txt(kTextBufferSize);
    c.minLimit = txt(kTextLowLimit);
    c.interval = txt(kTextInterval);
    c.water = txt(kTextCalibrWaterTemp);
    c.coef = txt(kTextTempCoefficient);
    c.maxLimit = txt(kTextHighLimit);
    return c;
}

ChannelForm channelFormFromImage(const StationImage& image, int channel) {
    const definice_PV_rec& s = image.channel(channel);
    const definice_PV_udaj_rec& d = image.channelData(channel);
    ChannelForm f;
    f.name = fromCp1250(d.name);
    f.text = fromCp1250(d.text);
    f.units = fromCp1250(d.units);
    f.sensorType = fromCp1250(d.sensor_type);
    f.minValue = formatDecimal(d.value_min, 4);
    f.maxValue = formatDecimal(d.value_max, 4);
    f.measurement = s.measurement < measurementEntries().size() ? s.measurement : -1;
    f.display = s.display < displayEntries().size() ? s.display : -1;
    f.memory = QString::number(s.memory);
    f.waterTemp = formatDecimal(d.calib_water_temp, 4);
    double coef = d.temp_coef;
    if (coefficientAsPercentage(image.meter, channel)) {
        const double reference = image.meter.constants[8];
        // Without a reference pressure any percentage stores 0, so 0 is what it shows.
        coef = reference == 0.0 ? 0.0 : d.temp_coef / reference * 100.0;
    }
    f.tempCoef = formatDecimal(coef, 4);
    f.inputIndex = inputIndexForCode(s.input_code);
    const auto entries = outputEntries(image.meter.output_word, s.output_code);
    const OutputSelection out = selectOutput(entries, s.output_code);
    f.outputCode = out.index < 0 ? -1 : entries[static_cast<std::size_t>(out.index)].code;
    f.inverted = out.inverted;
    const IntervalParts parts = splitInterval(s.interval);
    f.hours = parts.hours;
    f.minutes = parts.minutes;
    f.seconds = parts.seconds;
    f.minLimit = limitText(s, d, s.limit_low, 3);
    f.maxLimit = limitText(s, d, s.limit_high, 3);
    return f;
}

bool checkChannelFields(const ChannelForm& f, Prompts& prompts) {
    const ChannelCaptions& c = f.captions;
    double v = 0.0;
    std::int64_t digits = 0;
    return validateField(f.name, c.name, FieldKind::Text, prompts, true) &&
           validateField(f.text, c.text, FieldKind::Text, prompts, true) &&
           validateField(f.units, c.units, FieldKind::Text, prompts, true) &&
           validateField(f.sensorType, c.sensor, FieldKind::Text, prompts, false) &&
           checkNumberField(f.minValue, c.minValue, prompts, true, v) &&
           checkNumberField(f.maxValue, c.maxValue, prompts, true, v) &&
           checkDigitsField(f.memory, c.memory, prompts, digits) &&
           (f.minLimit == kNoLimit || checkNumberField(f.minLimit, c.minLimit, prompts, true, v)) &&
           checkDigitsField(QString::number(f.hours), c.interval, prompts, digits) &&
           checkDigitsField(QString::number(f.minutes), c.interval, prompts, digits) &&
           checkDigitsField(QString::number(f.seconds), c.interval, prompts, digits) &&
           checkNumberField(f.waterTemp, c.water, prompts, true, v) &&
           checkNumberField(f.tempCoef, c.coef, prompts, true, v) &&
           (f.maxLimit == kNoLimit || checkNumberField(f.maxLimit, c.maxLimit, prompts, true, v));
}

bool storeChannel(StationImage& image, int channel, const ChannelForm& f, Prompts& prompts) {
    definice_PV_rec& s = image.channel(channel);
    definice_PV_udaj_rec& d = image.channelData(channel);
    bool ok = true;

    // 1. Names and values.
    s.in_use = 1;
    d.name = toCp1250(f.name);
    d.text = toCp1250(f.text);
    d.units = toCp1250(f.units);
    d.sensor_type = toCp1250(f.sensorType);
    d.value_min = numberOf(f.minValue);
    d.value_max = numberOf(f.maxValue);
    if (f.measurement >= 0) {
        s.measurement = static_cast<std::uint8_t>(f.measurement);
    }
    if (f.display >= 0) {
        s.display = static_cast<std::uint8_t>(f.display);
    }
    d.calib_water_temp = numberOf(f.waterTemp);
    d.temp_coef = numberOf(f.tempCoef);

    // 2. Interval.
    const int interval = joinInterval(f.hours, f.minutes, f.seconds);
    if (intervalFitsCycle(interval)) {
        s.interval = static_cast<std::uint16_t>(interval);
    } else {
        prompts.warning(txt(kText24HoursIntervalIs));
        ok = false;
    }

    // 3. Raw limits.
    const bool limits = f.minLimit != kNoLimit && f.maxLimit != kNoLimit;
    const double low = limits ? numberOf(f.minLimit) : 0.0;
    const double high = limits ? numberOf(f.maxLimit) : 0.0;
    if (limits) {
        s.limit_low = rawLimit(low, d.value_min, d.value_max);
        s.limit_high = rawLimit(high, d.value_min, d.value_max);
    }

    // 4. No two channels drive one output.
    if (f.outputCode > 0) {
        for (int n = 1; n <= kChannelCount; ++n) {
            if (n != channel && baseOutputCode(image.channel(n).output_code) == f.outputCode) {
                prompts.error(txt(kTextThisOutputIsAlready) + QString::number(n));
                ok = false;
                break;
            }
        }
    }

    // 5., 6. Output and input codes.
    if (f.outputCode >= 0) {
        s.output_code = static_cast<std::uint8_t>(
            f.outputCode + (f.inverted && f.outputCode != 0 ? kInvertOffset : 0));
    }
    if (f.inputIndex >= 0) {
        s.input_code = inputCodeForIndex(f.inputIndex);
    }

    // 7. Inputs that count or talk carry no table.
    if (s.table_present && tableForbidden(f.inputIndex)) {
        prompts.warning(txt(kTextLinearizationTableIsNot));
        ok = false;
    }

    // 8. Limits against the value range, for a channel that drives an output.
    if (baseOutputCode(s.output_code) != 0 && limits) {
        if (low < d.value_min) {
            prompts.warning(txt(kTextMinLimitMinValue));
            ok = false;
        } else if (high > d.value_max) {
            prompts.warning(txt(kTextMaxLimitMaxValue));
            ok = false;
        }
        if (high < low) {
            prompts.warning(txt(kTextMaxLimitMinLimit));
            ok = false;
        }
        if (d.value_min > d.value_max) {
            prompts.warning(txt(kTextMinValueMaxValue));
            ok = false;
        }
    }

    // 9. Raw range.
    const bool empty = d.value_max == d.value_min;
    s.range_low = 0;
    s.range_high = empty ? 0 : kRawScaleMax;

    // 10. Analog inputs need their table.
    if (tableRequired(f.inputIndex) && !s.table_present) {
        prompts.warning(txt(kTextLinearizatinTableMustBe));
        ok = false;
    }

    // 11. Memory.
    std::int64_t memory = 0;
    (void)readDigits(f.memory, memory);
    if (!checkChannelMemory(image, channel, memory, prompts)) {
        ok = false;
    }

    // 12. Gas meter: a percentage of the normal pressure.
    if (coefficientAsPercentage(image.meter, channel)) {
        d.temp_coef = numberOf(f.tempCoef) / 100.0 * image.meter.constants[8];
    }
    return ok;
}

bool saveChannel(StationImage& image, int channel, const ChannelForm& form, Prompts& prompts) {
    return checkChannelFields(form, prompts) && storeChannel(image, channel, form, prompts);
}

int allocateForChannel(StationImage& image, int channel, int hours, int minutes, int seconds,
                       Prompts& prompts) {
    const int interval = joinInterval(hours, minutes, seconds);
    if (intervalFitsCycle(interval)) {
        image.channel(channel).interval = static_cast<std::uint16_t>(interval);
    } else {
        prompts.warning(txt(kText24HoursIntervalIs));
    }
    allocateAutomaticMemory(image);
    return image.channel(channel).memory;
}

void deleteChannel(definice_PV_rec& s, definice_PV_udaj_rec& d) {
    const definice_PV_rec kept = s;
    s = definice_PV_rec{};
    s.auto_memory = kept.auto_memory;
    s.divider = kept.divider;
    s.table_x = kept.table_x;
    s.table_y = kept.table_y;
    d = definice_PV_udaj_rec{};
}

}  // namespace pelmo
