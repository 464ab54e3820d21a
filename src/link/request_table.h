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

// Verification modes of the engine.
inline constexpr int kModeAtLeast = 0;
inline constexpr int kModeExact = 1;
inline constexpr int kModeTrailer = 3;
inline constexpr int kModeAck = 4;

struct RequestInfo {
    const char* name;  // nullptr for identifiers that build nothing
    std::uint8_t cls;  // 0 for ACK and the empty rows
    std::uint8_t code;
    int length;        // total datagram length; for WRITE_CHANNEL the length without table
    int answerLength;  // expected answer length, 0 when only 06h comes back
    int mode;          // verification mode the sequences use, -1 where none applies
};

const RequestInfo& requestInfo(int id);

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
    StationImage* image = nullptr;
    const FlySetup* fly = nullptr;
    std::function<LocalDateTime()> clock;  // empty: the PC's local time
    Prompts* prompts = nullptr;            // null: the program's prompts
};

BuildContext defaultBuildContext();

// SUM and XOR of bytes 0..n-3 into bytes n-2 and n-1.
void appendTrailer(std::span<std::uint8_t> datagram);
// True when the last two bytes are the SUM and XOR of the bytes from `start` before them.
bool trailerMatches(std::span<const std::uint8_t> bytes, std::size_t start);

// Clears the buffer and builds request `id`; returns its length, or 0 when nothing was
// built (the buffer is then left as it was for identifiers without a datagram).
int buildRequest(TxBuffer& tx, int id, const BuildContext& ctx);

TxBuffer& transmitBuffer();

}  // namespace pelmo
