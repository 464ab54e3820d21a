#include "link/time_code.h"

#include <gtest/gtest.h>

#include <QDate>

namespace pelmo {
namespace {

TEST(TimeCode, KnownMoments) {
    EXPECT_EQ(timeCodeFromCalendar(80, 1, 1, 0, 0, 0), 0u);
    EXPECT_EQ(timeCodeFromCalendar(80, 1, 2, 0, 0, 0), 86400u);
    // 80 is a leap year: 1 March 1980 is day 60.
    EXPECT_EQ(timeCodeFromCalendar(80, 3, 1, 0, 0, 0), 60u * 86400u);
    // Two-digit years: 99 is 1999, 0 is 2000.
    EXPECT_EQ(timeCodeFromCalendar(0, 1, 1, 0, 0, 0) - timeCodeFromCalendar(99, 1, 1, 0, 0, 0),
              365u * 86400u);
    EXPECT_EQ(timeCodeFromCalendar(26, 12, 9, 15, 30, 45), 0x584ACE25u);
    EXPECT_EQ(timeCodeFromCalendar(26, 13, 1, 0, 0, 0), 0u);

    StationCalendar c;
    EXPECT_EQ(calendarFromTimeCode(0, c), 19);
    EXPECT_EQ(c, (StationCalendar{80, 1, 1, 0, 0, 0}));
    EXPECT_EQ(calendarFromTimeCode(0x584ACE25u, c), 20);
    EXPECT_EQ(c, (StationCalendar{26, 12, 9, 15, 30, 45}));
}

TEST(TimeCode, EveryDayFrom1980To2079RoundTripsAndAgreesWithTheCalendar) {
    // Up to 2079 the station's every-fourth-year rule matches the Gregorian calendar
    // (2000 is a leap year), so QDate is an independent reference.
    const QDate epoch(1980, 1, 1);
    int second = 0;
    for (QDate d = epoch; d.year() <= 2079; d = d.addDays(1)) {
        const int yy = d.year() % 100;
        const int h = second % 24;
        const int m = (second * 7) % 60;
        const int s = (second * 13) % 60;
        ++second;
        const std::uint32_t code = timeCodeFromCalendar(yy, d.month(), d.day(), h, m, s);
        ASSERT_EQ(code, static_cast<std::uint32_t>(epoch.daysTo(d)) * 86400u +
                            static_cast<std::uint32_t>(h * 3600 + m * 60 + s))
            << d.toString(Qt::ISODate).toStdString();
        StationCalendar back;
        const int century = calendarFromTimeCode(code, back);
        ASSERT_EQ(century, d.year() / 100);
        ASSERT_EQ(back, (StationCalendar{yy, d.month(), d.day(), h, m, s}));
    }
}

TEST(TimeCode, ZeroSecondsAreAssembledFromRawBytesMostSignificantFirst) {
    const std::uint8_t raw[4] = {0x58, 0x4A, 0xCE, 0x25};
    StationCalendar c;
    calendarFromTimeCode(0, std::span<const std::uint8_t, 4>(raw), c);
    EXPECT_EQ(c, (StationCalendar{26, 12, 9, 15, 30, 45}));
    // Non-zero seconds win over the bytes.
    calendarFromTimeCode(86400, std::span<const std::uint8_t, 4>(raw), c);
    EXPECT_EQ(c, (StationCalendar{80, 1, 2, 0, 0, 0}));
}

TEST(TimeCode, TimeTexts) {
    const StationCalendar c{7, 3, 4, 5, 6, 9};
    EXPECT_EQ(timeText(c, TimeTextKind::Time), "05:06:09");
    EXPECT_EQ(timeText(c, TimeTextKind::Date), "04/03/07");
    const StationCalendar zero{80, 1, 1, 0, 0, 0};
    EXPECT_EQ(timeText(zero, TimeTextKind::Time), "--:--:--");
    EXPECT_EQ(timeText(zero, TimeTextKind::Date), "--/--/--");
}

}  // namespace
}  // namespace pelmo
