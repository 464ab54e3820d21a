#pragma once

#include <QString>
#include <memory>

#include "link/communication.h"

namespace pelmo {

class Prompts;
class StationPort;

// What the channel upload shows; the channel editor implements it with its status bar and
// progress bar.
class ChannelUploadView {
public:
    virtual ~ChannelUploadView() = default;

    virtual void uploadStatus(const QString& text) = 0;
    // 0..kUploadSteps; the bar is shown from the first call on.
    virtual void uploadProgress(int value) = 0;
    // The chain is over, successfully or not; the bar goes away.
    virtual void uploadEnded() = 0;
    // The CMOS answer could not be decoded: the editor closes.
    virtual void closeEditor() = 0;
};

inline constexpr int kUploadSteps = 60;

// "Do stanice...": sends one channel definition into the station. COMM, READ_CMOS (a
// locked station is refused), READ_STATUS, WRITE_CHANNEL, each answer acknowledged, then
// END_COMM.
class ChannelUpload {
public:
    static constexpr int kFinished = 17;

    // With no prompts given, the program's prompts at the time of each message.
    ChannelUpload(StationPort& port, LinkContext& link, Prompts* prompts, ChannelUploadView& view);
    ~ChannelUpload();

    void start(int channel);
    void completion(int failed);

    bool running() const { return engine_ != nullptr; }
    int state() const { return state_; }
    TCommunication* engine() const { return engine_.get(); }

private:
    StationImage& image() const;
    Prompts& prompter() const;
    void next(int request, int expected, int mode);
    void finish();

    StationPort& port_;
    LinkContext& link_;
    Prompts* prompts_;
    ChannelUploadView& view_;
    std::unique_ptr<TCommunication> engine_;
    int state_ = kFinished;
    int channel_ = 0;
};

}  // namespace pelmo
