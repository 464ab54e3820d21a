#pragma once

#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <span>

#include "files/monitoring_file.h"
#include "link/station_sequence.h"

namespace pelmo {

class Prompts;
class StationPort;

// The STAV_MER answer: station time, second word and each channel's sample count (words at
// 27 + 8 * (channel - 1)). False when the answer is shorter than its 87 bytes.
[[nodiscard]] bool decodeMonitoringStatus(std::span<const std::uint8_t> answer,
                                          MonitoringStatus& status);

// One SEND_BLOCK answer: the first block has its flags at 2, its length L at 4 and data at
// 6..4+L; a further block its flags at 1, L at 2 and data at 3..2+L. Nothing when L is 0 in
// a first block or the data would run into the trailer or past the answer.
struct MonitoringBlock {
    bool more = false;
    std::span<const std::uint8_t> data;
    int counted = 0;  // L, what the progress gauge advances by
};
std::optional<MonitoringBlock> monitoringBlock(std::span<const std::uint8_t> answer, bool first);

// What the monitoring transfer shows; TMonSplash implements it with widgets, the
// command-line tool by printing.
class MonTransferView {
public:
    virtual ~MonTransferView() = default;

    virtual void transferStatus(const QString& text) = 0;  // the window's own status bar
    // Panel 0 and panel 1 of the data tracking view's status bar.
    virtual void viewStatus(const QString& text) = 0;
    virtual void viewSource(const QString& text) = 0;
    virtual void expectedCounts(const std::array<std::uint16_t, kChannelCount>& counts) = 0;
    virtual void receivedCount(int channel, int samples) = 0;
    virtual void gaugeMaximum(int maximum) = 0;
    virtual void gauge(int position) = 0;
    // A line for the debug console's traffic log.
    virtual void trafficNote(const QString& line) = 0;
    // The window closes; `dataReady` tells whether the samples may be shown.
    virtual void transferEnded(bool dataReady) = 0;
};

// Copies the station's monitoring buffers: COMM, STAV_MER, START_PRENOS, then SEND_BLOCK
// per block and channel (channels holding no samples are skipped), STOP_PRENOS. A channel
// whose buffer comes out shorter than announced is emptied and fetched again after
// STOP_PRENOS and START_PRENOS, at most kMaxRepairs times.
class MonTransfer final : public StationSequence {
public:
    static constexpr int kMaxRepairs = 5;
    // No channel can hold more than a 16-bit count of samples.
    static constexpr std::size_t kMaxListBytes = kSampleListHeader + 65535;

    MonTransfer(StationPort& port, LinkContext& link, Prompts& prompts, MonTransferView& view,
                MonitoringRecording& recording);
    ~MonTransfer() override;

    void start();

    int step() const { return state_; }
    int channel() const { return channel_; }
    bool dataReady() const { return dataReady_; }
    int receivedBytes() const { return received_; }
    int repairs(int channel) const { return repairs_[static_cast<std::size_t>(channel - 1)]; }

private:
    void completion(ExchangeResult result) override;
    void end(bool dataReady);
    void fail();
    void decodeError(const char* tag);
    // Appends the block's data to the current channel's list; false after an error box.
    bool storeBlock(bool& more);
    void channelComplete();
    void sendBlock(bool ackFirst);

    MonTransferView& view_;
    MonitoringRecording& recording_;
    int channel_ = 1;
    bool firstBlock_ = true;
    int received_ = 0;
    bool repairing_ = false;
    bool dataReady_ = false;
    std::array<int, kChannelCount> repairs_{};
};

}  // namespace pelmo
