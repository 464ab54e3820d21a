#include "model/meter_captions.h"

#include <array>
#include <cstddef>

#include "base/texts.h"

namespace pelmo {

namespace {

constexpr std::array<int, kMeterConstantRows> kConstantOfRow{1,  2, 4,  3,  7,  8, 12,
                                                             13, 6, 11, 14, 15, 9, 10};
constexpr std::array<int, kMeterConstantRows> kSteamCaption{47, 48, 49, 50, 51, 52, 53,
                                                            54, 55, 56, 57, 58, 59, 60};
constexpr std::array<int, kMeterConstantRows> kGasCaption{356, 357, 403, 404, 358, 359, 53,
                                                          54,  55,  56,  405, 406, 362, 361};

std::size_t rowIndex(int row) {
    return static_cast<std::size_t>(row - 1);
}

QString unitSuffix(bool perTonne) {
    return perTonne ? QStringLiteral(" [/t]") : QStringLiteral(" [/GJ]");
}

}  // namespace

int constantOfRow(int row) {
    return kConstantOfRow[rowIndex(row)];
}

QString constantCaption(int row, bool gas) {
    return txt((gas ? kGasCaption : kSteamCaption)[rowIndex(row)]);
}

QString parameterCaption(int row, bool gas, bool perTonne) {
    switch (row) {
        case 1:
            // The gas version has no wet-steam correction; this label is the same in both
            // languages.
            return gas ? QStringLiteral("N/A") : txt(kTextWetSteamCorrC);
        case 5:
            return txt(kTextImpulseCoef1) + unitSuffix(perTonne);
        case 6:
            return txt(kTextImpulseCoef2) + unitSuffix(perTonne);
        default:
            return txt(68 + row);
    }
}

QString unitBoxCaption(int coefficient, bool perTonne) {
    return txt(coefficient == 1 ? 73 : 74) + QStringLiteral(" -") + unitSuffix(perTonne);
}

}  // namespace pelmo
