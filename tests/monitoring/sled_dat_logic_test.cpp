#include "monitoring/sled_dat_logic.h"

#include <gtest/gtest.h>

#include <limits>

#include "monitoring/sample_values.h"

namespace pelmo {
namespace {

void useChannel(StationImage& image, int c, int interval) {
    image.channel(c).in_use = 1;
    image.channel(c).interval = static_cast<std::uint16_t>(interval);
    image.channel(c).table_present = 1;
    image.channelData(c).value_min = 10;
    image.channelData(c).value_max = 260;
}

void addSamples(MonitoringRecording& r, int c, std::vector<std::uint8_t> samples) {
    auto& l = r.list(c);
    l.assign(kSampleListHeader, 0);
    l.insert(l.end(), samples.begin(), samples.end());
    r.status.counts[static_cast<std::size_t>(c - 1)] = static_cast<std::uint16_t>(samples.size());
}

TEST(ChartLogic, ScalesFollowTheLongestChannelAndTheCommonInterval) {
    StationImage image;
    MonitoringRecording r;
    useChannel(image, 1, 10);
    useChannel(image, 2, 15);
    addSamples(r, 1, std::vector<std::uint8_t>(60, 100));  // 600 s
    addSamples(r, 2, std::vector<std::uint8_t>(30, 100));  // 450 s
    ChartScales s = chartScales(r, image);
    EXPECT_EQ(s.span, 600);
    EXPECT_EQ(s.axis, 1000);
    EXPECT_EQ(s.zoomStep, 100);
    EXPECT_EQ(s.cursorStep, 5);
    EXPECT_EQ(s.largeStep, 500);
    addSamples(r, 2, std::vector<std::uint8_t>(67, 100));  // 1005 s
    s = chartScales(r, image);
    EXPECT_EQ(s.axis, 1005);
    EXPECT_EQ(s.zoomStep, 100);  // 100.5 to even
    // The longest possible span still fits the scroll bar.
    useChannel(image, 3, 65535);
    addSamples(r, 3, std::vector<std::uint8_t>(65535, 100));
    EXPECT_EQ(chartScales(r, image).span, std::numeric_limits<int>::max());
    // With nothing in use the cursor still steps by one second.
    EXPECT_EQ(chartScales(r, StationImage{}).cursorStep, 1);
}

TEST(ChartLogic, SampleBytesPlotAndReadAtTheirLimits) {
    EXPECT_DOUBLE_EQ(samplePercent(253), 101.2);
    EXPECT_DOUBLE_EQ(samplePercent(3), 1.2);
    for (std::uint8_t missing : {0, 1, 2, 254, 255}) {
        EXPECT_EQ(samplePercent(missing), 0.0) << int(missing);
    }
    StationImage image;
    useChannel(image, 1, 60);
    SampleEvaluator evaluate(image, 1);
    EXPECT_DOUBLE_EQ(*evaluate(1, 253), 260.0);
    EXPECT_DOUBLE_EQ(*evaluate(1, 3), 10.0);
    EXPECT_FALSE(evaluate(1, 2).has_value());
    EXPECT_FALSE(evaluate(1, 254).has_value());
    image.channel(1).table_present = 0;
    EXPECT_FALSE(evaluate(1, 100).has_value());
}

TEST(ChartLogic, SteamVersionShowsCircuitPressuresLower) {
    StationImage image;
    for (int c = 1; c <= kChannelCount; ++c) {
        useChannel(image, c, 60);
    }
    for (int variant = 0; variant <= 8; ++variant) {
        image.meter.variant = variant;
        SampleEvaluator steam(image, 0);
        SampleEvaluator gas(image, 1);
        const bool p1 =
            variant == 1 || variant == 2 || variant == 4 || variant == 5 || variant == 7;
        const bool p2 = variant == 2 || variant == 5 || variant == 6 || variant == 7;
        // The circuit evaluation first, then the correction.
        SteamCalculator plain(image);
        const double t1 = *plain.sampleValue(1, 10.0, false);
        const double pressure1 = *plain.sampleValue(2, 10.0, false);
        SteamCalculator plain2(image);
        (void)plain2.sampleValue(4, 10.0, false);
        const double pressure2 = *plain2.sampleValue(5, 10.0, false);
        EXPECT_DOUBLE_EQ(*steam(1, 3), t1);
        EXPECT_DOUBLE_EQ(*steam(2, 3), pressure1 - (p1 ? 0.1 : 0.0)) << variant;
        (void)steam(4, 3);
        EXPECT_DOUBLE_EQ(*steam(5, 3), pressure2 - (p2 ? 0.1 : 0.0)) << variant;
        (void)gas(1, 3);
        EXPECT_DOUBLE_EQ(*gas(2, 3), pressure1);
    }
}

TEST(ChartLogic, TheCursorReadsTheSampleOfItsPeriod) {
    StationImage image;
    MonitoringRecording r;
    useChannel(image, 1, 60);
    addSamples(r, 1, {10, 20, 30});
    const QList<QPointF> points = channelPoints(r, image, 1);
    ASSERT_EQ(points.size(), 3);
    EXPECT_EQ(points[0], QPointF(59, 4.0));
    EXPECT_EQ(points[2], QPointF(179, 12.0));
    EXPECT_EQ(sampleAtCursor(r, image, 1, 1), 10);
    EXPECT_EQ(sampleAtCursor(r, image, 1, 60), 10);
    EXPECT_EQ(sampleAtCursor(r, image, 1, 61), 20);
    EXPECT_EQ(sampleAtCursor(r, image, 1, 179), 30);  // the last sample's own time
    EXPECT_EQ(sampleAtCursor(r, image, 1, 181), 0);   // past the list
    EXPECT_EQ(sampleAtCursor(r, image, 2, 1), 0);     // not in use
}

TEST(ChartLogic, CursorTimeCountsFromTheAnnouncedStart) {
    StationImage image;
    MonitoringRecording r;
    useChannel(image, 1, 10);
    useChannel(image, 2, 15);
    useChannel(image, 3, 60);
    r.status.station_time = 100000;
    r.status.counts = {60, 30, kEmptyListCount, 0, 0, 0, 0, 0};  // 600 s the longest
    EXPECT_EQ(cursorTime(r, image, 0), 100000u - 600u);
    EXPECT_EQ(cursorTime(r, image, 250), 100000u - 350u);
}

TEST(ChartLogic, PagingMovesByOneWindowAtMost) {
    ChartWindow w{1000, 1000};
    EXPECT_EQ(pageWindow(w, 5000, 0), (AxisRange{1000, 2000}));
    EXPECT_EQ(w.end, 2000);
    EXPECT_EQ(pageWindow(w, 2000, 0), std::nullopt);
    EXPECT_EQ(pageWindow(w, 1000, 0), std::nullopt);  // E − W is still inside
    EXPECT_EQ(pageWindow(w, 999, 0), (AxisRange{0, 1000}));
    EXPECT_EQ(w.end, 1000);
    EXPECT_EQ(pageWindow(w, 1000, 1002), (AxisRange{1000, 2000}));  // E + 2 points
    EXPECT_EQ(pageWindow(w, -1, 0), (AxisRange{0, 1000}));
    EXPECT_EQ(w.end, 1000);
}

TEST(ChartLogic, TimeTicksFallOnRoundWholeSeconds) {
    const struct {
        double span;
        int ticks;
        double interval;
    } cases[] = {{1000, 5, 200},    {1000, 6, 200},   {1000, 4, 500},   {1000, 11, 100},
                 {36000, 6, 10000}, {36000, 8, 5000}, {500000, 6, 1e5}, {3, 1, 5},
                 {10, 20, 1},       {0, 6, 1},        {1000, 0, 1000},  {1001, 1, 2000}};
    for (const auto& c : cases) {
        EXPECT_EQ(timeTickInterval(c.span, c.ticks), c.interval) << c.span << " / " << c.ticks;
    }
}

TEST(ChartLogic, CaptionsAndGridTexts) {
    EXPECT_EQ(zoomCaption(1000), QStringLiteral("0d 0h 16m 40s "));
    EXPECT_EQ(zoomCaption(500000), QStringLiteral("5d 18h 53m 20s "));
    EXPECT_EQ(zoomCaption(86399), QStringLiteral("0d 23h 59m 59s "));
    const struct {
        int code;
        const char* name;
    } inputs[] = {{1, "A1"},  {8, "A8"},   {9, "D1"},  {31, "D23"},
                  {32, "F1"}, {47, "F16"}, {48, "C1"}, {64, "C17"}};
    for (const auto& in : inputs) {
        EXPECT_EQ(inputName(in.code), QString::fromLatin1(in.name)) << in.code;
    }
    StationImage image;
    image.channelData(3).text = "Pr\xF9tok";
    EXPECT_EQ(channelCaption(image, 3), QStringLiteral("3.Průtok"));
    EXPECT_EQ(channelCaption(image, 4), QStringLiteral("4.--- N/A ---"));
    EXPECT_EQ(gridColumnWidths(400), (std::array<int, 5>{128, 94, 94, 40, 40}));
    EXPECT_EQ(gridRowHeight(180), 19);
}

}  // namespace
}  // namespace pelmo
