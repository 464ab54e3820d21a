#pragma once

#include <QString>

#include "link/station_sequence.h"

namespace pelmo {

// Input card kind of a CMOS input code (texts 313..320).
QString inputCardText(std::uint8_t code);
// Prescaler of a frequency input from its exponent p: text 314 for a divider of 1,
// "1 / 2^(p-1)" otherwise; an exponent outside 1..15 is no prescaler (text 315).
QString prescalerText(int exponent);

class HardwareInfoView {
public:
    enum class Ending { Read, Failed };
    virtual ~HardwareInfoView() = default;
    virtual void hardwareStatus(const QString& text) = 0;
    // The station definition is in the image (the main window shows it).
    virtual void stationDecoded() = 0;
    // Failed: the error box has been shown and the window closes.
    virtual void hardwareEnded(Ending ending) = 0;
};

// Reads the whole configuration into the image: COMM, READ_STATUS, READ_CMOS, READ_METER,
// eight READ_CHANNEL and READ_STATION. The engine is released at the end without END_COMM.
class HardwareInfoReader final : public StationSequence {
public:
    HardwareInfoReader(StationPort& port, LinkContext& link, Prompts& prompts,
                       HardwareInfoView& view);
    void start();

private:
    void completion(ExchangeResult result) override;
    HardwareInfoView& view_;
};

}  // namespace pelmo
