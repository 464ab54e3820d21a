#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <functional>

#include "base/decimal_text.h"
#include "base/texts.h"
#include "editing/flow_conversion_window.h"
#include "editing/lin_table_window.h"
#include "editing/meter_definition_logic.h"
#include "files/program_settings.h"
#include "scripted_prompts.h"

namespace pelmo {
namespace {

// Density ρ = 1000 ω² at a grid point of the steam table, as the conversion rounds it.
float gridDensity(double omega) {
    const float w = static_cast<float>(omega);
    return 1000.0f * w * w;
}

double number(const QString& text) {
    double v = 0.0;
    EXPECT_TRUE(parseDecimal(text, v)) << text.toStdString();
    return v;
}

void setMethod(StationImage& image, int circuit, Method method) {
    image.meter.mode_a = 0;
    image.meter.mode_b = 2;
    addMethodBits(image.meter.mode_a, image.meter.mode_b, circuit, method);
}

class FlowConversionLogic : public ::testing::Test {
protected:
    FlowConversionLogic() {
        setLanguage(Language::Czech);
        setMethod(image, 1, Method::Volume);
    }
    void enter(const QString& t, const QString& p, const QString& maxT, const QString& maxP) {
        conv.inputs = {t, p, maxT, maxP, QStringLiteral("1000")};
        conv.temperatureChanged();
    }

    StationImage image;
    test::ScriptedPrompts prompts;
    int tones = 0;
    FlowConversion conv{image, prompts, [this] { ++tones; }};
};

TEST_F(FlowConversionLogic, SteamCheckOnEveryChange) {
    conv.open(3, QStringLiteral("1000,0000"));
    EXPECT_EQ(conv.inputs[kCalcFlow], QStringLiteral("1000,0000"));
    EXPECT_EQ(conv.vypPrutok, QStringLiteral("N/A"));
    EXPECT_FALSE(conv.recalculateEnabled);
    EXPECT_FALSE(conv.applyEnabled);

    // Only the temperature so far: its saturation pressure, nothing else yet.
    conv.inputs[kCalcTemperature] = QStringLiteral("200");
    conv.temperatureChanged();
    EXPECT_EQ(conv.mezTlak, formatDecimal(1.5 + (200 - 198.29) * 0.1 / (201.37 - 198.29), 5));
    EXPECT_EQ(conv.mezTeplota, QStringLiteral("N/A"));
    EXPECT_FALSE(conv.applyEnabled);

    // 200 °C at 1 MPa is superheated.
    conv.inputs[kCalcPressure] = QStringLiteral("1");
    conv.pressureChanged();
    EXPECT_EQ(conv.mezTeplota, QStringLiteral("179,88000"));
    EXPECT_FALSE(conv.errorShown);
    EXPECT_TRUE(conv.recalculateEnabled);
    EXPECT_TRUE(conv.applyEnabled);
    EXPECT_EQ(tones, 0);

    // Saturated steam at the table's own pair is within bounds; a hundredth colder is not.
    conv.inputs[kCalcTemperature] = QStringLiteral("179,88");
    conv.temperatureChanged();
    EXPECT_FALSE(conv.errorShown);
    conv.inputs[kCalcTemperature] = QStringLiteral("179,87");
    conv.temperatureChanged();
    EXPECT_TRUE(conv.errorShown);
    EXPECT_EQ(tones, 1);

    // 150 °C at 1 MPa: out of bounds, the warning tone, "Přepočítat" off, "Použít" still on.
    conv.inputs[kCalcTemperature] = QStringLiteral("150");
    conv.temperatureChanged();
    EXPECT_TRUE(conv.errorShown);
    EXPECT_FALSE(conv.recalculateEnabled);
    EXPECT_TRUE(conv.applyEnabled);
    EXPECT_EQ(tones, 2);

    // A box that is no number stops the check silently; the last state stays.
    conv.inputs[kCalcPressure] = QStringLiteral("1.0");
    conv.pressureChanged();
    EXPECT_TRUE(conv.errorShown);
    EXPECT_EQ(tones, 2);
    EXPECT_TRUE(prompts.shown.empty());

    // With the direct method "Použít" stays off.
    setMethod(image, 1, Method::Direct);
    conv.inputs[kCalcPressure] = QStringLiteral("1");
    conv.pressureChanged();
    EXPECT_FALSE(conv.applyEnabled);
}

TEST_F(FlowConversionLogic, ConvertsAtTheCalculationAndTheLimitConditions) {
    conv.open(3, QStringLiteral("1000"));
    enter(QStringLiteral("200"), QStringLiteral("1"), QStringLiteral("190"), QStringLiteral("1,5"));
    conv.inputs[kMaxTemperature] = QStringLiteral("250");
    // Max. temperature 250, max. pressure 1,5: the limit is the saturation of 1,5 MPa.
    const std::optional<double> result = conv.convert();
    const float rhoC = gridDensity(0.069709);
    ASSERT_TRUE(result);
    EXPECT_NEAR(*result, 1000.0 / rhoC, 1e-9);
    EXPECT_NEAR(number(conv.vypPrutok), 1000.0 / rhoC, 1e-5);
    EXPECT_NEAR(number(conv.hmot), 1000.0 / std::sqrt(rhoC / 998.272), 1e-5);
    EXPECT_EQ(conv.maxMezTlak, QStringLiteral("1,50000"));
    // Single precision shows: 198,29 is 198,28999 as the station holds it.
    EXPECT_EQ(conv.maxMezTep, formatDecimal(198.29f, 5));

    // Max. temperature 190 below the saturation of 1,5 MPa (198,29): the limit is 190 °C at
    // its saturation pressure.
    conv.inputs[kCalcTemperature] = QStringLiteral("185");
    conv.inputs[kMaxTemperature] = QStringLiteral("190");
    ASSERT_TRUE(conv.convert());
    const double pL = static_cast<float>(1.2 + (190 - 187.96) * 0.1 / (191.41 - 187.96));
    EXPECT_EQ(conv.maxMezTep, QStringLiteral("190,00000"));
    EXPECT_EQ(conv.maxMezTlak, formatDecimal(pL, 5));
    // 190 °C lies halfway between the grid rows 180 and 200.
    const double j = (pL - 1.25) / 0.25;
    const double omegaL =
        ((0.08106 + 0.07859) / 2 + j * ((0.09129 + 0.086818) / 2 - (0.08106 + 0.07859) / 2)) *
        (1 + 0.00111 * j * (1 - j));
    EXPECT_NEAR(number(conv.maxPrutok), number(conv.vypPrutok) * gridDensity(omegaL), 1e-3);

    // The entering of a box makes the converted figures stale.
    conv.inputEntered();
    EXPECT_EQ(conv.maxPrutok, QStringLiteral("N/A"));
    EXPECT_EQ(conv.maxMezTep, QStringLiteral("N/A"));
    EXPECT_EQ(conv.mezTeplota, QStringLiteral("179,88000"));
}

TEST_F(FlowConversionLogic, TheTableGetsTheFigureOfTheCircuitsMethod) {
    const float rhoC = gridDensity(0.069709);
    const struct {
        Method method;
        double expected;
    } cases[] = {{Method::Volume, 1000.0 / rhoC},
                 {Method::Mass, 1000.0 / std::sqrt(rhoC / 998.272)},
                 {Method::Direct, 0.0},
                 {Method::Indirect, 0.0}};
    for (const auto& c : cases) {
        // Channel 6 reads circuit 2's method.
        setMethod(image, 2, c.method);
        conv.open(6, QStringLiteral("1000"));
        enter(QStringLiteral("200"), QStringLiteral("1"), QStringLiteral("250"),
              QStringLiteral("2"));
        const auto text = conv.apply();
        ASSERT_TRUE(text) << static_cast<int>(c.method);
        EXPECT_EQ(*text, formatDecimal(c.expected, 3)) << static_cast<int>(c.method);
    }
    EXPECT_EQ(conv.apply(), QStringLiteral("0,000"));
}

TEST_F(FlowConversionLogic, BadBoxesRefuseContradictionsWriteZeroAndNothingIsSilent) {
    conv.open(3, QStringLiteral("1000"));
    const QString good[] = {QStringLiteral("200"), QStringLiteral("1"), QStringLiteral("250"),
                            QStringLiteral("2"), QStringLiteral("1000")};
    const int captions[] = {336, 337, 338, 339, 340};
    for (int box = 0; box < kFlowInputCount; ++box) {
        for (int k = 0; k < kFlowInputCount; ++k) {
            conv.inputs[static_cast<std::size_t>(k)] = good[k];
        }
        conv.inputs[static_cast<std::size_t>(box)] = QStringLiteral("1.5");
        prompts.shown.clear();
        EXPECT_FALSE(conv.apply()) << box;
        ASSERT_EQ(prompts.shown.size(), 1u) << box;
        EXPECT_TRUE(prompts.shown[0].text.contains(txt(captions[box]))) << box;
    }

    // Maximum conditions below the calculation conditions: the warning, and 0 for the table.
    const struct {
        const char* t;
        const char* p;
        const char* maxT;
        const char* maxP;
    } below[] = {{"200", "2,5", "250", "2"}, {"251", "1", "250", "2"}};
    for (const auto& c : below) {
        conv.inputs = {QString::fromUtf8(c.t), QString::fromUtf8(c.p), QString::fromUtf8(c.maxT),
                       QString::fromUtf8(c.maxP), good[4]};
        prompts.shown.clear();
        EXPECT_EQ(conv.apply(), QStringLiteral("0,000")) << c.t;
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].kind, Prompts::Kind::Warning);
        EXPECT_EQ(prompts.shown[0].text, txt(kTextCalculationTempPressMax));
    }

    // Conditions so far off the table that the density cannot be computed: the outputs and a
    // warning say so, and nothing is written.
    for (Method method : {Method::Volume, Method::Mass}) {
        setMethod(image, 1, method);
        conv.inputs = {QStringLiteral("1") + QString(300, QLatin1Char('0')), good[1],
                       QStringLiteral("2") + QString(300, QLatin1Char('0')), good[3], good[4]};
        prompts.shown.clear();
        EXPECT_FALSE(conv.apply());
        EXPECT_EQ(conv.vypPrutok, uncomputableText());
        EXPECT_EQ(conv.hmot, uncomputableText());
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].kind, Prompts::Kind::Warning);
        EXPECT_TRUE(prompts.shown[0].text.contains(method == Method::Mass
                                                       ? QStringLiteral("Hmotnost kal. vody")
                                                       : txt(kTextCalculationFlow)));
    }
}

// The table editor of channel 3 with the two points (48; 0) and (4048; 1000).
class FlowConversionWindow : public ::testing::Test {
protected:
    FlowConversionWindow() {
        setLanguage(Language::Czech);
        settings.sound = false;
        setMethod(image, 1, Method::Volume);
        for (int channel : {3, 5}) {
            definice_PV_rec& s = image.channel(channel);
            s.table_present = 1;
            s.table_points = 2;
            s.table_x = {48, 4048};
            s.table_y = {0, 65534};
            image.channelData(channel).table_scale = 1000.0 / 65534;
        }
    }
    ~FlowConversionWindow() override { setLanguage(Language::Czech); }

    struct Host final : LinTabHost {
        bool frequencyInput() const override { return false; }
        QString minValueText() const override { return QStringLiteral("0"); }
        QString maxValueText() const override { return QStringLiteral("1000"); }
        QString sensorTypeText() const override { return {}; }
        void setCancelEnabled(bool) override {}
        void tableDeleted() override {}
        void tableStored(const QString&, const QString&, const QString&, const QString&) override {}
    } host;

    // Opens the conversion from the table editor with its shortcut and works in it; "Použít"
    // must have closed it. False when it never opened.
    bool convertFromTheTable(const std::function<void(TAutoVypocet&)>& work) {
        tables.prepare(3, host);
        tables.show();
        bool ran = false;
        QTimer::singleShot(0, &tables, [&] {
            auto* w = qobject_cast<TAutoVypocet*>(QApplication::activeModalWidget());
            if (!w) {
                return;
            }
            ran = true;
            QApplication::setActiveWindow(w);
            work(*w);
            if (w->isVisible()) {
                ADD_FAILURE() << "\"Použít\" left the window open";
                w->reject();
            }
        });
        QApplication::setActiveWindow(&tables);
        QTest::keyClick(&tables, Qt::Key_L, Qt::ControlModifier);
        return ran;
    }

    QString label(const QObject& w, const char* name) {
        return w.findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
    QLineEdit* box(const QObject& w, const char* name) {
        return w.findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    QPushButton* button(const QObject& w, const char* name) {
        return w.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    // The operator clicks into a box, selects what it holds and types over it.
    void typeInto(QLineEdit* e, const QString& text) {
        QTest::mouseClick(e, Qt::LeftButton);
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(e, text);
    }
    // The conversion opened as the table editor opens it, active and with the focus in it.
    void open(TAutoVypocet& w, const QString& secondPoint = QStringLiteral("1000,0000")) {
        w.prepare(3, secondPoint);
        w.show();
        QApplication::setActiveWindow(&w);
        w.activateWindow();
    }

    StationImage image;
    ProgramSettings settings;
    test::ScriptedPrompts prompts;
    TLinTab tables{image, prompts, settings};
};

TEST_F(FlowConversionWindow, OfferedForTwoPointFlowTablesOnly) {
    tables.prepare(3, host);
    EXPECT_TRUE(tables.action("m_prevod")->isEnabled());
    EXPECT_EQ(tables.action("m_prevod")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
    tables.prepare(5, host);
    EXPECT_FALSE(tables.action("m_prevod")->isEnabled());
    image.channel(3).table_points = 3;
    image.channel(3).table_x[2] = 3000;
    tables.prepare(3, host);
    EXPECT_FALSE(tables.action("m_prevod")->isEnabled());
}

TEST_F(FlowConversionWindow, DrivenThroughItsControlsInBothLanguages) {
    for (Language lang : {Language::Czech, Language::English}) {
        setLanguage(lang);
        const bool ran = convertFromTheTable([&](TAutoVypocet& window) {
            TAutoVypocet* w = &window;
            EXPECT_EQ(w->windowTitle(), txt(kTextUnitConversionKgH));
            EXPECT_EQ(button(*w, "l_pouzit")->text(), txt(kTextApply));
            EXPECT_EQ(box(*w, "le_vypPrutok")->text(), QStringLiteral("1000,0000"));
            EXPECT_EQ(label(*w, "l_maxPrutok"), QStringLiteral("N/A"));
            EXPECT_FALSE(w->findChild<QLabel*>(QStringLiteral("l_error"))->isVisibleTo(w));

            // 150 °C at 1 MPa is wet steam.
            typeInto(box(*w, "le_VypTeplota"), QStringLiteral("150"));
            typeInto(box(*w, "le_VypTlak"), QStringLiteral("1"));
            EXPECT_TRUE(w->findChild<QLabel*>(QStringLiteral("l_error"))->isVisibleTo(w));
            EXPECT_EQ(label(*w, "l_error"), txt(kTextSteamOutOfBounds));
            EXPECT_FALSE(button(*w, "l_prep")->isEnabled());

            // Enter walks the boxes; Enter in the flow box converts and hands the focus on.
            typeInto(box(*w, "le_VypTeplota"), QStringLiteral("200"));
            for (const char* text : {"", "", "250", "2"}) {
                QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(text));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            }
            EXPECT_EQ(label(*w, "l_mezTeplota"), QStringLiteral("179,88000"));
            ASSERT_EQ(QApplication::focusWidget(), box(*w, "le_vypPrutok"));
            QTest::keyClick(box(*w, "le_vypPrutok"), Qt::Key_Return);
            EXPECT_NE(label(*w, "l_vypPrutok"), QStringLiteral("N/A"));
            EXPECT_EQ(QApplication::focusWidget(), button(*w, "l_pouzit"));
            QTest::keyClick(button(*w, "l_pouzit"), Qt::Key_Space);
        });
        EXPECT_TRUE(ran);
        auto* grid = tables.findChild<QTableWidget*>(QStringLiteral("LinTabGrid"));
        EXPECT_EQ(grid->item(3, 2)->text(), formatDecimal(1000.0 / gridDensity(0.069709), 3));
        EXPECT_TRUE(prompts.shown.empty());
        tables.hide();
    }
}

// Moving between the boxes keeps every figure typed; the calibration water converts the
// table's flow, the volume the flow box.
TEST_F(FlowConversionWindow, KeepsWhatIsTypedWhileTheFocusMoves) {
    TAutoVypocet w(image, prompts, settings);
    open(w);
    const std::pair<const char*, const char*> typed[] = {{"le_VypTeplota", "200"},
                                                         {"le_VypTlak", "1"},
                                                         {"le_maxPracTepl", "250"},
                                                         {"le_maxPracTlak", "1,5"},
                                                         {"le_vypPrutok", "2000"}};
    for (const auto& [name, text] : typed) {
        typeInto(box(w, name), QString::fromLatin1(text));
    }
    // Back into a box and out again, by mouse and by Enter.
    QTest::mouseClick(box(w, "le_maxPracTepl"), Qt::LeftButton);
    QTest::keyClick(box(w, "le_maxPracTepl"), Qt::Key_Return);
    QTest::mouseClick(box(w, "le_VypTeplota"), Qt::LeftButton);
    for (const auto& [name, text] : typed) {
        EXPECT_EQ(box(w, name)->text(), QString::fromLatin1(text)) << name;
    }
    EXPECT_EQ(label(w, "l_vypPrutok"), QStringLiteral("N/A"));

    QTest::mouseClick(button(w, "l_prep"), Qt::LeftButton);
    const float rhoC = gridDensity(0.069709);
    EXPECT_NEAR(number(label(w, "l_vypPrutok")), 2000.0 / rhoC, 1e-5);
    EXPECT_NEAR(number(label(w, "l_Hmot")), 1000.0 / std::sqrt(rhoC / 998.272), 1e-5);

    setMethod(image, 1, Method::Mass);
    QTest::mouseClick(button(w, "l_pouzit"), Qt::LeftButton);
    EXPECT_EQ(w.applied(), formatDecimal(1000.0 / std::sqrt(rhoC / 998.272), 3));
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(FlowConversionWindow, ContradictingConditionsWriteZeroAndCloseTheTableGetsIt) {
    const bool ran = convertFromTheTable([&](TAutoVypocet& w) {
        // The maximum temperature 190 lies below the calculation temperature 200.
        for (const auto& [name, text] :
             std::vector<std::pair<const char*, const char*>>{{"le_VypTeplota", "200"},
                                                              {"le_VypTlak", "1"},
                                                              {"le_maxPracTepl", "190"},
                                                              {"le_maxPracTlak", "2"}}) {
            typeInto(box(w, name), QString::fromLatin1(text));
        }
        QTest::mouseClick(button(w, "l_pouzit"), Qt::LeftButton);
    });
    ASSERT_TRUE(ran);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, txt(kTextCalculationTempPressMax));
    auto* grid = tables.findChild<QTableWidget*>(QStringLiteral("LinTabGrid"));
    EXPECT_EQ(grid->item(3, 2)->text(), QStringLiteral("0,000"));
    tables.hide();
}

TEST_F(FlowConversionWindow, AFigureThatCannotBeComputedIsSaid) {
    TAutoVypocet w(image, prompts, settings);
    open(w);
    const QString huge = QStringLiteral("1") + QString(40, QLatin1Char('0'));
    for (const auto& [name, text] : std::vector<std::pair<const char*, QString>>{
             {"le_VypTeplota", huge},
             {"le_VypTlak", QStringLiteral("1")},
             {"le_maxPracTepl", huge + QStringLiteral("0")},
             {"le_maxPracTlak", QStringLiteral("2")}}) {
        typeInto(box(w, name), text);
    }
    QTest::mouseClick(button(w, "l_pouzit"), Qt::LeftButton);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.applied());
    EXPECT_EQ(label(w, "l_vypPrutok"), uncomputableText());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].kind, Prompts::Kind::Warning);
    EXPECT_TRUE(prompts.shown[0].text.contains(txt(kTextCalculationFlow)));
}

}  // namespace
}  // namespace pelmo
