#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "link/station_sequence.h"

namespace pelmo {

// The fifteen-minute heat of both circuits: the running value and the highest so far with
// the station time it occurred at.
struct MaximumValues {
    double current1 = 0.0;
    double current2 = 0.0;
    double maximum1 = 0.0;
    double maximum2 = 0.0;
    std::uint32_t time1 = 0;
    std::uint32_t time2 = 0;
};

// Nothing unless the answer holds all six fields (31 bytes with its trailer).
std::optional<MaximumValues> decodeMaximum(std::span<const std::uint8_t> answer);
// "%.5f" with a decimal comma.
QString maximumText(double value);
// "hh:mm:ss" of a station time.
QString maximumTimeText(std::uint32_t time);
// "dd/mm/yy"; "--/--/--" for a time in 1980 (including 0).
QString maximumDateText(std::uint32_t time);

class MaximumView {
public:
    enum class Ending { Read, Failed };
    virtual ~MaximumView() = default;
    virtual void maximumStatus(const QString& text) = 0;
    virtual void maximumRead(const MaximumValues& values) = 0;
    // Failed: the error box has been shown and the window closes.
    virtual void maximumEnded(Ending ending) = 0;
};

// COMM, READ_CMOS, READ_STATUS, READ_MAXIMUM, END_COMM.
class MaximumReader final : public StationSequence {
public:
    MaximumReader(StationPort& port, LinkContext& link, Prompts& prompts, MaximumView& view);
    void start();

private:
    void completion(ExchangeResult result) override;
    MaximumView& view_;
};

}  // namespace pelmo
