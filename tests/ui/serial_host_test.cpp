#include "ui/serial_host_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "base/texts.h"
#include "scripted_prompts.h"
#include "sim_link.h"
#include "ui/serial_host_logic.h"

namespace pelmo {
namespace {

// The console on an in-process bus with the simulated station at 251.
class Console : public ::testing::Test {
protected:
    Console() {
        // The console feeds the receive state itself.
        host = std::make_unique<TForm1>(link.program, &link.port);
        host->show();
        QApplication::setActiveWindow(host.get());
    }

    template <typename T>
    T* find(const char* name) const {
        return host->findChild<T*>(QString::fromLatin1(name));
    }
    // Polls the current engine until it has finished its exchange.
    // Polls the link's current engine until it waits no more; the sequence may destroy it in
    // any poll, so it is looked up again each time.
    void drive() {
        for (int i = 0; i < 1000 && link.context.current && link.context.current->waiting(); ++i) {
            sim.advance(kPollIntervalMs);
            link.context.current->poll();
        }
    }

    test::SimLink link;
    test::PromptsScope scope{link.program};
    sim::SimStation* station = link.station;
    InProcessPort& port = link.port;
    sim::InProcessSim& sim = link.sim;
    ReceiveState& rx = link.rx;
    std::unique_ptr<TForm1> host;
};

TEST_F(Console, SetDateReportsTheClockSetting) {
    auto* label = find<QLabel>("lblDateStatus");
    EXPECT_EQ(label->text(), QStringLiteral("Standby"));
    QTest::mouseClick(find<QPushButton>("b_setdate"), Qt::LeftButton);
    for (int step = 0; step < 2; ++step) {
        drive();
    }
    EXPECT_EQ(label->text(), QStringLiteral("OK"));
    ASSERT_GE(port.writes().size(), 2u);
    EXPECT_EQ(port.writes()[1][2], 0x38);  // SET_TIME
}

TEST_F(Console, SetDateWithoutAStationLeavesTheLabelAlone) {
    station->faults().settings().silent = true;
    QTest::mouseClick(find<QPushButton>("b_setdate"), Qt::LeftButton);
    drive();
    EXPECT_EQ(find<QLabel>("lblDateStatus")->text(), QStringLiteral("Standby"));
    EXPECT_EQ(port.writes().size(), 4u);  // COMM and its three repetitions, nothing else
}

TEST_F(Console, CaptureShowsReceivedBytesOnlyWhenSwitchedOn) {
    auto* memo = find<QPlainTextEdit>("Memo1");
    host->writeRequest(COMM);
    sim.advance(1);
    EXPECT_TRUE(memo->toPlainText().isEmpty());
    EXPECT_EQ(rx.length(), 11);  // the receive state gets them all the same
    host->setCapture(true);
    rx.reset();
    host->writeRequest(END_COMM);  // the line is the station's until COMM's answer is due
    sim.advance(25);
    port.service();
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("06"));
    QTest::mouseClick(find<QPushButton>("b_clear"), Qt::LeftButton);
    EXPECT_TRUE(memo->toPlainText().isEmpty());
}

TEST_F(Console, ConnectHandsItsEngineToTheReadSequence) {
    std::unique_ptr<TCommunication> adopted;
    host->setConnectAdopter([&](std::unique_ptr<TCommunication> e) { adopted = std::move(e); });
    QTest::mouseClick(find<QPushButton>("b_connect"), Qt::LeftButton);
    ASSERT_TRUE(adopted);
    EXPECT_EQ(link.context.current, adopted.get());
    EXPECT_EQ(adopted->request(), COMM);
    // While the read runs on it, neither button can start a second exchange.
    const std::size_t written = port.writes().size();
    for (const char* button : {"b_send", "b_connect"}) {
        EXPECT_FALSE(find<QPushButton>(button)->isEnabled()) << button;
        QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton);
    }
    sim.advance(25);
    port.service();
    EXPECT_EQ(port.writes().size(), written);
    adopted.reset();
    EXPECT_TRUE(find<QPushButton>("b_send")->isEnabled());
}

TEST_F(Console, TextCodesSwitchPrefixesEveryText) {
    find<QCheckBox>("ch_codes")->setChecked(true);
    EXPECT_TRUE(txt(kTextInitializingConnection).startsWith(QStringLiteral("118:  ")));
    find<QCheckBox>("ch_codes")->setChecked(false);
    EXPECT_FALSE(txt(kTextInitializingConnection).startsWith(QStringLiteral("118")));
}

TEST_F(Console, BusHealthTableFollowsTheFiguresAndTheLanguage) {
    BusStatistics statistics;
    link.context.statistics = &statistics;
    statistics.exchangeStarted(17);
    statistics.answered(17, 40);
    statistics.answered(17, 60);
    statistics.exchangeStarted(3);
    statistics.attemptFailed(3, true);
    host->refreshBusHealth();
    auto* grid = find<QTableWidget>("g_busHealth");
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("3"));
    EXPECT_EQ(grid->item(0, 4)->text(), QStringLiteral("1"));
    EXPECT_EQ(grid->item(1, 5)->text(), QStringLiteral("50,0"));
    EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), txt(kTextRepetitions));
    setLanguage(Language::English);
    host->refreshBusHealth();
    EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), QStringLiteral("Repetitions"));
    EXPECT_EQ(grid->item(1, 5)->text(), QStringLiteral("50.0"));
    setLanguage(Language::Czech);

    // At its first size the window shows four stations whole, and the table can be reset.
    for (int address = 20; address < 24; ++address) {
        statistics.exchangeStarted(address);
    }
    host->refreshBusHealth();
    QCoreApplication::processEvents();
    const int rowHeight = grid->rowHeight(0);
    EXPECT_GE(grid->viewport()->height(), 4 * rowHeight);
    auto* reset = find<QPushButton>("b_clearHealth");
    EXPECT_EQ(reset->text(), txt(kTextResetTable));
    QTest::mouseClick(reset, Qt::LeftButton);
    EXPECT_EQ(grid->rowCount(), 0);
    EXPECT_TRUE(statistics.byAddress().empty());
    EXPECT_FALSE(reset->isEnabled());
    link.context.statistics = nullptr;
}

TEST(PortNames, NumberFromTheFourthCharacter) {
    EXPECT_EQ(portNumberFromName(QStringLiteral("COM3")), 3);
    EXPECT_EQ(portNumberFromName(QStringLiteral("COM12")), 12);
    EXPECT_EQ(portNumberFromName(QStringLiteral("CO")), 0);
    EXPECT_EQ(portNumberFromName(QStringLiteral("ttyUSB0")), -1);
}

TEST(TrafficLogFormat, NonPrintableBytesInHexadecimal) {
    const std::uint8_t bytes[] = {0x01, 'A', 0x20, 0x7F, 0xF8};
    EXPECT_EQ(TrafficLog::format(bytes, TrafficLog::Mode::Printable),
              QStringLiteral("<01>A <7F><F8>"));
    EXPECT_EQ(TrafficLog::format(bytes, TrafficLog::Mode::AllHex),
              QStringLiteral("<01><41><20><7F><F8>"));
}

}  // namespace
}  // namespace pelmo
