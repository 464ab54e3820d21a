#include "operations/station_reader.h"

#include "base/prompts.h"
#include "base/texts.h"
#include "link/block_codecs.h"

namespace pelmo {

StationReader::StationReader(StationPort& port, LinkContext& link, Prompts* prompts,
                             StationReadView& view)
    : port_(port), link_(link), prompts_(prompts), view_(view) {}

StationReader::~StationReader() = default;

Prompts& StationReader::prompter() const {
    return prompts_ ? *prompts_ : prompts();
}

StationImage& StationReader::image() const {
    return link_.build.image ? *link_.build.image : station();
}

void StationReader::start() {
    StationImage& img = image();
    resetNewStation(img);
    view_.readStarting();
    link_.rx->setCount(0);
    img.station_loaded = false;
    img.current_index = 1;
    state_ = COMM;
    view_.readStatus(txt(118));
    engine_ = std::make_unique<TCommunication>([this](int, int failed) { completion(failed); },
                                               nullptr, kMessageFinished, port_, link_);
    TCommunication::setCurrent(engine_.get());
    engine_->send(COMM, 11, kModeExact, false);
}

void StationReader::adopt(std::unique_ptr<TCommunication> engine) {
    engine_ = std::move(engine);
    engine_->setWindow([this](int, int failed) { completion(failed); });
}

void StationReader::interrupt() {
    engine_.reset();
    image().station_loaded = false;
    link_.rx->setCount(0);
    view_.readInterrupted();
    view_.readStatus(txt(189));
}

void StationReader::next(int request, int expected, int mode) {
    state_ = request;
    engine_->send(request, expected, mode, false);
}

void StationReader::finishEngine() {
    if (engine_) {
        engine_->close();
        engine_.reset();
    }
}

void StationReader::fail() {
    finishEngine();
    view_.readFailed();
    view_.readStatus(txt(136));
    prompter().error(txt(136));
}

void StationReader::completion(int failed) {
    if (!engine_) {
        return;
    }
    if (failed) {
        fail();
        return;
    }
    StationImage& img = image();
    const auto answer = link_.rx->bytes();
    switch (state_) {
        case COMM:
            engine_->acknowledge();
            view_.readStatus(txt(120));
            next(READ_STATUS, 27, kModeExact);
            break;
        case READ_STATUS:
            engine_->acknowledge();
            view_.readStatus(txt(138));
            next(READ_CMOS, 45, kModeExact);
            break;
        case READ_CMOS:
            engine_->acknowledge();
            view_.readStatus(txt(138));
            decodeCmos(answer, img.cmos_raw_identity, img.cmos);
            next(READ_METER, 93, kModeExact);
            break;
        case READ_METER:
            engine_->acknowledge();
            view_.readStatus(txt(139) + QString::number(img.current_index));
            decodeMeter(answer, img.meter);
            next(READ_CHANNEL, 10, kModeAtLeast);
            break;
        case READ_CHANNEL: {
            engine_->acknowledge();
            const int n = img.current_index;
            if (n >= 1 && n <= kChannelCount) {
                if (decodeChannel(answer, img.cmos, img.channel(n), img.channelData(n))) {
                    if (img.channel(n).in_use) {
                        view_.channelDecoded(n);
                    }
                } else {
                    reportGeneralError(prompter(), " 1.2: Definice meridla");
                }
            }
            ++img.current_index;
            view_.readStatus(txt(139) + QString::number(n));
            if (img.current_index <= kChannelCount) {
                next(READ_CHANNEL, 10, kModeAtLeast);
            } else {
                view_.readStatus(txt(140));
                next(READ_STATION, 99, kModeExact);
            }
            break;
        }
        case READ_STATION:
            engine_->acknowledge();
            decodeStation(answer, img.station);
            view_.stationDecoded();
            view_.readStatus(txt(141));
            img.station_loaded = true;
            state_ = kFinished;
            view_.readCompleted();
            break;
        default:
            break;
    }
    if (state_ == kFinished) {
        finishEngine();
    }
}

}  // namespace pelmo
