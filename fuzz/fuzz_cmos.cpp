// READ_CMOS answers: every field comes from its byte, and the identity and serial number
// that WRITE_CMOS carries back come out of the encoder unchanged.
#include <array>

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
    CmosIdentity raw{};
    CMOS_rec cmos;
    decodeCmos(answer, raw, cmos);

    constexpr std::size_t p = kAnswerPayloadOffset;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        FUZZ_CHECK(raw[i] == byteAt(answer, p + i));
    }
    for (std::size_t i = 0; i < cmos.input_types.size(); ++i) {
        FUZZ_CHECK(cmos.input_types[i] == byteAt(answer, p + 16 + i));
    }
    FUZZ_CHECK(cmos.serial_number == le16(answer, p + 32));
    FUZZ_CHECK(cmos.locked == (byteAt(answer, p + 37) == 0x80));
    for (const int prescaler : {cmos.freq_prescaler_1, cmos.freq_prescaler_2, cmos.freq_prescaler_3,
                                cmos.freq_prescaler_4}) {
        FUZZ_CHECK(prescaler >= 1 && prescaler <= 15);
    }
    FUZZ_CHECK(cmos.sw_version.size() == 6 && cmos.sw_version[0] == 'v' &&
               cmos.sw_version[3] == '.');

    std::array<std::uint8_t, kCmosWritePayload> payload{};
    FUZZ_CHECK(encodeCmos(raw, cmos, payload));
    FUZZ_CHECK(std::memcmp(payload.data(), raw.data(), raw.size()) == 0);
    FUZZ_CHECK(le16(payload, 32) == cmos.serial_number);

    // An answer carrying the written payload decodes to the same identity and serial.
    std::array<std::uint8_t, kAnswerPayloadOffset + kCmosAnswerPayload + 2> again{};
    std::memcpy(again.data() + p, payload.data(), payload.size());
    CmosIdentity raw2{};
    CMOS_rec cmos2;
    decodeCmos(again, raw2, cmos2);
    FUZZ_CHECK(raw2 == raw && cmos2.serial_number == cmos.serial_number);
    return 0;
}
