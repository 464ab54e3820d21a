#include "files/station_file.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <random>

#include "scripted_prompts.h"

namespace pelmo {
namespace {

// A station as an operator would have it: a steam meter, an analog channel with a table,
// a frequency channel and a digital one.
StationImage sampleStation() {
    StationImage img;
    img.station.name = "Kotelna Jih";
    img.station.meter_name = "PARA1";
    img.station.net_address = 17;
    img.station.messages_total = 120;
    img.meter.meter_number = 4321;
    img.meter.mode_b = 0x54;
    img.meter.variant = 4;
    img.meter.mode_a = 0x46;
    for (std::size_t i = 0; i < img.meter.constants.size(); ++i) {
        img.meter.constants[i] = 10.0 * static_cast<double>(i) + 0.25;
    }
    img.meter.constants[4] = 12.5;
    img.meter.mode_copy = 0x54;
    img.meter.interval_p1 = 60;
    img.meter.interval_p2 = 120;
    img.meter.interval_cond = 900;
    img.meter.reserved_word = 77;
    img.meter.imp_coef_1 = 0.5;
    img.meter.output_word = 0x13;

    auto& t = img.channel(1);
    auto& td = img.channelData(1);
    td.name = "TEPLOTA";
    td.text = "Teplota p\xE1ry";
    td.units =
        "\xB0"
        "C";
    td.sensor_type = "Pt100";
    td.value_min = 0.0;
    td.value_max = 300.0;
    t.input_code = 1;
    t.interval = 3723;
    t.memory = 2048;
    t.measurement = 0;
    t.display = 3;
    t.output_code = 137;
    t.table_present = 1;
    t.table_points = 3;
    t.table_x = {100, 2000, 4000};
    t.table_y = {0, 32767, 65534};
    td.table_scale = 300.0 / 65534.0;
    td.table_offset = 0.0;
    t.limit_low = 6553;
    t.limit_high = 58981;
    td.calib_water_temp = 20.0;
    td.temp_coef = 0.5;

    auto& f = img.channel(2);
    auto& fd = img.channelData(2);
    fd.name = "PRUTOK";
    fd.units = "t/h";
    fd.value_max = 20.0;
    f.input_code = 33;
    f.divider = 4;
    f.interval = 60;
    f.measurement = 4;
    f.display = 1;
    f.output_code = 186;  // inverted external digital 3
    f.table_present = 1;
    f.table_points = 2;
    f.table_x = {400, 2000};
    f.table_y = {0, 65534};
    fd.table_scale = 20.0 / 65534.0;

    auto& dg = img.channelData(3);
    dg.name = "CERPADLO";
    img.channel(3).input_code = 9;
    img.channel(3).measurement = 1;
    return img;
}

std::string line(const QByteArray& file, int record) {
    return file.mid(record * kStationFileRecord, kStationFileRecord).toStdString();
}

int channelRecord(int n, int record) {
    return 35 + (n - 1) * 33 + record - 1;
}

StationImage loaded(const QByteArray& bytes, bool gas = false) {
    StationImage img;
    resetNewStation(img);
    EXPECT_TRUE(decodeStationFile(bytes, img, {gas}));
    return img;
}

TEST(StationFile, SaveLoadSaveGivesTheSameBytes) {
    for (bool gas : {false, true}) {
        StationImage img = sampleStation();
        const QByteArray first = encodeStationFile(img, {gas});
        ASSERT_EQ(first.size(), kStationFileSize);
        StationImage back = loaded(first, gas);
        EXPECT_EQ(encodeStationFile(back, {gas}), first);
        EXPECT_EQ(back.station.from_file, 1);
        EXPECT_EQ(back.channel(1).table_points, 3);
        EXPECT_EQ(back.channel(2).input_code, 33);
        EXPECT_EQ(back.channel(2).divider, 4);
        EXPECT_EQ(back.channel(2).output_code, 186);
        EXPECT_EQ(back.channel(1).interval, 3723);
        EXPECT_EQ(back.channel(2).measurement, 4);
        EXPECT_EQ(back.channelData(1).units,
                  "\xB0"
                  "C");
        EXPECT_EQ(back.channel(3).in_use, 1);
        EXPECT_EQ(back.channel(4).in_use, 0);
        EXPECT_DOUBLE_EQ(back.meter.constants[4], 12.5);
    }
}

TEST(StationFile, RecordsAreFixedLinesWithTheFileConventions) {
    StationImage img = sampleStation();
    img.station.name = "Teplarna Sever 1234";  // 19 characters
    const QByteArray file = encodeStationFile(img, {});
    for (int r = 0; r < kStationFileRecords; ++r) {
        ASSERT_EQ(line(file, r).substr(20), "\r\n") << r;
    }
    EXPECT_EQ(line(file, 0), "Teplarna Sever 1234 \r\n");
    // Narrow records end their text with NULs.
    EXPECT_EQ(line(file, 7), std::string("4321           \0\0\0\0\0\r\n", 22));
    EXPECT_EQ(line(file, 14).substr(0, 6), "0.1250");
    EXPECT_EQ(line(file, channelRecord(1, 4)).substr(0, 2),
              "\xF8"
              "C");
    EXPECT_EQ(line(file, channelRecord(1, 9)).substr(0, 8), "01:02:03");
    EXPECT_EQ(line(file, channelRecord(2, 13)).substr(0, 2), "44");
    EXPECT_EQ(line(file, channelRecord(2, 8)).substr(0, 2), "16");
    EXPECT_EQ(line(file, channelRecord(2, 8))[19], '3');
    EXPECT_EQ(line(file, channelRecord(2, 18)), "10000.000000  0.0000\r\n");
    EXPECT_EQ(line(file, channelRecord(2, 19)), "50000.000000  20.000\r\n");

    StationImage back = loaded(file);
    EXPECT_EQ(back.station.name, "Teplarna Sever");  // 14 characters come back
    EXPECT_EQ(back.channel(2).table_x[1], 2000);
}

TEST(StationFile, GasVersionScalesConstantsThreeAndFifteen) {
    StationImage img = sampleStation();
    img.meter.constants[2] = 0.0000258;
    const QByteArray file = encodeStationFile(img, {true});
    EXPECT_EQ(line(file, 12).substr(0, 7), "25.8000");
    EXPECT_DOUBLE_EQ(loaded(file, true).meter.constants[2], 0.0000258);
}

TEST(StationFile, OutputNumbersCoverEveryOutput) {
    for (int code : {0, 128, 129, 136, 143, 160, 165, 168, 175}) {
        const auto c = static_cast<std::uint8_t>(code);
        EXPECT_EQ(outputCodeFromNumber(outputNumberFromCode(c)), c) << code;
        if (code != 0) {
            const auto inverted = static_cast<std::uint8_t>(code + 16);
            EXPECT_EQ(outputNumberFromCode(inverted), outputNumberFromCode(c) + 25);
            EXPECT_EQ(outputCodeFromNumber(outputNumberFromCode(inverted)), inverted) << code;
        }
    }
    // Numbers that name no output fall back to code 3 (19 when read as inverted).
    EXPECT_EQ(outputCodeFromNumber(-1), 3);
    EXPECT_EQ(outputCodeFromNumber(99), 19);
}

TEST(StationFile, DividerDigitRestoresOnlySomeDividers) {
    const std::pair<int, int> expected[] = {
        {1, 1},   {2, 1},   {4, 4},    {8, 4},    {16, 16},   {32, 25},   {64, 64},  {128, 1},
        {256, 1}, {512, 1}, {1024, 4}, {2048, 9}, {4096, 25}, {8192, 64}, {16384, 1}};
    for (auto [written, read] : expected) {
        StationImage img = sampleStation();
        img.channel(2).divider = static_cast<std::uint16_t>(written);
        img.channel(2).table_x = {0, 0};
        EXPECT_EQ(loaded(encodeStationFile(img, {})).channel(2).divider, read) << written;
    }
}

TEST(StationFile, TableRebuildRules) {
    StationImage img = sampleStation();
    // A table whose only complete point is the first is no table.
    img.channel(1).table_x = {1000, 0, 0};
    img.channel(1).table_points = 1;
    img.channelData(1).table_offset = 5.0;
    StationImage back = loaded(encodeStationFile(img, {}));
    EXPECT_EQ(back.channel(1).table_present, 0);
    EXPECT_EQ(back.channel(1).table_points, 0);

    // Values above 65535 everywhere: the offset search starts at 65535.
    img = sampleStation();
    img.channel(1).table_points = 2;
    img.channel(1).table_x = {100, 200};
    img.channel(1).table_y = {0, 10};
    img.channelData(1).table_scale = 1.0;
    img.channelData(1).table_offset = 70000.0;
    back = loaded(encodeStationFile(img, {}));
    EXPECT_EQ(back.channelData(1).table_offset, 65535.0);
    EXPECT_EQ(back.channel(1).table_points, 2);

    // Inputs are limited to what the converter can give.
    img = sampleStation();
    img.channel(1).table_x = {100, 2000, 9000};
    back = loaded(encodeStationFile(img, {}));
    EXPECT_EQ(back.channel(1).table_x[2], 4092);
}

TEST(StationFile, DamagedFilesFailWithoutCrashing) {
    StationImage img = sampleStation();
    const QByteArray good = encodeStationFile(img, {});
    for (int cut : {0, 1, 21, 22, 500, kStationFileSize - 1}) {
        StationImage out;
        EXPECT_FALSE(decodeStationFile(good.left(cut), out, {})) << cut;
    }
    QByteArray bad = good;
    bad[5 * kStationFileRecord] = 'x';  // net address no longer a number
    StationImage out;
    EXPECT_FALSE(decodeStationFile(bad, out, {}));
    EXPECT_EQ(out.station.name, "Kotelna Jih");  // read before the fault
    bad = good;
    bad[channelRecord(2, 8) * kStationFileRecord + 19] = 'Z';
    EXPECT_FALSE(decodeStationFile(bad, out, {}));

    // Random damage never crashes (the sanitizer build watches the reads).
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        QByteArray mutated = good;
        for (int k = 0; k < 4; ++k) {
            mutated[static_cast<qsizetype>(rng() % mutated.size())] =
                static_cast<char>(rng() & 0xFF);
        }
        if (round % 3 == 0) {
            mutated.truncate(static_cast<qsizetype>(rng() % mutated.size()));
        }
        StationImage any;
        (void)decodeStationFile(mutated, any, {});
    }
}

TEST(StationFile, LoadAndSaveThroughFiles) {
    QTemporaryDir dir;
    test::ScriptedPrompts prompts;
    StationImage img = sampleStation();
    const QString path = dir.filePath(QStringLiteral("a.sta"));
    ASSERT_EQ(saveStationFile(path, img, {}, prompts), StationFileResult::Ok);
    StationImage back;
    ASSERT_EQ(loadStationFile(path, back, {}, prompts), StationFileResult::Ok);
    EXPECT_EQ(back.station.name, img.station.name);
    EXPECT_TRUE(prompts.shown.empty());

    EXPECT_EQ(loadStationFile(dir.filePath(QStringLiteral("missing.sta")), back, {}, prompts),
              StationFileResult::OpenFailed);
    EXPECT_EQ(saveStationFile(dir.filePath(QStringLiteral("no/such/dir/a.sta")), img, {}, prompts),
              StationFileResult::OpenFailed);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].text,
              QString::fromUtf8("Soubor %1 nelze načíst: soubor nebo složka neexistuje.")
                  .arg(dir.filePath(QStringLiteral("missing.sta"))));
    EXPECT_EQ(prompts.shown[1].text,
              QString::fromUtf8("Soubor %1 nelze uložit: soubor nebo složka neexistuje.")
                  .arg(dir.filePath(QStringLiteral("no/such/dir/a.sta"))));
}

}  // namespace
}  // namespace pelmo
