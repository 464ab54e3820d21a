#include "link/block_codecs.h"

#include <algorithm>
#include <cstdio>

#include "link/byte_fields.h"
#include "link/request_table.h"

namespace pelmo {

namespace {

FieldReader payloadOf(std::span<const std::uint8_t> answer) {
    return FieldReader(answer, kAnswerPayloadOffset);
}

std::string hex2(std::uint8_t b) {
    char buf[3];
    std::snprintf(buf, sizeof buf, "%02x", b);
    return buf;
}

std::int32_t prescalerNibble(std::uint8_t nibble) {
    return nibble == 0 ? 1 : nibble;
}

constexpr std::size_t kMeterConstants = 6;
constexpr std::size_t kWetSteamConstant = 5;  // carried divided by 100

// Station layouts of channel tables for frequency inputs: value / 100 * divider.
std::uint32_t decodeFrequencyInput(std::uint32_t station, std::uint32_t divider) {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(station) * divider / 100);
}

}  // namespace

void decodeCmos(std::span<const std::uint8_t> answer, CmosIdentity& raw, CMOS_rec& cmos) {
    const FieldReader p = payloadOf(answer);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        raw[i] = p.u8(i);
    }
    for (std::size_t i = 0; i < cmos.input_types.size(); ++i) {
        cmos.input_types[i] = p.u8(16 + i);
    }
    cmos.sw_version = "v" + hex2(p.u8(27)) + "." + hex2(p.u8(36));
    cmos.freq_prescaler_1 = prescalerNibble(p.u8(28) & 0x0F);
    cmos.freq_prescaler_2 = prescalerNibble(p.u8(28) >> 4);
    cmos.freq_prescaler_3 = prescalerNibble(p.u8(29) & 0x0F);
    cmos.freq_prescaler_4 = prescalerNibble(p.u8(29) >> 4);
    cmos.serial_number = p.u16(32);
    cmos.locked = p.u8(37) == 0x80;
}

void decodeMeter(std::span<const std::uint8_t> answer, definice_meridla_rec& meter) {
    const FieldReader p = payloadOf(answer);
    meter.meter_number = p.u16(0);
    meter.mode_b = p.u8(2);
    meter.variant = meter.mode_b & 0x0F;
    meter.mode_a = p.u8(4);
    for (std::size_t i = 0; i < meter.constants.size(); ++i) {
        meter.constants[i] = p.f32(kMeterConstants + 4 * i);
    }
    meter.constants[kWetSteamConstant - 1] *= 100.0;
    meter.mode_copy = p.u16(66);
    meter.interval_p1 = p.u16(68);
    meter.interval_p2 = p.u16(70);
    meter.interval_cond = p.u16(72);
    meter.reserved_word = p.u16(74);
    meter.imp_coef_1 = p.f32(76);
    meter.imp_coef_2 = p.f32(80);
    meter.output_word = p.u16(84);
}

bool decodeChannel(std::span<const std::uint8_t> answer, const CMOS_rec& cmos,
                   definice_PV_rec& settings, definice_PV_udaj_rec& data) {
    const FieldReader p = payloadOf(answer);
    const std::uint8_t first = p.u8(0);
    settings.measurement = first & 0x7F;
    settings.table_present = (first & 0x80) ? 0 : 1;
    settings.display = p.u8(1);
    settings.input_code = p.u8(3);
    settings.interval = p.u16(4);
    settings.station_word = p.u16(6);
    settings.memory = p.u16(8);
    settings.limit_low = p.u16(12);
    settings.limit_high = p.u16(14);
    settings.output_code = p.u8(16);
    settings.range_low = p.u16(18);
    settings.range_high = p.u16(20);
    data.name = p.text(25, 8);
    data.text = p.text(33, 18);
    data.units = p.text(53, 4);
    // The station keeps characters 7 and 8 of the sensor type apart from the first six.
    data.sensor_type = fromStationText(p.raw(57, 6) + p.raw(51, 2));
    while (!data.sensor_type.empty() &&
           (data.sensor_type.back() == ' ' || data.sensor_type.back() == '\0')) {
        data.sensor_type.pop_back();
    }
    settings.in_use = data.name.empty() ? 0 : 1;
    data.table_scale = p.f64(63);
    data.table_offset = p.f32(71);
    data.value_min = p.f32(75);
    data.value_max = p.f32(79);
    data.block_word = static_cast<std::int16_t>(p.u16(83));
    data.calib_water_temp = p.f32(85);
    data.table_flag_echo = p.u8(89);
    data.temp_coef = p.f32(90);

    const std::uint16_t points = p.u16(94);
    if (points > kTablePoints) {
        return false;
    }
    settings.table_points = points;
    // Reading the station is how a frequency channel learns its divider; before any CMOS
    // block was decoded the record's own divider stands.
    if (isFrequencyInput(settings.input_code) && cmos.prescaler(settings.input_code - 31) >= 1) {
        settings.divider = frequencyDivider(cmos, settings.input_code);
    }
    if (settings.table_present) {
        const std::uint32_t divider = settings.divider == 0 ? 1 : settings.divider;
        for (std::size_t k = 0; k < points; ++k) {
            std::uint32_t x = p.u16(96 + 4 * k);
            if (isFrequencyInput(settings.input_code)) {
                x = decodeFrequencyInput(x, divider);
            }
            // Even the largest divider keeps a station value / 100 within 16 bits.
            settings.table_x[k] = static_cast<std::uint16_t>(x > 0xFFFF ? 0xFFFF : x);
            settings.table_y[k] = p.u16(98 + 4 * k);
        }
    }
    return true;
}

void decodeStation(std::span<const std::uint8_t> answer, stanice_rec& station) {
    const FieldReader p = payloadOf(answer);
    station.net_address = p.u16(2);
    station.memory_code = p.u8(6);
    station.memory_size = (station.memory_code == 0 || station.memory_code == 241) ? 32768 : 66560;
    station.messages_total = p.u16(16);
    station.meter_name = p.text(23, 8);
    station.name = p.text(31, 20);
}

bool encodeCmos(const CmosIdentity& fileIdentity, const CMOS_rec& cmos,
                std::span<std::uint8_t> payload) {
    FieldWriter w(payload);
    w.bytes(0, fileIdentity);
    w.u16(32, cmos.serial_number);
    w.u16(34, 0);
    return true;
}

bool encodeMeter(const definice_meridla_rec& meter, std::span<std::uint8_t> payload) {
    FieldWriter w(payload);
    w.u16(0, meter.meter_number);
    w.u8(2, meter.mode_b);
    w.u8(3, 0);
    w.u8(4, meter.mode_a);
    w.u8(5, 0);
    for (std::size_t i = 0; i < meter.constants.size(); ++i) {
        double value = meter.constants[i];
        if (i == kWetSteamConstant - 1) {
            value /= 100.0;
        }
        if (!w.f32(kMeterConstants + 4 * i, value)) {
            return false;
        }
    }
    w.u16(66, static_cast<std::uint32_t>(meter.mode_copy));
    w.u16(68, static_cast<std::uint32_t>(meter.interval_p1));
    w.u16(70, static_cast<std::uint32_t>(meter.interval_p2));
    w.u16(72, static_cast<std::uint32_t>(meter.interval_cond));
    w.u16(74, static_cast<std::uint32_t>(meter.reserved_word));
    if (!w.f32(76, meter.imp_coef_1) || !w.f32(80, meter.imp_coef_2)) {
        return false;
    }
    w.u16(84, static_cast<std::uint32_t>(meter.output_word));
    return true;
}

std::size_t channelPayloadLength(const definice_PV_rec& settings) {
    return 103 + 4 * static_cast<std::size_t>(settings.table_points);
}

bool encodeChannel(int channel, const definice_PV_rec& s, const definice_PV_udaj_rec& d,
                   std::span<std::uint8_t> payload) {
    if (s.table_points > kTablePoints || payload.size() < channelPayloadLength(s)) {
        return false;
    }
    FieldWriter w(payload);
    w.u8(0, static_cast<std::uint32_t>(channel - 1));
    // From here on the payload repeats the channel answer layout, one byte later.
    FieldWriter a(payload.subspan(1));
    a.u8(0, (s.measurement & 0x7F) | (s.table_present ? 0x00 : 0x80));
    a.u8(1, s.display);
    a.u8(2, 0x22);
    a.u8(3, s.input_code);
    a.u16(4, s.interval);
    a.u16(6, 1);
    a.u16(8, s.memory);
    a.u16(10, 0);
    a.u16(12, s.limit_low);
    a.u16(14, s.limit_high);
    a.u8(16, s.output_code);
    a.u8(17, 0);
    a.u16(18, s.range_low);
    a.u16(20, s.range_high);
    a.u16(22, 0);
    a.u8(24, s.in_use ? static_cast<std::uint32_t>(std::min<std::size_t>(d.name.size(), 8)) : 0);
    a.text(25, 8, d.name);
    a.text(33, 18, d.text);
    a.text(53, 4, d.units);
    std::string sensor = toStationText(d.sensor_type);
    sensor.resize(8, '\0');
    for (std::size_t i = 0; i < 6; ++i) {
        a.u8(57 + i, static_cast<std::uint8_t>(sensor[i]));
    }
    a.u8(51, static_cast<std::uint8_t>(sensor[6]));
    a.u8(52, static_cast<std::uint8_t>(sensor[7]));
    a.f64(63, d.table_scale);
    if (!a.f32(71, d.table_offset) || !a.f32(75, d.value_min) || !a.f32(79, d.value_max)) {
        return false;
    }
    a.u8(83, 0x07);
    a.u8(84, 0x03);
    if (!a.f32(85, d.calib_water_temp)) {
        return false;
    }
    a.u8(89, s.table_present ? 1 : 0);
    if (!a.f32(90, d.temp_coef)) {
        return false;
    }
    a.u16(94, s.table_points);

    // Pairs 0..p, one more than the points in use, then the input of index p + 1.
    const std::size_t p = s.table_points;
    const bool frequency = isFrequencyInput(s.input_code);
    const std::uint32_t divider = s.divider == 0 ? 1 : s.divider;
    // A used point whose scaled input does not fit 16 bits cannot be sent; the entries past
    // the used points are filler the station ignores and go out as their low 16 bits.
    auto tableX = [&](std::size_t k, std::uint32_t& out) {
        std::uint32_t x = k < kTablePoints ? s.table_x[k] : 0;
        if (frequency) {
            x = static_cast<std::uint32_t>(static_cast<std::uint64_t>(x) * 100 / divider);
        }
        out = x & 0xFFFF;
        return k >= p || x <= 0xFFFF;
    };
    for (std::size_t k = 0; k <= p + 1; ++k) {
        std::uint32_t x = 0;
        std::uint32_t y = k < kTablePoints ? s.table_y[k] : 0;
        if (!s.table_present) {
            x = 0;
            y = 0;
        } else if (!tableX(k, x)) {
            return false;
        }
        a.u16(96 + 4 * k, x);
        if (k <= p) {
            a.u16(98 + 4 * k, y);
        }
    }
    return true;
}

bool encodeStation(const stanice_rec& st, std::uint32_t timeCode, std::span<std::uint8_t> payload) {
    static constexpr std::uint8_t kFixed7[] = {0x00, 0x01, 0x00, 0x18, 0x79,
                                               0x00, 0x00, 0x06, 0x00};
    FieldWriter w(payload);
    w.u8(0, 0x01);
    w.u8(1, 0x10);
    w.u16(2, st.net_address);
    w.u8(4, 0x02);
    w.u8(5, 0xB9);
    w.u8(6, st.memory_code);
    w.bytes(7, kFixed7);
    w.u16(16, st.messages_total == 0 ? 10u : static_cast<std::uint32_t>(st.messages_total));
    w.u8(22, 5);
    w.text(23, 8, st.meter_name);
    w.text(31, 20, st.name);
    w.u32be(51, timeCode);
    w.u32be(55, timeCode);
    return true;
}

}  // namespace pelmo
