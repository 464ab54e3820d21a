#include "calc/steam_calculator.h"

#include <cmath>

#include "calc/steam_tables.h"

namespace pelmo {

namespace {

// Meter constants by their numbers.
constexpr int kTpMax = 1;
constexpr int kTpMin = 2;
constexpr int kPpMax = 7;
constexpr int kPpMin = 8;
constexpr int kSaturationBand = 9;  // gas version: the normal absolute pressure
constexpr int kWaterWeight = 10;    // gas version: the specific weight of water

constexpr double kZeroCelsius = 273.15;
// Inputs from 9 up are digital, counter and HART inputs, which need no temperature
// correction of the flow.
constexpr int kFirstDigitalInput = 9;

bool finite(double a, double b) {
    return std::isfinite(a) && std::isfinite(b);
}

}  // namespace

CalcValue toCalcValue(double v) {
    const float f = static_cast<float>(v);
    if (!std::isfinite(f)) {
        return std::nullopt;
    }
    return f;
}

CalcValue steamDensity(double p, double t) {
    const std::optional<double> omega = steamOmega(p, t);
    if (!omega) {
        return std::nullopt;
    }
    const CalcValue w = toCalcValue(*omega);
    if (!w) {
        return std::nullopt;
    }
    return toCalcValue(1000.0f * *w * *w);
}

SteamCalculator::SteamCalculator(const StationImage& image) : image_(image) {}

void SteamCalculator::reset() {
    temperature_ = 0.0;
    pressure_ = 0.0;
    lastSaturationTemperature_.reset();
    lastSaturationPressure_.reset();
    lastDensity_.reset();
    inRange_ = false;
    gasTemperature_ = {};
    gasPressure_ = {};
}

void SteamCalculator::refreshCopies() {
    saturationBand_ = static_cast<float>(constant(kSaturationBand));
    for (int k = 0; k < kChannelCount; ++k) {
        calibWaterTemp_[k] = static_cast<float>(image_.pv_data[k].calib_water_temp);
        tempCoef_[k] = static_cast<float>(image_.pv_data[k].temp_coef);
    }
}

CalcValue SteamCalculator::saturationTemperature(double p) {
    return saturationTemperature(p, constant(kPpMin), constant(kPpMax));
}

CalcValue SteamCalculator::saturationTemperature(double p, double minPressure, double maxPressure) {
    if (!std::isfinite(p)) {
        return std::nullopt;
    }
    CalcValue t;
    if (p > maxPressure || p < minPressure) {
        t = kSaturationOutOfLimits;
    } else if (auto v = saturationTemperatureOf(p)) {
        t = toCalcValue(*v);
    }
    if (t) {
        lastSaturationTemperature_ = t;
    }
    return t;
}

CalcValue SteamCalculator::saturationPressure(double t) {
    CalcValue p;
    if (auto v = saturationPressureOf(t)) {
        p = toCalcValue(*v);
    }
    if (p) {
        lastSaturationPressure_ = p;
    }
    return p;
}

CalcValue SteamCalculator::density(int kind, double p, double t) {
    auto omega = steamOmega(p, t);
    if (!omega) {
        return std::nullopt;
    }
    double v = *omega;
    if (kind == 2 || kind == 5) {
        v = applyDensityMethod(v, densityMethod(image_.meter, kind == 2 ? 1 : 2));
    }
    lastDensity_ = v;
    return toCalcValue(v);
}

CalcValue SteamCalculator::derive(int kind, double x) {
    refreshCopies();
    switch (kind) {
        case 0:
        case 3:
            if (!std::isfinite(x)) {
                // An unreadable temperature must not let the circuit's flow through.
                inRange_ = false;
                return std::nullopt;
            }
            temperature_ = x;
            inRange_ = true;
            return toCalcValue(x);
        case 1:
        case 4:
            return derivePressure(kind, x);
        case 2:
        case 5:
            return deriveFlow(kind, x);
        default:
            return toCalcValue(x);
    }
}

CalcValue SteamCalculator::derivePressure(int kind, double x) {
    const int flowChannel = kind == 1 ? 3 : 6;
    if (image_.channelData(flowChannel).name.empty()) {
        pressure_ = saturationPressure(temperature_).value_or(0.0f);
        return kNoFlowChannelPressure;
    }
    const CalcValue ts = saturationTemperature(x);
    if (!ts) {
        inRange_ = false;
        return std::nullopt;
    }
    if (*ts <= temperature_) {
        pressure_ = x;
    } else if (*ts - temperature_ < saturationBand_) {
        pressure_ = saturationPressure(temperature_).value_or(0.0f);
    } else {
        // Wet steam well below saturation: the station stops metering the circuit.
        inRange_ = false;
    }
    return toCalcValue(x);
}

CalcValue SteamCalculator::deriveFlow(int kind, double x) {
    const int c = kind + 1;
    const int variant = image_.meter.variant;
    if (!variantUsesChannel(variant, c)) {
        return toCalcValue(x);
    }
    if (!inRange_) {
        return 0.0f;
    }
    const double t = temperature_;
    const double p = pressure_;
    CalcValue r;
    if (t < constant(kTpMin) || t > constant(kTpMax) || p > constant(kPpMax) ||
        p < constant(kPpMin)) {
        r = 0.0f;
    } else if (variant == 0 || image_.channelData(c).name.empty() ||
               !variantUsesChannel(variant, c - 1)) {
        r = toCalcValue(x);
    } else if (t == 0.0 || p == 0.0) {
        r = kNoFlowChannelPressure;
    } else if (const CalcValue d = density(c - 1, p, t)) {
        r = toCalcValue(x * static_cast<double>(*d));
        if (r && image_.channel(c).input_code < kFirstDigitalInput) {
            const double v = *r;
            r = toCalcValue(v + (t - calibWaterTemp_[c - 1]) * v * tempCoef_[c - 1]);
        }
    }
    temperature_ = 0.0;
    pressure_ = 0.0;
    return r;
}

CalcValue SteamCalculator::gasDensity(int channel, double p, double t) {
    refreshCopies();
    if (channel < 2 || channel > kChannelCount || !finite(p, t)) {
        return std::nullopt;
    }
    if (t > constant(kTpMax) || t < constant(kTpMin)) {
        return 0.0f;
    }
    const double k = calibWaterTemp_[channel - 2];
    // The station rounds the denominator to single precision before dividing.
    const float denominator = static_cast<float>((t + kZeroCelsius) * constant(kSaturationBand));
    if (denominator == 0.0f || !std::isfinite(denominator)) {
        return std::nullopt;
    }
    return toCalcValue(k * p * kZeroCelsius / denominator);
}

CalcValue SteamCalculator::gasFlow(int channel, double x, double p, double t) {
    const CalcValue gas = gasDensity(channel, p, t);
    if (!gas || !std::isfinite(x)) {
        return std::nullopt;
    }
    const int b = image_.meter.mode_b;
    const bool byWaterWeight =
        (b >= 16 && b < 32 && channel == 6) || (b >= 32 && b < 48 && channel == 3) || b < 16;
    if (!byWaterWeight) {
        return toCalcValue(static_cast<double>(*gas) * x);
    }
    const double radicand = static_cast<double>(*gas) * constant(kWaterWeight);
    const double k = calibWaterTemp_[channel - 2];
    if (radicand < 0.0 || k == 0.0) {
        return std::nullopt;
    }
    const float m = static_cast<float>(std::sqrt(radicand));
    const double correction = (t - calibWaterTemp_[channel - 1]) * tempCoef_[channel - 1] + 1.0;
    return toCalcValue(x * m / k * correction);
}

CalcValue SteamCalculator::sampleValue(int channel, double x, bool gasVersion) {
    const int circuit = channel > 3 ? 1 : 0;
    if (gasVersion && (channel == 3 || channel == 6)) {
        return gasFlow(channel, x, gasPressure_[circuit], gasTemperature_[circuit]);
    }
    if (channel == 1 || channel == 4) {
        gasTemperature_[circuit] = std::isfinite(x) ? x : 0.0;
    } else if (channel == 2 || channel == 5) {
        gasPressure_[circuit] = std::isfinite(x) ? x : 0.0;
    }
    return derive(channel - 1, x);
}

}  // namespace pelmo
