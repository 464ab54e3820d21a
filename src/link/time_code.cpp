#include "link/time_code.h"

#include <QDateTime>
#include <array>
#include <cstdio>

namespace pelmo {

namespace {

constexpr std::array<int, 13> kCumulative{0,   31,  59,  90,  120, 151, 181,
                                          212, 243, 273, 304, 334, 365};
constexpr std::array<int, 13> kCumulativeLeap{0,   31,  60,  91,  121, 152, 182,
                                              213, 244, 274, 305, 335, 366};

// The station's calendar calls every year divisible by 4 a leap year.
bool leap(int year) {
    return year % 4 == 0;
}

const std::array<int, 13>& cumulative(int year) {
    return leap(year) ? kCumulativeLeap : kCumulative;
}

}  // namespace

LocalDateTime systemLocalTime() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

std::uint32_t timeCodeFromCalendar(int yy, int month, int day, int hour, int minute, int second) {
    if (month < 1 || month > 12) {
        return 0;
    }
    const int y = yy < 80 ? yy + 100 : yy;
    std::uint64_t days = 0;
    for (int year = 80; year < y; ++year) {
        days += leap(year) ? 366 : 365;
    }
    days += static_cast<std::uint64_t>(cumulative(y)[static_cast<std::size_t>(month - 1)]);
    days += static_cast<std::uint64_t>(static_cast<std::int64_t>(day) - 1);
    const std::int64_t seconds = ((static_cast<std::int64_t>(days) * 24 + hour) * 3600) +
                                 static_cast<std::int64_t>(minute) * 60 + second;
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(seconds) & 0xFFFFFFFFu);
}

std::uint32_t timeCodeFromLocal(const LocalDateTime& t) {
    return timeCodeFromCalendar(t.year % 100, t.month, t.day, t.hour, t.minute, t.second);
}

int calendarFromTimeCode(std::uint32_t seconds, StationCalendar& out) {
    out.second = static_cast<int>(seconds % 60);
    out.minute = static_cast<int>((seconds / 60) % 60);
    out.hour = static_cast<int>((seconds / 3600) % 24);
    std::uint32_t days = seconds / 86400;
    int year = 1980;
    while (days >= static_cast<std::uint32_t>(leap(year) ? 366 : 365)) {
        days -= leap(year) ? 366 : 365;
        ++year;
    }
    const auto& table = cumulative(year);
    int month = 1;
    while (month < 12 && static_cast<int>(days) >= table[static_cast<std::size_t>(month)]) {
        ++month;
    }
    out.month = month;
    out.day = static_cast<int>(days) - table[static_cast<std::size_t>(month - 1)] + 1;
    out.year = year % 100;
    return year / 100;
}

int calendarFromTimeCode(std::uint32_t seconds, std::span<const std::uint8_t, 4> raw,
                         StationCalendar& out) {
    if (seconds == 0) {
        seconds = (static_cast<std::uint32_t>(raw[0]) << 24) |
                  (static_cast<std::uint32_t>(raw[1]) << 16) |
                  (static_cast<std::uint32_t>(raw[2]) << 8) | raw[3];
    }
    return calendarFromTimeCode(seconds, out);
}

std::string timeText(const StationCalendar& c, TimeTextKind kind) {
    if (c.year == 80) {
        return kind == TimeTextKind::Time ? "--:--:--" : "--/--/--";
    }
    char buf[32];
    if (kind == TimeTextKind::Time) {
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", c.hour, c.minute, c.second);
    } else {
        std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", c.day, c.month, c.year);
    }
    return buf;
}

}  // namespace pelmo
