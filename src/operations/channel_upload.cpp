#include "operations/channel_upload.h"

#include "base/prompts.h"
#include "base/texts.h"
#include "link/block_codecs.h"

namespace pelmo {

namespace {
constexpr int kStepsPerAnswer = kUploadSteps / 4;
}  // namespace

ChannelUpload::ChannelUpload(StationPort& port, LinkContext& link, Prompts& prompts,
                             ChannelUploadView& view)
    : StationSequence(port, link, prompts), view_(view) {
    state_ = kFinished;
}

ChannelUpload::~ChannelUpload() = default;

void ChannelUpload::start(int channel) {
    if (engine_ || channel < 1 || channel > kChannelCount) {
        return;
    }
    channel_ = channel;
    view_.uploadStatus(txt(kTextInitializingConnection));
    view_.uploadProgress(0);
    begin();
    send(COMM);
}

void ChannelUpload::finish() {
    closeAndRelease();
    view_.uploadEnded();
}

void ChannelUpload::completion(ExchangeResult result) {
    if (!engine_) {
        return;
    }
    if (result == ExchangeResult::Failed) {
        finish();
        view_.uploadStatus(txt(kTextErrorConnectiongToDevice));
        reportConnectionError();
        return;
    }
    acknowledge();
    StationImage& img = image();
    switch (state_) {
        case COMM:
            view_.uploadProgress(kStepsPerAnswer);
            view_.uploadStatus(txt(kTextReadingCMOS));
            send(READ_CMOS);
            break;
        case READ_CMOS: {
            view_.uploadProgress(2 * kStepsPerAnswer);
            view_.uploadStatus(txt(kTextRetrievingStationInfo));
            const auto answer = this->answer();
            if (answer.size() < static_cast<std::size_t>(kCmosAnswerLength)) {
                finish();
                reportGeneralError(prompter(), " 1.1: CMOS");
                view_.closeEditor();
                return;
            }
            decodeCmos(answer, img.cmos_raw_identity, img.cmos);
            if (img.cmos.locked) {
                finish();
                prompter().warning(txt(kTextStationIsLockedAnd));
                return;
            }
            send(READ_STATUS);
            break;
        }
        case READ_STATUS:
            view_.uploadProgress(3 * kStepsPerAnswer);
            img.current_index = static_cast<std::uint16_t>(channel_);
            view_.uploadStatus(txt(kTextTransferingCh) + QString::number(channel_));
            send(WRITE_CHANNEL);
            break;
        case WRITE_CHANNEL:
            view_.uploadProgress(kUploadSteps);
            view_.uploadStatus(txt(kTextTransferingCh) + QString::number(channel_));
            view_.uploadStatus(txt(kTextDataSaved));
            finish();
            break;
        default:
            break;
    }
}

}  // namespace pelmo
