#pragma once

#include <QString>
#include <QTimer>
#include <array>
#include <optional>

#include "link/station_sequence.h"

namespace pelmo {

// The ten values of a flying measurement: heat, mass and time dry and wet, temperature
// maximum and minimum, pressure maximum and minimum.
using FlyValues = std::array<double, 10>;

// Nothing unless the answer holds all ten values (50 bytes with its trailer).
std::optional<FlyValues> decodeFlyResults(std::span<const std::uint8_t> answer);
// The derived rows: dry+wet heat, mass and time in double precision, and the enthalpy
// heat / mass rounded to single precision (0 for no mass).
std::array<double, 4> flyTotals(const FlyValues& v);
// "%.10f" with a decimal comma.
QString flyText(double value);
// "180 sec".
QString flySecondsText(std::int64_t seconds);

class FlyView {
public:
    enum class Phase { Idle, Starting, Measuring, Retrieving };
    virtual ~FlyView() = default;
    virtual void flyStatus(const QString& text) = 0;
    // The setup read finished: the meter's intervals are known and b_read may be used.
    virtual void setupDone() = 0;
    virtual void gaugeStep() = 0;
    virtual void resultsRead(const FlyValues& values) = 0;
    virtual void phaseChanged(Phase phase) = 0;
    // The engine failed (the error box has been shown); `closing` when it was the setup.
    virtual void flyFailed(bool closing) = 0;
    // A decoding failure: the error box has been shown and the window closes.
    virtual void flyBroken() = 0;
};

// Three chains: setup (COMM, READ_CMOS, READ_STATION, READ_METER, END_COMM), start
// (COMM, FLY_SET, END_COMM) and, once the measuring time has passed on the one-second
// timer, retrieve (COMM, FLY_READ, END_COMM).
class FlyingMeasurement final : public StationSequence {
public:
    static constexpr int kTickMs = 1000;

    FlyingMeasurement(StationPort& port, LinkContext& link, Prompts& prompts, FlyView& view);
    ~FlyingMeasurement() override;

    // Interval length of circuit 1 or 2 from the image's meter definition.
    int intervalOf(int circuit) const;
    // number × interval of the circuit.
    std::int64_t measuringSeconds(int circuit, int count) const;

    void setup();
    // Starts a measurement over `count` intervals of `circuit`; `clearBuffer` sends 0.
    void startMeasurement(int circuit, int count, bool clearBuffer);
    // One second of the timer; tests call it directly.
    void tick();
    // "Přerušit": back to idle at once; a chain already running finishes its exchange, but
    // nothing is measured or shown after it. A start asked for meanwhile follows it.
    void cancel();

    FlyView::Phase phase() const { return phase_; }
    int waited() const { return waited_; }
    const FlySetup& setupValues() const { return fly_; }
    QTimer& timer() { return timer_; }

private:
    enum class Chain { None, Setup, Start, Retrieve };
    void completion(ExchangeResult result) override;
    void setPhase(FlyView::Phase phase);
    void startPending();

    FlyView& view_;
    Chain chain_ = Chain::None;
    FlyView::Phase phase_ = FlyView::Phase::Idle;
    FlySetup fly_;
    std::int64_t total_ = 0;
    int waited_ = 0;
    bool cancelled_ = false;
    std::optional<FlySetup> pending_;
    QTimer timer_;
};

}  // namespace pelmo
