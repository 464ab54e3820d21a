#include "operations/station_programmer.h"

#include "base/prompts.h"
#include "base/texts.h"
#include "files/archive_file.h"
#include "link/block_codecs.h"
#include "link/status_answer.h"
#include "operations/programming_checks.h"

namespace pelmo {

namespace {
const QString kOk = QStringLiteral("OK");
}  // namespace

StationProgrammer::StationProgrammer(StationPort& port, LinkContext& link, Prompts& prompts,
                                     ProgrammingView& view, Options options)
    : StationSequence(port, link, prompts), view_(view), options_(std::move(options)) {}

StationProgrammer::~StationProgrammer() = default;

int StationProgrammer::dotsRow() const {
    switch (state_) {
        case COMM:
        case READ_STATUS:
            return 1;
        case ERASE_STATION:
            return 2;
        case READ_METER:
        case READ_CHANNEL:
        case READ_STATION:
        case WRITE_STATION:
        case WRITE_METER:
        case WRITE_CHANNEL:
            return 3;
        default:
            return 0;
    }
}

void StationProgrammer::setStatus(const QString& text) {
    status_ = text;
    view_.programmingStatus(status_);
}

void StationProgrammer::appendStatus(const QString& text) {
    setStatus(status_ + text);
}

void StationProgrammer::addGauge(int amount) {
    gauge_ += amount;
    view_.gauge(gauge_);
}

void StationProgrammer::sendStep(Request request) {
    // From here on the station may have lost its configuration, answered or not.
    eraseSent_ = eraseSent_ || request == ERASE_STATION;
    addressSent_ = addressSent_ || request == WRITE_ADDRESS;
    send(request);
}

void StationProgrammer::sendChannel() {
    sendStep(WRITE_CHANNEL);
}

void StationProgrammer::start() {
    // The run keeps its engine to itself and ends without END_COMM.
    begin(Claim::Private);
    view_.clearTrafficLog();
    gauge_ = 0;
    view_.gauge(0);
    image().current_index = 1;
    failures_ = 0;
    eraseSent_ = false;
    addressSent_ = false;
    startAddress_ = image().bus_address;
    setStatus(txt(kTextInitializingConnection));
    sendStep(COMM);
}

int StationProgrammer::answeringAddress() const {
    return addressSent_ ? image().station.net_address : startAddress_;
}

void StationProgrammer::fail() {
    release();
    setStatus(txt(kTextErrorConnectiongToDevice));
    reportConnectionError();
    view_.programmingEnded(ProgrammingView::Ending::Failed);
}

void StationProgrammer::refuse() {
    release();
    view_.programmingEnded(ProgrammingView::Ending::Refused);
}

bool StationProgrammer::countFailure() {
    ++failures_;
    if (failures_ > kMaxCheckFailures) {
        engine_->stop();
        fail();
        return false;
    }
    return true;
}

void StationProgrammer::completion(ExchangeResult result) {
    if (!engine_) {
        return;
    }
    if (result == ExchangeResult::Failed) {
        // Four unanswered WRITE_ADDRESS: the station heard none of them and stayed put (once
        // moved it would have answered the repetitions in its session).
        if (state_ == WRITE_ADDRESS) {
            addressSent_ = false;
        }
        fail();
        return;
    }
    acknowledge();
    switch (state_) {
        case COMM:
            onComm();
            break;
        case READ_CMOS:
            onCmos();
            break;
        case WRITE_CMOS:
            setStatus(txt(kTextWritingNewCMOSData) + kOk);
            sendStep(READ_STATUS);
            break;
        case READ_STATUS:
            // The station clock is kept as the archive window keeps it; a short answer is
            // not worth stopping the run for.
            if (const auto clock = stationClockFromStatus(answer());
                clock && options_.recordState) {
                setStationClock(*options_.recordState, *clock);
            }
            addGauge(10);
            view_.phaseDone(ProgrammingView::Phase::Initialisation);
            view_.restartDots();
            appendStatus(kOk);
            setStatus(txt(kTextErasingStation));
            sendStep(ERASE_STATION);
            break;
        case ERASE_STATION:
            image().current_index = 1;
            view_.restartDots();
            addGauge(10);
            appendStatus(kOk);
            setStatus(txt(kTextSettingSystemTime));
            view_.phaseDone(ProgrammingView::Phase::Erasing);
            sendStep(SET_TIME);
            break;
        case SET_TIME:
            image().current_index = 1;
            view_.restartDots();
            addGauge(10);
            appendStatus(kOk);
            setStatus(txt(kTextTransferingCh) + QStringLiteral("1"));
            sendChannel();
            break;
        case WRITE_CHANNEL:
            onChannelWritten();
            break;
        case READ_CHANNEL:
            onChannelRead();
            break;
        case WRITE_METER:
            onMeterWritten();
            break;
        case READ_METER:
            onMeterRead();
            break;
        case WRITE_STATION:
            onStationWritten();
            break;
        case READ_STATION:
            onStationRead();
            break;
        case WRITE_ADDRESS:
            setStatus(txt(kTextWritingAddress) + kOk);
            view_.restartDots();
            setStatus(txt(kTextMeasuringRestart));
            sendStep(RESTART_MEASURING);
            break;
        case RESTART_MEASURING:
            onRestarted();
            break;
        default:
            break;
    }
}

void StationProgrammer::onComm() {
    appendStatus(kOk);
    addGauge(10);
    setStatus(txt(kTextReadingCMOS));
    sendStep(READ_CMOS);
}

void StationProgrammer::onCmos() {
    StationImage& img = image();
    decodeCmos(answer(), img.cmos_raw_identity, img.cmos);
    if (img.cmos.locked) {
        engine_->stop();
        prompter().warning(txt(kTextStationIsLockedAnd));
        refuse();
        return;
    }
    const QString path = correctionFilePath(options_.programDir, img.cmos.serial_number);
    const bool restore =
        checkCorrectionFile(path, img, prompter()) == CorrectionCheck::Differs &&
        prompter().askYesNo(Prompts::Kind::Warning, txt(kTextSetupDataDamagedRestore));
    if (restore) {
        setStatus(txt(kTextWritingNewCMOSData));
        sendStep(WRITE_CMOS);
    } else {
        setStatus(txt(kTextRetrievingStationInfo));
        sendStep(READ_STATUS);
    }
}

void StationProgrammer::onChannelWritten() {
    StationImage& img = image();
    const int n = img.current_index;
    view_.transferCaption(QStringLiteral("ch.%1").arg(n));
    setStatus(txt(kTextTransferingCh) + QString::number(n) + QStringLiteral("...OK"));
    if (options_.checking) {
        addGauge(5);
        sendStep(READ_CHANNEL);
    } else if (n < kChannelCount) {
        ++img.current_index;
        addGauge(18);
        sendChannel();
    } else {
        setStatus(txt(kTextTransferingMeterData));
        sendStep(WRITE_METER);
    }
}

void StationProgrammer::onChannelRead() {
    StationImage& img = image();
    const int n = img.current_index;
    definice_PV_rec back;
    definice_PV_udaj_rec backData;
    if (!decodeChannel(answer(), img.cmos, back, backData)) {
        reportGeneralError(prompter(), " 3.3: Prepare_PV");
    }
    if (channelMatches(img.channel(n), img.channelData(n), back, backData)) {
        failures_ = 0;
        addGauge(10);
        setStatus(txt(kTextCheckingCh) + QString::number(n) + QStringLiteral("...OK"));
        ++img.current_index;
    } else {
        setStatus(txt(kTextCheckingCh) + QString::number(n) + QStringLiteral("...") +
                  txt(kTextFailed));
        if (!countFailure()) {
            return;
        }
    }
    if (img.current_index > kChannelCount) {
        setStatus(txt(kTextTransferingMeterData));
        sendStep(WRITE_METER);
    } else {
        sendChannel();
    }
}

void StationProgrammer::onMeterWritten() {
    appendStatus(kOk);
    view_.transferCaption(txt(kTextMeterData));
    if (options_.checking) {
        addGauge(10);
        setStatus(txt(kTextCheckingMeterData));
        sendStep(READ_METER);
    } else {
        setStatus(txt(kTextTransferingStationData));
        addGauge(20);
        sendStep(WRITE_STATION);
    }
}

void StationProgrammer::onMeterRead() {
    definice_meridla_rec back;
    decodeMeter(answer(), back);
    if (meterMatches(image().meter, back)) {
        failures_ = 0;
        setStatus(txt(kTextCheckingMeterData) + kOk);
        addGauge(10);
        setStatus(txt(kTextTransferingStationData));
        sendStep(WRITE_STATION);
        return;
    }
    appendStatus(txt(kTextFailed));
    if (countFailure()) {
        sendStep(WRITE_METER);
    }
}

void StationProgrammer::onStationWritten() {
    view_.transferCaption(txt(kTextStationData));
    if (options_.checking) {
        addGauge(10);
        setStatus(txt(kTextCheckingStationData));
        sendStep(READ_STATION);
    } else {
        addGauge(20);
        view_.transferCaption(kOk);
        setStatus(txt(kTextWritingAddress));
        sendStep(WRITE_ADDRESS);
    }
}

void StationProgrammer::onStationRead() {
    stanice_rec back;
    decodeStation(answer(), back);
    if (stationMatches(image().station, back)) {
        failures_ = 0;
        setStatus(txt(kTextCheckingStationData) + kOk);
        addGauge(10);
        view_.transferCaption(kOk);
        setStatus(txt(kTextWritingAddress));
        sendStep(WRITE_ADDRESS);
        return;
    }
    view_.restartDots();
    appendStatus(txt(kTextFailed));
    if (countFailure()) {
        sendStep(WRITE_STATION);
    }
}

void StationProgrammer::onRestarted() {
    state_ = kFinished;
    setStatus(txt(kTextMeasuringRestart) + kOk);
    gauge_ = kGaugeMaximum;
    view_.gauge(gauge_);
    view_.phaseDone(ProgrammingView::Phase::Start);
    setStatus(txt(kTextSystemProgrammingFinished));
    if (options_.completionTone) {
        options_.completionTone();
    }
    releaseEngine();
    view_.programmingEnded(ProgrammingView::Ending::Finished);
}

}  // namespace pelmo
