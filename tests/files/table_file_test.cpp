#include "files/table_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <limits>

#include "base/texts.h"
#include "scripted_prompts.h"

namespace pelmo {
namespace {

using test::ScriptedPrompts;

QByteArray singles(std::initializer_list<float> values) {
    QByteArray out;
    for (float v : values) {
        out.append(reinterpret_cast<const char*>(&v), 4);  // little-endian host
    }
    return out;
}

// A file image: min, max, then (input, value) pairs padded with zero points.
QByteArray tableBytes(float min, float max, std::initializer_list<std::pair<float, float>> points,
                      std::optional<float> dividerEntry = std::nullopt) {
    QByteArray out = singles({min, max});
    int n = 0;
    for (const auto& [x, y] : points) {
        out += singles({x, y});
        ++n;
    }
    out += QByteArray(8 * (kTableFilePoints - n), '\0');
    if (dividerEntry) {
        out += singles({*dividerEntry});
    }
    return out;
}

TEST(TableFile, FivePointsMakeA136ByteFileWithZeroPointsAfterThem) {
    const auto bytes = encodeTableFile(
        0.0, 100.0, {{48, 0}, {1048, 25}, {2048, 50}, {3048, 75}, {4048, 100}}, std::nullopt);
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), kLinFileSize);
    // 100.0f = 42C80000h, 48.0f = 42400000h, 4048.0f = 457D0000h, little-endian.
    EXPECT_EQ(bytes->left(16).toHex(' '),
              QByteArray("00 00 00 00 00 00 c8 42 00 00 40 42 00 00 00 00"));
    EXPECT_EQ(bytes->mid(40, 8).toHex(' '), QByteArray("00 00 7d 45 00 00 c8 42"));
    EXPECT_EQ(bytes->mid(48), QByteArray(88, '\0'));
    EXPECT_EQ(*bytes,
              tableBytes(0, 100, {{48, 0}, {1048, 25}, {2048, 50}, {3048, 75}, {4048, 100}}));
}

TEST(TableFile, DividerEntryRoundTrips) {
    const auto bytes = encodeTableFile(0, 10, {}, 4);
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), kLifFileSize);
    EXPECT_EQ(bytes->right(4).toHex(' '), QByteArray("00 00 40 40"));  // 3.0f
    const std::vector<std::pair<int, int>> cases = {{1, 1},   {2, 1},   {4, 4},        {8, 4},
                                                    {16, 16}, {32, 25}, {16384, 16384}};
    for (const auto& [divider, back] : cases) {
        EXPECT_EQ(dividerFromEntry(dividerEntry(static_cast<std::uint16_t>(divider))), back)
            << divider;
    }
    EXPECT_EQ(dividerFromEntry(0.5f), 1);
    EXPECT_FALSE(dividerFromEntry(1000.0f).has_value());
    EXPECT_EQ(decodeTableFile(*bytes, true).divider, 4);
}

TEST(TableFile, LeadingZeroPointsLoadLaterOnesStayEmpty) {
    LoadedTable t = decodeTableFile(tableBytes(0, 40, {{0, 0}, {100, 20}}), false);
    EXPECT_TRUE(t.complete);
    EXPECT_EQ(t.minText, QStringLiteral("0,000"));
    EXPECT_EQ(t.maxText, QStringLiteral("40,000"));
    EXPECT_EQ(t.rows[0], (std::array<QString, 2>{QStringLiteral("0"), QStringLiteral("0,000")}));
    EXPECT_EQ(t.rows[1], (std::array<QString, 2>{QStringLiteral("100"), QStringLiteral("20,000")}));
    EXPECT_TRUE(t.rows[2][0].isEmpty());

    t = decodeTableFile(tableBytes(0, 40, {{100, 20}, {0, 0}, {200, 40}, {-5.7f, 1.25f}}), false);
    EXPECT_EQ(t.rows[0][0], QStringLiteral("100"));
    EXPECT_TRUE(t.rows[1][0].isEmpty() && t.rows[1][1].isEmpty());
    EXPECT_EQ(t.rows[2][0], QStringLiteral("200"));
    // Truncated toward zero.
    EXPECT_EQ(t.rows[3][0], QStringLiteral("-5"));
    EXPECT_EQ(decodeTableFile(tableBytes(0, 1, {{123.9f, 1}}), false).rows[0][0],
              QStringLiteral("123"));
}

TEST(TableFile, OnlyALowerCaseLifExtensionCarriesTheDivider) {
    EXPECT_TRUE(isLifFileName(QStringLiteral("/tmp/a.b/turbina.lif")));
    EXPECT_FALSE(isLifFileName(QStringLiteral("/tmp/TURBINA.LIF")));
    EXPECT_FALSE(isLifFileName(QStringLiteral("/tmp/x.lif/turbina")));
    EXPECT_FALSE(isLifFileName(QStringLiteral("lif")));

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    const QString upper = dir.filePath(QStringLiteral("T.LIF"));
    ASSERT_EQ(saveTableFile(upper, 0, 10, {{0, 0}, {1200, 10}}, 4, prompts), TableSaveResult::Ok);
    QFile f(upper);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.size(), kLinFileSize);
    const auto loaded = loadTableFile(upper, prompts);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->complete);
    EXPECT_FALSE(loaded->divider.has_value());
    EXPECT_TRUE(prompts.shown.empty());
}

TEST(TableFile, DamagedFilesKeepWhatWasReadBeforeTheDamage) {
    // Cut inside point 3: boxes and two points arrive.
    LoadedTable t =
        decodeTableFile(tableBytes(0, 40, {{48, 0}, {100, 20}, {200, 40}}).left(30), false);
    EXPECT_FALSE(t.complete);
    EXPECT_EQ(t.maxText, QStringLiteral("40,000"));
    EXPECT_EQ(t.rows[1][0], QStringLiteral("100"));
    EXPECT_TRUE(t.rows[2][0].isEmpty());
    EXPECT_FALSE(decodeTableFile(QByteArray(3, '\0'), false).minText.has_value());
    // A .lif without its divider entry.
    t = decodeTableFile(tableBytes(0, 40, {{48, 0}}), true);
    EXPECT_FALSE(t.complete);
    EXPECT_EQ(t.rows[0][0], QStringLiteral("48"));
    // Numbers that are no numbers, and an input no count can be.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    t = decodeTableFile(tableBytes(0, 40, {{48, 0}, {100, nan}}), false);
    EXPECT_FALSE(t.complete);
    EXPECT_TRUE(t.rows[1][0].isEmpty());
    EXPECT_FALSE(decodeTableFile(tableBytes(0, 40, {{1e20f, 0}}), false).complete);
    EXPECT_FALSE(decodeTableFile(tableBytes(0, 40, {}, 1e6f), true).complete);
    // Trailing bytes past the layout are not looked at.
    EXPECT_TRUE(decodeTableFile(tableBytes(0, 40, {}) + QByteArray(500, 'x'), false).complete);
}

TEST(TableFile, AFailedSaveLeavesTheOldFile) {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    const QString path = dir.filePath(QStringLiteral("t.lin"));
    ASSERT_EQ(saveTableFile(path, 0, 10, {{48, 0}, {4048, 10}}, std::nullopt, prompts),
              TableSaveResult::Ok);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray good = f.readAll();
    f.close();
    EXPECT_EQ(saveTableFile(path, 0, 1e300, {}, std::nullopt, prompts), TableSaveResult::Failed);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), good);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(
        saveTableFile(dir.filePath(QStringLiteral("none/t.lin")), 0, 1, {}, std::nullopt, prompts),
        TableSaveResult::OpenFailed);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(prompts.shown[0].text.startsWith(QStringLiteral("Soubor ") +
                                                 dir.filePath(QStringLiteral("none/t.lin"))))
        << prompts.shown[0].text.toStdString();
}

}  // namespace
}  // namespace pelmo
