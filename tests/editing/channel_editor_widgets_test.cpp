#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "base/texts.h"
#include "editing/channel_definition_window.h"
#include "editing/lin_table_window.h"
#include "files/program_settings.h"
#include "scripted_prompts.h"
#include "services/access_mode.h"
#include "sim/default_station.h"
#include "sim_link.h"

namespace pelmo {
namespace {

template <class W>
W* get(const QObject& w, const char* name) {
    W* child = w.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

QString text(const QObject& w, const char* name) {
    if (auto* e = w.findChild<QLineEdit*>(QString::fromLatin1(name))) {
        return e->text();
    }
    if (auto* c = w.findChild<QComboBox*>(QString::fromLatin1(name))) {
        return c->currentText();
    }
    return get<QLabel>(w, name)->text();
}

void setText(const QObject& w, const char* name, const QString& value) {
    get<QLineEdit>(w, name)->setText(value);
}

void doubleClick(QWidget* w) {
    QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)),
                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// The channel editor and the table editor on the simulated default station's image, with
// the station on an in-process bus for the upload.
class ChannelEditorWindow : public ::testing::Test, protected test::SimLink {
protected:
    ChannelEditorWindow() {
        setLanguage(Language::Czech);
        setAccessMode(AccessMode::None);
        image = sim::defaultStation(251, 0x584ACE25u).image;
        image.bus_address = 251;
        program.setPrompts(prompts);
    }
    ~ChannelEditorWindow() override {
        setLanguage(Language::Czech);
        setAccessMode(AccessMode::None);
    }

    std::unique_ptr<TDefVeliciny> open(int channel) {
        TDefVeliciny::Callbacks callbacks;
        callbacks.refreshGridRow = [this](int n) { refreshed.push_back(n); };
        callbacks.openMemoryWindow = [this] { ++memoryWindows; };
        callbacks.openPassword = [this] { ++passwordWindows; };
        auto w = std::make_unique<TDefVeliciny>(channel, program, port, tables, callbacks);
        w->show();
        return w;
    }
    QStringList texts() const {
        QStringList out;
        for (const auto& s : prompts.shown) {
            out << s.text;
        }
        return out;
    }

    test::ScriptedPrompts prompts;
    TLinTab tables{image, prompts, program.settings};
    std::vector<int> refreshed;
    int memoryWindows = 0;
    int passwordWindows = 0;
};

TEST_F(ChannelEditorWindow, OpensTheChannelAndSavesTheEditedControls) {
    auto w = open(2);
    EXPECT_EQ(w->windowTitle(), txt(kTextChannelSetup));
    EXPECT_EQ(text(*w, "e_jmeno"), QStringLiteral("PP1"));
    EXPECT_EQ(text(*w, "C_vstup"), QString::fromUtf8("Analogový 2"));
    EXPECT_EQ(text(*w, "c_vystup"), QString::fromUtf8("Žádný"));
    EXPECT_EQ(text(*w, "e_maxHodnota"), QStringLiteral("1,6000"));
    EXPECT_EQ(text(*w, "e_minMez"), QStringLiteral("0,300"));
    EXPECT_EQ(text(*w, "l_maxHodnota"), txt(kTextMaxValueLabel));
    EXPECT_EQ(get<QSpinBox>(*w, "s_min")->value(), 1);
    EXPECT_FALSE(get<QLineEdit>(*w, "e_teplVody")->isEnabled());
    EXPECT_FALSE(get<QPushButton>(*w, "b_doStanice")->isEnabled());
    EXPECT_FALSE(get<QProgressBar>(*w, "ProgressBar1")->isVisible());

    setText(*w, "e_jmeno", QStringLiteral("PP2"));
    // The station's own text has a letter the field check refuses.
    setText(*w, "e_text", QStringLiteral("Tlak pary"));
    get<QSpinBox>(*w, "s_min")->setValue(2);
    auto* out = get<QComboBox>(*w, "c_vystup");
    out->setCurrentIndex(out->findText(QStringLiteral("Ext.digital 8")));
    get<QCheckBox>(*w, "ch_minus")->setChecked(true);
    get<QPushButton>(*w, "Button2")->click();
    EXPECT_TRUE(texts().isEmpty()) << texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(w->result(), QDialog::Accepted);
    EXPECT_EQ(image.channelData(2).name, "PP2");
    EXPECT_EQ(image.channel(2).interval, 120);
    EXPECT_EQ(image.channel(2).output_code, 191);
    EXPECT_EQ(refreshed, std::vector<int>{2});

    auto again = open(2);
    EXPECT_EQ(text(*again, "c_vystup"), QStringLiteral("Ext.digital 8"));
    EXPECT_TRUE(get<QCheckBox>(*again, "ch_minus")->isChecked());
}

TEST_F(ChannelEditorWindow, AFailedSaveStaysOpenWithWhatItStored) {
    auto w = open(2);
    setText(*w, "e_jmeno", QStringLiteral("NEW"));
    setText(*w, "e_text", QStringLiteral("Tlak pary"));
    get<QSpinBox>(*w, "s_sec")->setValue(7);
    get<QPushButton>(*w, "Button2")->click();
    EXPECT_EQ(texts(), QStringList{txt(kText24HoursIntervalIs)});
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(image.channelData(2).name, "NEW");
    EXPECT_EQ(image.channel(2).interval, 60);
    get<QPushButton>(*w, "Button1")->click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(refreshed, (std::vector<int>{2, 2}));
}

TEST_F(ChannelEditorWindow, AnOutputTheMeterComputesStaysShownForTheChannelDrivingIt) {
    // Channel 1 drives Int.analog 1 while the meter computes analog output 1.
    auto w = open(1);
    auto* out = get<QComboBox>(*w, "c_vystup");
    EXPECT_EQ(out->currentText(), QStringLiteral("Int.analog 1"));
    EXPECT_EQ(out->count(), 25);
    auto other = open(4);
    auto* list = get<QComboBox>(*other, "c_vystup");
    EXPECT_EQ(list->count(), 24);
    EXPECT_EQ(list->itemText(1), QStringLiteral("Int.analog 2"));
}

TEST_F(ChannelEditorWindow, ChangingTheInputKindAsksBeforeDroppingTheTable) {
    auto w = open(2);
    auto* input = get<QComboBox>(*w, "C_vstup");
    prompts.answers = {false};
    input->setCurrentIndex(8);
    EXPECT_EQ(texts(), QStringList{txt(kTextYouMustResetLinearization)});
    EXPECT_EQ(input->currentIndex(), 1);
    EXPECT_EQ(image.channel(2).table_present, 1);
    prompts.answers = {true};
    input->setCurrentIndex(8);
    EXPECT_EQ(image.channel(2).table_present, 0);
    EXPECT_EQ(text(*w, "e_minMez"), kNoLimit);
    EXPECT_TRUE(text(*w, "e_typ").isEmpty());
    EXPECT_EQ(text(*w, "l_maxHodnota"), txt(kTextImpNumber) + QLatin1Char(':'));
    EXPECT_FALSE(get<QLineEdit>(*w, "e_minHodnota")->isEnabled());
    // Within the group nothing is asked.
    input->setCurrentIndex(9);
    EXPECT_EQ(prompts.shown.size(), 2u);
}

TEST_F(ChannelEditorWindow, SensorTypeBoxRules) {
    auto w = open(4);  // digital, no table, sensor "kontakt"
    setText(*w, "e_typ", QString());
    doubleClick(get<QLineEdit>(*w, "e_typ"));
    EXPECT_EQ(texts(), QStringList{txt(kTextInsertSensorTypeFirst)});

    auto t = open(7);
    prompts.answers = {true};
    // The operator empties the box and leaves it with Return.
    auto* sensor = get<QLineEdit>(*t, "e_typ");
    t->activateWindow();
    sensor->setFocus();
    QTest::keyClick(sensor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(sensor, Qt::Key_Backspace);
    ASSERT_TRUE(sensor->text().isEmpty());
    const auto before = texts().size();
    QTest::keyClick(sensor, Qt::Key_Return);
    // The question comes first; what else Return sets off may show its own box after it.
    ASSERT_GT(texts().size(), before);
    EXPECT_EQ(texts()[before], txt(kTextAreYouSureWant));
    EXPECT_EQ(image.channel(7).table_present, 0);
    EXPECT_EQ(text(*t, "e_maxMez"), kNoLimit);
}

TEST_F(ChannelEditorWindow, TheTableEditorStoresATableAndRefreshesTheChannelEditor) {
    image.channel(7).table_x = {200, 2000, 3000};
    auto w = open(7);
    QTimer::singleShot(0, &tables, [this] {
        auto* grid = get<QTableWidget>(tables, "LinTabGrid");
        EXPECT_EQ(grid->item(4, 1)->text(), QStringLiteral("3000"));
        EXPECT_EQ(grid->item(1, 1)->text(), QStringLiteral("[Pixel]"));
        grid->item(2, 1)->setText(QStringLiteral("48"));
        grid->item(2, 2)->setText(QStringLiteral("0"));
        grid->item(3, 1)->setText(QStringLiteral("4048"));
        grid->item(3, 2)->setText(QStringLiteral("120"));
        grid->item(4, 1)->setText(QString());
        grid->item(4, 2)->setText(QString());
        setText(tables, "e_max", QStringLiteral("120"));
        get<QPushButton>(tables, "b_save")->click();
    });
    doubleClick(get<QLineEdit>(*w, "e_typ"));
    EXPECT_EQ(tables.result(), QDialog::Accepted) << texts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_EQ(image.channel(7).table_points, 2);
    EXPECT_EQ(image.channel(7).table_x[1], 4048);
    EXPECT_EQ(image.channelData(7).value_max, 120.0);
    EXPECT_EQ(text(*w, "e_maxHodnota"), QStringLiteral("120,0000"));
    EXPECT_EQ(text(*w, "l_maxHodnota"), QStringLiteral("Max. hodnota:"));
    EXPECT_EQ(image.channelData(7).sensor_type, "Pt100");
}

TEST_F(ChannelEditorWindow, AfterTheTableIsDeletedOnlySavingLeaves) {
    auto w = open(7);
    QTimer::singleShot(0, &tables, [this] {
        prompts.answers = {true};
        get<QPushButton>(tables, "l_delete")->click();
    });
    doubleClick(get<QLineEdit>(*w, "e_typ"));
    ASSERT_EQ(image.channel(7).table_present, 0);
    EXPECT_FALSE(get<QPushButton>(*w, "Button1")->isEnabled());
    QTest::keyClick(w.get(), Qt::Key_Escape);
    w->close();
    EXPECT_TRUE(w->isVisible());
    // Saving needs a table for the analog input; deleting the channel is the other way out.
    get<QPushButton>(*w, "Button2")->click();
    EXPECT_EQ(texts().back(), txt(kTextLinearizatinTableMustBe));
    EXPECT_TRUE(w->isVisible());
    prompts.answers = {true};
    get<QPushButton>(*w, "b_del")->click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(image.channel(7).in_use, 0);
}

TEST_F(ChannelEditorWindow, TableEditorUnitsRowsAndGenerators) {
    struct Host final : LinTabHost {
        bool frequencyInput() const override { return false; }
        QString minValueText() const override { return QStringLiteral("0"); }
        QString maxValueText() const override { return QStringLiteral("100"); }
        QString sensorTypeText() const override { return {}; }
        void setCancelEnabled(bool) override {}
        void tableDeleted() override {}
        void tableStored(const QString&, const QString&, const QString&, const QString&) override {}
    } host;
    definice_PV_rec& s = image.channel(5);
    s.table_present = 1;
    s.table_points = 2;
    s.table_x = {48, 4048};
    s.table_y = {0, 65534};
    image.channelData(5).table_scale = 100.0 / 65534;
    tables.prepare(5, host);
    tables.show();
    auto* grid = get<QTableWidget>(tables, "LinTabGrid");
    EXPECT_EQ(grid->item(3, 2)->text(), QStringLiteral("100,0000"));
    EXPECT_FALSE(get<QLabel>(tables, "l_delKoef")->isVisible());
    EXPECT_FALSE(tables.action("m_pixel")->isEnabled());
    EXPECT_FALSE(tables.action("m_prevod")->isEnabled());
    EXPECT_TRUE(get<QMenu>(tables, "p_linearizace")->isEnabled());

    tables.action("p_4_20")->trigger();
    EXPECT_EQ(grid->item(2, 1)->text(), QStringLiteral("4,000"));
    EXPECT_EQ(grid->item(1, 1)->text(), QStringLiteral("[4-20mA]"));
    EXPECT_FALSE(tables.action("m_4_20")->isEnabled());
    EXPECT_TRUE(tables.action("m_pixel")->isEnabled());

    tables.action("m_od14")->trigger();
    EXPECT_EQ(grid->item(2 + 13, 1)->text(), QStringLiteral("4048"));
    EXPECT_EQ(grid->item(2 + 1, 1)->text(), QStringLiteral("72"));  // 48 + round(4000 / 169)
    EXPECT_FALSE(get<QMenu>(tables, "m_linearizace")->isEnabled());

    grid->setCurrentCell(2 + 13, 1);
    tables.action("a_smazatRadek")->trigger();
    EXPECT_TRUE(grid->item(2 + 13, 1)->text().isEmpty());
    EXPECT_EQ(tables.editor().pointCount(), 13);

    // A cell still being edited counts when a command runs.
    grid->setCurrentCell(2, 2);
    grid->editItem(grid->item(2, 2));
    auto* cellEditor = grid->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(cellEditor, nullptr);
    cellEditor->setText(QStringLiteral("5"));
    tables.action("m_seradit")->trigger();
    EXPECT_EQ(grid->item(2, 2)->text(), QStringLiteral("5"));

    setLanguage(Language::English);
    tables.prepare(5, host);
    EXPECT_EQ(tables.windowTitle(), QStringLiteral("Linearization table"));
    EXPECT_EQ(tables.action("m_kv16")->text(), QStringLiteral("16 rows"));
    get<QPushButton>(tables, "Button1")->click();
    EXPECT_EQ(tables.result(), QDialog::Rejected);
    EXPECT_EQ(image.channel(5).table_points, 2);
}

TEST_F(ChannelEditorWindow, MemoryBoxAndAutomaticAllocation) {
    auto w = open(3);
    doubleClick(get<QLineEdit>(*w, "e_pamet"));
    EXPECT_EQ(memoryWindows, 1);
    get<QCheckBox>(*w, "ch_auto")->click();
    EXPECT_EQ(image.channel(3).auto_memory, 1);
    EXPECT_FALSE(get<QLineEdit>(*w, "e_pamet")->isEnabled());
    EXPECT_FALSE(get<QSpinBox>(*w, "s_hour")->isEnabled());
    // 32768 - 3840 - 1200 less the manual 8000 + 6000 + 2000 + 3000 of channels 1, 2, 7, 8.
    EXPECT_EQ(text(*w, "e_pamet"), QStringLiteral("8728"));
    setText(*w, "e_pamet", QStringLiteral("9x"));
    get<QCheckBox>(*w, "ch_auto")->click();
    setText(*w, "e_pamet", QStringLiteral("9x"));
    doubleClick(get<QLineEdit>(*w, "e_pamet"));
    EXPECT_EQ(memoryWindows, 1);
    EXPECT_EQ(prompts.shown.back().kind, Prompts::Kind::Information);
}

TEST_F(ChannelEditorWindow, DeleteClearsTheChannelButKeepsItsMemoryMode) {
    image.channel(3).auto_memory = 1;
    auto w = open(3);
    prompts.answers = {true};
    get<QPushButton>(*w, "b_del")->click();
    EXPECT_EQ(texts(), QStringList{txt(kTextAreYouSureWantTo)});
    EXPECT_EQ(image.channel(3).in_use, 0);
    EXPECT_EQ(image.channel(3).auto_memory, 1);
    EXPECT_EQ(refreshed, std::vector<int>{3});
    EXPECT_FALSE(w->isVisible());
}

TEST_F(ChannelEditorWindow, UploadNeedsAccessAndSendsTheChannel) {
    auto w = open(8);
    auto* upload = get<QPushButton>(*w, "b_doStanice");
    w->findChild<QAction*>(QStringLiteral("pwd1"))->trigger();
    EXPECT_EQ(passwordWindows, 1);
    setAccessMode(AccessMode::User);
    w->accessModeChanged();
    ASSERT_TRUE(upload->isEnabled());
    setText(*w, "e_text", QStringLiteral("Turbina"));
    upload->click();
    EXPECT_FALSE(upload->isEnabled());
    EXPECT_TRUE(get<QProgressBar>(*w, "ProgressBar1")->isVisible());
    for (int i = 0; i < 10000 && w->upload().engine(); ++i) {
        sim.advance(kPollIntervalMs);
        w->upload().engine()->poll();
    }
    EXPECT_TRUE(texts().isEmpty()) << texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(get<QStatusBar>(*w, "StatusBar1")->currentMessage(), txt(kTextDataSaved));
    EXPECT_FALSE(get<QProgressBar>(*w, "ProgressBar1")->isVisible());
    EXPECT_TRUE(upload->isEnabled());
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(refreshed.empty());
    EXPECT_EQ(image.channelData(8).text, "Turbina");
}

TEST_F(ChannelEditorWindow, CaptionsFollowLanguageAndProgramVersion) {
    setLanguage(Language::English);
    program.settings.version = 1;
    auto w = open(1);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Channel setup"));
    EXPECT_EQ(get<QPushButton>(*w, "Button2")->text(), QStringLiteral("Save"));
    EXPECT_EQ(text(*w, "l_teplVody"), QStringLiteral("Reference temperature"));
    EXPECT_EQ(text(*w, "C_vstup"), QStringLiteral("Analog 1"));
    EXPECT_TRUE(get<QLineEdit>(*w, "e_teplVody")->isEnabled());
    EXPECT_FALSE(get<QLineEdit>(*w, "e_teplKoef")->isEnabled());
}

}  // namespace
}  // namespace pelmo
