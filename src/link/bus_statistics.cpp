#include "link/bus_statistics.h"

namespace pelmo {

AddressStatistics& BusStatistics::at(int address) {
    ++version_;
    return stats_[address];
}

void BusStatistics::attemptFailed(int address, bool wholeAnswerWithBadTrailer) {
    AddressStatistics& s = at(address);
    if (wholeAnswerWithBadTrailer) {
        ++s.checksumFailures;
    } else {
        ++s.timeouts;
    }
}

void BusStatistics::answered(int address, int milliseconds) {
    AddressStatistics& s = at(address);
    ++s.answers;
    s.answerMs += milliseconds;
}

void BusStatistics::clear() {
    stats_.clear();
    ++version_;
}

BusStatistics& busStatistics() {
    static BusStatistics statistics;
    return statistics;
}

}  // namespace pelmo
