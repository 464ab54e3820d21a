// stationsim: simulated measuring stations on a pseudo-terminal, for running the program
// and its tests without hardware.
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "base/version.h"
#include "sim/pty_device.h"
#include "sim/sim_bus.h"
#include "sim/stationsim_options.h"

namespace {

using namespace pelmo::sim;

volatile sig_atomic_t g_stop = 0;

void onSignal(int) {
    g_stop = 1;
}

std::int64_t monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// Ten bit times (start, eight data, stop) at 9600 Bd.
constexpr std::int64_t kByteNs = 10 * 1000000000LL / 9600;
constexpr std::int64_t kFrameGapNs = 5 * 1000000LL;
constexpr std::int64_t kMs = 1000000;
// The host's poll interval, for the --timing figures.
constexpr std::int64_t kPollNs = 20 * kMs;

void logBytes(const char* what, int address, std::span<const std::uint8_t> bytes) {
    std::string line = address ? "[" + std::to_string(address) + "] " : "      ";
    line += what;
    char hex[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(hex, sizeof hex, " %02X", b);
        line += hex;
    }
    std::fprintf(stderr, "%s\n", line.c_str());
}

bool makeLink(const std::string& link, const std::string& target) {
    struct stat st {};
    if (lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            std::fprintf(stderr, "stationsim: %s exists and is not a link\n", link.c_str());
            return false;
        }
        ::unlink(link.c_str());
    }
    if (symlink(target.c_str(), link.c_str()) != 0) {
        std::fprintf(stderr, "stationsim: cannot link %s: %s\n", link.c_str(),
                     std::strerror(errno));
        return false;
    }
    return true;
}

class Server {
public:
    Server(SimBus& bus, PtyDevice& pty, bool fast) : bus_(bus), pty_(pty), fast_(fast) {}

    // Runs until a signal arrives; false on a failure of the line.
    bool run(const sigset_t& waitMask) {
        while (!g_stop) {
            const std::int64_t now = monotonicNs();
            timespec timeout{};
            const std::int64_t wait = nextWakeNs(now);
            if (wait >= 0) {
                timeout.tv_sec = static_cast<time_t>(wait / 1000000000);
                timeout.tv_nsec = static_cast<long>(wait % 1000000000);
            }
            pollfd pfd{pty_.master(), POLLIN, 0};
            if (!out_.empty()) {
                pfd.events |= POLLOUT;
            }
            const int ready = ppoll(&pfd, 1, wait >= 0 ? &timeout : nullptr, &waitMask);
            if (ready < 0 && errno != EINTR) {
                std::fprintf(stderr, "stationsim: poll: %s\n", std::strerror(errno));
                return false;
            }
            const std::int64_t t = monotonicNs();
            const std::int64_t ms = (t - start_) / kMs;
            if (ready > 0 && (pfd.revents & POLLIN) && !readLine(ms, t)) {
                return false;
            }
            if (bus_.hasPartial() && t - lastByteNs_ >= kFrameGapNs) {
                bus_.lineIdle();
            }
            std::size_t taken = 0;
            const auto due = schedule_.takeDue(ms, &taken);
            answers_ += static_cast<std::int64_t>(taken);
            if (!due.empty()) {
                if (out_.empty()) {
                    // Half duplex: an answer starts once the request has left the line.
                    nextByteNs_ = std::max({nextByteNs_, t, inEndNs_});
                }
                out_.insert(out_.end(), due.begin(), due.end());
            }
            writeLine(t);
        }
        return true;
    }

    // Takes in what the host wrote before the stop, so the figures count all of it.
    void drain() {
        pollfd pfd{pty_.master(), POLLIN, 0};
        while (::poll(&pfd, 1, 0) > 0 && (pfd.revents & POLLIN)) {
            const std::int64_t t = monotonicNs();
            if (!readLine((t - start_) / kMs, t)) {
                return;
            }
        }
    }

    // The line's figures for --timing, one line on standard error.
    void printTiming() const {
        const std::int64_t span = firstRequestNs_ < 0 ? 0 : lastAnswerNs_ - firstRequestNs_;
        // The last exchange ends with its answer; nobody waits for a poll after it.
        const std::int64_t polled = polledNs_ + (answeredSinceRead_ ? exchangeWireNs_ : 0);
        std::fprintf(stderr,
                     "timing: request_bytes=%lld answer_bytes=%lld answers=%lld waits=%lld "
                     "span_us=%lld polled_us=%lld\n",
                     static_cast<long long>(requestBytes_), static_cast<long long>(answerBytes_),
                     static_cast<long long>(answers_), static_cast<long long>(waits_),
                     static_cast<long long>(std::max<std::int64_t>(span, 0) / 1000),
                     static_cast<long long>(polled / 1000));
    }

private:
    // Nanoseconds until something is due, -1 when only the line or a signal can wake us.
    std::int64_t nextWakeNs(std::int64_t now) const {
        std::int64_t wake = -1;
        auto consider = [&](std::int64_t at) {
            const std::int64_t d = std::max<std::int64_t>(at - now, 0);
            wake = wake < 0 ? d : std::min(wake, d);
        };
        // A full line is waited for with POLLOUT, not by the clock.
        if (!out_.empty() && !fast_ && !blocked_) {
            consider(nextByteNs_ + kByteNs);
        }
        if (const auto due = schedule_.nextDue()) {
            consider(start_ + *due * kMs);
        }
        if (bus_.hasPartial()) {
            consider(lastByteNs_ + kFrameGapNs);
        }
        return wake;
    }

    bool readLine(std::int64_t ms, std::int64_t t) {
        std::uint8_t buf[512];
        const ssize_t got = ::read(pty_.master(), buf, sizeof buf);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            return true;
        }
        if (got <= 0) {
            std::fprintf(stderr, "stationsim: the line closed\n");
            return false;
        }
        lastByteNs_ = t;
        // The bytes reach the station at the pace of the line: the request is whole only
        // after its wire time, and that is when the station starts to answer.
        inEndNs_ = fast_ ? t : std::max(inEndNs_, t) + got * kByteNs;
        if (firstRequestNs_ < 0) {
            firstRequestNs_ = t;
        }
        requestBytes_ += got;
        if (answeredSinceRead_) {
            // The host waited for its poll after that answer: the poll comes a whole number
            // of 20 ms after the write that started the exchange.
            ++waits_;
            polledNs_ += (exchangeWireNs_ + kPollNs - 1) / kPollNs * kPollNs;
            exchangeWireNs_ = 0;
            answeredSinceRead_ = false;
        }
        exchangeWireNs_ += got * kByteNs;
        const std::int64_t whole = fast_ ? ms : (inEndNs_ - start_) / kMs;
        // A station answers every request it received, END_COMM of a session nobody waits
        // for included, in order, at the pace of the line.
        for (Reply& reply : bus_.receive({buf, static_cast<std::size_t>(got)})) {
            schedule_.add(std::move(reply), whole);
        }
        return true;
    }

    void writeLine(std::int64_t t) {
        if (out_.empty()) {
            return;
        }
        std::size_t n = out_.size();
        if (!fast_) {
            // A byte is there once its ten bit times have passed.
            n = t < nextByteNs_ ? 0 : static_cast<std::size_t>((t - nextByteNs_) / kByteNs);
            n = std::min(n, out_.size());
        }
        if (n == 0) {
            return;
        }
        const std::vector<std::uint8_t> chunk(out_.begin(),
                                              out_.begin() + static_cast<std::ptrdiff_t>(n));
        const ssize_t put = ::write(pty_.master(), chunk.data(), chunk.size());
        blocked_ = put < static_cast<ssize_t>(chunk.size());
        if (put > 0) {
            out_.erase(out_.begin(), out_.begin() + put);
            nextByteNs_ += put * kByteNs;
            answerBytes_ += put;
            exchangeWireNs_ += put * kByteNs;
            lastAnswerNs_ = t;
            answeredSinceRead_ = out_.empty();
        }
    }

    SimBus& bus_;
    PtyDevice& pty_;
    bool fast_;
    ReplySchedule schedule_;
    std::deque<std::uint8_t> out_;
    std::int64_t start_ = monotonicNs();
    std::int64_t nextByteNs_ = 0;
    std::int64_t lastByteNs_ = 0;
    std::int64_t inEndNs_ = 0;  // when the bytes received so far have crossed the line
    bool blocked_ = false;      // the client side holds all it can; nobody reads it
    // --timing: bytes each way, answers, and the answers after which the host spoke again
    // (each of those cost it a wait for its poll).
    std::int64_t requestBytes_ = 0;
    std::int64_t answerBytes_ = 0;
    std::int64_t answers_ = 0;
    std::int64_t waits_ = 0;
    // The same exchanges' time with a host that writes at once at the poll that finds each
    // answer: the wire time of each exchange rounded up to whole polls.
    std::int64_t polledNs_ = 0;
    std::int64_t exchangeWireNs_ = 0;
    std::int64_t firstRequestNs_ = -1;
    std::int64_t lastAnswerNs_ = 0;
    bool answeredSinceRead_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    SimulatorOptions options;
    std::string error;
    if (!parseSimulatorOptions(args, options, error)) {
        std::fprintf(stderr, "stationsim: %s\n\n%s", error.c_str(), simulatorUsage().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(simulatorUsage().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("stationsim %s\n", qPrintable(pelmo::programVersionText()));
        return 0;
    }

    // Signals are only let through while waiting, so a stop request is never missed.
    sigset_t blocked;
    sigset_t waitMask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    sigprocmask(SIG_BLOCK, &blocked, &waitMask);
    sigdelset(&waitMask, SIGINT);
    sigdelset(&waitMask, SIGTERM);
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    PtyDevice pty;
    if (!pty.open(error)) {
        std::fprintf(stderr, "stationsim: %s\n", error.c_str());
        return 1;
    }
    if (!options.link.empty() && !makeLink(options.link, pty.path())) {
        return 1;
    }

    SimClock clock = systemClock();
    if (options.clockStart) {
        const std::uint32_t origin = clock();
        const std::uint32_t start = *options.clockStart;
        clock = [start, origin, pc = clock] { return start + (pc() - origin); };
    }
    SimBus bus(clock);
    Server server(bus, pty, options.fast);
    for (const StationOptions& s : options.stations) {
        StationContent content = defaultStation(s.address, clock());
        if (s.serial != 0) {
            content.image.cmos.serial_number = static_cast<std::uint16_t>(s.serial);
        }
        SimStation& station = bus.addStation(s.address, content);
        station.addFaults(options.everyStation);
        station.addFaults(s.faults);
    }
    bus.setObserver([&](const BusEvent& e) {
        if (!options.log) {
            return;
        }
        switch (e.kind) {
            case BusEventKind::Request:
                logBytes("->", e.address, e.bytes);
                break;
            case BusEventKind::Answer:
                logBytes("<-", e.address, e.bytes);
                break;
            case BusEventKind::Acknowledge:
                logBytes("-> ack", e.address, e.bytes);
                break;
            case BusEventKind::Ignored:
                logBytes("ignored", e.address, e.bytes);
                break;
        }
    });

    std::printf("%s\n", pty.path().c_str());
    std::fflush(stdout);
    for (const StationOptions& s : options.stations) {
        std::fprintf(stderr, "stationsim: station %d on %s\n", s.address, pty.path().c_str());
    }

    const bool ok = server.run(waitMask);
    if (options.timing) {
        server.drain();
        server.printTiming();
    }
    if (!options.link.empty()) {
        ::unlink(options.link.c_str());
    }
    return ok ? 0 : 1;
}
