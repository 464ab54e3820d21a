// READ_CHANNEL answers (any length, any point count): the decoder refuses more points than
// a channel holds, and decode → WRITE_CHANNEL → decode keeps the channel definition. The
// answer's last two bytes also give the CMOS prescalers, so frequency inputs are covered.
#include <vector>

#include "fuzz_support.h"
#include "link/block_codecs.h"
#include "link/request_table.h"

using namespace pelmo;
using namespace pelmo::fuzz;

namespace {

bool sameChannel(const definice_PV_rec& a, const definice_PV_udaj_rec& ad, const definice_PV_rec& b,
                 const definice_PV_udaj_rec& bd) {
    bool same =
        a.measurement == b.measurement && a.table_present == b.table_present &&
        a.display == b.display && a.input_code == b.input_code && a.interval == b.interval &&
        a.memory == b.memory && a.limit_low == b.limit_low && a.limit_high == b.limit_high &&
        a.output_code == b.output_code && a.range_low == b.range_low &&
        a.range_high == b.range_high && a.table_points == b.table_points && a.in_use == b.in_use &&
        a.divider == b.divider && a.table_y == b.table_y && ad.name == bd.name &&
        ad.text == bd.text && ad.units == bd.units && ad.sensor_type == bd.sensor_type &&
        sameReal(ad.table_scale, bd.table_scale) && sameReal(ad.table_offset, bd.table_offset) &&
        sameReal(ad.value_min, bd.value_min) && sameReal(ad.value_max, bd.value_max) &&
        sameReal(ad.calib_water_temp, bd.calib_water_temp) && sameReal(ad.temp_coef, bd.temp_coef);
    // Frequency inputs travel scaled by the divider, which rounds.
    if (!isFrequencyInput(a.input_code)) {
        same = same && a.table_x == b.table_x;
    }
    return same;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto answer = bytesOf(data, size);
    CMOS_rec cmos;
    if (size >= 2) {
        cmos.freq_prescaler_1 = data[size - 2] & 0x0F;
        cmos.freq_prescaler_2 = data[size - 2] >> 4;
        cmos.freq_prescaler_3 = data[size - 1] & 0x0F;
        cmos.freq_prescaler_4 = data[size - 1] >> 4;
    }
    definice_PV_rec s;
    definice_PV_udaj_rec d;
    const bool ok = decodeChannel(answer, cmos, s, d);

    constexpr std::size_t p = kAnswerPayloadOffset;
    const std::uint32_t points = le16(answer, p + 94);
    FUZZ_CHECK(ok == (points <= kTablePoints));
    FUZZ_CHECK(s.measurement == (byteAt(answer, p) & 0x7F));
    FUZZ_CHECK(s.in_use == (d.name.empty() ? 0 : 1));
    FUZZ_CHECK(d.name.size() <= 8 && d.text.size() <= 18 && d.units.size() <= 4 &&
               d.sensor_type.size() <= 8);
    if (!ok) {
        return 0;
    }
    FUZZ_CHECK(s.table_points == points);
    FUZZ_CHECK(s.divider >= 1);

    std::vector<std::uint8_t> payload(channelPayloadLength(s), 0);
    FUZZ_CHECK(payload.size() == 103 + 4 * points);
    const bool encoded = encodeChannel(3, s, d, payload);
    // Only a frequency table whose scaled inputs outgrow 16 bits has no block.
    FUZZ_CHECK(encoded || (isFrequencyInput(s.input_code) && s.table_present));
    FUZZ_CHECK(!encodeChannel(3, s, d, std::span(payload).first(payload.size() - 1)));
    if (!encoded) {
        return 0;
    }
    FUZZ_CHECK(payload[0] == 2);
    // The write payload is the answer layout one byte later.
    std::vector<std::uint8_t> again(p + payload.size() - 1 + 2, 0);
    std::memcpy(again.data() + p, payload.data() + 1, payload.size() - 1);
    definice_PV_rec s2;
    definice_PV_udaj_rec d2;
    FUZZ_CHECK(decodeChannel(again, cmos, s2, d2));
    FUZZ_CHECK(sameChannel(s, d, s2, d2));
    return 0;
}
