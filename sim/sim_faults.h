#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/request_table.h"

namespace pelmo::sim {

// Request kinds a fault applies to, by request identifier.
using RequestSet = std::bitset<kRequestCount>;

enum class ShortBuffer { Off, Once, Always };

// What can go wrong with one station. Parsed from a text such as
// "no-answer=READ_METER,corrupt-every=5,delay=300"; see faultSpecHelp().
struct FaultSettings {
    bool silent = false;   // the address never answers, not even COMM
    bool locked = false;   // the station starts locked against programming
    RequestSet noAnswer;   // requests the station ignores
    int corruptEvery = 0;  // every n-th datagram answer gets a wrong trailer; 0 never
    RequestSet dropByte;   // answers that lose one byte on the way
    RequestSet extraByte;  // answers with one byte too many after the trailer
    int delayMs = 0;       // every answer is held back this long
    ShortBuffer shortBuffer = ShortBuffer::Off;
    int shortChannel = 0;  // 1..8; 0 picks the first channel holding samples
};

// Adds the items of `spec` to `into`. On a malformed item returns false, leaves `into`
// as far as it got and says why in `error`.
bool parseFaultSpec(std::string_view spec, FaultSettings& into, std::string* error = nullptr);

// One line per item of the syntax, for --help.
std::string faultSpecHelp();

// Request identifier for a name of the request table (case-insensitive) or a number.
// READ_CMOS_CHECK is the same datagram as READ_CMOS, so it names READ_CMOS.
std::optional<int> requestByName(std::string_view name);

// An answer on its way to the host.
struct Reply {
    std::vector<std::uint8_t> bytes;
    int delayMs = 0;
};

// Applies the answer-shaping faults of one station; keeps the count for corrupt-every.
class FaultInjector {
public:
    FaultSettings& settings() { return settings_; }
    const FaultSettings& settings() const { return settings_; }

    // Whether the station keeps quiet about request `id`.
    bool suppresses(int id) const { return settings_.silent || settings_.noAnswer.test(id); }
    // The answer as it leaves the station. A datagram answer starts 06h 01h or is a
    // continuation block starting 06h; a bare 06h is an acknowledgement.
    Reply shape(int id, std::vector<std::uint8_t> answer);

private:
    FaultSettings settings_;
    int datagrams_ = 0;
};

}  // namespace pelmo::sim
