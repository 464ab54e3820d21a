#include "link/bus_statistics.h"

#include "base/decimal_text.h"
#include "base/texts.h"

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

QStringList busHealthHeader() {
    QStringList header;
    for (int n = 1000; n <= 1005; ++n) {
        header << txt(n);
    }
    return header;
}

QStringList busHealthCells(int address, const AddressStatistics& s) {
    QString mean = formatDecimal(s.meanAnswerMs(), 1);
    if (language() == Language::English) {
        mean.replace(QLatin1Char(','), QLatin1Char('.'));
    }
    return {QString::number(address),
            QString::number(s.exchanges),
            QString::number(s.repetitions),
            QString::number(s.timeouts),
            QString::number(s.checksumFailures),
            mean};
}

}  // namespace pelmo
