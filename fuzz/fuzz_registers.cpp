// READ_REGISTERS answers: the values come from their bytes and every one has a text.
#include "bus/registers_reader.h"
#include "fuzz_support.h"

using namespace pelmo;
using namespace pelmo::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto answer = bytesOf(data, size);
    const auto values = decodeRegisters(answer);
    FUZZ_CHECK(values.has_value() == (size >= 9 + 4 * 19 + 2));
    if (!values) {
        return 0;
    }
    FUZZ_CHECK(static_cast<std::uint32_t>(values->address) == byteAt(answer, 3));
    for (std::size_t i = 0; i < 8; ++i) {
        FUZZ_CHECK(sameReal(values->circuit1[i], single(answer, 9 + 4 * i)));
        FUZZ_CHECK(sameReal(values->circuit2[i], single(answer, 9 + 4 * (8 + i))));
        FUZZ_CHECK(!registerText(values->circuit1[i]).isEmpty());
        FUZZ_CHECK(!registerText(values->circuit2[i]).isEmpty());
    }
    for (std::size_t i = 0; i < 3; ++i) {
        FUZZ_CHECK(sameReal(values->condensate[i], single(answer, 9 + 4 * (16 + i))));
        FUZZ_CHECK(!registerText(values->condensate[i]).isEmpty());
    }
    return 0;
}
