#pragma once

#include <QString>
#include <memory>

#include "link/communication.h"

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
class StationReader {
public:
    static constexpr int kFinished = 17;

    // With no prompts given, the program's prompts at the time of each message.
    StationReader(StationPort& port, LinkContext& link, Prompts* prompts, StationReadView& view);
    ~StationReader();

    void start();
    // "Přerušit": the engine goes at once, nothing more is sent.
    void interrupt();
    // An engine started elsewhere (the console's Connect) whose answer this sequence
    // handles in the state its last read left.
    void adopt(std::unique_ptr<TCommunication> engine);
    void completion(int failed);

    int state() const { return state_; }
    bool running() const { return engine_ != nullptr && state_ != kFinished && state_ != 0; }
    TCommunication* engine() const { return engine_.get(); }

private:
    StationImage& image() const;
    void next(int request, int expected, int mode);
    void finishEngine();
    void fail();
    Prompts& prompter() const;

    StationPort& port_;
    LinkContext& link_;
    Prompts* prompts_;
    StationReadView& view_;
    std::unique_ptr<TCommunication> engine_;
    int state_ = 0;
};

}  // namespace pelmo
