#include "files/station_file.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string>

#include "base/file_access.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "model/raw_scale.h"

namespace pelmo {

namespace {

constexpr int kTextWidth = 20;
constexpr int kReadWidth = 14;
constexpr int kStationRecords = 35;
constexpr int kChannelRecords = 33;
constexpr int kTableLines = 16;
constexpr char kProgramDegree = '\xB0';
constexpr char kFileDegree = '\xF8';

static_assert(kStationRecords + kChannelCount * kChannelRecords == kStationFileRecords);

const std::array<const char*, 5> kMeasurementNames{"Prumerna", "Okamzita", "Minimalni", "Maximalni",
                                                   "Soucet"};
const std::array<const char*, 4> kDisplayNames{"Zadna", "Okamzita", "Ulozena", "Obe"};

std::string fixed(double value, int decimals) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    // Values too large for the buffer cannot come from a station image; write 0 then.
    return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string("0");
}

std::string two(int v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

class Writer {
public:
    // One line: the text cut to 20 characters, commas as points, the file's degree sign.
    void line(const std::string& text, bool narrow = false) {
        std::string rec(kStationFileRecord, ' ');
        for (std::size_t i = 0; i < text.size() && i < kTextWidth; ++i) {
            char c = text[i];
            if (c == ',') {
                c = '.';
            } else if (c == kProgramDegree) {
                c = kFileDegree;
            }
            rec[i] = c;
        }
        if (narrow) {
            for (int i = 15; i < kTextWidth; ++i) {
                rec[static_cast<std::size_t>(i)] = '\0';
            }
        }
        rec[20] = '\r';
        rec[21] = '\n';
        out.append(rec.data(), static_cast<qsizetype>(rec.size()));
    }
    void number(long long v, bool narrow = true) { line(std::to_string(v), narrow); }
    void real(double v, bool narrow = true) { line(fixed(v, 4), narrow); }
    // Puts one byte into the last line written.
    void patchLast(int offset, char c) { out[out.size() - kStationFileRecord + offset] = c; }

    QByteArray out;
};

class Reader {
public:
    explicit Reader(const QByteArray& bytes) : bytes_(bytes) {}

    // The next 22-byte line, or false when the file is too short.
    bool next() {
        if (pos_ + kStationFileRecord > bytes_.size()) {
            return false;
        }
        current_ = bytes_.mid(pos_, kStationFileRecord);
        pos_ += kStationFileRecord;
        return true;
    }
    // The line's text as the program reads it: 14 characters, degree sign, no trailing blanks.
    std::string text() const {
        std::string s(current_.constData(), kReadWidth);
        for (char& c : s) {
            if (c == kFileDegree) {
                c = kProgramDegree;
            }
        }
        while (!s.empty() && s.back() == ' ') {
            s.pop_back();
        }
        return s;
    }
    bool real(double& out) const { return parseNumber(text(), out); }
    const QByteArray& raw() const { return current_; }

    static bool parseNumber(std::string s, double& out) {
        while (!s.empty() && s.front() == ' ') {
            s.erase(s.begin());
        }
        while (!s.empty() && s.back() == ' ') {
            s.pop_back();
        }
        if (s.empty()) {
            out = 0.0;
            return true;
        }
        const char* end = s.data() + s.size();
        const auto r = std::from_chars(s.data(), end, out);
        return r.ec == std::errc() && r.ptr == end && std::isfinite(out);
    }

private:
    const QByteArray& bytes_;
    qsizetype pos_ = 0;
    QByteArray current_;
};

// An integer field of the given range, from a line that must hold a number.
template <typename T>
bool integerField(const Reader& r, T& field, double lo, double hi) {
    double v = 0.0;
    if (!r.real(v)) {
        return false;
    }
    v = std::trunc(v);
    if (v < lo || v > hi) {
        return false;
    }
    field = static_cast<T>(v);
    return true;
}

bool u16Field(const Reader& r, std::uint16_t& field) {
    return integerField(r, field, 0, 65535);
}
bool i32Field(const Reader& r, std::int32_t& field) {
    return integerField(r, field, -2147483648.0, 2147483647.0);
}

std::uint16_t clampRaw(double v) {
    const double r = roundHalfEven(v);
    return static_cast<std::uint16_t>(r < 0.0 ? 0.0 : (r > 65535.0 ? 65535.0 : r));
}

int divider(const definice_PV_rec& s) {
    return s.divider == 0 ? 1 : s.divider;
}

void writeChannel(Writer& w, int n, definice_PV_rec& s, definice_PV_udaj_rec& d) {
    const bool frequency = isFrequencyInput(s.input_code);
    w.line("Velicina c. " + std::to_string(n));
    w.line(d.name);
    w.line(d.text, true);
    w.line(d.units);
    w.line(d.sensor_type);
    w.line(fixed(d.value_min, 4));
    w.line(fixed(d.value_max, 4));
    w.line(std::to_string(frequency ? s.input_code - 17 : s.input_code));
    const int digit =
        static_cast<int>(std::trunc(std::sqrt(static_cast<double>(divider(s))) + 1.0));
    w.patchLast(19, std::to_string(digit)[0]);
    w.line(two(s.interval / 3600) + ":" + two((s.interval % 3600) / 60) + ":" +
           two(s.interval % 60));
    w.line(std::to_string(s.memory));
    w.line(s.measurement < kMeasurementNames.size() ? kMeasurementNames[s.measurement] : "0");
    w.line(s.display < kDisplayNames.size() ? kDisplayNames[s.display] : "0");
    w.line(std::to_string(outputNumberFromCode(s.output_code)));
    w.line(fixed(s.table_present ? rawToValue(d, s.limit_low) : 0.0, 4));
    w.line(fixed(s.table_present ? rawToValue(d, s.limit_high) : 0.0, 4));
    w.line(fixed(d.calib_water_temp, 4));
    w.line(fixed(d.temp_coef, 4));
    for (int j = 0; j < kTableLines; ++j) {
        const auto k = static_cast<std::size_t>(j);
        const double input = frequency ? s.table_x[k] / static_cast<double>(divider(s)) * 100.0
                                       : static_cast<double>(s.table_x[k]);
        const double value =
            j < s.table_points ? s.table_y[k] * d.table_scale + d.table_offset : 0.0;
        w.line(fixed(input, 6) + "  " + fixed(value, 6));
    }
}

// One table line: "input  value"; returns false when a number does not parse.
bool readTableLine(const QByteArray& raw, double& input, double& value) {
    std::string t(raw.constData(), static_cast<std::size_t>(raw.size()));
    while (!t.empty() && (t.back() == ' ' || t.back() == '\r' || t.back() == '\n')) {
        t.pop_back();
    }
    if (!t.empty() && t.front() == ' ') {
        t.erase(t.begin());
    }
    std::string inputText = t;
    std::string valueText;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == ' ') {
            inputText = t.substr(0, i);
            valueText = t.substr(i + 1);
            break;
        }
        if (t[i] == '-') {
            inputText.clear();
            valueText = i + 3 < t.size() ? t.substr(i + 3) : std::string();
            break;
        }
    }
    return Reader::parseNumber(inputText, input) && Reader::parseNumber(valueText, value);
}

void rebuildTable(definice_PV_rec& s, definice_PV_udaj_rec& d,
                  const std::array<double, kTableLines>& inputs,
                  const std::array<double, kTableLines>& values) {
    int last = -1;
    for (int j = kTableLines - 1; j >= 0; --j) {
        const auto k = static_cast<std::size_t>(j);
        if (inputs[k] != 0.0 && values[k] != 0.0) {
            last = j;
            break;
        }
    }
    if (last < 1) {
        return;
    }
    double lowest = 65535.0;
    double highest = -65535.0;
    for (int j = 0; j <= last; ++j) {
        lowest = std::min(lowest, values[static_cast<std::size_t>(j)]);
        highest = std::max(highest, values[static_cast<std::size_t>(j)]);
    }
    double scale = (highest - lowest) / kRawScaleMax;
    if (scale == 0.0) {
        scale = 1.0;
    }
    for (int j = 0; j <= last; ++j) {
        const auto k = static_cast<std::size_t>(j);
        s.table_x[k] = clampRaw(inputs[k]);
        s.table_y[k] = clampRaw((values[k] - lowest) / scale);
    }
    s.table_present = 1;
    s.table_points = static_cast<std::uint16_t>(last + 1);
    d.table_scale = scale;
    d.table_offset = lowest;
}

bool readChannel(Reader& r, definice_PV_rec& s, definice_PV_udaj_rec& d) {
    double lowLimit = 0.0;
    double highLimit = 0.0;
    auto next = [&r] { return r.next(); };
    if (!next()) {  // "Velicina c. n"
        return false;
    }
    if (!next()) {
        return false;
    }
    d.name = r.text();
    if (!d.name.empty()) {
        s.in_use = 1;
    }
    if (!next()) {
        return false;
    }
    d.text = r.text();
    if (!next()) {
        return false;
    }
    d.units = r.text();
    if (!next()) {
        return false;
    }
    d.sensor_type = r.text();
    if (!next() || !r.real(d.value_min) || !next() || !r.real(d.value_max)) {
        return false;
    }
    if (!next() || !integerField(r, s.input_code, 0, 255)) {
        return false;
    }
    if (s.input_code >= 15 && s.input_code <= 18) {
        s.input_code = static_cast<std::uint8_t>(s.input_code + 17);
    }
    const char digit = r.raw()[19];
    if (digit == ' ' || digit == '\0') {
        s.divider = 1;
    } else if (digit >= '0' && digit <= '9') {
        const int dv = (digit - '0' - 1) * (digit - '0' - 1);
        s.divider = static_cast<std::uint16_t>(dv == 0 ? 1 : dv);
    } else {
        return false;
    }
    if (!next()) {
        return false;
    }
    const std::string interval = r.text();
    if (interval.size() <= 7) {
        s.interval = 0;
    } else {
        double h = 0, m = 0, sec = 0;
        if (!Reader::parseNumber(interval.substr(0, 2), h) ||
            !Reader::parseNumber(interval.substr(3, 2), m) ||
            !Reader::parseNumber(interval.substr(6, 2), sec)) {
            return false;
        }
        const double total = h * 3600 + m * 60 + sec;
        if (total < 0 || total > 65535) {
            return false;
        }
        s.interval = static_cast<std::uint16_t>(total);
    }
    if (!next() || !u16Field(r, s.memory)) {
        return false;
    }
    if (!next()) {
        return false;
    }
    s.measurement = 0;
    for (std::size_t i = 0; i < kMeasurementNames.size(); ++i) {
        if (r.text() == kMeasurementNames[i]) {
            s.measurement = static_cast<std::uint8_t>(i);
        }
    }
    if (!next()) {
        return false;
    }
    const std::string display = r.text();
    s.display = display == "Zadna" ? 0 : display == "Okamzita" ? 1 : display == "Ulozena" ? 2 : 3;
    int outputNumber = 0;
    if (!next() || !integerField(r, outputNumber, -2147483648.0, 2147483647.0)) {
        return false;
    }
    s.output_code = outputCodeFromNumber(outputNumber);
    if (!next() || !r.real(lowLimit) || !next() || !r.real(highLimit)) {
        return false;
    }
    if (!next() || !r.real(d.calib_water_temp) || !next() || !r.real(d.temp_coef)) {
        return false;
    }
    std::array<double, kTableLines> inputs{};
    std::array<double, kTableLines> values{};
    const bool frequency = isFrequencyInput(s.input_code);
    for (std::size_t j = 0; j < kTableLines; ++j) {
        if (!next() || !readTableLine(r.raw(), inputs[j], values[j])) {
            return false;
        }
        if (frequency) {
            inputs[j] = inputs[j] / 100.0 * divider(s);
        }
        inputs[j] = std::min(inputs[j], frequency ? 5000.0 : 4092.0);
    }
    rebuildTable(s, d, inputs, values);

    const bool empty = d.value_max == d.value_min;
    s.limit_high = empty ? 0 : valueToRaw(d, highLimit);
    s.limit_low = empty ? 0 : valueToRaw(d, lowLimit);
    s.range_high = empty ? 0 : valueToRaw(d, d.value_max);
    s.range_low = empty ? 0 : valueToRaw(d, d.value_min);
    return true;
}

}  // namespace

int outputNumberFromCode(std::uint8_t code) {
    const bool inverted = (code >= 144 && code <= 159) || (code >= 176 && code <= 191);
    const int plain = inverted ? code - 16 : code;
    int number = 0;
    if (plain == 128 || plain == 129) {
        number = plain - 127;
    } else if (plain >= 136 && plain <= 143) {
        number = plain - 133;
    } else if (plain >= 160 && plain <= 165) {
        number = plain - 149;
    } else if (plain >= 168 && plain <= 175) {
        number = plain - 151;
    } else {
        return 0;
    }
    return inverted ? number + 25 : number;
}

std::uint8_t outputCodeFromNumber(int number) {
    const bool inverted = number > 24;
    if (inverted) {
        number -= 25;
    }
    int code = 3;
    if (number == 0) {
        code = 0;
    } else if (number == 1 || number == 2) {
        code = number + 127;
    } else if (number >= 3 && number <= 10) {
        code = number + 133;
    } else if (number >= 11 && number <= 16) {
        code = number + 149;
    } else if (number >= 17 && number <= 24) {
        code = number + 151;
    }
    return static_cast<std::uint8_t>(inverted ? code + 16 : code);
}

QByteArray encodeStationFile(StationImage& image, const StationFileOptions& options) {
    Writer w;
    const stanice_rec& st = image.station;
    const definice_meridla_rec& m = image.meter;
    const double gas = options.gasVersion ? 1e6 : 1.0;
    w.line(st.name);
    w.line("nactena stanice");
    w.line(st.meter_name);
    w.line("nactena stanice");
    w.line(std::to_string(st.messages_total));
    w.line(std::to_string(st.net_address));
    w.line("Metoda-v.c.: 0");
    w.number(m.meter_number);
    w.number(m.mode_b);
    w.number(m.mode_a);
    w.real(m.constants[0]);
    w.real(m.constants[1]);
    w.real(m.constants[2] * gas);
    w.real(m.constants[3]);
    w.real(m.constants[4] / 100.0);
    for (std::size_t i = 5; i < 14; ++i) {
        w.real(m.constants[i]);
    }
    w.real(m.constants[14] * gas);
    w.number(m.mode_copy);
    w.number(m.interval_p1);
    w.number(m.interval_p2);
    w.number(m.interval_cond);
    w.number(m.reserved_word);
    w.real(m.imp_coef_1);
    w.real(m.imp_coef_2);
    w.number(0);
    w.number(0);
    w.number(m.output_word);
    for (int n = 1; n <= kChannelCount; ++n) {
        definice_PV_rec& s = image.channel(n);
        definice_PV_udaj_rec& d = image.channelData(n);
        s.in_use = d.name.empty() ? 0 : 1;
        writeChannel(w, n, s, d);
    }
    return w.out;
}

bool decodeStationFile(const QByteArray& bytes, StationImage& image,
                       const StationFileOptions& options) {
    Reader r(bytes);
    stanice_rec& st = image.station;
    definice_meridla_rec& m = image.meter;
    const double gas = options.gasVersion ? 1e6 : 1.0;
    auto next = [&r] { return r.next(); };

    if (!next()) {
        return false;
    }
    st.name = r.text();
    if (!next() || !next()) {
        return false;
    }
    st.meter_name = r.text();
    if (!next() || !next() || !i32Field(r, st.messages_total)) {
        return false;
    }
    if (!next() || !u16Field(r, st.net_address)) {
        return false;
    }
    st.from_file = 1;
    if (!next() || !next() || !u16Field(r, m.meter_number)) {
        return false;
    }
    if (!next() || !integerField(r, m.mode_b, 0, 255)) {
        return false;
    }
    m.variant = m.mode_b & 0x0F;
    if (!next() || !integerField(r, m.mode_a, 0, 255)) {
        return false;
    }
    for (std::size_t i = 0; i < kConstantCount; ++i) {
        if (!next() || !r.real(m.constants[i])) {
            return false;
        }
    }
    m.constants[2] /= gas;
    m.constants[4] *= 100.0;
    m.constants[14] /= gas;
    for (std::int32_t* field :
         {&m.mode_copy, &m.interval_p1, &m.interval_p2, &m.interval_cond, &m.reserved_word}) {
        if (!next() || !i32Field(r, *field)) {
            return false;
        }
    }
    if (!next() || !r.real(m.imp_coef_1) || !next() || !r.real(m.imp_coef_2)) {
        return false;
    }
    if (!next() || !next() || !next() || !i32Field(r, m.output_word)) {
        return false;
    }
    for (int n = 1; n <= kChannelCount; ++n) {
        if (!readChannel(r, image.channel(n), image.channelData(n))) {
            return false;
        }
    }
    return true;
}

StationFileResult loadStationFile(const QString& path, StationImage& image,
                                  const StationFileOptions& options, Prompts& prompts) {
    const auto bytes = readFileReporting(path, kStationFileSize, prompts);
    if (!bytes) {
        return StationFileResult::OpenFailed;
    }
    return decodeStationFile(*bytes, image, options) ? StationFileResult::Ok
                                                     : StationFileResult::Corrupt;
}

bool loadStationFileReporting(const QString& path, StationImage& image,
                              const StationFileOptions& options, Prompts& prompts) {
    switch (loadStationFile(path, image, options, prompts)) {
        case StationFileResult::Ok:
            return true;
        case StationFileResult::Corrupt:
            prompts.error(txt(kTextFileCorrupted));
            return false;
        default:
            return false;  // the file error box has been shown
    }
}

StationFileResult saveStationFile(const QString& path, StationImage& image,
                                  const StationFileOptions& options, Prompts& prompts) {
    switch (writeFileAtomically(path, encodeStationFile(image, options), prompts)) {
        case WriteResult::Ok:
            return StationFileResult::Ok;
        case WriteResult::OpenFailed:
            return StationFileResult::OpenFailed;
        case WriteResult::WriteFailed:
            break;
    }
    return StationFileResult::WriteFailed;
}

StationImage throughStationFile(const StationImage& image, const StationFileOptions& options) {
    StationImage copy = image;
    const QByteArray bytes = encodeStationFile(copy, options);
    StationImage filed;
    resetNewStation(filed);
    // What the file does not keep stays as the image had it.
    filed.station.memory_size = image.station.memory_size;
    filed.station.memory_code = image.station.memory_code;
    if (!decodeStationFile(bytes, filed, options)) {
        return image;  // cannot happen for bytes we encoded; compare what there is
    }
    return filed;
}

}  // namespace pelmo
