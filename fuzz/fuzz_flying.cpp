// FLY_READ answers: the ten values from their bytes, the derived rows and their texts.
#include "bus/flying_measurement.h"
#include "fuzz_support.h"

using namespace pelmo;
using namespace pelmo::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto answer = bytesOf(data, size);
    const auto v = decodeFlyResults(answer);
    FUZZ_CHECK(v.has_value() == (size >= 50));
    if (!v) {
        return 0;
    }
    for (std::size_t i = 0; i < v->size(); ++i) {
        FUZZ_CHECK(sameReal((*v)[i], single(answer, 8 + 4 * i)));
        FUZZ_CHECK(!flyText((*v)[i]).isEmpty());
    }
    const auto totals = flyTotals(*v);
    FUZZ_CHECK(sameReal(totals[0], (*v)[0] + (*v)[1]));
    FUZZ_CHECK((*v)[2] != 0.0 || totals[3] == 0.0);
    for (const double t : totals) {
        FUZZ_CHECK(!flyText(t).isEmpty());
    }
    return 0;
}
