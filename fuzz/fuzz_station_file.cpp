// Station files (.sta, and the .con beside a monitoring file), in both number scalings:
// a file that loads saves to exactly the station file size and the saved file loads. The
// format rounds reals and rebuilds tables from their values (a last point whose input or
// value is 0 goes), so exact stability is not a property of it; what must hold is that
// after one save every field outside the tables and limits comes back unchanged and a
// table never grows.
#include "files/station_file.h"
#include "fuzz_support.h"

using namespace pelmo;
using namespace pelmo::fuzz;

namespace {

bool sameOutsideTable(const definice_PV_rec& a, const definice_PV_udaj_rec& ad,
                      const definice_PV_rec& b, const definice_PV_udaj_rec& bd) {
    return a.measurement == b.measurement && a.display == b.display &&
           a.input_code == b.input_code && a.interval == b.interval && a.memory == b.memory &&
           a.output_code == b.output_code && a.in_use == b.in_use && a.divider == b.divider &&
           ad.name == bd.name && ad.text == bd.text && ad.units == bd.units &&
           ad.sensor_type == bd.sensor_type && ad.value_min == bd.value_min &&
           ad.value_max == bd.value_max && ad.calib_water_temp == bd.calib_water_temp &&
           ad.temp_coef == bd.temp_coef;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // What the loader reads of a file.
    const QByteArray bytes(reinterpret_cast<const char*>(data),
                           static_cast<qsizetype>(std::min<std::size_t>(size, kStationFileSize)));
    for (const bool gas : {false, true}) {
        const StationFileOptions options{gas};
        StationImage image;
        resetNewStation(image);
        const bool ok = decodeStationFile(bytes, image, options);
        if (!ok) {
            continue;
        }
        for (int n = 1; n <= kChannelCount; ++n) {
            FUZZ_CHECK(image.channel(n).table_points <= kTablePoints);
        }
        const QByteArray saved = encodeStationFile(image, options);
        FUZZ_CHECK(saved.size() == kStationFileSize);
        StationImage again;
        resetNewStation(again);
        FUZZ_CHECK(decodeStationFile(saved, again, options));
        StationImage third;
        resetNewStation(third);
        FUZZ_CHECK(decodeStationFile(encodeStationFile(again, options), third, options));
        FUZZ_CHECK(third.station == again.station && third.meter == again.meter);
        for (int n = 1; n <= kChannelCount; ++n) {
            FUZZ_CHECK(sameOutsideTable(again.channel(n), again.channelData(n), third.channel(n),
                                        third.channelData(n)));
            FUZZ_CHECK(again.channel(n).table_points <= image.channel(n).table_points ||
                       image.channel(n).table_points == 0);
            FUZZ_CHECK(third.channel(n).table_points <= again.channel(n).table_points);
        }
    }
    return 0;
}
