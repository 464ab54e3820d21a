#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "link/block_codecs.h"
#include "link/communication.h"
#include "link/request_table.h"
#include "link/serial_port.h"
#include "processes.h"
#include "sim/stationsim_options.h"

namespace pelmo::sim {
namespace {

TEST(StationsimOptions, FaultsGoToThePrecedingAddressOrToEveryStation) {
    const std::vector<std::string> args{"--fault",  "delay=5",  "--address",
                                        "3",        "--locked", "--address=17",
                                        "--serial", "65535",    "--fault=no-answer=READ_METER",
                                        "--fast",   "--log",    "--link",
                                        "/tmp/x"};
    SimulatorOptions o;
    std::string error;
    ASSERT_TRUE(parseSimulatorOptions(args, o, error)) << error;
    ASSERT_EQ(o.stations.size(), 2u);
    EXPECT_EQ(o.everyStation.delayMs, 5);
    EXPECT_TRUE(o.stations[0].faults.locked);
    EXPECT_FALSE(o.stations[1].faults.locked);
    EXPECT_EQ(o.stations[0].serial, 0) << "the default station's serial number";
    EXPECT_EQ(o.stations[1].serial, 65535);
    EXPECT_TRUE(o.stations[1].faults.noAnswer.test(READ_METER));
    EXPECT_TRUE(o.fast && o.log);
    EXPECT_EQ(o.link, "/tmp/x");

    ASSERT_TRUE(parseSimulatorOptions({}, o, error));
    ASSERT_EQ(o.stations.size(), 1u);
    EXPECT_EQ(o.stations[0].address, 251);
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--address", "0"},
                                                {"--address", "252"},
                                                {"--address"},
                                                {"--address", "5", "--address", "5"},
                                                {"--fault", "bogus"},
                                                {"--serial", "5", "--address", "3"},
                                                {"--address", "3", "--serial", "0"},
                                                {"--address", "3", "--serial", "65536"},
                                                {"--address", "3", "--serial", "12x"},
                                                {"--fast=1"},
                                                {"-x"}}) {
        EXPECT_FALSE(parseSimulatorOptions(bad, o, error)) << bad.front();
    }
}

// The real program on its pseudo-terminal, talked to through the program's serial port.
class StationsimProcess : public ::testing::Test {
protected:
    void start(const QStringList& args) {
        device = test::startAndReadDevice(sim, QStringLiteral(STATIONSIM_PATH), args);
        ASSERT_TRUE(device.startsWith(QStringLiteral("/dev/"))) << device.toStdString();
        port.setDevice(device);
        port.setReceiveHandler([this](std::span<const std::uint8_t> b) { rx.append(b); });
        link.build.image = &image;
        link.tx = &tx;
        link.rx = &rx;
        engine = std::make_unique<TCommunication>(
            [this](ExchangeResult r) { done = r == ExchangeResult::Failed; }, nullptr, port, link);
    }

    void TearDown() override {
        engine.reset();
        port.close();
        if (sim.state() != QProcess::NotRunning) {
            sim.terminate();  // SIGTERM: the simulator must stop cleanly
            EXPECT_TRUE(sim.waitForFinished(5000));
            EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(sim.exitCode(), 0);
        }
    }

    // One exchange with the engine's own repeat rules: a poll every 20 ms, and in between
    // the serial port's events, waiting for them rather than sleeping.
    bool exchange(int id) {
        done.reset();
        engine->send(static_cast<Request>(id), tableExpectation(static_cast<Request>(id)));
        const QDeadlineTimer deadline(10000);
        QElapsedTimer sincePoll;
        sincePoll.start();
        while (!done && !deadline.hasExpired()) {
            const qint64 left = kPollIntervalMs - sincePoll.elapsed();
            if (left > 0) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents,
                                                static_cast<int>(left));
                continue;
            }
            sincePoll.restart();
            engine->poll();
        }
        if (done == 0) {
            engine->acknowledge();
        }
        return done == 0;
    }

    QProcess sim;
    QString device;
    SerialStationPort port;
    StationImage image;
    TxBuffer tx{};
    ReceiveState rx;
    LinkContext link;
    std::unique_ptr<TCommunication> engine;
    std::optional<int> done;
};

TEST_F(StationsimProcess, TwoStationsAnswerThroughTheSerialPort) {
    QTemporaryDir dir;
    const QString linkPath = dir.filePath(QStringLiteral("ttySIM"));
    start({"--fast", "--address", "251", "--address", "7", "--locked", "--link", linkPath});
    EXPECT_EQ(QFileInfo(linkPath).symLinkTarget(), device);

    image.bus_address = 251;
    ASSERT_TRUE(exchange(COMM));
    ASSERT_TRUE(exchange(READ_STATUS));
    EXPECT_EQ(rx.length(), 27);
    ASSERT_TRUE(exchange(READ_CMOS));
    decodeCmos(rx.bytes(), image.cmos_raw_identity, image.cmos);
    EXPECT_FALSE(image.cmos.locked);
    ASSERT_TRUE(exchange(END_COMM));

    image.bus_address = 7;
    ASSERT_TRUE(exchange(COMM));
    ASSERT_TRUE(exchange(READ_CMOS));
    decodeCmos(rx.bytes(), image.cmos_raw_identity, image.cmos);
    EXPECT_TRUE(image.cmos.locked);
    ASSERT_TRUE(exchange(READ_STATION));
    decodeStation(rx.bytes(), image.station);
    EXPECT_EQ(image.station.net_address, 7);
    EXPECT_EQ(image.station.name, "Kotelna Jih");

    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(linkPath));
}

// Requests and answers both take their wire time, so what --timing reports can never beat
// the line: every byte's ten bit times at 9600 Bd lie between the first request byte and the
// last answer byte.
TEST_F(StationsimProcess, TheLineRunsAtNineThousandSixHundredBaudBothWays) {
    start({"--timing"});
    image.bus_address = 251;
    long long requestBytes = 0;
    for (int id : {COMM, READ_STATION, END_COMM}) {
        requestBytes += buildRequest(tx, id, link.build).length + 1;  // and its acknowledgement
        ASSERT_TRUE(exchange(id));
    }
    // The last acknowledgement waits for the line's turnaround; it must be out first.
    const QDeadlineTimer flushed(2000);
    while (port.holding() && !flushed.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
    }
    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(5000));
    const QString err = QString::fromLocal8Bit(sim.readAllStandardError());
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("timing: request_bytes=(\\d+) answer_bytes=(\\d+) "
                                          "answers=(\\d+) waits=(\\d+) span_us=(\\d+)"))
            .match(err);
    ASSERT_TRUE(m.hasMatch()) << err.toStdString();
    EXPECT_EQ(m.captured(1).toLongLong(), requestBytes);
    EXPECT_EQ(m.captured(2).toLongLong(), 11 + 99 + 1);
    EXPECT_EQ(m.captured(3).toInt(), 3);
    // The host wrote again after each answer (its acknowledgement at least).
    EXPECT_EQ(m.captured(4).toInt(), 3);
    const long long wireUs = (requestBytes + 111) * 10 * 1000000 / 9600;
    EXPECT_GE(m.captured(5).toLongLong(), wireUs);
}

}  // namespace
}  // namespace pelmo::sim
