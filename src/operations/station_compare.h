#pragma once

#include <QString>
#include <vector>

#include "link/communication.h"
#include "model/station_image.h"
#include "operations/station_diff.h"
#include "operations/station_reader.h"

namespace pelmo {

class Prompts;
class StationPort;

// What the compare shows while it reads the station.
class CompareView {
public:
    virtual ~CompareView() = default;
    virtual void compareStatus(const QString& text) = 0;
    // ok: the station was read and `StationCompare::differences()` holds the result.
    virtual void compareEnded(bool ok) = 0;
};

// Reads the station with the read sequence into an image of its own (the program's image
// stays as it is) and compares it with a configuration loaded from a file.
class StationCompare final : private StationReadView {
public:
    StationCompare(StationPort& port, LinkContext& link, Prompts& prompts, CompareView& view);

    // `file` is the loaded file; `current` gives the bus address the read goes to.
    void start(const StationImage& file, const StationImage& current, bool gas);
    void interrupt() { reader_.interrupt(); }
    bool running() const { return reader_.running(); }
    TCommunication* engine() const { return reader_.engine(); }
    const std::vector<FieldDifference>& differences() const { return differences_; }
    // The configuration read from the station.
    const StationImage& stationRead() const { return station_; }

private:
    void readStarting() override {}
    void readStatus(const QString& text) override { view_.compareStatus(text); }
    void channelDecoded(int) override {}
    void stationDecoded() override {}
    void readCompleted() override;
    void readFailed() override;
    void readInterrupted() override;

    CompareView& view_;
    StationImage station_;
    StationImage file_;
    bool gas_ = false;
    ImageLoan loan_;
    StationReader reader_;
    std::vector<FieldDifference> differences_;
};

}  // namespace pelmo
