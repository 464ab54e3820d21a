// READ_METER answers: decode, encode as WRITE_METER, decode that payload again: the meter
// definition must come back unchanged (a station value the encoder refused or altered
// would be lost when the configuration is programmed back).
#include <array>
#include <vector>

#include "fuzz_support.h"
#include "link/block_codecs.h"
#include "link/request_table.h"

using namespace pelmo;
using namespace pelmo::fuzz;

namespace {

bool sameMeter(const definice_meridla_rec& a, const definice_meridla_rec& b) {
    for (std::size_t i = 0; i < a.constants.size(); ++i) {
        if (!sameReal(a.constants[i], b.constants[i])) {
            return false;
        }
    }
    return a.meter_number == b.meter_number && a.mode_a == b.mode_a && a.mode_b == b.mode_b &&
           a.variant == b.variant && a.mode_copy == b.mode_copy && a.interval_p1 == b.interval_p1 &&
           a.interval_p2 == b.interval_p2 && a.interval_cond == b.interval_cond &&
           a.reserved_word == b.reserved_word && sameReal(a.imp_coef_1, b.imp_coef_1) &&
           sameReal(a.imp_coef_2, b.imp_coef_2) && a.output_word == b.output_word;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto answer = bytesOf(data, size);
    definice_meridla_rec meter;
    decodeMeter(answer, meter);

    constexpr std::size_t p = kAnswerPayloadOffset;
    FUZZ_CHECK(meter.meter_number == le16(answer, p));
    FUZZ_CHECK(meter.variant == (meter.mode_b & 0x0F));
    FUZZ_CHECK(sameReal(meter.constants[0], single(answer, p + 6)));
    FUZZ_CHECK(sameReal(meter.imp_coef_2, single(answer, p + 80)));
    FUZZ_CHECK(meter.output_word == static_cast<std::int32_t>(le16(answer, p + 84)));

    std::array<std::uint8_t, kMeterPayload> payload{};
    FUZZ_CHECK(encodeMeter(meter, payload));
    std::vector<std::uint8_t> again(p + kMeterPayload + 2, 0);
    std::memcpy(again.data() + p, payload.data(), payload.size());
    definice_meridla_rec decoded;
    decodeMeter(again, decoded);
    FUZZ_CHECK(sameMeter(meter, decoded));
    return 0;
}
