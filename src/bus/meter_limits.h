#pragma once

#include <QString>
#include <array>

#include "link/station_sequence.h"

namespace pelmo {

inline constexpr int kMeterLimitRows = 7;
using MeterLimitColumn = std::array<QString, kMeterLimitRows>;

// Captions (column 0) of the two grids; the gas version names two rows of the second one
// differently.
MeterLimitColumn meterLimitCaptions1();
MeterLimitColumn meterLimitCaptions2(bool gas);

// Values (column 1) of the two grids from a meter definition.
MeterLimitColumn meterLimitValues1(const definice_meridla_rec& meter);
MeterLimitColumn meterLimitValues2(const definice_meridla_rec& meter);

// The entered values, checked and converted; fails with the field check's box.
struct MeterLimitEntry {
    std::uint16_t meter_number = 0;
    double flow1_max = 0.0;
    double flow1_min = 0.0;
    double flow2_max = 0.0;
    double flow2_min = 0.0;
    double maximum1 = 0.0;
    double maximum2 = 0.0;
    double saturation = 0.0;
    double correction = 0.0;
    std::int32_t interval_p1 = 0;
    std::int32_t interval_p2 = 0;
    std::int32_t interval_cond = 0;
    double impulse1 = 0.0;  // as entered; stored as its reciprocal
    double impulse2 = 0.0;
};

bool checkMeterLimits(const MeterLimitColumn& grid1, const MeterLimitColumn& grid2, bool gas,
                      Prompts& prompts, MeterLimitEntry& out);

// Stores the entry over the meter definition just read. On a locked station the four flow
// limits only ever widen: a maximum takes a greater value, a minimum a smaller one.
void applyMeterLimits(const MeterLimitEntry& entry, bool locked, definice_meridla_rec& meter);

class MeterLimitsView {
public:
    virtual ~MeterLimitsView() = default;
    virtual void meterStatus(const QString& text) = 0;
    // The meter definition read (grids filled) or written: b_save and b_refresh enabled.
    virtual void meterRead() = 0;
    virtual void meterWritten() = 0;
    // The engine failed (the error box has been shown); `closing` during a read.
    virtual void meterFailed(bool closing) = 0;
};

// Read chain: COMM, READ_STATUS, READ_CMOS, READ_METER, END_COMM. Write chain: the same
// reads, the entry stored over the meter definition just read, WRITE_METER, END_COMM.
class MeterLimits final : public StationSequence {
public:
    MeterLimits(StationPort& port, LinkContext& link, Prompts& prompts, MeterLimitsView& view);

    void read();
    void write(const MeterLimitEntry& entry);
    bool writing() const { return writing_; }

private:
    void completion(ExchangeResult result) override;

    MeterLimitsView& view_;
    MeterLimitEntry entry_;
    bool writing_ = false;
};

}  // namespace pelmo
