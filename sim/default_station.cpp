#include "sim/default_station.h"

#include <algorithm>
#include <cmath>

#include "model/raw_scale.h"

namespace pelmo::sim {

namespace {

constexpr std::uint32_t kDay = 86400;

struct ChannelSpec {
    const char* name;
    const char* text;  // Windows-1250
    const char* units;
    const char* sensor;
    std::uint8_t input;
    std::uint8_t measurement;
    std::uint8_t display;
    std::uint16_t interval;
    std::uint16_t memory;
    std::uint8_t output;
    double min;
    double max;
    double alarmLow;
    double alarmHigh;
};

// °C in the program's code page; the encoder turns it into the station's F8h.
constexpr const char* kCelsius =
    "\xB0"
    "C";

void defineChannel(StationImage& image, int n, const ChannelSpec& c,
                   const std::vector<std::pair<std::uint16_t, std::uint16_t>>& table) {
    definice_PV_rec& s = image.channel(n);
    definice_PV_udaj_rec& d = image.channelData(n);
    clearChannel(s, d);
    d.name = c.name;
    d.text = c.text;
    d.units = c.units;
    d.sensor_type = c.sensor;
    d.value_min = c.min;
    d.value_max = c.max;
    d.table_offset = c.min;
    d.table_scale = (c.max - c.min) / kRawScaleMax;
    s.in_use = 1;
    s.station_word = 1;
    s.measurement = c.measurement;
    s.display = c.display;
    s.input_code = c.input;
    s.interval = c.interval;
    s.memory = c.memory;
    s.output_code = c.output;
    s.range_low = 0;
    s.range_high = kRawScaleMax;
    s.limit_low = valueToRaw(d, c.alarmLow);
    s.limit_high = valueToRaw(d, c.alarmHigh);
    s.divider = frequencyDivider(image.cmos, c.input);
    s.table_present = table.empty() ? 0 : 1;
    d.table_flag_echo = s.table_present;
    s.table_points = static_cast<std::uint16_t>(table.size());
    for (std::size_t k = 0; k < table.size() && k < kTablePoints; ++k) {
        s.table_x[k] = table[k].first;
        s.table_y[k] = table[k].second;
    }
}

void defineChannels(StationImage& image) {
    // Steam temperature on a resistance card, five-point table of converter counts (the
    // analog converter gives 0..4092).
    defineChannel(image, 1,
                  {"TP1", "Teplota p\xE1ry", kCelsius, "Pt100", 1, 0, 3, 60, 8000, 128, 0.0, 250.0,
                   150.0, 230.0},
                  {{120, 0}, {1110, 16383}, {2100, 32767}, {3090, 49150}, {4080, 65534}});
    defineChannel(
        image, 2,
        {"PP1", "Tlak p\xE1ry abs.", "MPa", "4-20mA", 2, 0, 3, 60, 6000, 0, 0.0, 1.6, 0.3, 1.4},
        {{818, 0}, {4092, 65534}});
    // Orifice flow: the converter sees the differential pressure, hence the square root.
    std::vector<std::pair<std::uint16_t, std::uint16_t>> orifice;
    for (int k = 0; k < 8; ++k) {
        const double share = k / 7.0;
        orifice.emplace_back(static_cast<std::uint16_t>(std::lround(4092 * share)),
                             static_cast<std::uint16_t>(std::lround(65534 * std::sqrt(share))));
    }
    defineChannel(
        image, 3,
        {"QP1", "Pr\xF9tok p\xE1ry", "t/h", "clona", 3, 0, 3, 120, 4000, 129, 0.0, 8.0, 0.5, 7.5},
        orifice);
    defineChannel(image, 4,
                  {"CERP",
                   "Chod \xE8"
                   "erpadla",
                   "", "kontakt", 9, 1, 1, 10, 0, 160, 0.0, 1.0, 0.0, 1.0},
                  {});
    defineChannel(
        image, 7,
        {"TK", "Teplota kond.", kCelsius, "Pt100", 7, 0, 3, 300, 2000, 0, 0.0, 150.0, 40.0, 120.0},
        {{200, 0}, {2000, 32000}, {4000, 65534}});
    // Turbine meter on frequency input 1; its prescaler divides by 4, so the table inputs
    // travel as x / 4 * 100.
    defineChannel(
        image, 8,
        {"QK", "Pr\xF9tok kond.", "m3/h", "turbina", 32, 0, 3, 120, 3000, 0, 0.0, 10.0, 0.5, 9.0},
        {{0, 0}, {200, 10000}, {600, 32000}, {1200, 65534}});
}

void defineMeter(definice_meridla_rec& m) {
    m = definice_meridla_rec{};
    m.meter_number = 1207;
    m.mode_b = 4;  // variant 4, mass method on both circuits, steam
    m.mode_a = 4 + 2;
    m.variant = 4;
    m.mode_copy = m.mode_b;
    // TP max/min, TK min/max, wet-steam correction, flow 2 max, PP max/min, saturation band,
    // hysteresis, flow 2 min, flow 1 max/min, maxima 1 and 2.
    m.constants = {250.0, 100.0, 20.0,  150.0,   12.5,  10000.0, 1.625, 0.25,
                   10.0,  2.0,   500.0, 12000.0, 300.0, 12.0,    8.0};
    m.interval_p1 = 60;
    m.interval_p2 = 60;
    m.interval_cond = 300;
    m.reserved_word = 0x0102;
    m.imp_coef_1 = 10.0;
    m.imp_coef_2 = 0.0;
    m.output_word = 0x01;
}

std::array<ArchiveLabel, kQuantityCount> archiveLabels() {
    const std::string mnoz = "Mno\x9E";  // "Množ"
    return {{{"Teplo P1 sucha", "GJ"},
             {"Teplo P1 mokra", "GJ"},
             {"Teplo P2 sucha", "GJ"},
             {"Teplo P2 mokra", "GJ"},
             {"Teplo celkem", "GJ"},
             {mnoz + ". P1 sucha", "t"},
             {mnoz + ". P1 mokra", "t"},
             {mnoz + ". P2 sucha", "t"},
             {mnoz + ". P2 mokra", "t"},
             {mnoz + "stv\xED celk.", "t"},
             {"Teplo kond.", "GJ"},
             {mnoz + "stv\xED kond.", "t"},
             {"\xC8"
              "as P1 mokra",
              "h"},
             {"\xC8"
              "as P2 mokra",
              "h"},
             {"\xC8"
              "as provozu",
              "h"}}};
}

std::vector<MessageRecord> messageLog(std::uint32_t now) {
    std::vector<MessageRecord> log;
    // Logged after a power return before the clock had been set.
    log.push_back({0, 0, kMessagePowerOn});
    for (std::uint32_t k = 0; k < 13; ++k) {
        const std::uint32_t off = now - (60 - 4 * k) * kDay - (k * 3517) % 40000;
        log.push_back({off, 0, kMessagePowerOff});
        log.push_back({off + 120 + (k * 377) % 3000, 0, kMessagePowerOn});
    }
    for (std::uint32_t k = 0; k < 8; ++k) {
        log.push_back({now - (58 - 7 * k) * kDay + 9 * 3600 + k * 60, 0, kMessageMeasuringStarted});
    }
    // Types this program has no text for.
    log.push_back({now - 45 * kDay + 1234, 0x5A, 9});
    log.push_back({now - 20 * kDay + 4321, 0x01, 21});
    log.push_back({now - 3 * kDay + 777, 0xFF, 200});
    log.push_back({now - 7200, 0, kMessagePowerOff});
    log.push_back({now - 7200 + 420, 0, kMessagePowerOn});
    std::stable_sort(log.begin(), log.end(), [](const MessageRecord& a, const MessageRecord& b) {
        return a.time < b.time;
    });
    return log;
}

}  // namespace

CmosIdentity cmosIdentityFor(const CMOS_rec& cmos, std::uint8_t firstVersionByte) {
    CmosIdentity id{};
    const std::string tag = "SIMULATOR 8CH   ";
    std::copy(tag.begin(), tag.end(), id.begin());
    std::copy(cmos.input_types.begin(), cmos.input_types.end(), id.begin() + 16);
    id[24] = 0x01;
    id[27] = firstVersionByte;
    id[28] = static_cast<std::uint8_t>((cmos.freq_prescaler_1 & 0x0F) |
                                       ((cmos.freq_prescaler_2 & 0x0F) << 4));
    id[29] = static_cast<std::uint8_t>((cmos.freq_prescaler_3 & 0x0F) |
                                       ((cmos.freq_prescaler_4 & 0x0F) << 4));
    id[30] = 0xA5;
    id[31] = 0x5A;
    return id;
}

StationContent defaultStation(int address, std::uint32_t now) {
    StationContent c;
    StationImage& image = c.image;
    CMOS_rec& cmos = image.cmos;
    cmos.freq_prescaler_1 = 3;  // frequency input 1 divides by 4
    cmos.freq_prescaler_2 = 1;
    cmos.freq_prescaler_3 = 1;
    cmos.freq_prescaler_4 = 1;
    cmos.serial_number = 2317;
    cmos.input_types = {6, 80, 16, 0, 8, 0, 10, 129};
    cmos.sw_version = "v02.17";
    c.secondVersionByte = 0x17;
    c.cmosIdentity = cmosIdentityFor(cmos, 0x02);
    image.cmos_file_identity = c.cmosIdentity;

    defineMeter(image.meter);
    defineChannels(image);

    stanice_rec& st = image.station;
    st.name = "Kotelna Jih";
    st.meter_name = "PARA1";
    st.net_address = static_cast<std::uint16_t>(address);
    st.messages_total = 200;
    st.memory_code = 241;
    st.memory_size = 32768;

    c.archive = archiveLabels();
    c.messages = messageLog(now);
    c.meteringSince = now - 600 * kDay;
    c.lastProgrammed = c.meteringSince + 3 * 3600;
    c.partialSince = now - 9 * kDay - 5 * 3600;
    // Ten hours of samples: 600 for the one-minute channels, so channel 1 needs several
    // transfer blocks; channel 4 reserves no memory and stays empty.
    c.monitoringSince = now - 10 * 3600;
    c.maximumTime = (now / kDay - 1) * kDay + 7 * 3600 + 45 * 60;
    c.maximumValue = 3.4125f;

    return c;
}

}  // namespace pelmo::sim
