#include "bus/alarm_limits.h"

#include "base/decimal_text.h"
#include "base/field_check.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "editing/number_field.h"
#include "link/block_codecs.h"
#include "model/raw_scale.h"

namespace pelmo {

namespace {
constexpr std::uint8_t kInverseMark = 16;
const QString kNoLimit = QStringLiteral("-");
}  // namespace

bool isInverseOutput(std::uint8_t code) {
    return (code >= 144 && code <= 159) || code >= 176;
}

std::uint8_t withInverse(std::uint8_t code, bool inverse) {
    if (code == 0 || isInverseOutput(code) == inverse) {
        return code;
    }
    return static_cast<std::uint8_t>(inverse ? code + kInverseMark : code - kInverseMark);
}

QString alarmOutputText(std::uint8_t code) {
    if (code == 0) {
        return QStringLiteral("Zadny");
    }
    const bool inverse = isInverseOutput(code);
    const int c = inverse ? code - kInverseMark : code;
    QString text;
    if (c >= 168) {
        text = QStringLiteral("Ext. Dig. %1").arg(c - 167);
    } else if (c >= 160) {
        text = QStringLiteral("Int. Dig. %1").arg(c - 159);
    } else if (c > 135) {
        text = QStringLiteral("Ext. Analog. %1").arg(c - 135);
    } else if (c >= 128) {
        text = QStringLiteral("Int. Analog. %1").arg(c - 127);
    }
    return text + (inverse ? QStringLiteral(" -") : QStringLiteral(" +"));
}

AlarmLimitBoxes alarmLimitBoxes(const StationImage& image, int channel) {
    const definice_PV_rec& s = image.channel(channel);
    const definice_PV_udaj_rec& d = image.channelData(channel);
    AlarmLimitBoxes b;
    b.editable = s.output_code != 0;
    b.inverse = isInverseOutput(s.output_code);
    b.minValue = formatDecimal(d.value_min, 4);
    b.maxValue = formatDecimal(d.value_max, 4);
    if (s.table_present == 0) {
        b.lowLimit = kNoLimit;
        b.highLimit = kNoLimit;
    } else {
        b.lowLimit = formatDecimal(rawToValue(d, s.limit_low), 4);
        b.highLimit = formatDecimal(rawToValue(d, s.limit_high), 4);
    }
    return b;
}

namespace {

// A limit box may hold "-" (no table); anything else must be a number.
bool checkLimit(const QString& text, int caption, Prompts& prompts, double& out) {
    if (text == kNoLimit) {
        return true;
    }
    return checkNumberField(text, txt(caption), prompts, true, out);
}

}  // namespace

bool storeAlarmLimits(const AlarmLimitBoxes& boxes, int channel, StationImage& image,
                      Prompts& prompts) {
    double low = 0.0;
    double high = 0.0;
    double minimum = 0.0;
    double maximum = 0.0;
    if (!checkLimit(boxes.lowLimit, 93, prompts, low) ||
        !checkLimit(boxes.highLimit, 94, prompts, high) ||
        !checkNumberField(boxes.minValue, txt(kTextMinValue), prompts, true, minimum) ||
        !checkNumberField(boxes.maxValue, txt(kTextMaxValue), prompts, true, maximum)) {
        return false;
    }
    if (image.cmos.locked) {
        prompts.warning(txt(kTextStationIsLockedAnd));
        return false;
    }
    const bool limits = boxes.lowLimit != kNoLimit && boxes.highLimit != kNoLimit;
    if (limits) {
        bool ok = true;
        if (low < minimum) {
            prompts.warning(txt(kTextMinLimitMinValue));
            ok = false;
        } else if (high > maximum) {
            prompts.warning(txt(kTextMaxLimitMaxValue));
            ok = false;
        }
        if (high < low) {
            prompts.warning(txt(kTextMaxLimitMinLimit));
            ok = false;
        }
        if (maximum < minimum) {
            prompts.warning(txt(kTextMinValueMaxValue));
            ok = false;
        }
        if (!ok) {
            return false;
        }
    }
    definice_PV_udaj_rec& d = image.channelData(channel);
    d.value_min = minimum;
    d.value_max = maximum;
    if (limits) {
        definice_PV_rec& s = image.channel(channel);
        s.limit_low = valueToRaw(d, low);
        s.limit_high = valueToRaw(d, high);
    }
    return true;
}

bool anyOutputDefined(const StationImage& image) {
    for (int n = 1; n <= kChannelCount; ++n) {
        if (image.channel(n).output_code != 0) {
            return true;
        }
    }
    return false;
}

AlarmLimits::AlarmLimits(StationPort& port, LinkContext& link, Prompts& prompts,
                         AlarmLimitsView& view)
    : StationSequence(port, link, prompts), view_(view) {}

void AlarmLimits::read() {
    saving_ = false;
    resetNewStation(image());
    link_.rx->setCount(0);
    view_.alarmStatus(txt(kTextInitializingConnection));
    begin();
    send(COMM);
}

void AlarmLimits::save(int channel) {
    saving_ = true;
    image().current_index = static_cast<std::uint16_t>(channel);
    view_.alarmStatus(txt(kTextInitializingConnection));
    begin();
    send(COMM);
}

void AlarmLimits::failed() {
    closeAndRelease();
    view_.alarmStatus(txt(kTextErrorConnectiongToDevice));
    reportConnectionError();
    view_.alarmFailed();
}

void AlarmLimits::completion(ExchangeResult result) {
    const bool failedNow = result == ExchangeResult::Failed;
    if (!engine_) {
        return;
    }
    if (failedNow) {
        failed();
        return;
    }
    acknowledge();
    StationImage& img = image();
    if (saving_) {
        view_.progressStep(500);
        if (state_ == COMM) {
            send(WRITE_CHANNEL);
        } else if (state_ == WRITE_CHANNEL) {
            view_.alarmStatus(txt(kTextDataSaved) + QStringLiteral(" OK"));
            closeAndRelease();
            saving_ = false;
            view_.channelSaved();
        }
        return;
    }
    switch (state_) {
        case COMM:
            send(READ_CMOS);
            break;
        case READ_CMOS:
            decodeCmos(answer(), img.cmos_raw_identity, img.cmos);
            view_.alarmStatus(txt(kTextRetrievingStationInfo));
            send(READ_STATUS);
            break;
        case READ_STATUS:
            send(READ_METER);
            break;
        case READ_METER:
            decodeMeter(answer(), img.meter);
            img.current_index = 1;
            view_.alarmStatus(txt(kTextRetrievingChannelCh) + QStringLiteral("1"));
            send(READ_CHANNEL);
            break;
        case READ_CHANNEL: {
            const int n = img.current_index;
            if (n < 1 || n > kChannelCount ||
                !decodeChannel(answer(), img.cmos, img.channel(n), img.channelData(n))) {
                release();
                reportGeneralError(prompter(), " 14.3: preparePV");
                view_.alarmFailed();
                return;
            }
            ++img.current_index;
            if (img.current_index <= kChannelCount) {
                view_.alarmStatus(txt(kTextRetrievingChannelCh) +
                                  QString::number(img.current_index));
                send(READ_CHANNEL);
            } else {
                view_.alarmStatus(txt(kTextRetrievingStationData));
                send(READ_STATION);
            }
            break;
        }
        case READ_STATION:
            decodeStation(answer(), img.station);
            view_.alarmStatus(txt(kTextDataLoaded));
            closeAndRelease();
            view_.configurationRead();
            break;
        default:
            break;
    }
}

}  // namespace pelmo
