#pragma once

#include <array>
#include <string>
#include <vector>

namespace pelmo::test {

// The faults of the campaign, in the columns' order.
enum class Fault {
    Silent,
    CorruptTrailer,
    DropByte,
    ExtraByte,
    LateAnswer,
    Delay,
    ShortBuffer,
    NoAnswer
};

inline constexpr std::array<Fault, 8> kFaults = {
    Fault::Silent,     Fault::CorruptTrailer, Fault::DropByte,    Fault::ExtraByte,
    Fault::LateAnswer, Fault::Delay,          Fault::ShortBuffer, Fault::NoAnswer};

// Longer than one attempt (31 polls of 20 ms), shorter than the four of an exchange: each
// answer arrives while a repetition waits, and the repetition's own answer comes later still.
inline constexpr int kLateAnswerMs = 700;
// Longer than an exchange's four attempts: every answer comes after the engine gave up.
inline constexpr int kFaultDelayMs = 3000;

std::string faultName(Fault fault);

// One row of the matrix: the sequence, the request left unanswered in the no-answer column
// and what each fault ends in (an empty cell: the fault does not apply).
struct SequenceFaults {
    std::string name;
    std::string noAnswer;
    std::array<std::string, kFaults.size()> outcomes;
    const std::string& expected(Fault f) const { return outcomes[static_cast<std::size_t>(f)]; }
};

const std::vector<SequenceFaults>& faultMatrix();

// The table of docs/fault-campaign.md: one row per sequence, one column per fault.
std::string faultMatrixMarkdown();

}  // namespace pelmo::test
