#include "operations/station_locker.h"

#include "base/cp1250.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "link/block_codecs.h"

namespace pelmo {

StationLocker::StationLocker(StationPort& port, LinkContext& link, Prompts& prompts, LockView& view)
    : StationSequence(port, link, prompts), view_(view) {}

StationLocker::~StationLocker() = default;

void StationLocker::start() {
    begin();
    send(COMM);
}

void StationLocker::finish(LockView::Ending ending) {
    closeAndRelease();
    view_.lockEnded(ending);
}

void StationLocker::completion(ExchangeResult result) {
    if (!engine_) {
        return;
    }
    if (result == ExchangeResult::Failed) {
        closeAndRelease();
        reportConnectionError();
        view_.lockEnded(LockView::Ending::Failed);
        return;
    }
    acknowledge();
    StationImage& img = image();
    const auto answer = this->answer();
    switch (state_) {
        case COMM:
            view_.lockStatus(txt(kTextReadingCMOS));
            send(READ_CMOS);
            break;
        case READ_CMOS:
            decodeCmos(answer, img.cmos_raw_identity, img.cmos);
            view_.lockStatus(txt(kTextRetrievingStationInfo));
            send(READ_STATUS);
            break;
        case READ_STATUS:
            send(READ_STATION);
            break;
        case READ_STATION: {
            decodeStation(answer, img.station);
            view_.stationIdentified();
            if (img.cmos.locked) {
                engine_->stop();
                prompter().warning(txt(kTextUnitIsAlreadyLocked));
                release();
                view_.lockEnded(LockView::Ending::AlreadyLocked);
                return;
            }
            const QString question = txt(kTextAreYouSureWantToLock) + fromCp1250(img.station.name) +
                                     txt(kTextItWillNotBe);
            if (!prompter().yesNo(question)) {
                finish(LockView::Ending::Declined);
                return;
            }
            view_.lockStatus(txt(kTextLockingStation));
            send(LOCK_STATION);
            break;
        }
        case LOCK_STATION:
            view_.lockStatus(txt(kTextReadingCMOS));
            send(READ_CMOS_CHECK);
            break;
        case READ_CMOS_CHECK:
            decodeCmos(answer, img.cmos_raw_identity, img.cmos);
            view_.lockStatus(img.cmos.locked ? txt(kTextUnitLocked) : txt(kTextErrorLockingUnit));
            finish(img.cmos.locked ? LockView::Ending::Locked : LockView::Ending::NotLocked);
            break;
        default:
            break;
    }
}

}  // namespace pelmo
