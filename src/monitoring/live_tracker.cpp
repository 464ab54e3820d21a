#include "monitoring/live_tracker.h"

#include <new>

#include "base/texts.h"

namespace pelmo {

LiveTracker::LiveTracker(StationPort& port, LinkContext& link, Prompts& prompts,
                         LiveTrackerView& view)
    : StationSequence(port, link, prompts), view_(view) {
    timer_.setInterval(kTickMs);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { tick(); });
}

LiveTracker::~LiveTracker() {
    stop();
}

void LiveTracker::start() {
    failedPolls_ = 0;
    begin();
    openLink();
}

void LiveTracker::openLink() {
    send(COMM);
}

void LiveTracker::completion(ExchangeResult result) {
    if (!engine_) {
        return;
    }
    if (result == ExchangeResult::Failed) {
        // The ticks go on and try again. When the very first COMM went unanswered nothing
        // ticks yet: the tracker would sit silent with the operator waiting for data.
        if (!timer_.isActive()) {
            view_.liveStatus(txt(kTextErrorConnectiongToDevice));
            view_.liveConnectionLost();
            timer_.start();
        }
        return;
    }
    acknowledge();
    if (!timer_.isActive()) {
        timer_.start();
    }
}

void LiveTracker::stop() {
    timer_.stop();
    closeEngine();
}

void LiveTracker::releaseRecords() {
    LiveRecords().swap(records_);
}

void LiveTracker::tick() {
    // While COMM opens the link again the bus is the engine's: a READ_LIVE sent now would
    // collide with its answer. The ticks go on and take over once it is answered or given up.
    if (!engine_ || engine_->waiting()) {
        return;
    }
    engine_->servicePort();
    view_.liveStatus(txt(kTextDataRefreshEllipsis));
    if (liveAnswerVerifies(answer())) {
        failedPolls_ = 0;
        if (!takeRecord()) {
            stop();
            return;
        }
        engine_->reset(true);
        view_.liveTrafficNote(QStringLiteral("|SLEDdat2"));
        view_.liveStatus(txt(kTextDataRefreshEllipsis) + QStringLiteral("OK"));
        acknowledge();
        engine_->sendWithoutWaiting(READ_LIVE);
        return;
    }
    if (++failedPolls_ < kFailedPollLimit) {
        engine_->reset(false);
        engine_->sendWithoutWaiting(READ_LIVE);
        return;
    }
    view_.liveStatus(txt(kTextErrorConnectiongToDevice));
    view_.liveConnectionLost();
    failedPolls_ = 0;
    openLink();
}

bool LiveTracker::takeRecord() {
    const std::optional<LiveRecord> record = decodeLiveAnswer(answer());
    if (!record) {
        return true;
    }
    if (!startTime_) {
        startTime_ = record->time;
    }
    if (lastTime_ == record->time) {
        return true;
    }
    lastTime_ = record->time;
    try {
        if (!keepRecords_) {
            records_.clear();
        }
        records_.push_back(*record);
        ++taken_;
    } catch (const std::bad_alloc&) {
        view_.liveFailed(txt(kTextNotEnoughMemory));
        return false;
    }
    view_.liveRecord(*record, static_cast<int>(records_.size()) - 1);
    return true;
}

}  // namespace pelmo
