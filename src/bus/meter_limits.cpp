#include "bus/meter_limits.h"

#include "base/decimal_text.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "editing/number_field.h"
#include "link/block_codecs.h"

namespace pelmo {

namespace {

// Constant i of the meter definition (1-based, as the definition names them).
double& constant(definice_meridla_rec& m, int i) {
    return m.constants[static_cast<std::size_t>(i - 1)];
}
double constant(const definice_meridla_rec& m, int i) {
    return m.constants[static_cast<std::size_t>(i - 1)];
}

QString real(double v) {
    return formatDecimal(v, 4);
}

QString impulse(double stored) {
    return real(stored == 0.0 ? 0.0 : 1.0 / stored);
}

}  // namespace

MeterLimitColumn meterLimitCaptions1() {
    return {txt(kTextModeTabLabel), txt(kTextFlowNo1Max), txt(kTextFlowNo1Min),
            txt(kTextFlowNo2Max),   txt(kTextFlowNo2Min), txt(kTextMaximumNo1GJ),
            txt(kTextMaximumNo2GJ)};
}

MeterLimitColumn meterLimitCaptions2(bool gas) {
    return {txt(gas ? 360 : 59),     txt(gas ? 362 : 69),       txt(kTextIntervalP1Sec),
            txt(kTextIntervalP2Sec), txt(kTextIntervalCondSec), txt(kTextImpulseCoef1),
            txt(kTextImpulseCoef2)};
}

MeterLimitColumn meterLimitValues1(const definice_meridla_rec& m) {
    return {QString::number(m.meter_number),
            real(constant(m, 12)),
            real(constant(m, 13)),
            real(constant(m, 6)),
            real(constant(m, 11)),
            real(constant(m, 14)),
            real(constant(m, 15))};
}

MeterLimitColumn meterLimitValues2(const definice_meridla_rec& m) {
    return {real(constant(m, 9)),
            real(constant(m, 5)),
            QString::number(m.interval_p1),
            QString::number(m.interval_p2),
            QString::number(m.interval_cond),
            impulse(m.imp_coef_1),
            impulse(m.imp_coef_2)};
}

namespace {

// A value the characters allow but the 16-bit field cannot hold: said as such, with the range,
// rather than as a bad character at a position.
void reportOutOfRange(const QString& caption, Prompts& prompts) {
    prompts.information(txt(kTextTheFieldMustHold).arg(caption).arg(0).arg(65535));
}

// Number mode for a field that is stored as a 16-bit whole number: a fraction or a value
// beyond the field is refused rather than cut.
bool checkWholeNumber(const QString& text, const QString& caption, Prompts& prompts,
                      std::uint16_t& out) {
    double v = 0.0;
    if (!checkNumberField(text, caption, prompts, true, v)) {
        return false;
    }
    if (v < 0.0 || v > 65535.0 || v != static_cast<double>(static_cast<std::int64_t>(v))) {
        reportOutOfRange(caption, prompts);
        return false;
    }
    out = static_cast<std::uint16_t>(v);
    return true;
}

// Digits mode; the interval fields are 16 bits wide in the block.
bool checkInterval(const QString& text, const QString& caption, Prompts& prompts,
                   std::int32_t& out) {
    std::int64_t v = 0;
    if (!checkDigitsField(text, caption, prompts, v)) {
        return false;
    }
    if (v > 65535) {
        reportOutOfRange(caption, prompts);
        return false;
    }
    out = static_cast<std::int32_t>(v);
    return true;
}

}  // namespace

bool checkMeterLimits(const MeterLimitColumn& g1, const MeterLimitColumn& g2, bool gas,
                      Prompts& prompts, MeterLimitEntry& e) {
    const MeterLimitColumn c1 = meterLimitCaptions1();
    const MeterLimitColumn c2 = meterLimitCaptions2(gas);
    auto number = [&prompts](const QString& text, const QString& caption, double& out) {
        return checkNumberField(text, caption, prompts, true, out);
    };
    return checkWholeNumber(g1[0], c1[0], prompts, e.meter_number) &&
           number(g1[1], c1[1], e.flow1_max) && number(g1[2], c1[2], e.flow1_min) &&
           number(g1[3], c1[3], e.flow2_max) && number(g1[4], c1[4], e.flow2_min) &&
           number(g1[5], c1[5], e.maximum1) && number(g1[6], c1[6], e.maximum2) &&
           number(g2[0], c2[0], e.saturation) && number(g2[1], c2[1], e.correction) &&
           checkInterval(g2[2], c2[2], prompts, e.interval_p1) &&
           checkInterval(g2[3], c2[3], prompts, e.interval_p2) &&
           checkInterval(g2[4], c2[4], prompts, e.interval_cond) &&
           number(g2[5], c2[5], e.impulse1) && number(g2[6], c2[6], e.impulse2);
}

void applyMeterLimits(const MeterLimitEntry& e, bool locked, definice_meridla_rec& m) {
    auto widenUp = [locked](double& stored, double entered) {
        if (!locked || entered > stored) {
            stored = entered;
        }
    };
    auto widenDown = [locked](double& stored, double entered) {
        if (!locked || entered < stored) {
            stored = entered;
        }
    };
    widenUp(constant(m, 12), e.flow1_max);
    widenDown(constant(m, 13), e.flow1_min);
    widenUp(constant(m, 6), e.flow2_max);
    widenDown(constant(m, 11), e.flow2_min);
    m.meter_number = e.meter_number;
    constant(m, 14) = e.maximum1;
    constant(m, 15) = e.maximum2;
    constant(m, 9) = e.saturation;
    constant(m, 5) = e.correction;
    m.interval_p1 = e.interval_p1;
    m.interval_p2 = e.interval_p2;
    m.interval_cond = e.interval_cond;
    m.imp_coef_1 = e.impulse1 == 0.0 ? 0.0 : 1.0 / e.impulse1;
    m.imp_coef_2 = e.impulse2 == 0.0 ? 0.0 : 1.0 / e.impulse2;
}

MeterLimits::MeterLimits(StationPort& port, LinkContext& link, Prompts& prompts,
                         MeterLimitsView& view)
    : StationSequence(port, link, prompts), view_(view) {}

void MeterLimits::read() {
    writing_ = false;
    begin();
    send(COMM);
}

void MeterLimits::write(const MeterLimitEntry& entry) {
    entry_ = entry;
    writing_ = true;
    begin();
    send(COMM);
}

void MeterLimits::completion(ExchangeResult result) {
    const bool failed = result == ExchangeResult::Failed;
    if (!engine_) {
        return;
    }
    if (failed) {
        closeAndRelease();
        view_.meterStatus(txt(kTextErrorConnectiongToDevice));
        reportConnectionError();
        view_.meterFailed(!writing_);
        return;
    }
    acknowledge();
    StationImage& img = image();
    switch (state_) {
        case COMM:
            view_.meterStatus(txt(kTextRetrievingStationInfo));
            send(READ_STATUS);
            break;
        case READ_STATUS:
            view_.meterStatus(txt(kTextReadingCMOS));
            send(READ_CMOS);
            break;
        case READ_CMOS:
            decodeCmos(answer(), img.cmos_raw_identity, img.cmos);
            view_.meterStatus(txt(kTextRetrievingMeterData));
            send(READ_METER);
            break;
        case READ_METER:
            decodeMeter(answer(), img.meter);
            if (writing_) {
                applyMeterLimits(entry_, img.cmos.locked, img.meter);
                view_.meterStatus(txt(kTextTransferingMeterData));
                send(WRITE_METER);
            } else {
                closeAndRelease();
                view_.meterRead();
                view_.meterStatus(txt(kTextDataLoaded));
            }
            break;
        case WRITE_METER:
            view_.meterStatus(txt(kTextDataSaved));
            closeAndRelease();
            writing_ = false;
            view_.meterWritten();
            break;
        default:
            break;
    }
}

}  // namespace pelmo
