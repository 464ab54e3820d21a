#include "operations/station_reader.h"

#include "base/prompts.h"
#include "base/texts.h"
#include "link/block_codecs.h"

namespace pelmo {

StationReader::StationReader(StationPort& port, LinkContext& link, Prompts& prompts,
                             StationReadView& view)
    : StationSequence(port, link, prompts), view_(view) {}

StationReader::~StationReader() = default;

void StationReader::start() {
    StationImage& img = image();
    resetNewStation(img);
    view_.readStarting();
    link_.rx->setCount(0);
    img.station_loaded = false;
    img.current_index = 1;
    state_ = COMM;
    view_.readStatus(txt(kTextInitializingConnection));
    begin();
    send(COMM);
}

void StationReader::interrupt() {
    engine_.reset();
    image().station_loaded = false;
    link_.rx->setCount(0);
    view_.readInterrupted();
    view_.readStatus(txt(kTextStationReadingInterrupted));
}

void StationReader::fail() {
    closeEngine();
    view_.readFailed();
    view_.readStatus(txt(kTextErrorConnectiongToDevice));
    reportConnectionError();
}

void StationReader::completion(ExchangeResult result) {
    if (!engine_) {
        return;
    }
    if (result == ExchangeResult::Failed) {
        fail();
        return;
    }
    StationImage& img = image();
    const auto answer = this->answer();
    switch (state_) {
        case COMM:
            acknowledge();
            view_.readStatus(txt(kTextRetrievingStationInfo));
            send(READ_STATUS);
            break;
        case READ_STATUS:
            acknowledge();
            view_.readStatus(txt(kTextRetrievingMeterData));
            send(READ_CMOS);
            break;
        case READ_CMOS:
            acknowledge();
            view_.readStatus(txt(kTextRetrievingMeterData));
            decodeCmos(answer, img.cmos_raw_identity, img.cmos);
            send(READ_METER);
            break;
        case READ_METER:
            acknowledge();
            view_.readStatus(txt(kTextRetrievingChannelCh) + QString::number(img.current_index));
            decodeMeter(answer, img.meter);
            send(READ_CHANNEL);
            break;
        case READ_CHANNEL: {
            acknowledge();
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
            view_.readStatus(txt(kTextRetrievingChannelCh) + QString::number(n));
            if (img.current_index <= kChannelCount) {
                send(READ_CHANNEL);
            } else {
                view_.readStatus(txt(kTextRetrievingStationData));
                send(READ_STATION);
            }
            break;
        }
        case READ_STATION:
            acknowledge();
            decodeStation(answer, img.station);
            view_.stationDecoded();
            view_.readStatus(txt(kTextDataLoaded));
            img.station_loaded = true;
            state_ = kFinished;
            view_.readCompleted();
            break;
        default:
            break;
    }
    if (state_ == kFinished) {
        closeEngine();
    }
}

}  // namespace pelmo
