#include "files/monitoring_export.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QList>
#include <QTemporaryDir>

#include "base/texts.h"
#include "scripted_prompts.h"

#include "monitoring/monitoring_pair.h"
#include "monitoring/sample_values.h"
#include "monitoring/sled_dat_logic.h"

namespace pelmo {
namespace {

// 2025-03-10 12:00:00, on the hour, so the grid needs no alignment.
const std::uint32_t kStationTime = timeCodeFromCalendar(25, 3, 10, 12, 0, 0);

void useChannel(StationImage& image, int c, int interval, double min, double max,
                const char* name) {
    image.channel(c).in_use = 1;
    image.channel(c).interval = static_cast<std::uint16_t>(interval);
    image.channel(c).table_present = 1;
    image.channelData(c).value_min = min;
    image.channelData(c).value_max = max;
    image.channelData(c).name = name;
    image.channelData(c).text = std::string("Text of ") + name;
    image.channelData(c).units =
        "\xB0"
        "C";
}

void addSamples(MonitoringRecording& r, int c, int count, std::uint8_t first) {
    auto& l = r.list(c);
    l.assign(kSampleListHeader, 0xEE);
    for (int k = 0; k < count; ++k) {
        l.push_back(static_cast<std::uint8_t>(first + k));
    }
    r.status.counts[static_cast<std::size_t>(c - 1)] = static_cast<std::uint16_t>(count);
}

// Channel 7 every minute and channel 8 every two minutes over the same ten minutes; channel 4
// every minute for the last four; channel 1 not in use. (Their circuit evaluation passes the
// values through, in single precision.)
class Export : public ::testing::Test {
protected:
    Export() {
        image.station.name = "Kotelna,\xB0X";
        image.meter.meter_number = 1207;
        useChannel(image, 7, 60, 0, 250, "TP1");
        useChannel(image, 8, 120, 0, 1.6, "PP1");
        useChannel(image, 4, 60, 0, 8, "QP1");
        addSamples(recording, 7, 10, 10);
        addSamples(recording, 8, 5, 100);
        addSamples(recording, 4, 4, 200);
        recording.list(8)[kSampleListHeader + 2] = 0;  // missing
        recording.status.station_time = kStationTime;
    }
    std::vector<ExportLine> lines() const { return monitoringLines(recording, image, 1).value(); }
    double value(int channel, int sample) const {
        return static_cast<float>(SampleEvaluator::rangeValue(image.channelData(channel),
                                                              static_cast<std::uint8_t>(sample)));
    }
    static QList<QByteArray> split(const QByteArray& text) {
        QList<QByteArray> out = text.split('\n');
        out.removeLast();
        return out;
    }

    StationImage image;
    MonitoringRecording recording;
};

TEST_F(Export, EverySampleLandsOnTheLineOfItsChartTime) {
    const auto out = lines();
    ASSERT_EQ(out.size(), 10u);
    const std::uint32_t start = kStationTime - 600;
    SampleEvaluator evaluate(image, 1);
    for (std::size_t q = 0; q < out.size(); ++q) {
        SCOPED_TRACE(q);
        // The line is stamped with the end of its sample's period, one second after the
        // time the chart shows for that sample.
        const int position = static_cast<int>(out[q].time - start) - 1;
        EXPECT_EQ(cursorTime(recording, image, position), out[q].time - 1);
        EXPECT_EQ(position, static_cast<int>((q + 1) * 60 - 1));
        for (int c : {7, 8}) {
            const ExportCell& cell = out[q].cells[static_cast<std::size_t>(c - 1)];
            const auto want = evaluate(c, sampleAtCursor(recording, image, c, position));
            ASSERT_EQ(cell.kind == ExportCell::Kind::Value, want.has_value()) << c;
            if (want) {
                EXPECT_DOUBLE_EQ(cell.value, *want) << c;
            }
        }
    }
    // The first and the last sample of the longest channel are both there.
    EXPECT_DOUBLE_EQ(out.front().cells[6].value, value(7, 10));
    EXPECT_DOUBLE_EQ(out.back().cells[6].value, value(7, 19));
    EXPECT_EQ(out[4].cells[7].kind, ExportCell::Kind::Missing);
}

TEST_F(Export, AShorterChannelFillsTheLastLines) {
    const auto out = lines();
    for (std::size_t q = 0; q < out.size(); ++q) {
        const ExportCell& cell = out[q].cells[3];
        if (q < 6) {
            EXPECT_EQ(cell.kind, ExportCell::Kind::NoSample) << q;
        } else {
            EXPECT_DOUBLE_EQ(cell.value, value(4, static_cast<int>(200 + q - 6))) << q;
        }
        EXPECT_EQ(out[q].cells[0].kind, ExportCell::Kind::NoSample);
    }
}

TEST_F(Export, LineTimesAreAlignedToTheSmallestInterval) {
    recording.status.station_time = kStationTime + 25;  // 12:00:25
    const auto out = lines();
    ASSERT_FALSE(out.empty());
    StationCalendar first;
    calendarFromTimeCode(out.front().time, first);
    EXPECT_EQ(first.hour * 3600 + first.minute * 60 + first.second, 11 * 3600 + 51 * 60);
}

TEST_F(Export, LinesHaveFixedLengthsWithAndWithoutDateAndTab) {
    const auto out = lines();
    const LocalDateTime today{2025, 3, 11, 8, 0, 0};
    const struct {
        bool date, tab;
        int data, header;
    } cases[] = {
        {false, false, 81, 81}, {false, true, 90, 90}, {true, false, 90, 81}, {true, true, 99, 90}};
    for (const auto& c : cases) {
        const auto rows = split(monitoringTextExport(image, out, {c.date, c.tab}, today));
        ASSERT_EQ(rows.size(), 3 + 10);
        for (qsizetype i = 0; i < rows.size(); ++i) {
            ASSERT_TRUE(rows[i].endsWith('\r'));
            EXPECT_EQ(rows[i].size() - 1, i < 3 ? c.header : c.data)
                << "date " << c.date << " tab " << c.tab << " line " << i;
        }
    }
    const auto rows = split(monitoringTextExport(image, out, {true, true}, today));
    EXPECT_EQ(rows[0].left(10), QByteArray("Kotelna.\xF8\t"));
    EXPECT_EQ(rows[1].left(20), QByteArray("1207     \t   ---   \t"));
    EXPECT_EQ(rows[1].mid(40, 10), QByteArray("Text of  \t"));
    EXPECT_EQ(rows[2].left(10), QByteArray("11/03/25 \t"));
    EXPECT_EQ(rows[2].mid(40, 10), QByteArray("\xF8"
                                              "C       \t"));
    EXPECT_EQ(rows[2].mid(10, 10), QByteArray("   ---   \t"));
    EXPECT_EQ(rows[3].left(19), QByteArray("10/03/25 11:51:00 \t"));
}

TEST_F(Export, ValueCellsShowEightCharactersOrAMark) {
    ExportLine line;
    line.time = kStationTime;
    const ExportCell cells[] = {
        {ExportCell::Kind::Value, 12.3456789},  {ExportCell::Kind::Value, 0.0},
        {ExportCell::Kind::Value, 65535.0},     {ExportCell::Kind::Missing, 0.0},
        {ExportCell::Kind::NoSample, 0.0},      {ExportCell::Kind::Value, -1.5},
        {ExportCell::Kind::Value, 123456789.0}, {ExportCell::Kind::Value, 0.000000004}};
    std::copy(std::begin(cells), std::end(cells), line.cells.begin());
    const auto rows = split(monitoringTextExport(image, {line}, {}, LocalDateTime{}));
    EXPECT_EQ(
        rows[3].mid(9),
        QByteArray("12.34567    ---      ---      ---      xxx   -1.50000 12345678 0.000000 \r"));
    for (int c = 1; c <= kChannelCount; ++c) {
        image.channel(c).in_use = 1;
    }
    const auto csv = monitoringCsvExport(image, {line}).split('\n');
    EXPECT_EQ(csv[1].toStdString(),
              std::string("2025-03-10T12:00:00,12.345679,,,,,-1.5,123456792,4e-09\r"));
}

TEST_F(Export, CsvHasAHeaderAndOneRowPerLine) {
    const auto out = lines();
    const QList<QByteArray> rows = monitoringCsvExport(image, out).split('\n');
    ASSERT_EQ(rows.size(), 1 + 10 + 1);
    EXPECT_EQ(rows[0], QByteArray("time,QP1 [°C],TP1 [°C],PP1 [°C]\r"));
    // Channel 4 has no sample yet; 250 × 7 ÷ 250 and 1.6 × 97 ÷ 250 in single precision.
    EXPECT_EQ(rows[1].toStdString(), "2025-03-10T11:51:00,,7,0.6208\r");
    EXPECT_EQ(rows[10].toStdString(), "2025-03-10T12:00:00,6.4,16,0.6464\r");
    EXPECT_TRUE(rows[5].endsWith(",\r"));  // channel 8's missing sample
}

TEST_F(Export, AGridTooFineForASpreadsheetIsRefused) {
    // One second and an hour: the hourly channel's span counted in seconds.
    useChannel(image, 1, 1, 0, 10, "S");
    useChannel(image, 2, 3600, 0, 10, "H");
    addSamples(recording, 1, 2, 10);
    addSamples(recording, 2, 291, 10);
    EXPECT_EQ(exportLineCount(recording, image), 1047600);
    recording.status.counts[1] = 292;  // 1051200 lines
    EXPECT_FALSE(monitoringLines(recording, image, 1).has_value());
    test::ScriptedPrompts prompts;
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("x.txt"));
    EXPECT_EQ(exportMonitoring(out, image, recording, ExportFormat::Text, {}, 1, prompts),
              PairResult::ExportError);
    EXPECT_TRUE(prompts.shownError(txt(kTextDataExportError)));
    EXPECT_FALSE(QFile::exists(out));
    // Nothing in use: no grid, no lines.
    EXPECT_TRUE(monitoringLines(recording, StationImage{}, 1)->empty());
}

}  // namespace
}  // namespace pelmo
