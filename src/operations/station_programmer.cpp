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

StationProgrammer::StationProgrammer(StationPort& port, LinkContext& link, Prompts* prompts,
                                     ProgrammingView& view, Options options)
    : port_(port), link_(link), prompts_(prompts), view_(view), options_(std::move(options)) {}

StationProgrammer::~StationProgrammer() = default;

StationImage& StationProgrammer::image() const {
    return link_.build.image ? *link_.build.image : station();
}

Prompts& StationProgrammer::prompter() const {
    return prompts_ ? *prompts_ : prompts();
}

int StationProgrammer::dotsRow() const {
    switch (step_) {
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

void StationProgrammer::send(int request, int expected, int mode) {
    step_ = request;
    // From here on the station may have lost its configuration, answered or not.
    eraseSent_ = eraseSent_ || request == ERASE_STATION;
    addressSent_ = addressSent_ || request == WRITE_ADDRESS;
    engine_->send(request, expected, mode, false);
}

void StationProgrammer::sendChannel() {
    send(WRITE_CHANNEL, 0, kModeAck);
}

void StationProgrammer::start() {
    // The run keeps its engine to itself and ends without END_COMM.
    engine_ = std::make_unique<TCommunication>([this](int, int failed) { completion(failed); },
                                               nullptr, kMessageOther, port_, link_);
    view_.clearTrafficLog();
    gauge_ = 0;
    view_.gauge(0);
    image().current_index = 1;
    failures_ = 0;
    eraseSent_ = false;
    addressSent_ = false;
    startAddress_ = image().bus_address;
    setStatus(txt(118));
    send(COMM, 11, kModeExact);
}

int StationProgrammer::answeringAddress() const {
    return addressSent_ ? image().station.net_address : startAddress_;
}

void StationProgrammer::fail() {
    engine_.reset();
    step_ = kFinished;
    setStatus(txt(136));
    prompter().error(txt(136));
    view_.programmingEnded(ProgrammingView::Ending::Failed);
}

void StationProgrammer::refuse() {
    engine_.reset();
    step_ = kFinished;
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

void StationProgrammer::completion(int failed) {
    if (!engine_) {
        return;
    }
    if (failed) {
        // Four unanswered WRITE_ADDRESS: the station heard none of them and stayed put (once
        // moved it would have answered the repetitions in its session).
        if (step_ == WRITE_ADDRESS) {
            addressSent_ = false;
        }
        fail();
        return;
    }
    engine_->acknowledge();
    switch (step_) {
        case COMM:
            onComm();
            break;
        case READ_CMOS:
            onCmos();
            break;
        case WRITE_CMOS:
            setStatus(txt(219) + kOk);
            send(READ_STATUS, 27, kModeExact);
            break;
        case READ_STATUS:
            // The station clock is kept as the archive window keeps it; a short answer is
            // not worth stopping the run for.
            if (const auto clock = stationClockFromStatus(link_.rx->bytes());
                clock && options_.recordState) {
                setStationClock(*options_.recordState, *clock);
            }
            addGauge(10);
            view_.phaseDone(ProgrammingView::Phase::Initialisation);
            view_.restartDots();
            appendStatus(kOk);
            setStatus(txt(121));
            send(ERASE_STATION, 0, kModeAck);
            break;
        case ERASE_STATION:
            image().current_index = 1;
            view_.restartDots();
            addGauge(10);
            appendStatus(kOk);
            setStatus(txt(223));
            view_.phaseDone(ProgrammingView::Phase::Erasing);
            send(SET_TIME, 0, kModeAck);
            break;
        case SET_TIME:
            image().current_index = 1;
            view_.restartDots();
            addGauge(10);
            appendStatus(kOk);
            setStatus(txt(122) + QStringLiteral("1"));
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
            setStatus(txt(128) + kOk);
            view_.restartDots();
            setStatus(txt(129));
            send(RESTART_MEASURING, 0, kModeAck);
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
    setStatus(txt(205));
    send(READ_CMOS, 45, kModeExact);
}

void StationProgrammer::onCmos() {
    StationImage& img = image();
    decodeCmos(link_.rx->bytes(), img.cmos_raw_identity, img.cmos);
    if (img.cmos.locked) {
        engine_->stop();
        prompter().warning(txt(206));
        refuse();
        return;
    }
    const QString path = correctionFilePath(options_.programDir, img.cmos.serial_number);
    const bool restore = checkCorrectionFile(path, img, prompter()) == CorrectionCheck::Differs &&
                         prompter().askYesNo(Prompts::Kind::Warning, txt(218));
    if (restore) {
        setStatus(txt(219));
        send(WRITE_CMOS, 0, kModeAck);
    } else {
        setStatus(txt(120));
        send(READ_STATUS, 27, kModeExact);
    }
}

void StationProgrammer::onChannelWritten() {
    StationImage& img = image();
    const int n = img.current_index;
    view_.transferCaption(QStringLiteral("ch.%1").arg(n));
    setStatus(txt(122) + QString::number(n) + QStringLiteral("...OK"));
    if (options_.checking) {
        addGauge(5);
        send(READ_CHANNEL, 10, kModeAtLeast);
    } else if (n < kChannelCount) {
        ++img.current_index;
        addGauge(18);
        sendChannel();
    } else {
        setStatus(txt(124));
        send(WRITE_METER, 0, kModeAck);
    }
}

void StationProgrammer::onChannelRead() {
    StationImage& img = image();
    const int n = img.current_index;
    definice_PV_rec back;
    definice_PV_udaj_rec backData;
    if (!decodeChannel(link_.rx->bytes(), img.cmos, back, backData)) {
        reportGeneralError(prompter(), " 3.3: Prepare_PV");
    }
    if (channelMatches(img.channel(n), img.channelData(n), back, backData)) {
        failures_ = 0;
        addGauge(10);
        setStatus(txt(123) + QString::number(n) + QStringLiteral("...OK"));
        ++img.current_index;
    } else {
        setStatus(txt(123) + QString::number(n) + QStringLiteral("...") + txt(119));
        if (!countFailure()) {
            return;
        }
    }
    if (img.current_index > kChannelCount) {
        setStatus(txt(124));
        send(WRITE_METER, 0, kModeAck);
    } else {
        sendChannel();
    }
}

void StationProgrammer::onMeterWritten() {
    appendStatus(kOk);
    view_.transferCaption(txt(131));
    if (options_.checking) {
        addGauge(10);
        setStatus(txt(125));
        send(READ_METER, 93, kModeExact);
    } else {
        setStatus(txt(126));
        addGauge(20);
        send(WRITE_STATION, 0, kModeAck);
    }
}

void StationProgrammer::onMeterRead() {
    definice_meridla_rec back;
    decodeMeter(link_.rx->bytes(), back);
    if (meterMatches(image().meter, back)) {
        failures_ = 0;
        setStatus(txt(125) + kOk);
        addGauge(10);
        setStatus(txt(126));
        send(WRITE_STATION, 0, kModeAck);
        return;
    }
    appendStatus(txt(119));
    if (countFailure()) {
        send(WRITE_METER, 0, kModeAck);
    }
}

void StationProgrammer::onStationWritten() {
    view_.transferCaption(txt(132));
    if (options_.checking) {
        addGauge(10);
        setStatus(txt(127));
        send(READ_STATION, 99, kModeExact);
    } else {
        addGauge(20);
        view_.transferCaption(kOk);
        setStatus(txt(128));
        send(WRITE_ADDRESS, 0, kModeAck);
    }
}

void StationProgrammer::onStationRead() {
    stanice_rec back;
    decodeStation(link_.rx->bytes(), back);
    if (stationMatches(image().station, back)) {
        failures_ = 0;
        setStatus(txt(127) + kOk);
        addGauge(10);
        view_.transferCaption(kOk);
        setStatus(txt(128));
        send(WRITE_ADDRESS, 0, kModeAck);
        return;
    }
    view_.restartDots();
    appendStatus(txt(119));
    if (countFailure()) {
        send(WRITE_STATION, 0, kModeAck);
    }
}

void StationProgrammer::onRestarted() {
    step_ = kFinished;
    setStatus(txt(129) + kOk);
    gauge_ = kGaugeMaximum;
    view_.gauge(gauge_);
    view_.phaseDone(ProgrammingView::Phase::Start);
    setStatus(txt(130));
    if (options_.completionTone) {
        options_.completionTone();
    }
    engine_.reset();
    view_.programmingEnded(ProgrammingView::Ending::Finished);
}

}  // namespace pelmo
