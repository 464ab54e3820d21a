#pragma once

#include <string>

namespace pelmo::sim {

// A pseudo-terminal pair in raw mode. The simulator works on the master side; programs
// open path() as their serial port. The simulator keeps its own descriptor of that side
// open, so the line does not hang up whenever a client closes it.
class PtyDevice {
public:
    PtyDevice() = default;
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    bool open(std::string& error);
    int master() const { return master_; }
    const std::string& path() const { return path_; }
    // Forgets bytes sent to the client side that nobody read.
    void discardUnread();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

}  // namespace pelmo::sim
