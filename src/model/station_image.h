#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace pelmo {

inline constexpr int kChannelCount = 8;
inline constexpr int kTablePoints = 16;
inline constexpr int kConstantCount = 15;
inline constexpr int kAddressListSize = 33;
inline constexpr int kUserAddressEntry = 32;
inline constexpr int kDefaultBusAddress = 251;

// Texts are Windows-1250 byte strings; conversion to QString happens at the UI only.
using Cp1250 = std::string;

// Station identity and hardware.
struct CMOS_rec {
    std::int32_t freq_prescaler_1 = 0;
    std::int32_t freq_prescaler_2 = 0;
    std::int32_t freq_prescaler_3 = 0;
    std::int32_t freq_prescaler_4 = 0;
    bool locked = false;
    std::uint16_t serial_number = 0;
    std::array<std::uint8_t, kChannelCount> input_types{};
    std::int16_t file_number = 0;
    Cp1250 sw_version;

    // Prescaler exponent of frequency input 1..4 (0 for any other number).
    std::int32_t prescaler(int input) const;
};

struct definice_meridla_rec {
    std::uint16_t meter_number = 0;
    std::uint8_t mode_a = 0;
    std::uint8_t mode_b = 1;
    // constants[i - 1] is constant i.
    std::array<double, kConstantCount> constants{};
    std::int32_t mode_copy = 0;
    std::int32_t interval_p1 = 0;
    std::int32_t interval_p2 = 0;
    std::int32_t interval_cond = 0;
    std::int32_t reserved_word = 0;
    double imp_coef_1 = 0.0;
    double imp_coef_2 = 0.0;
    std::int32_t output_word = 0;
    std::int32_t variant = 0;

    bool operator==(const definice_meridla_rec&) const = default;
};

struct definice_PV_rec {
    std::uint8_t defined = 0;
    std::uint8_t measurement = 0;
    std::uint8_t display = 0;
    std::uint8_t input_code = 0;
    std::uint16_t interval = 0;
    std::uint16_t station_word = 0;
    std::uint16_t memory = 0;
    std::uint16_t limit_low = 0;
    std::uint16_t limit_high = 0;
    std::uint8_t output_code = 0;
    std::uint16_t range_low = 0;
    std::uint16_t range_high = 0;
    std::uint16_t table_points = 0;
    std::uint8_t in_use = 0;
    std::array<std::uint16_t, kTablePoints> table_x{};
    std::array<std::uint16_t, kTablePoints> table_y{};
    std::uint8_t table_present = 0;
    std::uint8_t auto_memory = 0;
    // 2^(p-1) reaches 16384 for p = 15, so a byte would corrupt large dividers.
    std::uint16_t divider = 1;

    bool operator==(const definice_PV_rec&) const = default;
};

inline constexpr std::int16_t kBlockWordDefault = 775;

struct definice_PV_udaj_rec {
    std::int32_t leading = 0;
    Cp1250 name;
    Cp1250 text;
    Cp1250 units;
    Cp1250 sensor_type;
    double table_scale = 0.0;
    double table_offset = 0.0;
    double value_min = 0.0;
    double value_max = 0.0;
    std::int16_t block_word = kBlockWordDefault;
    double calib_water_temp = 0.0;
    std::uint8_t table_flag_echo = 0;
    double temp_coef = 0.0;

    bool operator==(const definice_PV_udaj_rec&) const = default;
};

struct stanice_rec {
    Cp1250 name;
    Cp1250 meter_name;
    std::uint16_t net_address = 0;
    std::int32_t messages_total = 0;
    std::uint16_t memory_code = 0;
    std::int32_t memory_size = 0;
    std::int32_t from_file = 0;

    bool operator==(const stanice_rec&) const = default;
};

struct Archiv_popis_rec {
    std::array<Cp1250, 15> labels;
    std::array<Cp1250, 15> units;
    std::array<std::uint8_t, 12> tail{};
};

struct TAddressList {
    std::int32_t address = 0;  // 0 marks an empty entry
    Cp1250 name;
};

using CmosIdentity = std::array<std::uint8_t, 32>;

// The one in-memory picture of the station being worked on, with the selectors the
// request builder reads.
struct StationImage {
    CmosIdentity cmos_raw_identity{};
    CmosIdentity cmos_file_identity{};
    definice_meridla_rec meter;
    // Index 0 is channel 1.
    std::array<definice_PV_rec, kChannelCount> pv;
    std::array<definice_PV_udaj_rec, kChannelCount> pv_data;
    stanice_rec station;
    CMOS_rec cmos;
    Archiv_popis_rec archive_description;
    std::array<TAddressList, kAddressListSize> address_list;

    std::int32_t bus_address = kDefaultBusAddress;
    std::uint16_t current_index = 0;
    bool station_loaded = false;

    definice_PV_rec& channel(int n);
    const definice_PV_rec& channel(int n) const;
    definice_PV_udaj_rec& channelData(int n);
    const definice_PV_udaj_rec& channelData(int n) const;
};

// Clears the meter definition, the station's texts, address and message count, and all
// channels. CMOS data and the memory fields stay.
void resetNewStation(StationImage& image);

void clearChannel(definice_PV_rec& settings, definice_PV_udaj_rec& data);

bool isFrequencyInput(std::uint8_t input_code);

// Divider 2^(p-1) of the frequency input a channel code 32..35 names; 1 otherwise.
std::uint16_t frequencyDivider(const CMOS_rec& cmos, std::uint8_t input_code);

}  // namespace pelmo
