#pragma once

#include <QString>
#include <memory>

#include "link/station_sequence.h"

namespace pelmo {

class Prompts;
class StationPort;

// What the read sequence shows; the main window implements it with widgets, the
// command-line tool by printing.
class StationReadView {
public:
    virtual ~StationReadView() = default;

    virtual void readStarting() = 0;  // grid cleared, progress shown, menus disabled
    virtual void readStatus(const QString& text) = 0;
    virtual void channelDecoded(int channel) = 0;  // the grid row of a channel in use
    virtual void stationDecoded() = 0;             // name, address, meter and message boxes
    virtual void readCompleted() = 0;
    virtual void readFailed() = 0;  // after the engine was closed; the error box follows
    virtual void readInterrupted() = 0;
};

// Reads a station's whole configuration into the image: COMM, READ_STATUS, READ_CMOS,
// READ_METER, eight READ_CHANNEL and READ_STATION, each answer acknowledged.
class StationReader final : public StationSequence {
public:
    StationReader(StationPort& port, LinkContext& link, Prompts& prompts, StationReadView& view);
    ~StationReader() override;

    void start();
    // "Přerušit": the engine goes at once, nothing more is sent.
    void interrupt();
    // An engine started elsewhere (the console's Connect) whose answer this sequence
    // handles in the state its last read left.
    void adopt(std::unique_ptr<TCommunication> engine) {
        StationSequence::adopt(std::move(engine));
    }

    bool running() const { return engine_ != nullptr && state_ != kFinished && state_ != 0; }

private:
    void completion(ExchangeResult result) override;
    void fail();

    StationReadView& view_;
};

}  // namespace pelmo
