#pragma once

#include <QStringList>
#include <cstdint>
#include <map>

namespace pelmo {

// How one station address has answered since the program started.
struct AddressStatistics {
    int exchanges = 0;          // requests started (probes included)
    int repetitions = 0;        // requests written again after an attempt without an answer
    int timeouts = 0;           // attempts that ended without a whole answer
    int checksumFailures = 0;   // attempts whose whole answer had a wrong trailer
    int answers = 0;            // verified answers
    std::int64_t answerMs = 0;  // their summed answer times

    double meanAnswerMs() const { return answers ? static_cast<double>(answerMs) / answers : 0.0; }
    bool operator==(const AddressStatistics&) const = default;
};

// Bus health per address. The engines report to it; the debug console and pelmo-cli
// --stats show it. Answer times are counted in poll intervals, so they do not depend on
// how late the event loop runs a poll.
class BusStatistics {
public:
    void exchangeStarted(int address) { ++at(address).exchanges; }
    void repeated(int address) { ++at(address).repetitions; }
    void attemptFailed(int address, bool wholeAnswerWithBadTrailer);
    void answered(int address, int milliseconds);
    void clear();

    const std::map<int, AddressStatistics>& byAddress() const { return stats_; }
    // Changes whenever a figure changes, so a view can redraw only then.
    std::uint64_t version() const { return version_; }

private:
    AddressStatistics& at(int address);

    std::map<int, AddressStatistics> stats_;
    std::uint64_t version_ = 0;
};

// The health table as the console and --stats show it: the column captions, and one row's
// cells with the mean answer time in the language's decimal notation.
QStringList busHealthHeader();
QStringList busHealthCells(int address, const AddressStatistics& s);

}  // namespace pelmo
