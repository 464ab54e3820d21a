// The search and query windows offscreen, driven through their controls against the
// in-process simulator; the main window's address entries.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>

#include "base/texts.h"
#include "bus/alarm_limits_window.h"
#include "bus/fly_window.h"
#include "bus/hardware_window.h"
#include "bus/maximum_window.h"
#include "bus/meter_limits_window.h"
#include "bus/registers_window.h"
#include "bus/search_window.h"
#include "scripted_prompts.h"
#include "sim_link.h"
#include "ui/main_window.h"
#include "ui/serial_host.h"

namespace pelmo {
namespace {

template <typename T>
T* child(const QWidget& w, const char* name) {
    T* found = w.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QString cellText(const QWidget& w, const char* grid, int row, int column) {
    const QTableWidgetItem* item = child<QTableWidget>(w, grid)->item(row, column);
    return item ? item->text() : QString();
}

QString statusOf(const QWidget& w) {
    return child<QStatusBar>(w, "StatusBar1")->currentMessage();
}

class Windows : public ::testing::Test {
protected:
    void run(const QuerySequence& s) {
        link.run([&s] { return s.engine(); });
    }

    test::PromptsScope scope;
    test::SimLink link;
};

TEST_F(Windows, SearchFillsTheGridsTheMainWindowsEntriesAndExportsTheMap) {
    link.bus.addStation(3).setName("Kotelna 3");
    link.bus.addStation(17).setName("Sklad");
    link.image.address_list[kUserAddressEntry].address = 251;
    TForm1 host(link.context, &link.port);
    TZobrStanice main(host);
    TVyhledani window(link.port, link.context, &main);
    window.setEntriesChanged([&main] { main.refreshAddressEntries(); });
    window.show();
    EXPECT_FALSE(window.exportMenu()->isEnabled());
    AddressSearch& search = window.search();
    for (int polls = 0; polls < 3000000 && !search.finished(); ++polls) {
        if (search.pausing()) {
            search.pauseElapsed();
        } else if (TCommunication* e = search.engine()) {
            link.sim.advance(kProbeIntervalMs);
            e->poll();
        }
    }
    EXPECT_EQ(cellText(window, "StringGrid1", 1, 0), QStringLiteral("1."));
    EXPECT_EQ(cellText(window, "StringGrid2", 16, 0), QStringLiteral("32."));
    EXPECT_EQ(cellText(window, "StringGrid1", 0, 1), txt(194));
    EXPECT_EQ(cellText(window, "StringGrid1", 1, 1), QStringLiteral("3"));
    EXPECT_EQ(cellText(window, "StringGrid1", 2, 2), QStringLiteral("Sklad"));
    EXPECT_EQ(statusOf(window), txt(382));
    EXPECT_TRUE(window.exportMenu()->isEnabled());
    EXPECT_FALSE(child<QProgressBar>(window, "ProgressBar1")->isVisible());

    QAction* first = main.findChild<QAction*>(QStringLiteral("m_adresa1"));
    QAction* second = main.findChild<QAction*>(QStringLiteral("m_adresa2"));
    QAction* third = main.findChild<QAction*>(QStringLiteral("m_adresa3"));
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(second->text(), QStringLiteral("17 - Sklad"));
    EXPECT_FALSE(third->isVisible());

    QTemporaryDir dir;
    const QString map = dir.filePath(QStringLiteral("bus.map"));
    scope.prompts.files = {map};
    window.exportMenu()->actions().first()->trigger();
    QFile file(map);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("3    Kotelna\r\n17   Sklad  \r\n"));
    EXPECT_TRUE(scope.prompts.dialogs.back().confirmOverwrite);

    link.image.bus_address = 3;
    window.reject();
    EXPECT_EQ(link.image.bus_address, 251);

    // Choosing an entry makes its address the bus address.
    second->trigger();
    EXPECT_EQ(link.image.bus_address, 17);
}

TEST_F(Windows, MainWindowLoadsAMapAndRefusesAMalformedOne) {
    TForm1 host(link.context, &link.port);
    TZobrStanice main(host);
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.map"));
    const QString bad = dir.filePath(QStringLiteral("bad.map"));
    QFile g(good);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write("5    Kotelna\r\n9    Druha  \r\n");
    g.close();
    QFile b(bad);
    ASSERT_TRUE(b.open(QIODevice::WriteOnly));
    b.write("7    bez CR");
    b.close();

    scope.prompts.files = {good, bad};
    main.m_zDiskuClick();
    QAction* second = main.findChild<QAction*>(QStringLiteral("m_adresa2"));
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->text(), QStringLiteral("9 - Druha"));
    main.m_zDiskuClick();
    EXPECT_TRUE(scope.prompts.shownError(txt(146)));
    EXPECT_EQ(link.image.address_list[1].address, 9);
}

TEST_F(Windows, TheConsoleMenuOpensRegistersAndMaximum) {
    TForm1 host(link.context, &link.port);
    int registers = 0;
    int maximum = 0;
    TForm1::Commands commands;
    commands.registers = [&registers] { ++registers; };
    commands.maximum = [&maximum] { ++maximum; };
    host.setCommands(commands);
    const std::uint8_t stray[] = {0x06, 0x01};
    link.rx.append(stray);
    QAction* entry = host.findChild<QAction*>(QStringLiteral("m_registry"));
    ASSERT_TRUE(entry->isEnabled());
    entry->trigger();
    EXPECT_EQ(registers, 1);
    EXPECT_EQ(link.rx.length(), 0);
    // The window makes its own request: nothing was written by the console.
    EXPECT_TRUE(link.port.writes().empty());
    host.findChild<QAction*>(QStringLiteral("m_maximum"))->trigger();
    EXPECT_EQ(maximum, 1);
}

TEST_F(Windows, RegistersWindowShowsTheValuesAndReenablesRefresh) {
    TRegistryForm window(link.port, link.context);
    window.show();
    QPushButton* refresh = child<QPushButton>(window, "refreshBtn");
    EXPECT_FALSE(refresh->isEnabled());
    EXPECT_EQ(statusOf(window), txt(187));
    run(window.reader());
    EXPECT_TRUE(refresh->isEnabled());
    EXPECT_EQ(statusOf(window), txt(27) + QStringLiteral("251"));
    EXPECT_EQ(cellText(window, "StringGrid1", 0, 1), txt(172));
    EXPECT_EQ(cellText(window, "StringGrid1", 8, 0), txt(182));
    EXPECT_EQ(cellText(window, "StringGrid2", 3, 0), txt(185));
    EXPECT_TRUE(cellText(window, "StringGrid2", 1, 1).contains(QLatin1Char(',')));
    refresh->click();
    EXPECT_FALSE(refresh->isEnabled());
    EXPECT_EQ(statusOf(window), txt(188));
}

TEST_F(Windows, MaximumWindowShowsNotAvailableUntilTheAnswer) {
    TMaximum window(link.port, link.context);
    window.show();
    EXPECT_EQ(child<QLabel>(window, "Label2")->text(), QStringLiteral("N/A"));
    run(window.reader());
    EXPECT_EQ(cellText(window, "StringGrid1", 2, 1), QStringLiteral("3,41250"));
    EXPECT_EQ(child<QLabel>(window, "Label2")->text(), QStringLiteral("07:45:00"));
    EXPECT_EQ(child<QLabel>(window, "Label5")->text(), QStringLiteral("--/--/--"));
    EXPECT_EQ(statusOf(window), txt(141));
}

TEST_F(Windows, HardwareWindowFillsItsLabelsAndTellsTheMainWindow) {
    setLanguage(Language::English);
    TInfoHW window(link.port, link.context);
    int shown = 0;
    window.setStationShown([&shown] { ++shown; });
    window.show();
    EXPECT_EQ(child<QLabel>(window, "l_vyrCislo")->text(), QStringLiteral("N/A"));
    run(window.reader());
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(child<QLabel>(window, "l_vyrCislo")->text(), QStringLiteral("2317"));
    EXPECT_EQ(child<QLabel>(window, "l_pamet")->text(), QStringLiteral("32768 B"));
    EXPECT_EQ(child<QLabel>(window, "l_zamek")->text(), txt(311));
    EXPECT_EQ(cellText(window, "StringGrid1", 7, 0), txt(316) + QStringLiteral("8"));
    EXPECT_EQ(cellText(window, "StringGrid1", 7, 1), txt(320));
    EXPECT_EQ(cellText(window, "StringGrid2", 0, 1), QStringLiteral("1 / 4"));
    EXPECT_FALSE(child<QProgressBar>(window, "ProgressBar1")->isVisible());
    setLanguage(Language::Czech);
}

TEST_F(Windows, FlyingMeasurementWindowControls) {
    TLetMer window(link.port, link.context);
    window.show();
    QPushButton* read = child<QPushButton>(window, "b_read");
    QPushButton* cancel = child<QPushButton>(window, "b_cancel");
    EXPECT_FALSE(read->isEnabled());
    run(window.measurement());
    EXPECT_TRUE(read->isEnabled());
    EXPECT_EQ(child<QLabel>(window, "l_sec")->text(), QStringLiteral("60 sec"));

    link.image.meter.interval_p2 = 60;
    child<QSpinBox>(window, "s_pasmo")->setValue(2);
    child<QSpinBox>(window, "s_pocet")->setValue(3);
    EXPECT_EQ(child<QLabel>(window, "l_sec")->text(), QStringLiteral("180 sec"));
    QCheckBox* clear = child<QCheckBox>(window, "cb_nul");
    EXPECT_EQ(clear->text(), txt(278));
    clear->click();
    EXPECT_EQ(clear->text(), txt(279));

    read->click();
    EXPECT_EQ(child<QProgressBar>(window, "Gauge1")->maximum(), 183);
    EXPECT_FALSE(read->isEnabled());
    EXPECT_TRUE(cancel->isEnabled());
    run(window.measurement());
    EXPECT_EQ(statusOf(window), txt(282));
    cancel->click();
    EXPECT_TRUE(read->isEnabled());
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_EQ(statusOf(window), txt(189));
    EXPECT_FALSE(window.measurement().timer().isActive());
}

TEST_F(Windows, AlarmLimitsWindowSelectsRowsAndTogglesTheInverseOutput) {
    TMezAlarmu::MainWindow main;
    main.channelCell = [](int row, int column) {
        return QStringLiteral("m%1%2").arg(row).arg(column);
    };
    TMezAlarmu window(link.port, link.context, main);
    window.show();
    auto* grid = child<QTableWidget>(window, "StringGrid1");
    EXPECT_FALSE(grid->isEnabled());
    run(window.limits());
    EXPECT_TRUE(grid->isEnabled());
    EXPECT_EQ(cellText(window, "StringGrid1", 4, 4), QStringLiteral("Int. Dig. 1 +"));
    EXPECT_EQ(cellText(window, "StringGrid1", 1, 1), QStringLiteral("m11"));
    EXPECT_EQ(cellText(window, "StringGrid1", 5, 1), QString());  // channel 5 unused

    window.StringGrid1SelectCell(4, 2);
    EXPECT_EQ(child<QLineEdit>(window, "l_minMeze")->text(), QStringLiteral("-"));
    EXPECT_TRUE(child<QPushButton>(window, "b_save")->isEnabled());
    window.StringGrid1SelectCell(2, 0);
    EXPECT_FALSE(child<QPushButton>(window, "b_save")->isEnabled());
    EXPECT_FALSE(child<QLineEdit>(window, "l_minHodnota")->isEnabled());

    window.StringGrid1SelectCell(1, 1);
    QCheckBox* inverse = child<QCheckBox>(window, "ch_Inv");
    inverse->click();
    EXPECT_EQ(link.image.channel(1).output_code, 144);
    EXPECT_EQ(cellText(window, "StringGrid1", 1, 4), QStringLiteral("Int. Analog. 1 -"));

    child<QPushButton>(window, "b_save")->click();
    run(window.limits());
    EXPECT_EQ(statusOf(window), txt(225) + QStringLiteral(" OK"));
    EXPECT_TRUE(child<QPushButton>(window, "b_save")->isEnabled());
}

TEST_F(Windows, AlarmLimitsWarnWhenNoChannelHasAnOutput) {
    TMezAlarmu window(link.port, link.context, {});
    window.show();
    // Every output code read is cleared on its way in.
    link.tamper = [&window](std::vector<std::uint8_t>& a) {
        if (window.limits().state() == READ_CHANNEL && a.size() > 30) {
            a[5 + 16] = 0;
            test::SimLink::reseal(a);
        }
    };
    run(window.limits());
    EXPECT_EQ(scope.prompts.shown.back().text, txt(387));
}

TEST_F(Windows, MeterLimitsWindowReadsEditsAndWrites) {
    TMezMeridla window(link.port, link.context);
    window.show();
    QPushButton* save = child<QPushButton>(window, "b_save");
    EXPECT_FALSE(save->isEnabled());
    run(window.limits());
    EXPECT_TRUE(save->isEnabled());
    EXPECT_EQ(cellText(window, "StringGrid1", 0, 0), txt(32));
    EXPECT_EQ(cellText(window, "StringGrid1", 0, 1), QStringLiteral("1207"));
    child<QTableWidget>(window, "StringGrid2")->item(5, 1)->setText(QStringLiteral("4"));
    save->click();
    EXPECT_FALSE(save->isEnabled());
    run(window.limits());
    EXPECT_TRUE(save->isEnabled());
    EXPECT_EQ(statusOf(window), txt(225));
    EXPECT_EQ(link.image.meter.imp_coef_1, 0.25);

    child<QTableWidget>(window, "StringGrid2")->item(2, 1)->setText(QStringLiteral("12,5"));
    save->click();
    EXPECT_TRUE(save->isEnabled());
    EXPECT_FALSE(window.limits().running());
}

}  // namespace
}  // namespace pelmo
