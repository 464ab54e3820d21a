#pragma once

#include <QString>
#include <memory>

#include "link/station_sequence.h"

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
class ChannelUpload final : public StationSequence {
public:
    ChannelUpload(StationPort& port, LinkContext& link, Prompts& prompts, ChannelUploadView& view);
    ~ChannelUpload() override;

    void start(int channel);

private:
    void completion(ExchangeResult result) override;
    void finish();

    ChannelUploadView& view_;
    int channel_ = 0;
};

}  // namespace pelmo
