#include "operations/channel_upload.h"

#include "base/prompts.h"
#include "base/texts.h"
#include "link/block_codecs.h"

namespace pelmo {

namespace {
constexpr int kStepsPerAnswer = kUploadSteps / 4;
constexpr int kCmosAnswerLength = 45;
}  // namespace

ChannelUpload::ChannelUpload(StationPort& port, LinkContext& link, Prompts* prompts,
                             ChannelUploadView& view)
    : port_(port), link_(link), prompts_(prompts), view_(view) {}

ChannelUpload::~ChannelUpload() = default;

StationImage& ChannelUpload::image() const {
    return link_.build.image ? *link_.build.image : station();
}

Prompts& ChannelUpload::prompter() const {
    return prompts_ ? *prompts_ : prompts();
}

void ChannelUpload::start(int channel) {
    if (engine_ || channel < 1 || channel > kChannelCount) {
        return;
    }
    channel_ = channel;
    view_.uploadStatus(txt(118));
    view_.uploadProgress(0);
    engine_ = std::make_unique<TCommunication>([this](int, int failed) { completion(failed); },
                                               nullptr, kMessageFinished, port_, link_);
    TCommunication::setCurrent(engine_.get());
    next(COMM, 11, kModeExact);
}

void ChannelUpload::next(int request, int expected, int mode) {
    state_ = request;
    engine_->send(request, expected, mode, false);
}

void ChannelUpload::finish() {
    state_ = kFinished;
    if (engine_) {
        engine_->close();
        engine_.reset();
    }
    view_.uploadEnded();
}

void ChannelUpload::completion(int failed) {
    if (!engine_) {
        return;
    }
    if (failed) {
        finish();
        view_.uploadStatus(txt(136));
        prompter().error(txt(136));
        return;
    }
    engine_->acknowledge();
    StationImage& img = image();
    switch (state_) {
        case COMM:
            view_.uploadProgress(kStepsPerAnswer);
            view_.uploadStatus(txt(205));
            next(READ_CMOS, kCmosAnswerLength, kModeExact);
            break;
        case READ_CMOS: {
            view_.uploadProgress(2 * kStepsPerAnswer);
            view_.uploadStatus(txt(120));
            const auto answer = link_.rx->bytes();
            if (answer.size() < static_cast<std::size_t>(kCmosAnswerLength)) {
                finish();
                reportGeneralError(prompter(), " 1.1: CMOS");
                view_.closeEditor();
                return;
            }
            decodeCmos(answer, img.cmos_raw_identity, img.cmos);
            if (img.cmos.locked) {
                finish();
                prompter().warning(txt(206));
                return;
            }
            next(READ_STATUS, 27, kModeExact);
            break;
        }
        case READ_STATUS:
            view_.uploadProgress(3 * kStepsPerAnswer);
            img.current_index = static_cast<std::uint16_t>(channel_);
            view_.uploadStatus(txt(122) + QString::number(channel_));
            next(WRITE_CHANNEL, 0, kModeAck);
            break;
        case WRITE_CHANNEL:
            view_.uploadProgress(kUploadSteps);
            view_.uploadStatus(txt(122) + QString::number(channel_));
            view_.uploadStatus(txt(225));
            finish();
            break;
        default:
            break;
    }
}

}  // namespace pelmo
