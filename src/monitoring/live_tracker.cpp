#include "monitoring/live_tracker.h"

#include <new>

#include "base/texts.h"

namespace pelmo {

LiveTracker::LiveTracker(StationPort& port, LinkContext& link, LiveTrackerView& view)
    : port_(port), link_(link), view_(view) {
    timer_.setInterval(kTickMs);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { tick(); });
}

LiveTracker::~LiveTracker() {
    stop();
}

void LiveTracker::start() {
    failedPolls_ = 0;
    engine_ = std::make_unique<TCommunication>([this](int, int failed) { completion(failed); },
                                               nullptr, kMessageData, port_, link_);
    TCommunication::setCurrent(engine_.get());
    openLink();
}

void LiveTracker::openLink() {
    engine_->send(COMM, 11, kModeExact, false);
}

void LiveTracker::completion(int failed) {
    if (!engine_) {
        return;
    }
    if (failed) {
        // The ticks go on and try again. When the very first COMM went unanswered nothing
        // ticks yet: the tracker would sit silent with the operator waiting for data.
        if (!timer_.isActive()) {
            view_.liveStatus(txt(136));
            view_.liveConnectionLost();
            timer_.start();
        }
        return;
    }
    engine_->acknowledge();
    if (!timer_.isActive()) {
        timer_.start();
    }
}

void LiveTracker::stop() {
    timer_.stop();
    if (engine_) {
        engine_->close();
        engine_.reset();
    }
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
    view_.liveStatus(txt(255));
    if (liveAnswerVerifies(link_.rx->bytes())) {
        failedPolls_ = 0;
        if (!takeRecord()) {
            stop();
            return;
        }
        engine_->reset(true);
        view_.liveTrafficNote(QStringLiteral("|SLEDdat2"));
        view_.liveStatus(txt(255) + QStringLiteral("OK"));
        engine_->acknowledge();
        engine_->sendWithoutWaiting(READ_LIVE);
        return;
    }
    if (++failedPolls_ < kFailedPollLimit) {
        engine_->reset(false);
        engine_->sendWithoutWaiting(READ_LIVE);
        return;
    }
    view_.liveStatus(txt(136));
    view_.liveConnectionLost();
    failedPolls_ = 0;
    openLink();
}

bool LiveTracker::takeRecord() {
    const std::optional<LiveRecord> record = decodeLiveAnswer(link_.rx->bytes());
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
        view_.liveFailed(txt(263));
        return false;
    }
    view_.liveRecord(*record, static_cast<int>(records_.size()) - 1);
    return true;
}

}  // namespace pelmo
