#include "calc/steam_tables.h"

#include <cmath>

#include "model/station_image.h"

namespace pelmo {

const double kSaturationPressure[kSaturationPairs] = {
    0.1, 0.12, 0.14, 0.16, 0.18, 0.2, 0.25, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1.0, 1.1,
    1.2, 1.3,  1.4,  1.5,  1.6,  1.8, 2.0,  2.2, 2.4, 2.6, 2.8, 3.0, 3.5, 4.0, 4.5, 5.0};

const double kSaturationTemperature[kSaturationPairs] = {
    99.63,  104.81, 109.32, 113.32, 116.93, 120.23, 127.43, 133.54, 143.62, 151.84, 158.84,
    164.96, 170.41, 175.36, 179.88, 184.7,  187.96, 191.41, 195.04, 198.29, 201.37, 207.11,
    212.27, 217.24, 221.78, 226.04, 230.05, 233.84, 242.54, 250.33, 257.41, 263.91};

const double kDensityTemperature[kDensityRows] = {100, 120, 140, 160, 180, 200,
                                                  220, 260, 300, 350, 400};

const double kDensityPressure[kDensityColumns] = {0.1,  0.12, 0.15, 0.19, 0.24, 0.3,  0.4,
                                                  0.5,  0.75, 1.0,  1.25, 1.5,  1.75, 2.0,
                                                  2.25, 2.5,  2.75, 3.0,  3.5,  4.0};

// Below the saturation temperature of a pressure the column repeats a fixed value.
const double kDensityOmega[kDensityRows][kDensityColumns] = {
    {0.02428, 0.02662, 0.0298,  0.03354, 0.0377,  0.04141, 0.04866, 0.05257, 0.06554, 0.07654,
     0.0838,  0.09289, 0.10159, 0.11081, 0.11115, 0.11252, 0.11896, 0.12526, 0.13777, 0.15023},
    {0.02362, 0.02591, 0.029017, 0.032784, 0.0369,  0.04142, 0.04782, 0.05257, 0.06554, 0.07654,
     0.0838,  0.09289, 0.10159,  0.11081,  0.11115, 0.11252, 0.11896, 0.12526, 0.13777, 0.15023},
    {0.02301, 0.02523, 0.02825, 0.03186, 0.0359,  0.04027, 0.04668, 0.05257, 0.06554, 0.07654,
     0.0838,  0.09289, 0.10159, 0.11081, 0.11115, 0.11252, 0.11896, 0.12526, 0.13777, 0.15023},
    {0.02245, 0.02461, 0.02756, 0.03105, 0.03499, 0.0392,  0.04546, 0.05107, 0.06336, 0.074,
     0.0838,  0.09289, 0.10159, 0.11081, 0.11115, 0.11252, 0.11896, 0.12526, 0.13777, 0.15023},
    {0.02194, 0.02404, 0.02691, 0.03032, 0.034145, 0.03825, 0.04431, 0.04972, 0.06147, 0.071742,
     0.08106, 0.09129, 0.09797, 0.10638, 0.11115,  0.11252, 0.11896, 0.12526, 0.13777, 0.15023},
    {0.02146, 0.02352,  0.02632, 0.02964, 0.033376, 0.03736, 0.04327, 0.04851, 0.05986, 0.069709,
     0.07859, 0.086818, 0.09471, 0.10245, 0.11115,  0.11252, 0.11896, 0.12526, 0.13777, 0.15023},
    {0.02101, 0.02302, 0.02576, 0.02901, 0.03265, 0.03655, 0.0423,  0.0474,  0.058442, 0.067916,
     0.07643, 0.08433, 0.09177, 0.09888, 0.1058,  0.1124,  0.11896, 0.12526, 0.13777,  0.15023},
    {0.02019, 0.02212,  0.02475, 0.02787, 0.03136,  0.03509,  0.04058, 0.04545, 0.055927, 0.064845,
     0.07281, 0.080146, 0.08694, 0.0934,  0.099579, 0.105572, 0.1114,  0.11709, 0.1281,   0.13885},
    {0.01947, 0.02133, 0.02386, 0.02686, 0.03021, 0.03379, 0.03908, 0.04375, 0.053754, 0.062306,
     0.06984, 0.07677, 0.08319, 0.08926, 0.09504, 0.10055, 0.1058,  0.1109,  0.12079,  0.130183},
    {0.01866, 0.02045, 0.02287, 0.02574, 0.028957, 0.03239, 0.03743, 0.04188, 0.051456, 0.059509,
     0.06668, 0.07323, 0.07928, 0.08494, 0.09032,  0.09543, 0.10035, 0.10512, 0.114089, 0.122518},
    {0.01796, 0.01967, 0.022,   0.02476, 0.02784, 0.03114, 0.03597, 0.04025, 0.049414, 0.057154,
     0.06398, 0.07021, 0.07596, 0.08135, 0.08642, 0.09129, 0.09592, 0.10035, 0.10881,  0.11675},
};

const double kDensityCurvature[kDensityColumns - 1] = {
    0.00106, 0.0016,  0.0018,  0.00178, 0.00164, 0.00273, 0.0017,  0.0056,  0.00295, 0.00165,
    0.00111, 0.00081, 0.00062, 0.00049, 0.00039, 0.00033, 0.00028, 0.00091, 0.00071};

namespace {

// Index of the lower end of the interval that serves x on an ascending key column: the first
// key not below x, one step back, clamped to the first and last interval.
int intervalOf(double x, const double* keys, int count) {
    int i = 0;
    while (i < count && x > keys[i]) {
        ++i;
    }
    if (i == count) {
        i = count - 1;
    }
    return i > 0 ? i - 1 : 0;
}

std::optional<double> lookup(double x, const double* keys, const double* values) {
    if (!std::isfinite(x)) {
        return std::nullopt;
    }
    const int i = intervalOf(x, keys, kSaturationPairs);
    const double v =
        values[i] + (x - keys[i]) * (values[i + 1] - values[i]) / (keys[i + 1] - keys[i]);
    if (!std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

}  // namespace

std::optional<double> saturationTemperatureOf(double p) {
    return lookup(p, kSaturationPressure, kSaturationTemperature);
}

std::optional<double> saturationPressureOf(double t) {
    return lookup(t, kSaturationTemperature, kSaturationPressure);
}

std::optional<double> steamOmega(double p, double t) {
    if (!std::isfinite(p) || !std::isfinite(t)) {
        return std::nullopt;
    }
    const int r = intervalOf(t, kDensityTemperature, kDensityRows);
    const int j = intervalOf(p, kDensityPressure, kDensityColumns);
    const double tSpan = kDensityTemperature[r + 1] - kDensityTemperature[r];
    const double tPart = t - kDensityTemperature[r];
    const double a =
        kDensityOmega[r][j] + tPart * (kDensityOmega[r + 1][j] - kDensityOmega[r][j]) / tSpan;
    const double b = kDensityOmega[r][j + 1] +
                     tPart * (kDensityOmega[r + 1][j + 1] - kDensityOmega[r][j + 1]) / tSpan;
    const double pLow = kDensityPressure[j];
    const double pHigh = kDensityPressure[j + 1];
    const double pSpan = pHigh - pLow;
    double omega = a + (p - pLow) * (b - a) / pSpan;
    omega *= 1.0 + kDensityCurvature[j] * (p - pLow) / pSpan * (pHigh - p) / pSpan;
    if (!std::isfinite(omega)) {
        return std::nullopt;
    }
    return omega;
}

DensityMethod densityMethod(const definice_meridla_rec& meter, int circuit) {
    const int modeABit = circuit == 2 ? 0x80 : 0x40;
    const int modeBBit = circuit == 2 ? 0x20 : 0x10;
    if (meter.mode_a & modeABit) {
        return DensityMethod::Direct;
    }
    if (meter.mode_b & modeBBit) {
        return DensityMethod::Volume;
    }
    return DensityMethod::Mass;
}

double applyDensityMethod(double omega, DensityMethod method) {
    switch (method) {
        case DensityMethod::Volume:
            return omega * omega * 1000.0;
        case DensityMethod::Direct:
            return 1.0;
        case DensityMethod::Mass:
            break;
    }
    return omega;
}

std::uint8_t variantChannelMask(int variant) {
    static const std::uint8_t masks[] = {0, 7, 63, 192, 199, 255, 232, 239, 7};
    if (variant < 0 || variant >= static_cast<int>(sizeof masks)) {
        return 0;
    }
    return masks[variant];
}

bool variantUsesChannel(int variant, int channel) {
    if (channel < 1 || channel > kChannelCount) {
        return false;
    }
    return (variantChannelMask(variant) >> (channel - 1)) & 1;
}

}  // namespace pelmo
