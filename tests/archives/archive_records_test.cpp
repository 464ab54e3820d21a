// Archive positions, record decoding, the display filter and the archive and message files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstring>

#include "archives/archive_logic.h"
#include "base/texts.h"
#include "files/archive_file.h"
#include "files/message_file.h"
#include "files/program_folder.h"
#include "scripted_prompts.h"

namespace pelmo {
namespace {

std::uint32_t at(int yy, int month, int day, int h = 12, int m = 0, int s = 0) {
    return timeCodeFromCalendar(yy, month, day, h, m, s);
}

StationCalendar calendar(std::uint32_t seconds) {
    StationCalendar c;
    calendarFromTimeCode(seconds, c);
    return c;
}

TEST(ArchivePositions, MonthsDaysAndFixedArchivesFollowTheStationClock) {
    setLanguage(Language::English);
    struct Case {
        std::uint32_t clock;
        int position;
        int number;
        const char* caption;
        const char* file;
    };
    const std::uint32_t march25 = at(25, 3, 15);
    const std::uint32_t march24 = at(24, 3, 15);
    const std::uint32_t day = at(25, 3, 15);
    const auto d = static_cast<int>(day / 86400);
    const Case cases[] = {
        {march25, 0, 15, "Period 03/23", "O_03_2023.dat"},
        {march25, 23, 14, "Period 02/25", "O_02_2025.dat"},
        {march24, 0, 3, "Period 03/22", "O_03_2022.dat"},
        {march24, 23, 2, "Period 02/24", "O_02_2024.dat"},
        // January: the month before lies in the previous year.
        {at(0, 1, 10), 23, 24, "Period 12/99", "O_12_2099.dat"},
        {at(26, 1, 10), 22, 23, "Period 11/25", "O_11_2025.dat"},
        {march25, 24, 0, " Actual values", "Aktualn.dat"},
        {march25, 25, 50, "Partial values", "Mezista.dat"},
        {day, 26, 25 + d % 8, "     Day  -1", "Den_-1.dat"},
        {day, 33, 25 + (d + 1) % 8, "     Day  -8", "Den_-8.dat"},
        {march25, 34, -1, "", ""},
        {march25, -1, -1, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(archiveNumberForPosition(c.position, c.clock), c.number);
        EXPECT_EQ(positionCaption(c.position, calendar(c.clock)), QString::fromUtf8(c.caption));
        EXPECT_EQ(archiveFileName(c.position, calendar(c.clock)), QString::fromUtf8(c.file));
    }
}

std::vector<std::uint8_t> dataAnswer(std::uint32_t stamp, std::size_t payload, float first) {
    std::vector<std::uint8_t> a{0x06, 0x01, 0x02, 0x5E, static_cast<std::uint8_t>(payload)};
    a.resize(5 + payload + 2, 0);
    std::uint32_t raw = 0;
    std::memcpy(&raw, &first, 4);
    for (int i = 0; i < 4; ++i) {
        a[5 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(raw >> (8 * i));
        a[1 + payload + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(stamp >> (8 * i));
    }
    return a;
}

TEST(ArchiveRecords, MidnightShowsAsTheLastSecondOfTheDayOnlyInDailyArchives) {
    const std::uint32_t midnight = at(25, 3, 15, 0, 0, 0);
    ArchiveRecordState s;
    ASSERT_TRUE(decodeArchiveRecord(dataAnswer(midnight, 64, 1.5f), 26, s));
    EXPECT_EQ(timeText(s.record, TimeTextKind::Date), "14/03/25");
    EXPECT_EQ(timeText(s.record, TimeTextKind::Time), "23:59:59");
    EXPECT_EQ(s.record_seconds, midnight);
    EXPECT_DOUBLE_EQ(s.values[0], 1.5);

    ASSERT_TRUE(decodeArchiveRecord(dataAnswer(midnight, 64, 1.5f), 0, s));
    EXPECT_EQ(timeText(s.record, TimeTextKind::Date), "15/03/25");
    EXPECT_EQ(timeText(s.record, TimeTextKind::Time), "00:00:00");

    // An empty daily archive stays empty instead of wrapping into 2116.
    ASSERT_TRUE(decodeArchiveRecord(dataAnswer(0, 64, 0.0f), 32, s));
    EXPECT_EQ(timeText(s.record, TimeTextKind::Date), "--/--/--");
}

TEST(ArchiveRecords, TheStampFollowsByteFourAndMissingValuesReadZero) {
    ArchiveRecordState s;
    s.values.fill(9.0);
    // A long actual-state answer: the stamp sits after four status bytes.
    auto longAnswer = dataAnswer(at(25, 1, 2, 3, 4, 5), 68, 2.0f);
    ASSERT_TRUE(decodeArchiveRecord(longAnswer, 0, s));
    EXPECT_EQ(timeText(s.record, TimeTextKind::Time), "03:04:05");

    // Eight bytes of payload: quantity 1 is there, quantity 2 reaches into the stamp and
    // trailer, quantity 3 and later lie beyond the answer.
    auto shortAnswer = dataAnswer(at(25, 1, 2), 8, 3.0f);
    ASSERT_TRUE(decodeArchiveRecord(shortAnswer, 0, s));
    EXPECT_DOUBLE_EQ(s.values[0], 3.0);
    EXPECT_DOUBLE_EQ(s.values[14], 0.0);
    EXPECT_DOUBLE_EQ(s.values[3], 0.0);

    // Byte 4 pointing past the answer is a decoding failure, not a read out of bounds.
    auto bad = dataAnswer(0, 64, 0.0f);
    bad[4] = 0xF0;
    EXPECT_FALSE(decodeArchiveRecord(bad, 0, s));
    EXPECT_FALSE(decodeArchiveRecord(std::vector<std::uint8_t>{6, 1, 2, 0x5E}, 0, s));
}

TEST(ArchiveFilter, VariantsAndTheGasVersionChooseTheQuantities) {
    const std::vector<std::pair<int, std::vector<int>>> table = {
        {0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        {1, {1, 2, 6, 7, 11, 12, 15}},
        {3, {5, 10, 15}},
        {4, {1, 2, 5, 6, 7, 10, 11, 12, 15}},
        {6, {3, 5, 8, 10, 15}},
        {7, {1, 2, 3, 5, 6, 7, 8, 9, 10, 15}},
        {8, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        {9, {}},
    };
    for (const auto& [variant, shown] : table) {
        std::vector<int> got;
        for (int q = 0; q <= 16; ++q) {
            if (quantityShown(q, variant, "x", false)) {
                got.push_back(q);
            }
        }
        EXPECT_EQ(got, shown) << variant;
    }
    EXPECT_TRUE(quantityShown(1, 0, "Teplo P1 sucha", false));
    EXPECT_FALSE(quantityShown(1, 0, "Teplo P1 sucha", true));
    EXPECT_FALSE(quantityShown(2, 0, "Teplo P1 mokra", true));
    EXPECT_FALSE(quantityShown(11, 0, "Teplo kond.", true));
    EXPECT_TRUE(quantityShown(5, 0, "Teplo celkem", true));
    EXPECT_TRUE(quantityShown(5, 0, "sucha ", true));  // the last five characters decide
}

ArchiveRecordState sampleState() {
    ArchiveRecordState s;
    calendarFromTimeCode(at(25, 3, 14, 23, 59, 59), s.record);
    setStationClock(s, at(25, 3, 15, 7, 30, 2));
    return s;
}

TEST(ArchiveFiles, FixedColumnsRoundTripByteForByte) {
    ArchiveRows rows;
    rows[0] = {QStringLiteral("Teplo P1 sucha"), QStringLiteral("1234,56789"),
               QStringLiteral("GJ")};
    rows[1] = {QStringLiteral("A label of twenty ch"), QStringLiteral("-0,50000"),
               QString::fromUtf8("m3")};
    rows[2] = {QString::fromUtf8("Množství celk."), QStringLiteral("123456789,12345"),
               QStringLiteral("t")};
    rows[4] = {QStringLiteral("after a gap"), QStringLiteral("1"), QStringLiteral("h")};
    const QByteArray bytes = encodeArchiveFile(sampleState(), rows);
    const QByteArray expected =
        "23:59:59             14/03/25\r\n"
        "07:30:02             15/03/25\r\n"
        "Teplo P1 sucha  1234.56789  GJ\r\n"
        "A label of twent-0.50000    m3\r\n"
        "Mno\x9Estv\xED celk.  123456789.12t\r\n"
        "\x09\x05\x08";
    EXPECT_EQ(bytes, expected);

    const ArchiveFileTexts back = decodeArchiveFile(bytes);
    EXPECT_EQ(back.recordTime, QStringLiteral("23:59:59"));
    EXPECT_EQ(back.recordDate, QStringLiteral("14/03/25"));
    EXPECT_EQ(back.stationTime, QStringLiteral("07:30:02"));
    EXPECT_EQ(back.stationDate, QStringLiteral("15/03/25"));
    EXPECT_EQ(back.rows[0], rows[0]);
    EXPECT_EQ(back.rows[1].label, QStringLiteral("A label of twent"));
    EXPECT_EQ(back.rows[2].label, QString::fromUtf8("Množství celk."));
    EXPECT_EQ(back.rows[2].value, QStringLiteral("123456789,12"));
    EXPECT_EQ(back.rows[3], ArchiveRow{});
    // Saving what was loaded writes the same bytes again.
    EXPECT_EQ(encodeArchiveFile(sampleState(), back.rows), bytes);

    // Without its trailer the file reads the same.
    const ArchiveFileTexts bare = decodeArchiveFile(bytes.left(bytes.size() - 3));
    EXPECT_EQ(bare.rows, back.rows);
    EXPECT_EQ(bare.stationDate, back.stationDate);
}

TEST(ArchiveFiles, ZeroStampsAndLongFiles) {
    ArchiveRecordState empty;
    ArchiveRows rows;
    for (int i = 0; i < 15; ++i) {
        rows[static_cast<std::size_t>(i)] = {QStringLiteral("Q%1").arg(i + 1), QStringLiteral("0"),
                                             QStringLiteral("u")};
    }
    QByteArray bytes = encodeArchiveFile(empty, rows);
    EXPECT_TRUE(bytes.startsWith("--:--:--             --/--/--\r\n"));
    // A sixteenth row is not read.
    bytes.insert(bytes.size() - 3, "Q16             16          x\r\n");
    const ArchiveFileTexts back = decodeArchiveFile(bytes);
    EXPECT_EQ(back.rows[14].label, QStringLiteral("Q15"));
    EXPECT_EQ(back.recordDate, QStringLiteral("--/--/--"));
    // A truncated header gives what it holds and nothing else.
    const ArchiveFileTexts cut = decodeArchiveFile(QByteArray("12:3"));
    EXPECT_EQ(cut.recordTime, QStringLiteral("12:3"));
    EXPECT_TRUE(cut.rows[0].label.isEmpty());
}

TEST(ArchiveFiles, MissingUnwritableAndStationFolders) {
    setLanguage(Language::Czech);
    QTemporaryDir dir;
    test::ScriptedPrompts prompts;
    EXPECT_EQ(stationFolder(dir.path(), 7), QDir(dir.path()).filePath(QStringLiteral("7.000")));

    ArchiveFileTexts out;
    EXPECT_EQ(loadArchiveFile(dir.filePath(QStringLiteral("none.dat")), prompts, out),
              ArchiveFileResult::NotFound);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].kind, Prompts::Kind::Information);
    EXPECT_EQ(prompts.shown[0].text, txt(kTextArchiveFileNotFound));

    // Saving creates the station folder; saving again replaces the file.
    const QString path = QDir(stationFolder(dir.path(), 7)).filePath(QStringLiteral("Den_-1.dat"));
    ASSERT_EQ(saveArchiveFile(path, "first", prompts), ArchiveFileResult::Ok);
    ASSERT_EQ(saveArchiveFile(path, "second", prompts), ArchiveFileResult::Ok);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("second"));

    // A folder that cannot be made: the file error box, the caller reports the rest.
    prompts.shown.clear();
    EXPECT_EQ(saveArchiveFile(dir.filePath(QStringLiteral("a/b/c.dat")), "x", prompts),
              ArchiveFileResult::OpenFailed);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(prompts.shown[0].text.startsWith(QStringLiteral("Soubor ") +
                                                 dir.filePath(QStringLiteral("a/b/c.dat"))))
        << prompts.shown[0].text.toStdString();
}

TEST(ArchiveFiles, AProgramFolderThatCannotBeWrittenFallsBackToTheUserDataFolder) {
    QTemporaryDir dir;
    EXPECT_EQ(programFolderFor(dir.path()), dir.path());
    const QString gone = dir.filePath(QStringLiteral("gone"));
    const QString fallback = programFolderFor(gone);
    EXPECT_NE(fallback, gone);
    EXPECT_TRUE(QFileInfo(fallback).isDir());
}

TEST(MessageFiles, LinesHaveFixedSeparatorsAndNoHeader) {
    EXPECT_TRUE(encodeMessageExport({}).isEmpty());
    const std::vector<MessageRow> rows = {
        {QStringLiteral("1."), QStringLiteral("08:15:00"), QStringLiteral("14/03/25"),
         QString::fromUtf8("Začátek výpadku napětí")},
        {QString(), QString(), QString(), QString()},
    };
    EXPECT_EQ(encodeMessageExport(rows),
              QByteArray("   1. 08:15:00  14/03/25  Za\xE8\xE1tek v\xFDpadku nap\xECt\xED\r\n"
                         "        \r\n"));
}

}  // namespace
}  // namespace pelmo
