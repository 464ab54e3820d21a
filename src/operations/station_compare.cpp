#include "operations/station_compare.h"

#include "files/station_file.h"

namespace pelmo {

StationCompare::StationCompare(StationPort& port, LinkContext& link, Prompts& prompts,
                               CompareView& view)
    : view_(view), loan_(link), reader_(port, link, prompts, *this) {}

void StationCompare::start(const StationImage& file, const StationImage& current, bool gas) {
    file_ = file;
    gas_ = gas;
    station_ = current;
    differences_.clear();
    loan_.lend(station_);
    reader_.start();
}

void StationCompare::readCompleted() {
    loan_.giveBack();
    // At the resolution the file holds: a station compared with its own file is equal.
    differences_ = compareConfigurations(throughStationFile(station_, {gas_}), file_, gas_);
    view_.compareEnded(true);
}

void StationCompare::readFailed() {
    loan_.giveBack();
    view_.compareEnded(false);
}

void StationCompare::readInterrupted() {
    loan_.giveBack();
    view_.compareEnded(false);
}

}  // namespace pelmo
