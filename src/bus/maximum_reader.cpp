#include "bus/maximum_reader.h"

#include "base/decimal_text.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "link/block_codecs.h"
#include "link/byte_fields.h"
#include "link/time_code.h"

namespace pelmo {

namespace {
constexpr std::size_t kMaximumAnswer = 31;
}  // namespace

std::optional<MaximumValues> decodeMaximum(std::span<const std::uint8_t> answer) {
    if (answer.size() < kMaximumAnswer) {
        return std::nullopt;
    }
    const FieldReader r(answer);
    MaximumValues v;
    v.current1 = r.f32(5);
    v.current2 = r.f32(9);
    v.maximum1 = r.f32(13);
    v.time1 = r.u32(17);
    v.maximum2 = r.f32(21);
    v.time2 = r.u32(25);
    return v;
}

QString maximumText(double value) {
    return formatDecimal(value, 5);
}

QString maximumTimeText(std::uint32_t time) {
    StationCalendar c;
    calendarFromTimeCode(time, c);
    // The time is shown even for a 1980 stamp; only the date gives way to dashes.
    return QStringLiteral("%1:%2:%3")
        .arg(c.hour, 2, 10, QLatin1Char('0'))
        .arg(c.minute, 2, 10, QLatin1Char('0'))
        .arg(c.second, 2, 10, QLatin1Char('0'));
}

QString maximumDateText(std::uint32_t time) {
    StationCalendar c;
    const int century = calendarFromTimeCode(time, c);
    if (century == 19 && c.year == 80) {
        return QStringLiteral("--/--/--");
    }
    return QString::fromStdString(timeText(c, TimeTextKind::Date));
}

MaximumReader::MaximumReader(StationPort& port, LinkContext& link, Prompts& prompts,
                             MaximumView& view)
    : StationSequence(port, link, prompts), view_(view) {}

void MaximumReader::start() {
    begin();
    send(COMM);
}

void MaximumReader::completion(ExchangeResult result) {
    const bool failed = result == ExchangeResult::Failed;
    if (!engine_) {
        return;
    }
    if (failed) {
        closeAndRelease();
        view_.maximumStatus(txt(kTextErrorConnectiongToDevice));
        reportConnectionError();
        view_.maximumEnded(MaximumView::Ending::Failed);
        return;
    }
    acknowledge();
    StationImage& img = image();
    switch (state_) {
        case COMM:
            view_.maximumStatus(txt(kTextReadingCMOS));
            send(READ_CMOS);
            break;
        case READ_CMOS:
            decodeCmos(answer(), img.cmos_raw_identity, img.cmos);
            view_.maximumStatus(txt(kTextRetrievingStationInfo));
            send(READ_STATUS);
            break;
        case READ_STATUS:
            view_.maximumStatus(txt(kTextRetrieving15MinMaximum));
            send(READ_MAXIMUM);
            break;
        case READ_MAXIMUM: {
            const auto values = decodeMaximum(answer());
            if (!values) {
                release();
                reportGeneralError(prompter(), " 13.17: prepare_MinMax");
                view_.maximumEnded(MaximumView::Ending::Failed);
                return;
            }
            view_.maximumRead(*values);
            view_.maximumStatus(txt(kTextDataLoaded));
            closeAndRelease();
            view_.maximumEnded(MaximumView::Ending::Read);
            break;
        }
        default:
            break;
    }
}

}  // namespace pelmo
