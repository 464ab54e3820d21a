#include "bus/hardware_info.h"

#include "base/prompts.h"
#include "base/texts.h"
#include "link/block_codecs.h"

namespace pelmo {

QString inputCardText(std::uint8_t code) {
    switch (code) {
        case 0:
            return txt(kTextVacantInput);
        case 6:
            return txt(kTextResistorR) + QStringLiteral("1");
        case 8:
            return txt(kTextCurrent020);
        case 10:
            return txt(kTextResistorR) + QStringLiteral("2");
        case 12:
            return txt(kTextResistorR) + QStringLiteral("3");
        case 16:
            return txt(kTextCurrent420mA);
        case 80:
            return txt(kTextCurrent420mA) + QStringLiteral("  P");
        case 82:
            return txt(kTextCurrent420mA) + QStringLiteral("  P2");
        case 129:
            return txt(kTextImpulse);
        default:
            return txt(kTextUnknownInput);
    }
}

QString prescalerText(int exponent) {
    if (exponent < 1 || exponent > 15) {
        return txt(kTextUnknownInput);
    }
    const int divider = 1 << (exponent - 1);
    return divider == 1 ? txt(kTextVacantInput) : QStringLiteral("1 / ") + QString::number(divider);
}

HardwareInfoReader::HardwareInfoReader(StationPort& port, LinkContext& link, Prompts& prompts,
                                       HardwareInfoView& view)
    : StationSequence(port, link, prompts), view_(view) {}

void HardwareInfoReader::start() {
    resetNewStation(image());
    link_.rx->setCount(0);
    view_.hardwareStatus(txt(kTextInitializingConnection));
    begin();
    send(COMM);
}

void HardwareInfoReader::completion(ExchangeResult result) {
    const bool failed = result == ExchangeResult::Failed;
    if (!engine_) {
        return;
    }
    if (failed) {
        release();
        view_.hardwareStatus(txt(kTextErrorConnectiongToDevice));
        reportConnectionError();
        view_.hardwareEnded(HardwareInfoView::Ending::Failed);
        return;
    }
    acknowledge();
    StationImage& img = image();
    switch (state_) {
        case COMM:
            view_.hardwareStatus(txt(kTextRetrievingStationInfo));
            send(READ_STATUS);
            break;
        case READ_STATUS:
            view_.hardwareStatus(txt(kTextRetrievingStationInfo) + QStringLiteral("OK"));
            view_.hardwareStatus(txt(kTextRetrievingMeterData));
            send(READ_CMOS);
            break;
        case READ_CMOS:
            view_.hardwareStatus(txt(kTextRetrievingMeterData));
            decodeCmos(answer(), img.cmos_raw_identity, img.cmos);
            send(READ_METER);
            break;
        case READ_METER:
            img.current_index = 1;
            view_.hardwareStatus(txt(kTextRetrievingChannelCh) + QStringLiteral("1"));
            decodeMeter(answer(), img.meter);
            send(READ_CHANNEL);
            break;
        case READ_CHANNEL: {
            const int n = img.current_index;
            if (n >= 1 && n <= kChannelCount &&
                !decodeChannel(answer(), img.cmos, img.channel(n), img.channelData(n))) {
                // A channel that does not decode is reported; the others are still read.
                reportGeneralError(prompter(), " 1.2: Definice meridla");
            }
            ++img.current_index;
            view_.hardwareStatus(txt(kTextRetrievingChannelCh) +
                                 QString::number(img.current_index));
            if (img.current_index <= kChannelCount) {
                send(READ_CHANNEL);
            } else {
                view_.hardwareStatus(txt(kTextRetrievingStationData));
                send(READ_STATION);
            }
            break;
        }
        case READ_STATION:
            decodeStation(answer(), img.station);
            view_.hardwareStatus(txt(kTextDataLoaded));
            img.station_loaded = true;
            release();
            view_.stationDecoded();
            view_.hardwareEnded(HardwareInfoView::Ending::Read);
            break;
        default:
            break;
    }
}

}  // namespace pelmo
