// Address maps (.map): a refused map leaves the list as it was; a map that loads saves
// and loads again with the same addresses, and after one save the list no longer changes.
#include "bus/address_map.h"
#include "fuzz_support.h"

using namespace pelmo;
using namespace pelmo::fuzz;

namespace {

bool sameEntries(const AddressEntries& a, const AddressEntries& b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].address != b[i].address || a[i].name != b[i].name) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    AddressEntries before;
    before[0] = {7, "before"};
    before[kUserAddressEntry] = {251, "user"};
    AddressEntries list = before;
    if (!decodeAddressMap(bytes, list)) {
        FUZZ_CHECK(sameEntries(list, before));
        return 0;
    }
    // The user's own entry is never mapped.
    FUZZ_CHECK(list[kUserAddressEntry].address == 251 && list[kUserAddressEntry].name == "user");
    for (int i = 0; i < kMapEntries; ++i) {
        const auto& e = list[static_cast<std::size_t>(i)];
        FUZZ_CHECK(e.address == 0 || (e.address >= 1 && e.address <= 251));
    }
    // A saved map loads; names are cut to seven characters, so after one save the list
    // no longer changes.
    AddressEntries again = before;
    FUZZ_CHECK(decodeAddressMap(encodeAddressMap(list), again));
    for (int i = 0; i < kMapEntries; ++i) {
        const auto& e = again[static_cast<std::size_t>(i)];
        FUZZ_CHECK(e.address == list[static_cast<std::size_t>(i)].address && e.name.size() <= 7);
    }
    AddressEntries third = before;
    FUZZ_CHECK(decodeAddressMap(encodeAddressMap(again), third));
    FUZZ_CHECK(sameEntries(third, again));
    return 0;
}
