#include "bus/flying_measurement.h"

#include "base/decimal_text.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "link/block_codecs.h"
#include "link/byte_fields.h"

namespace pelmo {

namespace {
constexpr std::size_t kFlyAnswer = 50;
constexpr std::size_t kFirstValue = 8;
}  // namespace

std::optional<FlyValues> decodeFlyResults(std::span<const std::uint8_t> answer) {
    if (answer.size() < kFlyAnswer) {
        return std::nullopt;
    }
    const FieldReader r(answer);
    FlyValues v{};
    for (std::size_t i = 0; i < v.size(); ++i) {
        v[i] = r.f32(kFirstValue + 4 * i);
    }
    return v;
}

std::array<double, 4> flyTotals(const FlyValues& v) {
    const double enthalpy = v[2] == 0.0 ? 0.0 : static_cast<float>(v[0] / v[2]);
    return {v[0] + v[1], v[2] + v[3], v[4] + v[5], enthalpy};
}

QString flyText(double value) {
    return formatDecimal(value, 10);
}

QString flySecondsText(std::int64_t seconds) {
    return QString::number(seconds) + QStringLiteral(" sec");
}

FlyingMeasurement::FlyingMeasurement(StationPort& port, LinkContext& link, Prompts& prompts,
                                     FlyView& view)
    : StationSequence(port, link, prompts), view_(view) {
    timer_.setInterval(kTickMs);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { tick(); });
}

FlyingMeasurement::~FlyingMeasurement() {
    timer_.stop();
    if (link_.build.fly == &fly_) {
        link_.build.fly = nullptr;
    }
}

int FlyingMeasurement::intervalOf(int circuit) const {
    const definice_meridla_rec& m = image().meter;
    return circuit == 2 ? m.interval_p2 : m.interval_p1;
}

std::int64_t FlyingMeasurement::measuringSeconds(int circuit, int count) const {
    return static_cast<std::int64_t>(count) * intervalOf(circuit);
}

void FlyingMeasurement::setPhase(FlyView::Phase phase) {
    phase_ = phase;
    view_.phaseChanged(phase);
}

void FlyingMeasurement::setup() {
    chain_ = Chain::Setup;
    view_.flyStatus(txt(kTextInitializingConnection));
    begin();
    send(COMM);
}

void FlyingMeasurement::startMeasurement(int circuit, int count, bool clearBuffer) {
    if (running()) {
        // The chain that "Přerušit" left running still owns the bus: this one follows it.
        pending_ = FlySetup{circuit, count, clearBuffer};
        setPhase(FlyView::Phase::Starting);
        return;
    }
    cancelled_ = false;
    fly_ = FlySetup{circuit, count, clearBuffer};
    total_ = measuringSeconds(circuit, count);
    chain_ = Chain::Start;
    setPhase(FlyView::Phase::Starting);
    view_.flyStatus(txt(kTextInitializingConnection));
    begin();
    send(COMM);
}

void FlyingMeasurement::tick() {
    ++waited_;
    view_.gaugeStep();
    if (waited_ > total_) {
        timer_.stop();
        view_.flyStatus(txt(kTextInitializingConnection));
        chain_ = Chain::Retrieve;
        setPhase(FlyView::Phase::Retrieving);
        begin();
        send(COMM);
    }
}

void FlyingMeasurement::cancel() {
    timer_.stop();
    pending_.reset();
    // A running start or retrieve chain finishes its exchange, but no measurement is waited
    // for afterwards.
    cancelled_ = chain_ == Chain::Start || chain_ == Chain::Retrieve;
    setPhase(FlyView::Phase::Idle);
    view_.flyStatus(txt(kTextStationReadingInterrupted));
}

void FlyingMeasurement::startPending() {
    if (!pending_) {
        return;
    }
    const FlySetup next = *pending_;
    pending_.reset();
    startMeasurement(next.band, next.count, next.clear_buffer);
}

void FlyingMeasurement::completion(ExchangeResult result) {
    const bool failed = result == ExchangeResult::Failed;
    if (!engine_) {
        return;
    }
    const Chain chain = chain_;
    if (failed) {
        if (link_.build.fly == &fly_) {
            link_.build.fly = nullptr;
        }
        closeAndRelease();
        chain_ = Chain::None;
        pending_.reset();
        cancelled_ = false;
        view_.flyStatus(txt(kTextErrorConnectiongToDevice));
        reportConnectionError();
        view_.flyFailed(chain == Chain::Setup);
        return;
    }
    acknowledge();
    StationImage& img = image();
    switch (state_) {
        case COMM:
            if (chain == Chain::Setup) {
                send(READ_CMOS);
            } else if (chain == Chain::Start) {
                // A broken-off chain keeps "interrupted" in the status bar.
                if (!cancelled_) {
                    view_.flyStatus(txt(kTextReadingCMOS));
                }
                link_.build.fly = &fly_;
                send(FLY_SET);
            } else {
                if (!cancelled_) {
                    view_.gaugeStep();
                    view_.flyStatus(txt(kTextRequestingMeasureResults));
                }
                send(FLY_READ);
            }
            break;
        case READ_CMOS:
            decodeCmos(answer(), img.cmos_raw_identity, img.cmos);
            view_.flyStatus(txt(kTextRetrievingStationInfo));
            send(READ_STATION);
            break;
        case READ_STATION:
            decodeStation(answer(), img.station);
            send(READ_METER);
            break;
        case READ_METER:
            decodeMeter(answer(), img.meter);
            view_.flyStatus(txt(kTextDataLoaded));
            closeAndRelease();
            chain_ = Chain::None;
            setPhase(FlyView::Phase::Idle);
            // Last: the view may start a measurement from here.
            view_.setupDone();
            break;
        case FLY_SET:
            link_.build.fly = nullptr;
            closeAndRelease();
            chain_ = Chain::None;
            if (cancelled_) {
                cancelled_ = false;
                startPending();
                break;
            }
            waited_ = 0;
            timer_.start();
            view_.flyStatus(txt(kTextMeasurementInProgress));
            setPhase(FlyView::Phase::Measuring);
            break;
        case FLY_READ: {
            const auto values = decodeFlyResults(answer());
            if (!values) {
                release();
                chain_ = Chain::None;
                reportGeneralError(prompter(), " 11.15: prepare_LetMer");
                view_.flyBroken();
                return;
            }
            closeAndRelease();
            chain_ = Chain::None;
            if (cancelled_) {
                // Results of a measurement the operator broke off are not shown as its own.
                cancelled_ = false;
                startPending();
                break;
            }
            view_.flyStatus(txt(kTextDataLoaded));
            view_.gaugeStep();
            setPhase(FlyView::Phase::Idle);
            view_.resultsRead(*values);
            break;
        }
        default:
            break;
    }
}

}  // namespace pelmo
