#pragma once

#include <QString>
#include <array>
#include <optional>

#include "link/station_sequence.h"

namespace pelmo {

// The station's working values as READ_REGISTERS carries them: eight per steam circuit
// (temperature, pressure, enthalpy, heat flow, heat dry and wet, mass dry and wet) and
// three of the condensate (temperature, heat, mass).
struct RegisterValues {
    int address = 0;  // the answering station
    std::array<double, 8> circuit1{};
    std::array<double, 8> circuit2{};
    std::array<double, 3> condensate{};
};

// Nothing when the answer is too short to hold all nineteen values.
std::optional<RegisterValues> decodeRegisters(std::span<const std::uint8_t> answer);

// Caption texts of the rows: 175..182 for the circuits, 183..185 for the condensate.
int circuitRowText(int row);     // row 0..7
int condensateRowText(int row);  // row 0..2
// "#0.##0": at least one integer digit, three decimals, decimal comma.
QString registerText(double value);

class RegistersView {
public:
    enum class Ending { Read, Failed };
    virtual ~RegistersView() = default;
    virtual void registersStatus(const QString& text) = 0;
    virtual void clearTrafficLog() = 0;
    // The refresh button: off while a read runs.
    virtual void readRunning(bool running) = 0;
    virtual void registersRead(const RegisterValues& values) = 0;
    // Failed: the error box has been shown and the window closes.
    virtual void registersEnded(Ending ending) = 0;
};

// One READ_REGISTERS per read, without COMM or END_COMM, on a new engine each time.
class RegistersReader final : public StationSequence {
public:
    RegistersReader(StationPort& port, LinkContext& link, Prompts& prompts, RegistersView& view);

    // The window's first read (text 187) or a refresh (log cleared, text 188).
    void read(bool refresh);

private:
    void completion(ExchangeResult result) override;
    RegistersView& view_;
};

}  // namespace pelmo
