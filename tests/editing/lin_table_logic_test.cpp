#include "editing/lin_table_logic.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>

#include "base/decimal_text.h"
#include "base/texts.h"
#include "model/raw_scale.h"
#include "scripted_prompts.h"

namespace pelmo {
namespace {

using test::ScriptedPrompts;

// The channel editor as the table editor sees it.
struct FakeHost final : LinTabHost {
    bool frequencyInput() const override { return frequency; }
    QString minValueText() const override { return min; }
    QString maxValueText() const override { return max; }
    QString sensorTypeText() const override { return sensor; }
    void setCancelEnabled(bool on) override { cancelEnabled = on; }
    void tableDeleted() override { deleted = true; }
    void tableStored(const QString& lo, const QString& hi, const QString& lowLimit,
                     const QString& highLimit) override {
        stored = {lo, hi, lowLimit, highLimit};
    }

    bool frequency = false;
    QString min = QStringLiteral("0");
    QString max = QStringLiteral("100");
    QString sensor = QStringLiteral("Pt100");
    bool cancelEnabled = false;
    bool deleted = false;
    QStringList stored;
};

class TableEditing : public ::testing::Test {
protected:
    TableEditing() { setLanguage(Language::Czech); }

    void openWith(std::initializer_list<std::pair<const char*, const char*>> points) {
        editor.open(channel, host);
        editor.rows = {};
        int i = 0;
        for (const auto& [x, y] : points) {
            editor.rows[static_cast<std::size_t>(i++)] = {QString::fromLatin1(x),
                                                          QString::fromLatin1(y)};
        }
        prompts.shown.clear();
    }
    QStringList texts() const {
        QStringList out;
        for (const auto& s : prompts.shown) {
            out << s.text;
        }
        return out;
    }

    StationImage image;
    ScriptedPrompts prompts;
    FakeHost host;
    int channel = 3;
    LinTableEditor editor{image, prompts};
};

TEST(TableUnits, EveryCountSurvivesBothCurrentModes) {
    for (int count = 0; count <= kFrequencyInputLimit; ++count) {
        for (int unit : {kUnit4to20, kUnit0to20}) {
            const auto ma = convertInput(QString::number(count), kUnitPixel, unit);
            ASSERT_TRUE(ma.has_value());
            ASSERT_EQ(convertInput(*ma, unit, kUnitPixel), QString::number(count))
                << count << " " << ma->toStdString();
        }
    }
    EXPECT_EQ(convertInput(QStringLiteral("48"), kUnitPixel, kUnit4to20), QStringLiteral("4,000"));
    EXPECT_EQ(convertInput(QStringLiteral("4048"), kUnitPixel, kUnit4to20),
              QStringLiteral("20,000"));
    EXPECT_EQ(convertInput(QStringLiteral("4848"), kUnitPixel, kUnit0to20),
              QStringLiteral("24,000"));
    // Between the two current modes by way of counts.
    EXPECT_EQ(convertInput(QStringLiteral("4,000"), kUnit4to20, kUnit0to20),
              QStringLiteral("0,000"));
    EXPECT_FALSE(convertInput(QStringLiteral("4,0,0"), kUnit4to20, kUnitPixel).has_value());
}

TEST_F(TableEditing, UnitChangeNeedsAStoredTable) {
    openWith({{"48", "0"}, {"4048", "100"}});
    EXPECT_FALSE(editor.changeUnit(kUnit4to20));
    EXPECT_EQ(editor.rows[0][0], QStringLiteral("48"));
    image.channel(channel).table_present = 1;
    ASSERT_TRUE(editor.changeUnit(kUnit4to20));
    EXPECT_EQ(editor.rows[1][0], QStringLiteral("20,000"));
    ASSERT_TRUE(editor.changeUnit(kUnit0to20));
    EXPECT_EQ(editor.rows[1][0], QStringLiteral("20,000"));
    EXPECT_EQ(editor.rows[0][0], QStringLiteral("0,000"));
    ASSERT_TRUE(editor.changeUnit(kUnitPixel));
    EXPECT_EQ(editor.rows[1][0], QStringLiteral("4048"));
}

TEST_F(TableEditing, GeneratedCharacteristics) {
    for (const auto kind : {Characteristic::Radical, Characteristic::Quadratic}) {
        for (int n : {14, 16}) {
            openWith({{"48", "0"}, {"4048", "100"}});
            ASSERT_TRUE(editor.generate(kind, n));
            EXPECT_EQ(editor.pointCount(), n);
            EXPECT_FALSE(editor.linearizationEnabled);
            EXPECT_EQ(editor.rows[0],
                      (std::array<QString, 2>{QStringLiteral("48"), QStringLiteral("0")}));
            EXPECT_EQ(editor.rows[static_cast<std::size_t>(n - 1)][0], QStringLiteral("4048"));
            for (int k = 1; k <= n - 2; ++k) {
                const double d = static_cast<double>(k) / (n - 1);
                const double fx = kind == Characteristic::Radical ? d * d : d;
                const double fy = kind == Characteristic::Radical ? d : d * d;
                double value = 0.0;
                ASSERT_TRUE(parseDecimal(editor.rows[static_cast<std::size_t>(k)][1], value));
                EXPECT_EQ(editor.rows[static_cast<std::size_t>(k)][0].toInt(),
                          48 + static_cast<int>(std::nearbyint(4000 * fx)))
                    << n << " row " << k;
                EXPECT_NEAR(value, 100 * fy, 0.0006);
            }
        }
    }
    // Three points: nothing is generated.
    openWith({{"48", "0"}, {"100", "5"}, {"4048", "100"}});
    EXPECT_FALSE(editor.generate(Characteristic::Quadratic, 14));
    EXPECT_EQ(editor.pointCount(), 3);
}

TEST_F(TableEditing, SaveStoresSortedPointsWithScaleAndOffset) {
    openWith({{"4048", "100"}, {"2048", "40"}, {"48", "0"}});
    host.sensor = QStringLiteral("PT1000");
    ASSERT_TRUE(editor.save()) << texts().join(QLatin1Char('|')).toStdString();
    const definice_PV_rec& s = image.channel(channel);
    const definice_PV_udaj_rec& d = image.channelData(channel);
    EXPECT_EQ(s.table_present, 1);
    EXPECT_EQ(s.table_points, 3);
    EXPECT_EQ(s.table_x[0], 48);
    EXPECT_EQ(s.table_x[2], 4048);
    EXPECT_EQ(s.table_y[0], 0);
    EXPECT_EQ(s.table_y[1], 26214);  // 40 / (100 / 65534) = 26213,6
    EXPECT_EQ(s.table_y[2], 65534);
    EXPECT_DOUBLE_EQ(d.table_offset, 0.0);
    EXPECT_DOUBLE_EQ(d.table_scale, 100.0 / 65534);
    EXPECT_EQ(d.sensor_type, "PT1000");
    EXPECT_EQ(d.value_max, 100.0);
    EXPECT_EQ(host.stored, (QStringList{QStringLiteral("0,0000"), QStringLiteral("100,0000"),
                                        QStringLiteral("0,0000"), QStringLiteral("0,0000")}));
    EXPECT_TRUE(host.cancelEnabled);

    openWith({{"48", "7"}, {"4048", "7"}});
    host.min = QStringLiteral("7");
    host.max = QStringLiteral("7");
    editor.minText = host.min;
    editor.maxText = host.max;
    EXPECT_TRUE(editor.save());
    EXPECT_DOUBLE_EQ(image.channelData(channel).table_scale, 1.0);
    EXPECT_DOUBLE_EQ(image.channelData(channel).table_offset, 7.0);
}

TEST_F(TableEditing, SaveChecksAndTheirTexts) {
    openWith({{"48", "0"}});
    EXPECT_FALSE(editor.save());
    EXPECT_EQ(texts(), QStringList{txt(kTextThereIsNotEnough)});
    EXPECT_EQ(image.channel(channel).table_present, 0);

    openWith({{"48", "0"}, {"4093", "100"}});
    EXPECT_FALSE(editor.save());
    EXPECT_EQ(texts(),
              QStringList{txt(kTextValueViolatesSubrangeBouns) + QStringLiteral("(0 - 4092) [2]")});
    openWith({{"-1", "0"}, {"4000", "100"}});
    EXPECT_FALSE(editor.save());
    EXPECT_EQ(texts(),
              QStringList{txt(kTextValueViolatesSubrangeBouns) + QStringLiteral("(0 - 4092) [1]")});
    EXPECT_EQ(image.channel(channel).table_present, 0);

    // The range check keeps the window open, but the table is stored.
    for (const auto& [max, min, text] :
         {std::tuple{"100,5", "0", QString()}, std::tuple{"101,5", "0", txt(kTextMaxVaueMaxLin)},
          std::tuple{"100", "-0,1", txt(kTextMinValueMinLin)}, std::tuple{"100", "0", QString()}}) {
        openWith({{"48", "0"}, {"4048", "100"}});
        editor.maxText = QString::fromUtf8(max);
        editor.minText = QString::fromUtf8(min);
        EXPECT_EQ(editor.save(), text.isEmpty()) << max << " " << min;
        EXPECT_EQ(texts(), text.isEmpty() ? QStringList{} : QStringList{text});
        EXPECT_EQ(image.channel(channel).table_points, 2);
    }
    openWith({{"48", "0"}, {"4048", "100"}});
    editor.minText = QStringLiteral("200");
    EXPECT_FALSE(editor.save());
    EXPECT_EQ(texts().front(), txt(kTextMinValueMaxValue));
    EXPECT_EQ(image.channelData(channel).value_min, 200.0);
}

TEST_F(TableEditing, FrequencyInputsHaveTheirOwnLimitAndDividerWarnings) {
    host.frequency = true;
    editor.open(channel, host);
    EXPECT_EQ(texts(), QStringList{txt(kTextDivisionCoeficientsAreNot)});
    openWith({{"48", "0"}, {"5000", "100"}});
    prompts.answers = {false};
    EXPECT_FALSE(editor.save());
    EXPECT_EQ(prompts.shown.back().kind, Prompts::Kind::Error);
    EXPECT_EQ(texts(), QStringList{txt(kTextYouAreTryingTo)});
    EXPECT_EQ(image.channel(channel).table_present, 0);
    image.channel(channel).divider = 4;
    prompts.shown.clear();
    EXPECT_TRUE(editor.save());
    editor.rows[1][0] = QStringLiteral("5001");
    EXPECT_FALSE(editor.save());
    EXPECT_EQ(texts(),
              QStringList{txt(kTextValueViolatesSubrangeBouns) + QStringLiteral("(0 - 5000) [2]")});
}

TEST_F(TableEditing, CompactingAsksAboutHalfRows) {
    openWith({{"", ""}, {"100", ""}, {"48", "0"}, {"", ""}, {"4048", "100"}});
    prompts.answers = {false};
    EXPECT_EQ(editor.gridCheck(), 2);
    EXPECT_EQ(texts(),
              QStringList{txt(kTextDelete163) + QStringLiteral("1") + txt(kTextRowFromTable)});
    // Sorted by input; the kept half row is no point.
    EXPECT_EQ(editor.rows[0][0], QStringLiteral("48"));
    EXPECT_EQ(editor.rows[1][0], QStringLiteral("100"));
    EXPECT_EQ(editor.rows[2][0], QStringLiteral("4048"));
    EXPECT_TRUE(editor.rows[3][0].isEmpty());
    prompts.answers = {true};
    EXPECT_EQ(editor.gridCheck(), 2);
    EXPECT_EQ(editor.rows[1][0], QStringLiteral("4048"));
    EXPECT_TRUE(editor.linearizationEnabled);
    EXPECT_TRUE(editor.flowConversionAllowed);
}

TEST_F(TableEditing, DeletingARowRemovesTheSelectedOneEvenBeforeSorting) {
    openWith({{"4048", "100"}, {"48", "0"}, {"2000", "50"}});
    editor.deleteRow(0);
    EXPECT_EQ(editor.pointCount(), 2);
    EXPECT_EQ(editor.rows[0][0], QStringLiteral("48"));
    EXPECT_EQ(editor.rows[1][0], QStringLiteral("2000"));
}

TEST_F(TableEditing, DeletingTheTable) {
    image.channel(channel).table_present = 1;
    image.channel(channel).table_points = 2;
    image.channel(channel).table_x = {48, 4048};
    image.channelData(channel).sensor_type = "Pt100";
    openWith({{"48", "0"}, {"4048", "100"}});
    prompts.answers = {false};
    EXPECT_FALSE(editor.deleteTable());
    EXPECT_EQ(image.channel(channel).table_points, 2);
    prompts.answers = {true};
    EXPECT_TRUE(editor.deleteTable());
    EXPECT_EQ(image.channel(channel).table_points, 0);
    EXPECT_EQ(image.channel(channel).table_x[1], 0);
    EXPECT_TRUE(image.channelData(channel).sensor_type.empty());
    EXPECT_TRUE(host.deleted);
    EXPECT_FALSE(host.cancelEnabled);
    EXPECT_EQ(editor.minText, QStringLiteral("0"));
}

TEST_F(TableEditing, TableFilesHoldCountsWhateverTheGridShows) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.lin"));
    image.channel(channel).table_present = 1;
    openWith({{"48", "0"}, {"4048", "100"}});
    ASSERT_TRUE(editor.changeUnit(kUnit4to20));
    prompts.files = {path};
    editor.saveFile();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(prompts.dialogs.back().confirmOverwrite);
    editor.rows = {};
    prompts.answers = {true};
    prompts.files = {path};
    editor.loadFile();
    EXPECT_EQ(editor.unit, kUnitPixel);
    EXPECT_EQ(editor.rows[1],
              (std::array<QString, 2>{QStringLiteral("4048"), QStringLiteral("100,000")}));
    // A damaged file keeps what was read and says so.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QByteArray(20, '\0'));
    f.close();
    prompts.answers = {true};
    prompts.files = {path};
    editor.loadFile();
    EXPECT_EQ(texts().back(), txt(kTextFileCorrupted));
    EXPECT_EQ(editor.rows[0][0], QStringLiteral("0"));
    EXPECT_TRUE(editor.rows[1][0].isEmpty());
}

}  // namespace
}  // namespace pelmo
