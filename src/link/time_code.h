#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace pelmo {

// A calendar moment as the station counts it: two-digit year (80..99 = 1980..1999,
// 0..79 = 2000..2079).
struct StationCalendar {
    int year = 80;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool operator==(const StationCalendar&) const = default;
};

// A full local date and time of the PC.
struct LocalDateTime {
    int year = 1980;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

LocalDateTime systemLocalTime();

// Seconds since 1980-01-01 00:00:00 local time, modulo 2^32. A month outside 1..12 gives 0.
std::uint32_t timeCodeFromCalendar(int yy, int month, int day, int hour, int minute, int second);
std::uint32_t timeCodeFromLocal(const LocalDateTime& t);

// Breaks a time code down; returns the century (19 or 20 ...).
int calendarFromTimeCode(std::uint32_t seconds, StationCalendar& out);
// Same, but a zero seconds value is first assembled from four raw bytes, most significant first.
int calendarFromTimeCode(std::uint32_t seconds, std::span<const std::uint8_t, 4> raw,
                         StationCalendar& out);

enum class TimeTextKind { Time, Date };

// "hh:mm:ss" or "dd/mm/yy"; the zero time code (year 80) reads "--" in every field.
std::string timeText(const StationCalendar& c, TimeTextKind kind);

}  // namespace pelmo
