#pragma once

#include <QString>

#include "link/station_sequence.h"

namespace pelmo {

// Output codes: 0 none, analog outputs from 128, digital from 160; +16 is inverse logic.
bool isInverseOutput(std::uint8_t code);
// "Ext. Analog. 1 -", "Int. Dig. 2 +", "Zadny" for no output.
QString alarmOutputText(std::uint8_t code);
// The code with its inverse mark set or cleared.
std::uint8_t withInverse(std::uint8_t code, bool inverse);

// What the edit boxes of one channel show.
struct AlarmLimitBoxes {
    QString minValue;
    QString maxValue;
    QString lowLimit;  // "-" for a channel without a linearization table
    QString highLimit;
    bool inverse = false;
    bool editable = false;  // the channel drives an output
};

AlarmLimitBoxes alarmLimitBoxes(const StationImage& image, int channel);

// The save's checks and stores for `channel`: field checks, the lock, the range checks
// (skipped when a limit box holds "-"), then the value range and, unless "-", the raw
// limits. False when a check failed (its box has been shown); nothing is stored then.
bool storeAlarmLimits(const AlarmLimitBoxes& boxes, int channel, StationImage& image,
                      Prompts& prompts);

class AlarmLimitsView {
public:
    virtual ~AlarmLimitsView() = default;
    virtual void alarmStatus(const QString& text) = 0;
    // The whole configuration is in the image: grid filled and enabled, progress hidden.
    virtual void configurationRead() = 0;
    // WRITE_CHANNEL acknowledged: progress hidden, grid enabled, b_save enabled again.
    virtual void channelSaved() = 0;
    virtual void progressStep(int amount) = 0;
    // The engine failed or a block did not decode (the error box has been shown); the
    // window closes.
    virtual void alarmFailed() = 0;
};

// Read chain: COMM, READ_CMOS, READ_STATUS, READ_METER, eight READ_CHANNEL, READ_STATION,
// END_COMM. Save chain: COMM, WRITE_CHANNEL of the selected channel, END_COMM.
class AlarmLimits final : public StationSequence {
public:
    AlarmLimits(StationPort& port, LinkContext& link, Prompts& prompts, AlarmLimitsView& view);

    void read();
    void save(int channel);
    bool saving() const { return saving_; }

private:
    void completion(ExchangeResult result) override;
    void failed();

    AlarmLimitsView& view_;
    bool saving_ = false;
};

// Whether any channel has an output code other than 0.
bool anyOutputDefined(const StationImage& image);

}  // namespace pelmo
