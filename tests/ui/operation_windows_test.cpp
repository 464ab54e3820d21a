#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>

#include "base/texts.h"
#include "files/station_file.h"
#include "operations/lock_window.h"
#include "operations/programming_window.h"
#include "operations/station_compare_window.h"
#include "operations/station_reader.h"
#include "scripted_prompts.h"
#include "sequence_views.h"
#include "sim_link.h"

namespace pelmo {
namespace {

// The programming and lock windows on the in-process bus with the simulated station.
class OperationWindows : public ::testing::TestWithParam<Language> {
protected:
    OperationWindows() {
        link.image.station.net_address = 251;
        link.image.station.messages_total = 10;
        link.image.station.name = "Kotelna";
        setLanguage(GetParam());
    }
    ~OperationWindows() override { setLanguage(Language::Czech); }

    void drive(const std::function<TCommunication*()>& engine) {
        link.run(engine);
        QCoreApplication::processEvents();
    }

    template <typename T>
    static T* find(QWidget& w, const char* name) {
        return w.findChild<T*>(QString::fromLatin1(name));
    }

    test::SimLink link;
    test::PromptsScope scope{link.program};
    sim::SimStation* station = link.station;
    InProcessPort& port = link.port;
    LinkContext& context = link.context;
};

TEST_P(OperationWindows, ProgrammingWindowShowsTheRunAndWaitsForClose) {
    TProgressForm form(port, link.program, {}, nullptr);
    form.show();
    EXPECT_EQ(form.windowTitle(), txt(kTextSystemProgramming111));
    EXPECT_EQ(find<QLabel>(form, "l_prenos")->text(), txt(kTextParameterTransfer));
    EXPECT_FALSE(find<QPushButton>(form, "b_zavrit")->isEnabled());
    EXPECT_FALSE(find<QLabel>(form, "l_inicOK")->isVisible());
    drive([&] { return form.programmer().engine(); });
    EXPECT_EQ(form.ending(), ProgrammingView::Ending::Finished);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(find<QPushButton>(form, "b_zavrit")->isEnabled());
    EXPECT_EQ(find<QLabel>(form, "l_ProgrOK")->text(), txt(kTextSystemProgrammingOK));
    EXPECT_EQ(find<QLabel>(form, "l_prenosOK")->text(), QStringLiteral("OK"));
    EXPECT_TRUE(find<QLabel>(form, "l_zahajeniOK")->isVisible());
    EXPECT_EQ(find<QProgressBar>(form, "Gauge1")->value(), 210);
    EXPECT_EQ(find<QStatusBar>(form, "StatusBar1")->currentMessage(),
              txt(kTextSystemProgrammingFinished));
    find<QPushButton>(form, "b_zavrit")->click();
    EXPECT_FALSE(form.isVisible());
}

TEST_P(OperationWindows, ProgrammingALockedStationClosesTheWindow) {
    sim::FaultSettings locked;
    locked.locked = true;
    station->addFaults(locked);
    TProgressForm form(port, link.program, {}, nullptr);
    form.show();
    drive([&] { return form.programmer().engine(); });
    EXPECT_EQ(form.ending(), ProgrammingView::Ending::Refused);
    EXPECT_TRUE(scope.prompts.shown.size() == 1 &&
                scope.prompts.shown[0].text == txt(kTextStationIsLockedAnd));
    EXPECT_FALSE(form.isVisible());
}

TEST_P(OperationWindows, LockWindowIdentifiesTheStationAndReportsTheLock) {
    scope.prompts.answers = {true};
    TLockStation form(port, link.program, nullptr);
    bool shown = false;
    form.setStationShown([&] { shown = true; });
    form.show();
    EXPECT_EQ(find<QLabel>(form, "l_vyrCislo1")->text(), txt(kTextSerialNumber));
    drive([&] { return form.locker().engine(); });
    EXPECT_EQ(form.ending(), LockView::Ending::Locked);
    EXPECT_TRUE(shown);
    EXPECT_EQ(find<QLabel>(form, "l_nazev")->text(), QStringLiteral("Kotelna Jih"));
    EXPECT_EQ(find<QLabel>(form, "l_vyrCislo")->text(), QStringLiteral("2317"));
    EXPECT_EQ(find<QLabel>(form, "l_staniceUzamcena")->text(), txt(kTextUnitLocked));
    EXPECT_TRUE(find<QPushButton>(form, "b_close")->isEnabled());
}

TEST_P(OperationWindows, CompareWindowListsWhatTheFileWouldChange) {
    // The station as read, with two fields changed in the "file".
    test::RecordingReadView readView;
    StationReader reader(port, context, scope.prompts, readView);
    reader.start();
    drive([&] { return reader.engine(); });
    StationImage file = throughStationFile(link.image, {});
    file.channelData(2).name = "PX";
    file.station.messages_total += 1;
    link.image.meter.meter_number = 1;  // the program's image is not what is compared

    TPorovnani window(port, link.program, file, QStringLiteral("/tmp/kotelna.sta"), nullptr);
    window.show();
    auto* grid = find<QTableWidget>(window, "g_rozdily");
    EXPECT_EQ(window.windowTitle(), txt(kTextStationAndFileComparison));
    EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), txt(kTextStation1024));
    EXPECT_EQ(find<QLabel>(window, "l_soubor")->text(), QStringLiteral("kotelna.sta"));
    drive([&] { return window.compare().engine(); });
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(0, 0)->text(), txt(kTextChannel1029).arg(2));
    EXPECT_EQ(grid->item(0, 2)->text(), QStringLiteral("PP1"));
    EXPECT_EQ(grid->item(0, 3)->text(), QStringLiteral("PX"));
    EXPECT_EQ(grid->item(1, 0)->text(), txt(kTextStation1024));
    EXPECT_EQ(find<QLabel>(window, "l_vysledek")->text(), txt(kTextDifferences).arg(2));
    find<QPushButton>(window, "b_zavrit")->click();
    EXPECT_FALSE(window.isVisible());
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, OperationWindows,
                         ::testing::Values(Language::Czech, Language::English));

}  // namespace
}  // namespace pelmo
