#include "operations/station_locker.h"

#include "base/cp1250.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "link/block_codecs.h"

namespace pelmo {

StationLocker::StationLocker(StationPort& port, LinkContext& link, Prompts* prompts, LockView& view)
    : port_(port), link_(link), prompts_(prompts), view_(view) {}

StationLocker::~StationLocker() = default;

StationImage& StationLocker::image() const {
    return link_.build.image ? *link_.build.image : station();
}

Prompts& StationLocker::prompter() const {
    return prompts_ ? *prompts_ : prompts();
}

void StationLocker::send(int request, int expected, int mode) {
    step_ = request;
    engine_->send(request, expected, mode, false);
}

void StationLocker::start() {
    engine_ = std::make_unique<TCommunication>([this](int, int failed) { completion(failed); },
                                               nullptr, kMessageFinished, port_, link_);
    TCommunication::setCurrent(engine_.get());
    send(COMM, 11, kModeExact);
}

void StationLocker::finish(LockView::Ending ending) {
    step_ = kFinished;
    if (engine_) {
        engine_->close();
        engine_.reset();
    }
    view_.lockEnded(ending);
}

void StationLocker::completion(int failed) {
    if (!engine_) {
        return;
    }
    if (failed) {
        step_ = kFinished;
        engine_->close();
        engine_.reset();
        prompter().error(txt(136));
        view_.lockEnded(LockView::Ending::Failed);
        return;
    }
    engine_->acknowledge();
    StationImage& img = image();
    const auto answer = link_.rx->bytes();
    switch (step_) {
        case COMM:
            view_.lockStatus(txt(205));
            send(READ_CMOS, 45, kModeExact);
            break;
        case READ_CMOS:
            decodeCmos(answer, img.cmos_raw_identity, img.cmos);
            view_.lockStatus(txt(120));
            send(READ_STATUS, 27, kModeExact);
            break;
        case READ_STATUS:
            send(READ_STATION, 99, kModeExact);
            break;
        case READ_STATION: {
            decodeStation(answer, img.station);
            view_.stationIdentified();
            if (img.cmos.locked) {
                engine_->stop();
                prompter().warning(txt(209));
                step_ = kFinished;
                engine_.reset();
                view_.lockEnded(LockView::Ending::AlreadyLocked);
                return;
            }
            const QString question = txt(210) + fromCp1250(img.station.name) + txt(211);
            if (!prompter().yesNo(question)) {
                finish(LockView::Ending::Declined);
                return;
            }
            view_.lockStatus(txt(207));
            send(LOCK_STATION, 0, kModeAck);
            break;
        }
        case LOCK_STATION:
            view_.lockStatus(txt(205));
            send(READ_CMOS_CHECK, 45, kModeExact);
            break;
        case READ_CMOS_CHECK:
            decodeCmos(answer, img.cmos_raw_identity, img.cmos);
            view_.lockStatus(img.cmos.locked ? txt(212) : txt(213));
            finish(img.cmos.locked ? LockView::Ending::Locked : LockView::Ending::NotLocked);
            break;
        default:
            break;
    }
}

}  // namespace pelmo
