#pragma once

#include <QFile>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "link/station_sequence.h"

namespace pelmo {

class Prompts;
class StationPort;

// "COM12" -> 12; fewer than four characters -> 0; -1 when the rest is not a number.
int portNumberFromName(const QString& name);

// The console's traffic log. At start-up it records the traffic with non-printable bytes
// in hexadecimal; the console's logging switch turns it to every byte in hexadecimal, or off.
class TrafficLog {
public:
    enum class Mode { Off, Printable, AllHex };

    explicit TrafficLog(QString path);
    void setMode(Mode mode);
    Mode mode() const { return mode_; }
    void record(bool outgoing, std::span<const std::uint8_t> bytes);
    // A sequence's own line between the traffic ("COMM - Sending STAV_MER").
    void note(const QString& text);
    // Empties the log file (a programming run starts with a fresh log).
    void clear();
    QString path() const { return file_.fileName(); }

    static QString format(std::span<const std::uint8_t> bytes, Mode mode);

private:
    QFile file_;
    Mode mode_ = Mode::Printable;
};

// The console's SetDate: COMM, then SET_TIME; the label shows "OK" or "failed" for the
// clock setting, and stays as it was when the station does not answer at all.
class SetDateSequence final : public StationSequence {
public:
    using Label = std::function<void(const QString&)>;

    SetDateSequence(StationPort& port, LinkContext& link, Prompts& prompts, Label label);
    ~SetDateSequence() override;

    void start();

private:
    void completion(ExchangeResult result) override;

    Label label_;
};

}  // namespace pelmo
