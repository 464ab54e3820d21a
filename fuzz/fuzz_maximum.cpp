// READ_MAXIMUM answers: values and time stamps from their bytes, and their texts.
#include "bus/maximum_reader.h"
#include "fuzz_support.h"

using namespace pelmo;
using namespace pelmo::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto answer = bytesOf(data, size);
    const auto v = decodeMaximum(answer);
    FUZZ_CHECK(v.has_value() == (size >= 31));
    if (!v) {
        return 0;
    }
    FUZZ_CHECK(
        sameReal(v->current1, single(answer, 5)) && sameReal(v->current2, single(answer, 9)) &&
        sameReal(v->maximum1, single(answer, 13)) && sameReal(v->maximum2, single(answer, 21)));
    FUZZ_CHECK(v->time1 == le32(answer, 17) && v->time2 == le32(answer, 25));
    for (const double value : {v->current1, v->current2, v->maximum1, v->maximum2}) {
        FUZZ_CHECK(!maximumText(value).isEmpty());
    }
    for (const std::uint32_t time : {v->time1, v->time2}) {
        FUZZ_CHECK(maximumTimeText(time).size() == 8);
        FUZZ_CHECK(maximumDateText(time).size() == 8);
    }
    return 0;
}
