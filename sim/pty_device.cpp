#include "sim/pty_device.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace pelmo::sim {

PtyDevice::~PtyDevice() {
    if (slave_ >= 0) {
        ::close(slave_);
    }
    if (master_ >= 0) {
        ::close(master_);
    }
}

bool PtyDevice::open(std::string& error) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* name = ptsname(master_);
    if (!name) {
        error = std::string("no name for the pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    path_ = name;
    slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY);
    if (slave_ < 0) {
        error = "cannot open " + path_ + ": " + std::strerror(errno);
        return false;
    }
    // Raw: no echo, no line editing, no CR/LF translation; every byte value passes.
    termios t{};
    if (tcgetattr(slave_, &t) != 0) {
        error = std::string("cannot read the terminal settings: ") + std::strerror(errno);
        return false;
    }
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    if (tcsetattr(slave_, TCSANOW, &t) != 0) {
        error = std::string("cannot set raw mode: ") + std::strerror(errno);
        return false;
    }
    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) {
        error = std::string("cannot make the line non-blocking: ") + std::strerror(errno);
        return false;
    }
    return true;
}

void PtyDevice::discardUnread() {
    if (slave_ >= 0) {
        tcflush(slave_, TCIFLUSH);
    }
}

}  // namespace pelmo::sim
