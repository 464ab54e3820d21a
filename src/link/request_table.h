#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "link/time_code.h"
#include "model/station_image.h"

namespace pelmo {

class Prompts;

// Request identifiers; each selects one row of the request table.
enum Request : int {
    ACK = 0,
    READ_REGISTERS = 1,
    COMM = 2,
    READ_STATUS = 3,
    ERASE_STATION = 4,
    SET_TIME = 5,
    READ_METER = 6,
    READ_CHANNEL = 7,
    READ_STATION = 8,
    WRITE_STATION = 9,
    WRITE_METER = 10,
    WRITE_CHANNEL = 11,
    RESTART_MEASURING = 12,
    WRITE_ADDRESS = 13,
    READ_CMOS = 14,
    READ_CMOS_CHECK = 15,
    WRITE_CMOS = 16,
    END_COMM = 17,
    LOCK_STATION = 18,
    READ_ARCHIVE_INFO = 19,
    READ_ARCHIVE_DATA = 20,
    CLEAR_PARTIAL = 21,
    READ_MESSAGES = 22,
    READ_LIVE = 23,
    STAV_MER = 25,
    START_PRENOS = 26,
    SEND_BLOCK = 27,
    READ_MAXIMUM = 29,
    FLY_SET = 30,
    FLY_READ = 31,
    STOP_PRENOS = 32,
};

inline constexpr int kRequestCount = 33;
inline constexpr std::size_t kTxBufferSize = 200;
using TxBuffer = std::array<std::uint8_t, kTxBufferSize>;

inline constexpr std::uint8_t kAckByte = 0x06;
inline constexpr std::uint8_t kDleByte = 0x10;
inline constexpr std::uint8_t kStartByte = 0x01;
// An answer is 06h then a datagram; its payload starts at answer byte 5.
inline constexpr std::size_t kAnswerPayloadOffset = 5;
inline constexpr std::size_t kRequestPayloadOffset = 4;

// How the engine verifies an answer. The values are the ones the fuzz seeds carry.
enum class AnswerMode : std::int8_t {
    None = -1,    // never awaited (ACK, the empty rows)
    AtLeast = 0,  // at least the expected length, trailer over all of it
    Exact = 1,    // exactly the expected length with a good trailer
    Trailer = 3,  // any length with a good trailer
    Ack = 4,      // 06h (or DLE 06h) first
};

inline constexpr int kCmosAnswerLength = 45;
inline constexpr int kMeterAnswerLength = 93;

struct RequestInfo {
    const char* name;  // nullptr for identifiers that build nothing
    std::uint8_t cls;  // 0 for ACK and the empty rows
    std::uint8_t code;
    int length;        // total datagram length; for WRITE_CHANNEL the length without table
    int answerLength;  // expected answer length, 0 when only 06h comes back
    AnswerMode mode;   // how the sequences verify the answer
};

const RequestInfo& requestInfo(int id);

// What the engine waits for after a request.
struct AnswerExpectation {
    int length = 0;
    AnswerMode mode = AnswerMode::Ack;
    // A continuation block: an answer that does not start with 06h is summed from its
    // first byte.
    bool ackFirst = false;
};

// The length and mode the request table gives.
AnswerExpectation tableExpectation(Request id);

// Identifier of the request with this class and code (READ_CMOS for F3h), or -1.
int requestIdFor(std::uint8_t cls, std::uint8_t code);

// Total length of a request datagram given its first four bytes' class, code and length
// byte; 0 for an unknown request. Shared by the builder and by anything parsing requests.
int requestLength(std::uint8_t cls, std::uint8_t code, std::uint8_t lengthByte);

// Values of the flying measurement window that FLY_SET carries.
struct FlySetup {
    int band = 0;
    int count = 0;
    bool clear_buffer = false;
};

// Everything the builder reads besides the identifier.
struct BuildContext {
    StationImage* image = nullptr;  // must be set for every request but ACK
    const FlySetup* fly = nullptr;
    std::function<LocalDateTime()> clock;  // empty: the PC's local time
};

// SUM and XOR of bytes 0..n-3 into bytes n-2 and n-1.
void appendTrailer(std::span<std::uint8_t> datagram);
// True when the last two bytes are the SUM and XOR of the bytes from `start` before them.
bool trailerMatches(std::span<const std::uint8_t> bytes, std::size_t start);

// A block of the image that would not encode; the request is not sent.
enum class BuildFailure { None, StationDefinition, MeterDefinition, ChannelDefinition, Cmos };

struct BuiltRequest {
    int length = 0;  // 0: nothing built
    BuildFailure failure = BuildFailure::None;
};

// Clears the buffer and builds request `id`. Nothing is built for identifiers without a
// datagram (the buffer is then left as it was) and for a block that does not encode.
BuiltRequest buildRequest(TxBuffer& tx, int id, const BuildContext& ctx);

// The general error box's tag of a build failure (" 2.8: Definice stanice - progr."),
// nullptr for None.
const char* buildFailureTag(BuildFailure failure);
// The general error box of a build failure; nothing for None.
void reportBuildFailure(Prompts& where, BuildFailure failure);

}  // namespace pelmo
