#include "files/monitoring_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "base/texts.h"
#include "monitoring/monitoring_pair.h"
#include "scripted_prompts.h"

namespace pelmo {
namespace {

std::vector<std::uint8_t> list(std::size_t length, std::uint8_t first = 0) {
    std::vector<std::uint8_t> l(length);
    for (std::size_t i = 0; i < length; ++i) {
        l[i] = static_cast<std::uint8_t>(first + i * 7);
    }
    return l;
}

std::uint16_t u16(const QByteArray& b, int at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) |
                                      static_cast<std::uint8_t>(b[at + 1]) << 8);
}

// Channels with 118, 18, 0 and 58 list bytes, the rest empty.
MonitoringRecording example() {
    MonitoringRecording r;
    r.list(1) = list(118, 1);
    r.list(2) = list(18, 2);
    r.list(4) = list(58, 3);
    r.status.station_time = 0x584ACE25u;
    r.status.second_word = 0x11223344u;
    return r;
}

TEST(MonitoringFile, HeaderCarriesLengthsOffsetsAndCounts) {
    QByteArray bytes;
    ASSERT_TRUE(encodeMonitoringFile(example(), bytes));
    const int d = 8 + 118 + 18 + 58;
    ASSERT_EQ(bytes.size(), 128 + d);
    EXPECT_EQ(u16(bytes, 0), d);
    EXPECT_EQ(u16(bytes, 30), d);
    EXPECT_EQ(u16(bytes, 14), 0);
    EXPECT_EQ(u16(bytes, 16), 119);
    EXPECT_EQ(u16(bytes, 18), 138);
    EXPECT_EQ(u16(bytes, 20), 139);
    EXPECT_EQ(u16(bytes, 22), 198);
    const std::array<int, 8> counts{100, 0, 65518, 40, 65518, 65518, 65518, 65518};
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(u16(bytes, 64 + 8 * k), counts[static_cast<std::size_t>(k)]) << k;
        EXPECT_EQ(bytes[64 + 8 * k + 2], '\x22');
    }
    // The data section: each block starts with its channel index.
    EXPECT_EQ(bytes[128], 0);
    EXPECT_EQ(bytes[128 + 119], 1);
    EXPECT_EQ(bytes[128 + 138], 2);
    EXPECT_EQ(bytes[128 + 139], 3);
}

TEST(MonitoringFile, SaveLoadSaveIsByteForByte) {
    QByteArray first;
    ASSERT_TRUE(encodeMonitoringFile(example(), first));
    MonitoringRecording loaded;
    ASSERT_TRUE(decodeMonitoringFile(first, loaded));
    for (int c = 1; c <= kChannelCount; ++c) {
        EXPECT_EQ(loaded.list(c), example().list(c)) << c;
    }
    EXPECT_EQ(loaded.status.station_time, 0x584ACE25u);
    EXPECT_EQ(loaded.status.second_word, 0x11223344u);
    EXPECT_EQ(loaded.status.counts[0], 100);
    EXPECT_EQ(loaded.status.counts[2], kEmptyListCount);
    EXPECT_EQ(loaded.status.total, 8 + 118 + 18 + 58 - 152);
    QByteArray second;
    ASSERT_TRUE(encodeMonitoringFile(loaded, second));
    EXPECT_EQ(second, first);
}

TEST(MonitoringFile, EightEmptyListsMakeTheSmallestFile) {
    QByteArray bytes;
    ASSERT_TRUE(encodeMonitoringFile(MonitoringRecording{}, bytes));
    EXPECT_EQ(bytes.size(), 136);
    EXPECT_EQ(u16(bytes, 0), 8);
    MonitoringRecording loaded;
    loaded.list(3) = list(40);
    ASSERT_TRUE(decodeMonitoringFile(bytes, loaded));
    for (int c = 1; c <= kChannelCount; ++c) {
        EXPECT_TRUE(loaded.list(c).empty());
    }
}

TEST(MonitoringFile, TheDataSectionMustFitItsSixteenBitLength) {
    MonitoringRecording r;
    r.list(1) = list(65535 - 8);
    QByteArray bytes;
    ASSERT_TRUE(encodeMonitoringFile(r, bytes));
    EXPECT_EQ(u16(bytes, 0), 65535);
    MonitoringRecording loaded;
    EXPECT_TRUE(decodeMonitoringFile(bytes, loaded));
    r.list(2) = list(18);
    r.list(1).resize(65536 - 8 - 18);
    EXPECT_FALSE(encodeMonitoringFile(r, bytes));

    // The pair is refused whole: neither file is written.
    QTemporaryDir dir;
    test::ScriptedPrompts prompts;
    StationImage image;
    const QString path = dir.filePath(QStringLiteral("big.mon"));
    EXPECT_EQ(saveMonitoringPair(path, image, r, 0, prompts), PairResult::Corrupt);
    EXPECT_TRUE(prompts.shownError(txt(kTextFileCorrupted)));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("big.con"))));
}

TEST(MonitoringFile, ATruncatedOrLyingFileIsCorrupt) {
    QByteArray good;
    ASSERT_TRUE(encodeMonitoringFile(example(), good));
    auto patched = [&good](int at, std::uint16_t value) {
        QByteArray b = good;
        b[at] = static_cast<char>(value & 0xFF);
        b[at + 1] = static_cast<char>(value >> 8);
        return b;
    };
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"header cut short", good.left(127)},
        {"data cut short", good.left(good.size() - 1)},
        {"trailing byte", good + QByteArray(1, '\0')},
        {"length larger than the data", patched(0, static_cast<std::uint16_t>(u16(good, 0) + 1))},
        {"second length differs", patched(30, static_cast<std::uint16_t>(u16(good, 0) - 1))},
        {"offset beyond the data", patched(16, 60000)},
        {"offsets out of order", patched(18, 100)},
        {"empty block without its index", patched(20, 138)},
        {"count not the list's", patched(64, 99)},
        {"list shorter than its header", patched(18, 119 + 10)},
        {"wrong channel index",
         [&good] {
             QByteArray b = good;
             b[128 + 119] = 5;
             return b;
         }()},
        {"length below eight blocks", patched(0, 7)},
    };
    for (const auto& c : cases) {
        MonitoringRecording r;
        EXPECT_FALSE(decodeMonitoringFile(c.bytes, r)) << c.what;
    }
}

TEST(MonitoringFile, CompanionIsTheNameLessThreeCharactersPlusCon) {
    EXPECT_EQ(companionStationFile(QStringLiteral("x.mon")), QStringLiteral("x.con"));
    EXPECT_EQ(companionStationFile(QStringLiteral("data.mo")), QStringLiteral("datacon"));
    EXPECT_EQ(companionStationFile(QStringLiteral("abc")), QStringLiteral("con"));
    EXPECT_EQ(companionStationFile(QStringLiteral("ab")), QStringLiteral("con"));
    EXPECT_EQ(companionStationFile(QStringLiteral("abcd")), QStringLiteral("acon"));
    EXPECT_EQ(companionStationFile(QStringLiteral("/tmp/a.b/x.mon")),
              QStringLiteral("/tmp/a.b/x.con"));
}

TEST(MonitoringFile, LoadingAPairNeedsItsCompanion) {
    QTemporaryDir dir;
    test::ScriptedPrompts prompts;
    StationImage image;
    MonitoringRecording r = example();
    const QString path = dir.filePath(QStringLiteral("rec.mon"));
    ASSERT_EQ(saveMonitoringPair(path, image, r, 0, prompts), PairResult::Ok);
    MonitoringRecording loaded;
    ASSERT_EQ(loadMonitoringPair(path, image, loaded, 0, prompts), PairResult::Ok);
    EXPECT_EQ(loaded.list(1), r.list(1));
    ASSERT_TRUE(QFile::remove(dir.filePath(QStringLiteral("rec.con"))));
    EXPECT_EQ(loadMonitoringPair(path, image, loaded, 0, prompts), PairResult::NoCompanion);
    EXPECT_TRUE(prompts.shownError(txt(kTextFileConNotFound)));
}

}  // namespace
}  // namespace pelmo
