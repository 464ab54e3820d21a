// The search and query windows offscreen, driven through their controls against the
// in-process simulator; the main window's address entries.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

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
#include "ui/serial_host_window.h"
#include "window_events.h"

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

QString gridText(const QTableWidget* grid, int row) {
    const QTableWidgetItem* item = grid->item(row, 1);
    return item ? item->text() : QString();
}

QString statusOf(const QWidget& w) {
    return child<QStatusBar>(w, "StatusBar1")->currentMessage();
}

// The window as the operator has it: active, with the focus in it.
void activate(QWidget& w) {
    QApplication::setActiveWindow(&w);
    w.activateWindow();
}

void clickCell(QTableWidget* grid, int row, int column) {
    const QRect cell = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

// The operator clicks a cell and types over it; Enter ends the editing.
void typeIntoCell(QTableWidget* grid, int row, int column, const QString& text) {
    // A double click opens the cell's editor whatever the click before it was.
    const QRect cell = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    for (QChar c : text) {
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    // The grid takes the edited text from the event loop, as it does between keystrokes.
    QApplication::processEvents();
}

// No text in the column is cut: the column is at least as wide as its widest cell wants.
bool columnFits(const QTableWidget* grid, int column) {
    const QAbstractItemView* view = grid;
    return grid->columnWidth(column) >= view->sizeHintForColumn(column);
}

// Every row lies wholly inside the grid and is tall enough for a line of text.
void expectRowsShown(const QTableWidget* grid) {
    for (int r = 0; r < grid->rowCount(); ++r) {
        const int top = grid->rowViewportPosition(r);
        EXPECT_GE(top, 0) << r;
        EXPECT_LE(top + grid->rowHeight(r), grid->viewport()->height()) << r;
        EXPECT_GE(grid->rowHeight(r), grid->fontMetrics().height()) << r;
    }
}

// The channel number carried by every WRITE_CHANNEL written so far.
std::vector<int> writtenChannels(const InProcessPort& port) {
    std::vector<int> channels;
    for (const auto& w : port.writes()) {
        if (w.size() > 5 && requestIdFor(w[1], w[2]) == WRITE_CHANNEL) {
            channels.push_back(w[4] + 1);
        }
    }
    return channels;
}

class Windows : public ::testing::Test {
protected:
    void run(const StationSequence& s) {
        link.run([&s] { return s.engine(); });
    }

    test::SimLink link;
    test::PromptsScope scope{link.program};
};

TEST_F(Windows, SearchFillsTheGridsTheMainWindowsEntriesAndExportsTheMap) {
    link.bus.addStation(3).setName("Kotelna 3");
    link.bus.addStation(17).setName("Sklad");
    link.image.address_list[kUserAddressEntry].address = 251;
    TForm1 host(link.program, &link.port);
    TZobrStanice main(link.program, host);
    TVyhledani window(link.port, link.program, &main);
    window.setEntriesChanged([&main] { main.refreshAddressEntries(); });
    window.show();
    QApplication::processEvents();
    EXPECT_FALSE(window.exportMenu()->isEnabled());
    // While the progress bar shows, all 32 rows do too; the columns take 1/10, 4/10 and 4/10
    // of the grid's width + 12.
    ASSERT_TRUE(child<QProgressBar>(window, "ProgressBar1")->isVisible());
    for (const char* name : {"StringGrid1", "StringGrid2"}) {
        const auto* grid = child<QTableWidget>(window, name);
        expectRowsShown(grid);
        const double base = grid->width() + 12;
        EXPECT_EQ(grid->columnWidth(0), std::lround(base / 10)) << name;
        EXPECT_EQ(grid->columnWidth(1), std::lround(base * 4 / 10)) << name;
        EXPECT_EQ(grid->columnWidth(2), std::lround(base * 4 / 10)) << name;
    }
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
    EXPECT_EQ(cellText(window, "StringGrid1", 0, 1), txt(kTextAddress));
    EXPECT_EQ(cellText(window, "StringGrid1", 1, 1), QStringLiteral("3"));
    EXPECT_EQ(cellText(window, "StringGrid1", 2, 2), QStringLiteral("Sklad"));
    EXPECT_EQ(statusOf(window), txt(kTextSearchCompleted));
    EXPECT_TRUE(window.exportMenu()->isEnabled());
    EXPECT_FALSE(child<QProgressBar>(window, "ProgressBar1")->isVisible());
    QApplication::processEvents();
    expectRowsShown(child<QTableWidget>(window, "StringGrid2"));

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
    TForm1 host(link.program, &link.port);
    TZobrStanice main(link.program, host);
    main.show();
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
    test::chooseMenuEntry(main, "m_zDisku");
    QAction* second = main.findChild<QAction*>(QStringLiteral("m_adresa2"));
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->text(), QStringLiteral("9 - Druha"));
    test::chooseMenuEntry(main, "m_zDisku");
    EXPECT_TRUE(scope.prompts.shownError(txt(kTextFileCorrupted)));
    EXPECT_EQ(link.image.address_list[1].address, 9);
}

TEST_F(Windows, TheConsoleMenuOpensRegistersAndMaximum) {
    TForm1 host(link.program, &link.port);
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
    TRegistryForm window(link.port, link.program);
    window.show();
    QPushButton* refresh = child<QPushButton>(window, "refreshBtn");
    EXPECT_FALSE(refresh->isEnabled());
    EXPECT_EQ(statusOf(window), txt(kTextRetrievingData));
    run(window.reader());
    EXPECT_TRUE(refresh->isEnabled());
    EXPECT_EQ(statusOf(window), txt(kTextNetAddress) + QStringLiteral("251"));
    EXPECT_EQ(cellText(window, "StringGrid1", 0, 1), txt(kTextCircuitNo1));
    EXPECT_EQ(cellText(window, "StringGrid1", 8, 0), txt(kTextMassWetT));
    EXPECT_EQ(cellText(window, "StringGrid2", 3, 0), txt(kTextCondensMassT));
    EXPECT_TRUE(cellText(window, "StringGrid2", 1, 1).contains(QLatin1Char(',')));
    refresh->click();
    EXPECT_FALSE(refresh->isEnabled());
    EXPECT_EQ(statusOf(window), txt(kTextDataRefresh));
}

TEST_F(Windows, MaximumWindowShowsNotAvailableUntilTheAnswer) {
    for (Language lang : {Language::Czech, Language::English}) {
        setLanguage(lang);
        TMaximum window(link.port, link.program);
        window.show();
        EXPECT_EQ(child<QLabel>(window, "Label2")->text(), QStringLiteral("N/A"));
        run(window.reader());
        QApplication::processEvents();
        EXPECT_EQ(cellText(window, "StringGrid1", 2, 1), QStringLiteral("3,41250"));
        EXPECT_EQ(child<QLabel>(window, "Label2")->text(), QStringLiteral("07:45:00"));
        EXPECT_EQ(child<QLabel>(window, "Label5")->text(), QStringLiteral("--/--/--"));
        EXPECT_EQ(statusOf(window), txt(kTextDataLoaded));
        // Column 0 is half the grid; no caption or circuit header is cut.
        for (const char* name : {"StringGrid1", "StringGrid2"}) {
            const auto* grid = child<QTableWidget>(window, name);
            EXPECT_EQ(grid->columnWidth(0), std::lround(grid->viewport()->width() / 2.0)) << name;
            EXPECT_TRUE(columnFits(grid, 0)) << name;
            EXPECT_TRUE(columnFits(grid, 1)) << name;
            expectRowsShown(grid);
        }
    }
    setLanguage(Language::Czech);
}

TEST_F(Windows, HardwareWindowFillsItsLabelsAndTellsTheMainWindow) {
    setLanguage(Language::English);
    TInfoHW window(link.port, link.program);
    int shown = 0;
    window.setStationShown([&shown] { ++shown; });
    window.show();
    EXPECT_EQ(child<QLabel>(window, "l_vyrCislo")->text(), QStringLiteral("N/A"));
    run(window.reader());
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(child<QLabel>(window, "l_vyrCislo")->text(), QStringLiteral("2317"));
    EXPECT_EQ(child<QLabel>(window, "l_pamet")->text(), QStringLiteral("32768 B"));
    EXPECT_EQ(child<QLabel>(window, "l_zamek")->text(), txt(kTextNo));
    EXPECT_EQ(cellText(window, "StringGrid1", 7, 0), txt(kTextChannel316) + QStringLiteral("8"));
    EXPECT_EQ(cellText(window, "StringGrid1", 7, 1), txt(kTextImpulse));
    EXPECT_EQ(cellText(window, "StringGrid2", 0, 1), QStringLiteral("1 / 4"));
    EXPECT_FALSE(child<QProgressBar>(window, "ProgressBar1")->isVisible());
    setLanguage(Language::Czech);
}

TEST_F(Windows, FlyingMeasurementWindowControls) {
    TLetMer window(link.port, link.program);
    window.show();
    activate(window);
    EXPECT_EQ(child<QLabel>(window, "Label1")->text(), txt(kTextFlyingMeasurement297));
    QPushButton* read = child<QPushButton>(window, "b_read");
    QPushButton* cancel = child<QPushButton>(window, "b_cancel");
    auto* gauge = child<QProgressBar>(window, "Gauge1");
    EXPECT_FALSE(read->isEnabled());
    run(window.measurement());
    EXPECT_TRUE(read->isEnabled());
    EXPECT_EQ(child<QLabel>(window, "l_sec")->text(), QStringLiteral("60 sec"));

    link.image.meter.interval_p2 = 60;
    auto* circuit = child<QSpinBox>(window, "s_pasmo");
    circuit->setFocus();
    QTest::keyClick(circuit, Qt::Key_Up);
    auto* count = child<QSpinBox>(window, "s_pocet");
    count->setFocus();
    QTest::keyClick(count, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(count, QStringLiteral("3"));
    EXPECT_EQ(child<QLabel>(window, "l_sec")->text(), QStringLiteral("180 sec"));
    QCheckBox* clear = child<QCheckBox>(window, "cb_nul");
    EXPECT_EQ(clear->text(), txt(kTextBufferEraseOn));
    QTest::mouseClick(clear, Qt::LeftButton);
    EXPECT_EQ(clear->text(), txt(kTextBufferEraseOff));

    QTest::mouseClick(read, Qt::LeftButton);
    EXPECT_EQ(gauge->maximum(), 183);
    EXPECT_FALSE(read->isEnabled());
    EXPECT_TRUE(cancel->isEnabled());
    run(window.measurement());
    EXPECT_EQ(statusOf(window), txt(kTextMeasurementInProgress));
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_TRUE(read->isEnabled());
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_FALSE(gauge->isVisible());
    EXPECT_EQ(statusOf(window), txt(kTextStationReadingInterrupted));
    EXPECT_FALSE(window.measurement().timer().isActive());
}

// "Přerušit" while the start chain is on the bus: idle at once, the chain ends its exchange
// without a measurement; a new start waits for it.
TEST_F(Windows, FlyingMeasurementCancelledDuringAChain) {
    TLetMer window(link.port, link.program);
    window.show();
    activate(window);
    run(window.measurement());
    QPushButton* read = child<QPushButton>(window, "b_read");
    QPushButton* cancel = child<QPushButton>(window, "b_cancel");
    auto* gauge = child<QProgressBar>(window, "Gauge1");
    for (bool again : {false, true}) {
        link.port.clearWrites();
        QTest::mouseClick(read, Qt::LeftButton);
        ASSERT_TRUE(window.measurement().running());
        QTest::mouseClick(cancel, Qt::LeftButton);
        EXPECT_TRUE(read->isEnabled());
        EXPECT_FALSE(cancel->isEnabled());
        EXPECT_FALSE(gauge->isVisible());
        EXPECT_EQ(statusOf(window), txt(kTextStationReadingInterrupted));
        if (again) {
            QTest::mouseClick(read, Qt::LeftButton);
            EXPECT_TRUE(cancel->isEnabled());
        }
        run(window.measurement());
        const std::vector<std::string> sent = link.requests(false);
        const std::vector<std::string> once{"COMM", "FLY_SET", "END_COMM"};
        std::vector<std::string> expected = once;
        if (again) {
            expected.insert(expected.end(), once.begin(), once.end());
        }
        EXPECT_EQ(sent, expected) << again;
        EXPECT_EQ(window.measurement().timer().isActive(), again);
        EXPECT_EQ(statusOf(window),
                  again ? txt(kTextMeasurementInProgress) : txt(kTextStationReadingInterrupted));
    }
}

class AlarmWindow : public Windows {
protected:
    AlarmWindow() {
        main.channelCell = [](int row, int column) {
            return column == 0 ? QStringLiteral("%1. CH*").arg(row)
                               : QStringLiteral("m%1%2").arg(row).arg(column);
        };
    }
    void open() {
        window = std::make_unique<TMezAlarmu>(link.port, link.program, main);
        window->show();
        activate(*window);
        grid = child<QTableWidget>(*window, "StringGrid1");
        EXPECT_FALSE(grid->isEnabled());
        run(window->limits());
        ASSERT_TRUE(grid->isEnabled());
    }
    QString title() const { return child<QGroupBox>(*window, "GroupBox1")->title(); }
    QPushButton* save() const { return child<QPushButton>(*window, "b_save"); }

    TMezAlarmu::MainWindow main;
    std::unique_ptr<TMezAlarmu> window;
    QTableWidget* grid = nullptr;
};

TEST_F(AlarmWindow, FillsTheGridAndTogglesTheInverseOutput) {
    open();
    EXPECT_EQ(cellText(*window, "StringGrid1", 4, 4), QStringLiteral("Int. Dig. 1 +"));
    EXPECT_EQ(cellText(*window, "StringGrid1", 1, 1), QStringLiteral("m11"));
    EXPECT_EQ(cellText(*window, "StringGrid1", 5, 1), QString());  // channel 5 unused

    clickCell(grid, 4, 2);
    EXPECT_EQ(child<QLineEdit>(*window, "l_minMeze")->text(), QStringLiteral("-"));
    EXPECT_TRUE(save()->isEnabled());
    clickCell(grid, 2, 0);
    EXPECT_FALSE(save()->isEnabled());
    EXPECT_FALSE(child<QLineEdit>(*window, "l_minHodnota")->isEnabled());

    clickCell(grid, 1, 1);
    QCheckBox* inverse = child<QCheckBox>(*window, "ch_Inv");
    QTest::mouseClick(inverse, Qt::LeftButton);
    EXPECT_EQ(link.image.channel(1).output_code, 144);
    EXPECT_EQ(cellText(*window, "StringGrid1", 1, 4), QStringLiteral("Int. Analog. 1 -"));

    QTest::mouseClick(save(), Qt::LeftButton);
    run(window->limits());
    EXPECT_EQ(statusOf(*window), txt(kTextDataSaved) + QStringLiteral(" OK"));
    EXPECT_TRUE(save()->isEnabled());
    EXPECT_EQ(writtenChannels(link.port), std::vector<int>{1});
}

// However the current row moves, the channel being edited is the one highlighted.
TEST_F(AlarmWindow, TheChannelFollowsTheCurrentRowFromTheKeyboard) {
    open();
    const struct {
        int clicked;
        std::vector<QKeyCombination> keys;
        int channel;
        bool editable;
    } cases[] = {
        {2, {Qt::Key_Down, Qt::Key_Down}, 4, true},
        {4, {Qt::Key_Up}, 3, true},
        {3, {Qt::Key_End}, 3, true},  // End moves along the row only
        {1, {QKeyCombination(Qt::ControlModifier, Qt::Key_End)}, 8, false},
        // Page Up reaches the header row, which is no channel; Down from there is channel 1.
        {8, {Qt::Key_PageUp, Qt::Key_Down}, 1, true},
        // Tab walks the cells and wraps from the last column into the next row.
        {3, {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab}, 4, true},
    };
    for (const auto& c : cases) {
        clickCell(grid, c.clicked, 1);
        for (QKeyCombination key : c.keys) {
            QTest::keyClick(grid, key.key(), key.keyboardModifiers());
        }
        EXPECT_EQ(window->selectedChannel(), c.channel) << c.clicked;
        EXPECT_EQ(title(), QStringLiteral(" Ch. %1 ").arg(c.channel)) << c.clicked;
        EXPECT_EQ(save()->isEnabled(), c.editable) << c.clicked;
    }

    clickCell(grid, 2, 1);
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::mouseClick(save(), Qt::LeftButton);
    run(window->limits());
    EXPECT_EQ(writtenChannels(link.port), std::vector<int>{4});
    EXPECT_EQ(statusOf(*window), txt(kTextDataSaved) + QStringLiteral(" OK"));
}

TEST_F(AlarmWindow, LabelsFitAndTheGroupBoxStaysPutWhileSaving) {
    for (Language lang : {Language::Czech, Language::English}) {
        setLanguage(lang);
        open();
        EXPECT_EQ(cellText(*window, "StringGrid1", 7, 0), QStringLiteral("7. CH*"));
        EXPECT_TRUE(columnFits(grid, 0));
        expectRowsShown(grid);
        clickCell(grid, 1, 1);
        QApplication::processEvents();
        const QRect before = child<QGroupBox>(*window, "GroupBox1")->geometry();
        QTest::mouseClick(save(), Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_TRUE(child<QProgressBar>(*window, "ProgressBar1")->isVisible());
        EXPECT_EQ(child<QGroupBox>(*window, "GroupBox1")->geometry(), before);
        run(window->limits());
        QApplication::processEvents();
        EXPECT_EQ(child<QGroupBox>(*window, "GroupBox1")->geometry(), before);
        window.reset();
    }
    setLanguage(Language::Czech);
}

TEST_F(Windows, AlarmLimitsWarnWhenNoChannelHasAnOutput) {
    TMezAlarmu window(link.port, link.program, {});
    window.show();
    // Every output code read is cleared on its way in.
    link.tamper = [&window](std::vector<std::uint8_t>& a) {
        if (window.limits().state() == READ_CHANNEL && a.size() > 30) {
            a[5 + 16] = 0;
            test::SimLink::reseal(a);
        }
    };
    run(window.limits());
    EXPECT_EQ(scope.prompts.shown.back().text, txt(kTextNoOutputDefined));
}

TEST_F(Windows, MeterLimitsWindowReadsEditsAndWrites) {
    TMezMeridla window(link.port, link.program);
    window.show();
    activate(window);
    QPushButton* save = child<QPushButton>(window, "b_save");
    auto* grid1 = child<QTableWidget>(window, "StringGrid1");
    auto* grid2 = child<QTableWidget>(window, "StringGrid2");
    EXPECT_FALSE(save->isEnabled());
    run(window.limits());
    EXPECT_TRUE(save->isEnabled());
    EXPECT_EQ(cellText(window, "StringGrid1", 0, 0), txt(kTextModeTabLabel));
    EXPECT_EQ(cellText(window, "StringGrid1", 0, 1), QStringLiteral("1207"));
    typeIntoCell(grid2, 5, 1, QStringLiteral("4"));
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_FALSE(save->isEnabled());
    run(window.limits());
    EXPECT_TRUE(save->isEnabled());
    EXPECT_EQ(statusOf(window), txt(kTextDataSaved));
    EXPECT_EQ(link.image.meter.imp_coef_1, 0.25);
    EXPECT_TRUE(scope.prompts.shown.empty());

    // What is wrong with a refused value is said: a bad character by its position, a number
    // the field cannot hold by the range it can.
    auto range = [](int caption) {
        return txt(kTextTheFieldMustHold).arg(txt(caption)).arg(0).arg(65535);
    };
    const struct {
        QTableWidget* grid;
        int row;
        const char* typed;
        QString message;
    } refused[] = {
        {grid1, 0, "1207,5", range(32)},
        {grid1, 0, "65536", range(32)},
        {grid1, 0, "-1", range(32)},
        {grid2, 2, "70000", range(70)},
        {grid2, 3, "12,5",
         txt(kTextBox151) + txt(kTextIntervalP2Sec) + txt(kTextContainsIllegalCharactersPos) +
             QStringLiteral("3. ") + txt(kTextClosingParenthesis)},
    };
    for (const auto& c : refused) {
        const QString before = gridText(c.grid, c.row);
        typeIntoCell(c.grid, c.row, 1, QString::fromLatin1(c.typed));
        scope.prompts.shown.clear();
        link.port.clearWrites();
        QTest::mouseClick(save, Qt::LeftButton);
        ASSERT_EQ(scope.prompts.shown.size(), 1u) << c.typed;
        EXPECT_EQ(scope.prompts.shown[0].text, c.message) << c.typed;
        EXPECT_TRUE(save->isEnabled());
        EXPECT_FALSE(window.limits().running());
        EXPECT_TRUE(link.port.writes().empty());
        typeIntoCell(c.grid, c.row, 1, before);
    }
}

}  // namespace
}  // namespace pelmo
