#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "sim/default_station.h"
#include "sim/sim_faults.h"

namespace pelmo::sim {

// The PC's time as a station time code (seconds since 1980-01-01 local time). Injected so
// that tests run on a clock they move themselves.
using SimClock = std::function<std::uint32_t()>;
SimClock systemClock();

// Buffer bytes carried by one SEND_BLOCK answer and message records by one READ_MESSAGES
// answer; both keep every answer well inside the host's 256-byte receive buffer.
inline constexpr std::size_t kMonitoringBlockBytes = 200;
inline constexpr std::size_t kMessagesPerBlock = 8;

// Values of a flying measurement, in the order the station reports them.
using FlyResults = std::array<float, 10>;

// One simulated station: its configuration blocks exactly as last written, its lock, clock,
// measured data and faults. It sees only requests that reached it through the bus (framed,
// trailer checked, addressed to it) and returns the bytes it sends back.
class SimStation {
public:
    SimStation(int address, SimClock clock);
    SimStation(int address, SimClock clock, const StationContent& content);

    int address() const { return address_; }
    std::uint32_t now() const;
    FaultInjector& faults() { return faults_; }
    const FaultInjector& faults() const { return faults_; }
    // Adds the faults of a parsed fault list; `locked` locks the station at once.
    void addFaults(const FaultSettings& settings);

    // The answer to request `id` (the whole request datagram is given), or nothing when the
    // station has nothing to say to it.
    std::optional<std::vector<std::uint8_t>> answer(int id, std::span<const std::uint8_t> request);
    // Renames the station (the text READ_STATION carries), so that stations on one bus
    // can be told apart.
    void setName(const std::string& name);
    // The host's 06h after an answer: lets block transfers move on.
    void acknowledged() { last_.acked = true; }
    void sessionStarted();
    void sessionEnded();

    // Payloads as READ_CMOS, READ_METER, READ_CHANNEL and READ_STATION carry them.
    const std::vector<std::uint8_t>& cmosBlock() const { return cmos_; }
    const std::vector<std::uint8_t>& meterBlock() const { return meter_; }
    const std::vector<std::uint8_t>& channelBlock(int n) const;
    const std::vector<std::uint8_t>& stationBlock() const { return station_; }
    bool locked() const;
    bool measuring() const { return measuring_; }
    const std::vector<MessageRecord>& messages() const { return messages_; }
    // Samples channel n holds now (what STAV_MER announces).
    int sampleCount(int n) const;
    // Buffer of channel n as a transfer would deliver it: header, then the samples.
    std::vector<std::uint8_t> monitoring(int n) const;
    // Quantities 1..15 of archive `number` and its time stamp; false for no such archive.
    bool archiveRecord(int number, std::array<float, kQuantityCount>& values,
                       std::uint32_t& stamp) const;
    std::array<std::uint16_t, kChannelCount> liveRaw() const;
    FlyResults flyResults() const;

private:
    struct LastAnswer {
        int id = -1;
        bool acked = false;
        bool more = false;
        int channel = 0;
        std::size_t block = 0;  // message block index
        std::size_t offset = 0;
        std::size_t length = 0;
    };

    void load(const StationContent& content);
    std::optional<std::vector<std::uint8_t>> configure(int id, std::span<const std::uint8_t> rq);
    std::optional<std::vector<std::uint8_t>> report(int id, std::span<const std::uint8_t> rq);
    void erase();
    void restartMeasuring();
    void logMessage(std::uint8_t type);
    std::size_t messageCapacity() const;
    bool channelInUse(int n, definice_PV_rec& s, definice_PV_udaj_rec& d) const;
    std::array<float, kQuantityCount> countersAt(std::uint32_t t) const;

    std::vector<std::uint8_t> status() const;
    std::vector<std::uint8_t> registers() const;
    std::optional<std::vector<std::uint8_t>> archiveInfo(int number) const;
    std::optional<std::vector<std::uint8_t>> archiveData(int number) const;
    std::vector<std::uint8_t> messageBlock();
    std::vector<std::uint8_t> monitoringStatus() const;
    std::optional<std::vector<std::uint8_t>> monitoringBlock(int channel);
    std::vector<std::uint8_t> live() const;
    std::vector<std::uint8_t> maximum() const;
    std::vector<std::uint8_t> flyAnswer() const;
    bool flySet(std::span<const std::uint8_t> rq);
    FlyResults flyOver(int band, std::uint32_t from, std::uint32_t to) const;

    int address_;
    SimClock clock_;
    std::int64_t clockOffset_ = 0;
    FaultInjector faults_;

    std::vector<std::uint8_t> cmos_;
    std::vector<std::uint8_t> meter_;
    std::array<std::vector<std::uint8_t>, kChannelCount> channels_;
    std::vector<std::uint8_t> station_;

    std::array<ArchiveLabel, kQuantityCount> archiveLabels_;
    std::vector<MessageRecord> messages_;
    bool measuring_ = true;
    std::uint32_t meteringSince_ = 0;
    std::uint32_t lastProgrammed_ = 0;
    std::uint32_t partialSince_ = 0;
    std::uint32_t monitoringSince_ = 0;
    std::uint32_t maximumTime_ = 0;
    float maximumValue_ = 0.0f;

    struct Fly {
        int band = 1;
        int count = 1;
        std::uint32_t start = 0;
        std::optional<FlyResults> carried;  // results kept when the buffer was not cleared
    } fly_;

    LastAnswer last_;
    bool transferOpen_ = false;
    std::vector<std::uint8_t> sending_;  // snapshot of the buffer or log being sent
    bool shortBufferDone_ = false;
};

// 06h, then 01h, b2, b3, the payload length, the payload and SUM/XOR over the datagram.
std::vector<std::uint8_t> datagramAnswer(std::uint8_t b2, std::uint8_t b3,
                                         std::span<const std::uint8_t> payload);
// 06h, a status byte, the data length, the data and SUM/XOR over everything after 06h.
std::vector<std::uint8_t> continuationAnswer(std::uint8_t status,
                                             std::span<const std::uint8_t> data);

}  // namespace pelmo::sim
