#include "operations/station_compare.h"

#include "files/station_file.h"

namespace pelmo {

StationCompare::StationCompare(StationPort& port, LinkContext& link, Prompts& prompts,
                               CompareView& view)
    : view_(view), link_(link), reader_(port, link_, prompts, *this) {
    link_.build.image = &station_;
}

void StationCompare::start(const StationImage& file, const StationImage& current, bool gas) {
    file_ = file;
    gas_ = gas;
    station_ = current;
    differences_.clear();
    reader_.start();
}

void StationCompare::readCompleted() {
    // At the resolution the file holds: a station compared with its own file is equal.
    differences_ = compareConfigurations(throughStationFile(station_, {gas_}), file_, gas_);
    view_.compareEnded(true);
}

}  // namespace pelmo
