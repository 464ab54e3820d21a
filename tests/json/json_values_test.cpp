#include "json/json_values.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <cfloat>
#include <limits>

namespace pelmo {
namespace {

// The number as the document carries it.
std::string written(const QJsonValue& v) {
    const QByteArray text = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    return text.mid(1, text.size() - 2).toStdString();
}

TEST(JsonValues, SinglesAreWrittenAsTheShortestDecimalThatReadsBackTheSame) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.1f, "0.1"},
        {186.58133f, "186.58133"},
        {186.581329345703125, "186.58133"},
        {1e-7f, "1e-07"},
        {FLT_MAX, "3.4028235e+38"},
        {FLT_TRUE_MIN, "1e-45"},
        {-2.5f, "-2.5"},
        {16777216.0f, "16777216"},
        // A double between two singles: the nearer single.
        {0.30000000000000004, "0.3"},
        {std::nan(""), "null"},
        {kInf, "null"},
        {-kInf, "null"},
        // Beyond the single range it is no value, not an infinity.
        {1e300, "null"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(written(float32Json(c.value)), c.text) << c.value;
    }
    EXPECT_EQ(written(doubleJson(0.1 + 0.2)), "0.30000000000000004");
    EXPECT_EQ(written(doubleJson(0.2019892930984497)), "0.2019892930984497");
    EXPECT_EQ(written(doubleJson(kInf)), "null");
}

TEST(JsonValues, TimesCarryTheirOffsetAndAnEmptyStationTimeIsNull) {
    const QDate day(2026, 12, 10);
    const QTime time(14, 5);
    EXPECT_EQ(isoTimeJson(QDateTime(day, time, Qt::OffsetFromUTC, 3600)),
              QJsonValue(QStringLiteral("2026-12-10T14:05:00+01:00")));
    EXPECT_EQ(isoTimeJson(QDateTime(day, time, Qt::OffsetFromUTC, -5400)),
              QJsonValue(QStringLiteral("2026-12-10T14:05:00-01:30")));
    EXPECT_EQ(isoTimeJson(QDateTime(day, time, Qt::UTC)),
              QJsonValue(QStringLiteral("2026-12-10T14:05:00+00:00")));
    EXPECT_TRUE(isoTimeJson(QDateTime()).isNull());
    EXPECT_TRUE(isoTimeJson(QString()).isNull());
    EXPECT_TRUE(isoTimeJson(QStringLiteral("--/--/--")).isNull());
    // The zero time code, which the station gives for "no time", and dates that do not exist.
    for (const StationCalendar& c :
         {StationCalendar{80, 1, 1, 0, 0, 0}, StationCalendar{26, 13, 1, 0, 0, 0},
          StationCalendar{26, 2, 30, 0, 0, 0}, StationCalendar{26, 1, 1, 24, 0, 0}}) {
        EXPECT_TRUE(isoTimeJson(c).isNull()) << c.month << "/" << c.day << " " << c.hour;
    }
    // Any other moment of 1980 is a time.
    EXPECT_TRUE(isoTimeJson(StationCalendar{80, 1, 1, 0, 0, 1})
                    .toString()
                    .startsWith(QStringLiteral("1980-01-01T00:00:01")));
}

}  // namespace
}  // namespace pelmo
