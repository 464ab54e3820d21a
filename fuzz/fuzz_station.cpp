// READ_STATION answers: texts within their widths, and decode → WRITE_STATION → decode
// keeps the station definition.
#include <array>
#include <vector>

#include "fuzz_support.h"
#include "link/block_codecs.h"
#include "link/request_table.h"

using namespace pelmo;
using namespace pelmo::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto answer = bytesOf(data, size);
    stanice_rec st;
    decodeStation(answer, st);

    constexpr std::size_t p = kAnswerPayloadOffset;
    FUZZ_CHECK(st.net_address == le16(answer, p + 2));
    FUZZ_CHECK(st.memory_code == byteAt(answer, p + 6));
    FUZZ_CHECK(st.memory_size == 32768 || st.memory_size == 66560);
    FUZZ_CHECK(trimmed(st.meter_name, 8) && trimmed(st.name, 20));

    std::array<std::uint8_t, kStationPayload> payload{};
    FUZZ_CHECK(encodeStation(st, 0x584ACE25u, payload));
    std::vector<std::uint8_t> again(p + kStationPayload + 2, 0);
    std::memcpy(again.data() + p, payload.data(), payload.size());
    stanice_rec decoded;
    decodeStation(again, decoded);
    FUZZ_CHECK(decoded.net_address == st.net_address && decoded.memory_code == st.memory_code &&
               decoded.memory_size == st.memory_size && decoded.name == st.name &&
               decoded.meter_name == st.meter_name);
    // A station that reports no message total is programmed with the default of 10.
    FUZZ_CHECK(decoded.messages_total == (st.messages_total == 0 ? 10 : st.messages_total));
    return 0;
}
