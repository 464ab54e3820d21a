#pragma once

#include <QString>
#include <memory>

#include "link/station_sequence.h"

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
class StationLocker final : public StationSequence {
public:
    StationLocker(StationPort& port, LinkContext& link, Prompts& prompts, LockView& view);
    ~StationLocker() override;

    void start();
    int step() const { return state_; }

private:
    void completion(ExchangeResult result) override;
    void finish(LockView::Ending ending);

    LockView& view_;
};

}  // namespace pelmo
