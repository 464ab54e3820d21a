#include "editing/meter_definition_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "base/texts.h"
#include "files/program_settings.h"
#include "model/station_image.h"
#include "scripted_prompts.h"

namespace pelmo {
namespace {

using test::ScriptedPrompts;

// The editor on its own image, in a chosen language and program version.
class MeterEditor : public ::testing::Test {
protected:
    ~MeterEditor() override { setLanguage(Language::Czech); }

    std::unique_ptr<TDefMeridla> open(Language l, bool gas) {
        setLanguage(l);
        auto w = std::make_unique<TDefMeridla>(image, prompts, gas, [this] { ++stored; });
        w->show();
        return w;
    }

    template <class W>
    static W* get(const QWidget& w, const char* name) {
        W* child = w.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    static QTableWidgetItem* cell(const QWidget& w, const char* grid, int row, int column = 1) {
        return get<QTableWidget>(w, grid)->item(row, column);
    }
    static void choose(const QWidget& w, const char* list, int entry) {
        get<QComboBox>(w, list)->setCurrentIndex(entry);
    }

    StationImage image;
    ScriptedPrompts prompts;
    int stored = 0;
};

TEST_F(MeterEditor, CaptionsInBothLanguagesAndVersions) {
    for (Language l : {Language::Czech, Language::English}) {
        auto steam = open(l, false);
        EXPECT_EQ(steam->windowTitle(), txt(kTextModeTab77));
        EXPECT_EQ(get<QLabel>(*steam, "Label1")->text(), txt(kTextModeTabLabel));
        EXPECT_EQ(get<QLabel>(*steam, "l_cisloMer")->text(), txt(kTextIdentificationNumber));
        EXPECT_EQ(get<QLabel>(*steam, "l_vystup2")->text(), txt(kTextAnalogOutputNo2));
        EXPECT_EQ(get<QPushButton>(*steam, "b_save")->text(), txt(kTextSave));
        EXPECT_EQ(get<QPushButton>(*steam, "b_close")->text(), txt(kTextCancel));
        EXPECT_EQ(cell(*steam, "StringGrid1", 0, 0)->text(), txt(kTextMeasuringCoefficients));
        EXPECT_EQ(cell(*steam, "StringGrid1", 4, 0)->text(), txt(kTextTKMinC));
        EXPECT_EQ(cell(*steam, "StringGrid1", 14, 0)->text(), txt(kTextHysteresisC));
        EXPECT_EQ(cell(*steam, "StringGrid2", 0, 0)->text(), txt(kTextMeasuringParameters));
        EXPECT_EQ(cell(*steam, "StringGrid2", 1, 0)->text(), txt(kTextWetSteamCorrC));
        EXPECT_EQ(cell(*steam, "StringGrid2", 5, 0)->text(),
                  txt(kTextImpulseCoef1) + QStringLiteral(" [/GJ]"));
        EXPECT_EQ(get<QCheckBox>(*steam, "box_2")->text(),
                  txt(kTextImpulseCoef2) + QStringLiteral(" - [/GJ]"));
        auto* variants = get<QComboBox>(*steam, "c_varianta");
        ASSERT_EQ(variants->count(), 8);
        EXPECT_EQ(variants->itemText(0), txt(kText0Bypass));
        EXPECT_EQ(variants->itemText(7), txt(kText7Ch12));
        EXPECT_EQ(get<QComboBox>(*steam, "c_zpMer2")->itemText(3), txt(kTextIndirect));
        EXPECT_EQ(get<QComboBox>(*steam, "c_vystup1")->itemText(0), txt(kTextCalculated));
        EXPECT_TRUE(get<QComboBox>(*steam, "c_typ")->isVisible());
        EXPECT_TRUE(get<QCheckBox>(*steam, "box_1")->isEnabled());

        auto gas = open(l, true);
        EXPECT_EQ(cell(*gas, "StringGrid1", 1, 0)->text(), txt(kTextGasTempMaxC));
        EXPECT_EQ(cell(*gas, "StringGrid1", 4, 0)->text(), txt(kTextRKBCircuit1));
        EXPECT_EQ(cell(*gas, "StringGrid1", 12, 0)->text(), txt(kTextRKBCircuit2));
        EXPECT_EQ(cell(*gas, "StringGrid1", 13, 0)->text(), txt(kTextNormAbsPressMPa));
        EXPECT_EQ(cell(*gas, "StringGrid1", 14, 0)->text(), txt(kTextSpecWeightWaterKg));
        EXPECT_EQ(cell(*gas, "StringGrid2", 1, 0)->text(), QStringLiteral("N/A"));
        EXPECT_EQ(cell(*gas, "StringGrid2", 5, 0)->text(),
                  txt(kTextImpulseCoef1) + QStringLiteral(" [/t]"));
        EXPECT_EQ(cell(*gas, "StringGrid2", 6, 0)->text(),
                  txt(kTextImpulseCoef2) + QStringLiteral(" [/t]"));
        EXPECT_FALSE(get<QComboBox>(*gas, "c_typ")->isVisible());
        for (const char* box : {"box_1", "box_2"}) {
            EXPECT_TRUE(get<QCheckBox>(*gas, box)->isChecked());
            EXPECT_FALSE(get<QCheckBox>(*gas, box)->isEnabled());
        }
    }
}

TEST_F(MeterEditor, ShowsTheRecord) {
    image.meter.meter_number = 4711;
    image.meter.mode_b = 0x40 | 0x20 | 6;
    image.meter.mode_a = 0x40 | 8;
    image.meter.output_word = 2 + 32;
    image.meter.constants[2] = 0.0000258;  // row 4
    image.meter.constants[4] = 1.5;
    image.meter.interval_p2 = 900;
    image.meter.imp_coef_1 = 0.4;
    auto w = open(Language::Czech, false);

    EXPECT_EQ(get<QLineEdit>(*w, "e_cisloMer")->text(), QStringLiteral("4711"));
    EXPECT_EQ(get<QComboBox>(*w, "c_varianta")->currentIndex(), 6);
    EXPECT_EQ(image.meter.variant, 6);
    EXPECT_EQ(get<QComboBox>(*w, "c_typ")->currentText(), txt(kTextWater));
    EXPECT_EQ(get<QComboBox>(*w, "c_zpMer1")->currentText(), txt(kTextDirect));
    EXPECT_EQ(get<QComboBox>(*w, "c_zpMer2")->currentText(), txt(kTextVolume));
    EXPECT_EQ(get<QComboBox>(*w, "c_vystup1")->currentText(), txt(kTextChannel18));
    EXPECT_EQ(get<QComboBox>(*w, "c_vystup2")->currentText(), txt(kTextCalculated));
    EXPECT_EQ(cell(*w, "StringGrid1", 4)->text(), QStringLiteral("0,000026"));
    EXPECT_EQ(cell(*w, "StringGrid2", 1)->text(), QStringLiteral("1,500000"));
    EXPECT_EQ(cell(*w, "StringGrid2", 3)->text(), QStringLiteral("900"));
    EXPECT_EQ(cell(*w, "StringGrid2", 5)->text(), QStringLiteral("2,500000"));
    EXPECT_EQ(cell(*w, "StringGrid2", 6)->text(), QStringLiteral("0,000000"));
    EXPECT_FALSE(get<QCheckBox>(*w, "box_1")->isChecked());
    EXPECT_TRUE(get<QCheckBox>(*w, "box_2")->isChecked());
    EXPECT_EQ(cell(*w, "StringGrid2", 6, 0)->text(),
              txt(kTextImpulseCoef2) + QStringLiteral(" [/t]"));
    // Captions and values are not editable; values are.
    EXPECT_FALSE(cell(*w, "StringGrid1", 3, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(cell(*w, "StringGrid1", 3, 1)->flags() & Qt::ItemIsEditable);

    // The gas version shows the same record's row 4 scaled.
    auto gas = open(Language::English, true);
    EXPECT_EQ(cell(*gas, "StringGrid1", 4)->text(), QStringLiteral("25,800000"));

    // A gas meter variant read from a station has no entry.
    image.meter.mode_b = 8;
    EXPECT_EQ(get<QComboBox>(*open(Language::Czech, false), "c_varianta")->currentIndex(), -1);
}

TEST_F(MeterEditor, SavingThroughTheControlsStoresAndRefreshes) {
    image.meter.reserved_word = 0x1234;
    for (bool gas : {false, true}) {
        auto w = open(gas ? Language::English : Language::Czech, gas);
        get<QLineEdit>(*w, "e_cisloMer")->setText(QStringLiteral("321"));
        choose(*w, "c_varianta", 4);
        choose(*w, "c_typ", kMediumSteam);
        choose(*w, "c_zpMer1", static_cast<int>(Method::Indirect));
        choose(*w, "c_zpMer2", static_cast<int>(Method::Direct));
        choose(*w, "c_vystup1", kOutputCalculated);
        choose(*w, "c_vystup2", kOutputByChannels);
        cell(*w, "StringGrid1", 4)->setText(QStringLiteral("25,8"));
        cell(*w, "StringGrid1", 7)->setText(QStringLiteral("1200,5"));
        cell(*w, "StringGrid2", 2)->setText(QStringLiteral("600"));
        cell(*w, "StringGrid2", 5)->setText(QStringLiteral("2,5"));
        if (!gas) {
            get<QCheckBox>(*w, "box_1")->click();
        }
        get<QPushButton>(*w, "b_save")->click();

        SCOPED_TRACE(gas ? "gas" : "steam");
        EXPECT_TRUE(prompts.shown.empty());
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(w->result(), QDialog::Accepted);
        EXPECT_EQ(image.meter.meter_number, 321);
        EXPECT_EQ(image.meter.mode_b, 20);
        EXPECT_EQ(image.meter.mode_a, 198);
        EXPECT_EQ(image.meter.mode_copy, 20);
        EXPECT_EQ(image.meter.variant, 4);
        EXPECT_EQ(image.meter.output_word, gas ? 1 + 16 + 32 : 1 + 16);
        EXPECT_DOUBLE_EQ(image.meter.constants[2], gas ? 0.0000258 : 25.8);
        EXPECT_DOUBLE_EQ(image.meter.constants[11], 1200.5);
        EXPECT_EQ(image.meter.interval_p1, 600);
        EXPECT_DOUBLE_EQ(image.meter.imp_coef_1, 0.4);
        EXPECT_EQ(image.meter.reserved_word, 0x1234);
    }
    EXPECT_EQ(stored, 2);
}

TEST_F(MeterEditor, FailedCheckKeepsTheWindowAndTheRecord) {
    image.meter.meter_number = 9;
    auto w = open(Language::English, false);
    const definice_meridla_rec before = image.meter;
    cell(*w, "StringGrid1", 2)->setText(QStringLiteral("1.5"));
    cell(*w, "StringGrid2", 4)->setText(QString());
    get<QLineEdit>(*w, "e_cisloMer")->setText(QStringLiteral("77"));
    get<QPushButton>(*w, "b_save")->click();

    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].kind, Prompts::Kind::Information);
    EXPECT_EQ(prompts.shown[0].text, txt(kTextBox151) + txt(kTextTPMinC) +
                                         txt(kTextContainsIllegalCharactersPos) +
                                         QStringLiteral("2. ") + txt(kTextClosingParenthesis));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(image.meter, before);
    EXPECT_EQ(stored, 0);

    // Mended, the next failure is the empty interval.
    cell(*w, "StringGrid1", 2)->setText(QStringLiteral("1,5"));
    get<QPushButton>(*w, "b_save")->click();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].text,
              txt(kTextBox) + txt(kTextIntervalCondSec) + txt(kTextCanTBeEmpty));
    EXPECT_EQ(stored, 0);
}

TEST_F(MeterEditor, ACellStillBeingEditedIsSaved) {
    auto w = open(Language::Czech, false);
    // As a double click does: the cell becomes current, then its editor opens.
    auto* grid = get<QTableWidget>(*w, "StringGrid1");
    grid->setCurrentCell(1, 1);
    grid->editItem(grid->item(1, 1));
    auto* editor = grid->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("99,5"));
    get<QPushButton>(*w, "b_save")->click();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_DOUBLE_EQ(image.meter.constants[0], 99.5);
}

TEST_F(MeterEditor, UnitBoxes) {
    image.meter.output_word = 1;
    auto w = open(Language::Czech, false);
    auto* box1 = get<QCheckBox>(*w, "box_1");
    auto* box2 = get<QCheckBox>(*w, "box_2");

    // box_1 changes captions only; the record waits for Save.
    box1->click();
    EXPECT_EQ(box1->text(), txt(kTextImpulseCoef1) + QStringLiteral(" - [/t]"));
    EXPECT_EQ(cell(*w, "StringGrid2", 5, 0)->text(),
              txt(kTextImpulseCoef1) + QStringLiteral(" [/t]"));
    EXPECT_EQ(image.meter.output_word, 1);

    // box_2 changes the record at once; twice leaves it as it was.
    box2->click();
    EXPECT_EQ(image.meter.output_word, 1 + 32);
    EXPECT_EQ(cell(*w, "StringGrid2", 6, 0)->text(),
              txt(kTextImpulseCoef2) + QStringLiteral(" [/t]"));
    box2->click();
    EXPECT_EQ(image.meter.output_word, 1);
    EXPECT_EQ(box2->text(), txt(kTextImpulseCoef2) + QStringLiteral(" - [/GJ]"));

    // Cancel leaves the record as it was opened.
    box2->click();
    get<QPushButton>(*w, "b_close")->click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(image.meter.output_word, 1);
    EXPECT_EQ(stored, 0);
}

TEST_F(MeterEditor, SavingAGasMeterVariantKeepsIt) {
    image.meter.mode_b = 8;
    image.meter.mode_a = 10;
    auto w = open(Language::Czech, true);
    get<QPushButton>(*w, "b_save")->click();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(image.meter.mode_b & 0x0F, 8);
    EXPECT_EQ(image.meter.mode_a, 10);
    EXPECT_EQ(image.meter.variant, 8);
    EXPECT_EQ(stored, 1);
}

}  // namespace
}  // namespace pelmo
