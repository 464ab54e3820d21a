#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <string>

#include "files/archive_file.h"
#include "link/time_code.h"

namespace pelmo {

// Archive numbers READ_ARCHIVE_DATA carries besides the monthly and daily ones.
inline constexpr int kArchiveActual = 0;
inline constexpr int kArchivePartial = 50;
inline constexpr int kArchiveFirstDay = 25;
inline constexpr int kArchiveLastDay = 32;

// The archive a scroll-bar position selects, from the station clock at the last read:
// monthly m (m + 12 in odd years), 0 actual, 50 intermediate, 25..32 daily. -1 outside 0..33.
int archiveNumberForPosition(int position, std::uint32_t stationSeconds);

// Caption of a scroll-bar position: text 228 + "MM/YY", text 226, text 227, text 229 + k.
QString positionCaption(int position, const StationCalendar& station);

// Whether quantity 1..15 is shown: by the meter variant and, in the gas version, not when its
// label ends in "mokra", "sucha" or "kond.".
bool quantityShown(int quantity, int variant, const std::string& label, bool gasVersion);

// Label (answer bytes 7..22) and unit (23..26) of a READ_ARCHIVE_INFO answer, trailing
// blanks and NUL bytes removed. False when the answer is too short to hold them.
bool decodeArchiveDescription(std::span<const std::uint8_t> answer, std::string& label,
                              std::string& unit);

// Values and time stamp of a READ_ARCHIVE_DATA answer into `state`. The stamp starts at the
// offset answer byte 4 names plus one; a daily record's stamp shows one second earlier, so
// midnight reads as the last second of the day it closes. Values beyond the answer are 0.
// False when the stamp lies beyond the answer.
bool decodeArchiveRecord(std::span<const std::uint8_t> answer, int archiveNumber,
                         ArchiveRecordState& state);

}  // namespace pelmo
