#pragma once

#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

#include "link/station_sequence.h"
#include "monitoring/live_values.h"

namespace pelmo {

class Prompts;
class StationPort;

// What the live tracking shows; the tracking view implements it with widgets, the
// command-line tool by printing.
class LiveTrackerView {
public:
    virtual ~LiveTrackerView() = default;

    virtual void liveStatus(const QString& text) = 0;
    // A new record was appended; `index` is its place in the record list.
    virtual void liveRecord(const LiveRecord& record, int index) = 0;
    // Six polls in a row went unanswered; the link is being opened again.
    virtual void liveConnectionLost() = 0;
    virtual void liveTrafficNote(const QString& line) = 0;
    // The record could not be kept (out of memory); the error box and closing follow.
    virtual void liveFailed(const QString& message) = 0;
};

// Follows a station: COMM, then once a second READ_LIVE sent without waiting, its answer
// looked for at the next tick. One record per distinct station time.
class LiveTracker final : public StationSequence {
public:
    static constexpr int kTickMs = 1000;
    static constexpr int kFailedPollLimit = 6;

    LiveTracker(StationPort& port, LinkContext& link, Prompts& prompts, LiveTrackerView& view);
    ~LiveTracker() override;

    // Opens the link with COMM; the poll starts when it is answered.
    void start();
    // One poll tick; the timer calls it every second, tests call it directly.
    void tick();
    // Stops the poll and ends the link with END_COMM; the records stay.
    void stop();
    // Drops the records and gives their memory back.
    void releaseRecords();
    // Without keeping, only the newest record stays (a follower that writes no file).
    void setKeepRecords(bool keep) { keepRecords_ = keep; }
    // Records taken since the start, kept or not.
    std::int64_t taken() const { return taken_; }

    const LiveRecords& records() const { return records_; }
    std::optional<std::uint32_t> startTime() const { return startTime_; }
    std::optional<std::uint32_t> lastTime() const { return lastTime_; }
    int failedPolls() const { return failedPolls_; }
    bool polling() const { return timer_.isActive(); }
    QTimer& timer() { return timer_; }

private:
    void completion(ExchangeResult result) override;
    void openLink();
    bool takeRecord();

    LiveTrackerView& view_;
    QTimer timer_;
    LiveRecords records_;
    std::optional<std::uint32_t> startTime_;
    std::optional<std::uint32_t> lastTime_;
    int failedPolls_ = 0;
    bool keepRecords_ = true;
    std::int64_t taken_ = 0;
};

}  // namespace pelmo
