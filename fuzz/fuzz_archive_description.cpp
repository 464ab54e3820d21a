// READ_ARCHIVE_INFO answers: label and unit within their fields, trimmed, and what the
// archive window makes of the label.
#include "archives/archive_logic.h"
#include "fuzz_support.h"

using namespace pelmo;
using namespace pelmo::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto answer = bytesOf(data, size);
    std::string label = "unchanged";
    std::string unit = "unchanged";
    const bool ok = decodeArchiveDescription(answer, label, unit);
    FUZZ_CHECK(ok == (size >= 27));
    if (!ok) {
        FUZZ_CHECK(label == "unchanged" && unit == "unchanged");
        return 0;
    }
    FUZZ_CHECK(trimmed(label, 16) && trimmed(unit, 4));
    FUZZ_CHECK(std::memcmp(label.data(), data + 7, label.size()) == 0);
    FUZZ_CHECK(std::memcmp(unit.data(), data + 23, unit.size()) == 0);
    // The gas version hides a label the other version shows, never the other way round.
    const int variant = data[5] & 0x0F;
    for (int quantity = 1; quantity <= 15; ++quantity) {
        FUZZ_CHECK(!quantityShown(quantity, variant, label, true) ||
                   quantityShown(quantity, variant, label, false));
    }
    return 0;
}
