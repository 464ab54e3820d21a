#pragma once

#include <QString>
#include <memory>

#include "link/communication.h"

namespace pelmo {

class Prompts;
class StationPort;

// What the lock window shows.
class LockView {
public:
    enum class Ending { Locked, NotLocked, AlreadyLocked, Declined, Failed };

    virtual ~LockView() = default;
    virtual void lockStatus(const QString& text) = 0;
    // Name, serial number and address of the station, once its definition was read.
    virtual void stationIdentified() = 0;
    // Locked and NotLocked leave the window open for the operator; the others close it.
    virtual void lockEnded(Ending ending) = 0;
};

// COMM, READ_CMOS, READ_STATUS, READ_STATION, then (confirmed) LOCK_STATION and a
// READ_CMOS_CHECK that must report the station locked; END_COMM at the end.
class StationLocker {
public:
    static constexpr int kFinished = 17;

    StationLocker(StationPort& port, LinkContext& link, Prompts* prompts, LockView& view);
    ~StationLocker();

    void start();
    void completion(int failed);
    int step() const { return step_; }
    TCommunication* engine() const { return engine_.get(); }

private:
    StationImage& image() const;
    Prompts& prompter() const;
    void send(int request, int expected, int mode);
    void finish(LockView::Ending ending);

    StationPort& port_;
    LinkContext& link_;
    Prompts* prompts_;
    LockView& view_;
    std::unique_ptr<TCommunication> engine_;
    int step_ = 0;
};

}  // namespace pelmo
