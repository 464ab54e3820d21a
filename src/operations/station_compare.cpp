#include "operations/station_compare.h"

namespace pelmo {

StationCompare::StationCompare(StationPort& port, LinkContext& link, Prompts* prompts,
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
    differences_ = compareConfigurations(station_, file_, gas_);
    view_.compareEnded(true);
}

}  // namespace pelmo
