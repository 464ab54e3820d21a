#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

#include "model/meter_captions.h"
#include "model/station_image.h"

namespace pelmo {

class Prompts;

// Variant 8 (the gas meter) comes only from a station or a file; the list offers 0..7.
inline constexpr int kOfferedVariants = 8;
// Rows 4 and 12 of the gas version hold Redlich-Kwong 'b' constants, far below one.
inline constexpr double kGasRowScale = 1e6;

// Entries of the measurement method lists.
enum class Method : int { Volume = 0, Mass = 1, Direct = 2, Indirect = 3 };
// Entries of the analog output lists and of the medium list.
inline constexpr int kOutputCalculated = 0;
inline constexpr int kOutputByChannels = 1;
inline constexpr int kMediumWater = 0;
inline constexpr int kMediumSteam = 1;

// output_word bits.
inline constexpr std::int32_t kOutput1Calculated = 1;
inline constexpr std::int32_t kOutput2Calculated = 2;
inline constexpr std::int32_t kCoefficient1PerTonne = 16;
inline constexpr std::int32_t kCoefficient2PerTonne = 32;
// mode_b bit of the medium.
inline constexpr std::uint8_t kMediumWaterBit = 64;

// Method of circuit 1 or 2 read from its bits in mode_a and mode_b.
Method methodOf(std::uint8_t mode_a, std::uint8_t mode_b, int circuit);
// Sets the bits of `method` for circuit 1 or 2; bits already set stay.
void addMethodBits(std::uint8_t& mode_a, std::uint8_t& mode_b, int circuit, Method method);

// Output list entries for the low four bits of output_word; -1 (no entry) for a pattern
// other than 0..3.
std::array<int, 2> outputEntriesOf(std::int32_t output_word);

bool isGasScaledRow(int row);

// Captions of the lists, the grid rows and the unit boxes in the current language.
QStringList variantEntries();
QStringList methodEntries();
QStringList outputListEntries();
QStringList mediumEntries();

// The editor's controls as values, so that opening, checking and saving run without
// widgets. List indices are -1 when nothing is selected.
struct MeterForm {
    QString meterNumber;
    int variant = -1;
    int medium = -1;
    std::array<int, 2> methods{-1, -1};
    std::array<int, 2> outputs{-1, -1};
    std::array<QString, kMeterConstantRows> constants;
    std::array<QString, kMeterParameterRows> parameters;
    std::array<bool, 2> perTonne{false, false};
};

// The form as the editor opens on `meter`. Also refreshes `meter.variant` from mode_b.
// The gas version ticks both unit boxes.
MeterForm meterFormFromImage(definice_meridla_rec& meter, bool gas);

// The numbers of a form that passed its checks, as shown (gas rows not yet scaled).
struct MeterValues {
    std::uint16_t meterNumber = 0;
    std::array<double, kMeterConstantRows> constants{};
    double wetSteam = 0.0;
    std::array<std::int32_t, 3> intervals{};
    std::array<double, 2> coefficients{};
};

// The checks of Save in order; the first failure shows its message and ends them.
std::optional<MeterValues> checkMeterForm(const MeterForm& form, bool gas, Prompts& prompts);

// The store sequence. A list without a selection keeps what the record held.
void storeMeterForm(const MeterForm& form, const MeterValues& values, definice_meridla_rec& meter,
                    bool gas);

// Checks, then stores when they pass. False leaves `meter` untouched.
bool saveMeterForm(const MeterForm& form, definice_meridla_rec& meter, bool gas, Prompts& prompts);

// box_2 changes the unit of coefficient 2 in the record at once, before any save.
void setCoefficient2PerTonne(definice_meridla_rec& meter, bool perTonne);

}  // namespace pelmo
