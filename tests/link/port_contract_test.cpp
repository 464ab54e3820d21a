#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <cstdlib>
#include <memory>
#include <optional>

#include "base/texts.h"
#include "link/communication.h"
#include "link/in_process_port.h"
#include "link/receive_state.h"
#include "link/serial_port.h"

namespace pelmo {
namespace {

// The far end of a port under test: whatever it is, bytes written by the port must reach
// it, and bytes it sends must reach the receive state.
class InProcessFixture {
public:
    InProcessFixture() {
        port.setPeer([this](std::span<const std::uint8_t> b) {
            farEnd.insert(farEnd.end(), b.begin(), b.end());
        });
    }
    StationPort& subject() { return port; }
    bool available() const { return true; }
    std::vector<std::uint8_t> readFarEnd(std::size_t) { return std::exchange(farEnd, {}); }
    void sendFromFarEnd(const std::vector<std::uint8_t>& b) { port.deliverToHost(b); }
    void pump() {}
    void waitUntilArrived() {}

    InProcessPort port;
    std::vector<std::uint8_t> farEnd;
};

// A QSerialPort on the slave side of a pseudo-terminal; the test holds the master.
class PtyFixture {
public:
    PtyFixture() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            return;
        }
        port.setDevice(QString::fromLocal8Bit(ptsname(master_)));
    }
    ~PtyFixture() {
        port.close();
        if (master_ >= 0) {
            ::close(master_);
        }
    }
    StationPort& subject() { return port; }
    bool available() const { return master_ >= 0; }

    std::vector<std::uint8_t> readFarEnd(std::size_t n) {
        std::vector<std::uint8_t> out;
        const QDeadlineTimer deadline(5000);
        while (out.size() < n && !deadline.hasExpired()) {
            // A block the port holds for the line's turnaround leaves from the event loop.
            QCoreApplication::processEvents();
            pollfd pfd{master_, POLLIN, 0};
            const int ready = ::poll(&pfd, 1, 5);
            if (ready < 0) {
                break;
            }
            if (ready == 0) {
                continue;
            }
            std::uint8_t buf[256];
            const ssize_t got = ::read(master_, buf, sizeof buf);
            if (got <= 0) {
                break;
            }
            out.insert(out.end(), buf, buf + got);
        }
        return out;
    }
    void sendFromFarEnd(const std::vector<std::uint8_t>& b) {
        ASSERT_EQ(::write(master_, b.data(), b.size()), static_cast<ssize_t>(b.size()));
    }
    // Lets the serial port notice arriving bytes: blocks until data is there, no fixed sleep.
    void pump() {
        auto* qport = port.findChild<QSerialPort*>();
        if (qport) {
            qport->waitForReadyRead(2000);
        }
        QCoreApplication::processEvents();
    }

    // Until sent bytes can be read at the port, without running the event loop.
    void waitUntilArrived() {
        // A second descriptor of the same terminal shares its input queue.
        const int probe = ::open(ptsname(master_), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        pollfd pfd{probe, POLLIN, 0};
        ::poll(&pfd, 1, 2000);
        ::close(probe);
    }

    SerialStationPort port;

private:
    int master_ = -1;
};

template <typename F>
class PortContract : public ::testing::Test {
protected:
    PortContract() {
        fixture.subject().setReceiveHandler(
            [this](std::span<const std::uint8_t> b) { rx.append(b); });
    }
    F fixture;
    ReceiveState rx;
};

using Fixtures = ::testing::Types<InProcessFixture, PtyFixture>;
TYPED_TEST_SUITE(PortContract, Fixtures);

TYPED_TEST(PortContract, OpensAtTheFirstWriteAndCarriesBytesBothWays) {
    if (!this->fixture.available()) {
        GTEST_SKIP() << "no pseudo-terminals here";
    }
    StationPort& port = this->fixture.subject();
    EXPECT_FALSE(port.isOpen());
    const std::vector<std::uint8_t> request{0x01, 0x40, 0x0E, 0x4F, 0x4F};
    ASSERT_TRUE(port.write(request));
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(this->fixture.readFarEnd(request.size()), request);

    // Every byte value must pass unchanged (no line discipline in the way).
    std::vector<std::uint8_t> all(256);
    for (std::size_t i = 0; i < all.size(); ++i) {
        all[i] = static_cast<std::uint8_t>(i);
    }
    this->fixture.sendFromFarEnd(all);
    for (int i = 0; i < 50 && this->rx.count() < 256; ++i) {
        this->fixture.pump();
    }
    ASSERT_EQ(this->rx.length(), 256);
    EXPECT_TRUE(std::equal(all.begin(), all.end(), this->rx.bytes().begin()));

    ASSERT_TRUE(port.write(all));
    EXPECT_EQ(this->fixture.readFarEnd(all.size()), all);
}

TYPED_TEST(PortContract, ObserverSeesTrafficInBothDirections) {
    if (!this->fixture.available()) {
        GTEST_SKIP() << "no pseudo-terminals here";
    }
    StationPort& port = this->fixture.subject();
    std::vector<std::pair<bool, std::size_t>> seen;
    port.setTrafficObserver(
        [&](bool out, std::span<const std::uint8_t> b) { seen.emplace_back(out, b.size()); });
    ASSERT_TRUE(port.write(std::vector<std::uint8_t>{0x06}));
    this->fixture.readFarEnd(1);
    this->fixture.sendFromFarEnd({0x06, 0x01});
    for (int i = 0; i < 50 && this->rx.count() < 2; ++i) {
        this->fixture.pump();
    }
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.front(), (std::pair<bool, std::size_t>{true, 1}));
    std::size_t in = 0;
    for (auto [out, n] : seen) {
        in += out ? 0 : n;
    }
    EXPECT_EQ(in, 2u);
}

// A late byte of what went before (here a stray 06h) that reached the port but not yet the
// event loop must be gone with the reset of the next Send, not join its answer.
TYPED_TEST(PortContract, BytesWaitingBeforeASendNeverJoinItsAnswer) {
    if (!this->fixture.available()) {
        GTEST_SKIP() << "no pseudo-terminals here";
    }
    StationPort& port = this->fixture.subject();
    StationImage image;
    image.bus_address = 251;
    TxBuffer tx{};
    LinkContext link;
    link.build.image = &image;
    link.tx = &tx;
    link.rx = &this->rx;
    std::optional<ExchangeResult> done;
    TCommunication engine([&](ExchangeResult result) { done = result; }, nullptr, port, link);
    ASSERT_TRUE(port.write(std::vector<std::uint8_t>{kAckByte}));
    this->fixture.readFarEnd(1);
    this->fixture.sendFromFarEnd({kAckByte});
    this->fixture.waitUntilArrived();

    engine.send(COMM, {11, AnswerMode::Exact, false});
    EXPECT_EQ(this->fixture.readFarEnd(10).size(), 10u);
    this->fixture.sendFromFarEnd(
        {0x06, 0x01, 0x81, 0x0A, 0x04, 0x00, 0x00, 0x00, 0xFB, 0x8B, 0x75});
    for (int i = 0; i < 50 && this->rx.length() < 11; ++i) {
        this->fixture.pump();
    }
    engine.poll();
    EXPECT_EQ(done, ExchangeResult::Verified);
    EXPECT_EQ(this->rx.length(), 11);
}

TEST(SerialPort, AMissingDeviceFailsToOpenAndWriteReportsIt) {
    SerialStationPort port;
    EXPECT_FALSE(port.write(std::vector<std::uint8_t>{0x06}));
    port.setDevice(QStringLiteral("/dev/does-not-exist-pelmo"));
    EXPECT_FALSE(port.open());
    EXPECT_FALSE(port.write(std::vector<std::uint8_t>{0x06}));
    EXPECT_FALSE(port.isOpen());
}

// A port another program holds is named as such, not as a permission error.
TEST(SerialPort, APortHeldElsewhereIsNamedAsBusy) {
    PtyFixture first;
    if (!first.available() || !first.port.open()) {
        GTEST_SKIP() << "no pseudo-terminals here";
    }
    SerialStationPort second;
    second.setDevice(first.port.device());
    ASSERT_FALSE(second.open());
    EXPECT_EQ(second.accessHint(), txt(kTextTheSerialPortIs).arg(first.port.device()));
    first.port.close();
    EXPECT_TRUE(second.open());
    EXPECT_EQ(second.accessHint(), QString());
}

}  // namespace
}  // namespace pelmo
