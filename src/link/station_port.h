#pragma once

#include <QTimer>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <vector>

namespace pelmo {

// Line state for the console's status lights.
struct LineStatus {
    bool open = false;
    bool dsr = false;
    bool cts = false;
    bool error = false;
};

// Wire time of one character at 9600 Bd (start bit, 8 data bits, stop bit).
inline constexpr std::int64_t kCharacterUs = 1042;
// The silence a station needs after its last byte before it listens again: 3.5 characters.
inline constexpr std::int64_t kDefaultTurnaroundUs = 3646;

// The bus as the engine sees it: blocks go out, received bytes come back through the
// receive handler. Implemented by the real serial port and by in-process links.
//
// The line is half duplex, and this is the one place that keeps it so: a block is written
// only once the line is the host's. That is `turnaround` after the last received byte, and,
// after a request whose answer nobody waits for (abandonAnswer), once that answer is due;
// until then blocks are held in order, and what arrives while they wait cannot answer them and
// is discarded.
class StationPort {
public:
    using ReceiveHandler = std::function<void(std::span<const std::uint8_t>)>;
    using TrafficObserver = std::function<void(bool outgoing, std::span<const std::uint8_t>)>;
    // Microseconds on a steady clock.
    using Clock = std::function<std::int64_t()>;

    StationPort();
    virtual ~StationPort() = default;

    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Writes the block now, or as soon as the line is the host's. Opens the port first when
    // it is closed; false when it cannot be opened or written.
    bool write(std::span<const std::uint8_t> data);
    virtual LineStatus lineStatus() const { return {isOpen(), false, false, false}; }
    // Delivers now what has already arrived but waits for the event loop, so that the
    // engine sees every byte received before it resets or polls.
    virtual void deliverArrived() {}

    void setReceiveHandler(ReceiveHandler handler) { receiveHandler_ = std::move(handler); }
    // Sees every byte written and received, e.g. for a traffic log or a trace.
    void setTrafficObserver(TrafficObserver observer) { observer_ = std::move(observer); }

    // The clock the line's timing is kept on; without one (a scripted peer) blocks go out at
    // once. Real ports have the steady clock from the start.
    void setClock(Clock clock) { clock_ = std::move(clock); }
    void setTurnaroundUs(std::int64_t us) { turnaroundUs_ = us; }
    std::int64_t turnaroundUs() const { return turnaroundUs_; }
    // The answer (`answerBytes` long) to the last block written or held will not be waited
    // for: the line stays the station's until it is due.
    void abandonAnswer(int answerBytes);
    // Microseconds until the host may write; 0 when it may now.
    std::int64_t usUntilFree() const;
    bool holding() const { return !held_.empty(); }
    // Writes the held blocks whose time has come; the engine's poll calls it.
    void service();

    static Clock steadyClock();

protected:
    // The implementation's write, at once.
    virtual bool transmit(std::span<const std::uint8_t> data) = 0;
    void deliver(std::span<const std::uint8_t> data);
    void noteWritten(std::span<const std::uint8_t> data);

private:
    struct Held {
        std::vector<std::uint8_t> bytes;
        int abandonedAnswer = 0;
    };
    bool send(std::span<const std::uint8_t> data, int abandonedAnswer);
    // The answer to the block just written is due; the line is the station's until then.
    void answerAbandoned(int answerBytes);
    std::int64_t now() const { return clock_ ? clock_() : 0; }

    ReceiveHandler receiveHandler_;
    TrafficObserver observer_;
    Clock clock_;
    std::int64_t turnaroundUs_ = kDefaultTurnaroundUs;
    std::int64_t lastReceivedUs_ = -1;
    std::int64_t abandonedDueUs_ = -1;
    std::int64_t lastWriteUs_ = 0;
    std::size_t lastWriteBytes_ = 0;
    std::deque<Held> held_;
    QTimer flushTimer_;
};

}  // namespace pelmo
