#include "sim/steam_model.h"

#include <cmath>
#include <numbers>

namespace pelmo::sim {

namespace {

double wave(std::uint32_t t, double period, double phase = 0.0) {
    return std::sin(2.0 * std::numbers::pi * static_cast<double>(t) / period + phase);
}

// Deterministic measurement noise in -1..1.
double jitter(std::uint32_t t, std::uint32_t salt) {
    std::uint64_t z = (static_cast<std::uint64_t>(t) << 8) ^ salt;
    z += 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z % 20001) / 10000.0 - 1.0;
}

// Average hourly rates of quantities 1..15: circuit 1 dry and wet heat, circuit 2 (not
// metered by this plant), total heat, the same for mass, condensate heat and mass, hours
// of wet steam per circuit and hours of operation.
constexpr std::array<double, kQuantityCount> kRatesPerHour{
    11.2, 0.4, 0.0, 0.0, 11.6, 4.0, 0.15, 0.0, 0.0, 4.15, 1.1, 3.6, 0.05, 0.0, 1.0};

}  // namespace

PlantState plantAt(std::uint32_t t) {
    PlantState s{};
    s.steamTemperature = 186.0 + 9.0 * wave(t, 1200) + 1.5 * wave(t, 97) + 0.3 * jitter(t, 1);
    s.steamPressure = 1.0 + 0.06 * wave(t, 900, 1.0) + 0.01 * jitter(t, 2);
    s.steamFlow = 4.0 + 0.8 * wave(t, 1800) + 0.3 * wave(t, 130) + 0.05 * jitter(t, 3);
    s.condensateTemperature = 85.0 + 3.0 * wave(t, 2400) + 0.2 * jitter(t, 4);
    s.condensateFlow = 3.6 + 0.4 * wave(t, 1500, 0.5) + 0.05 * jitter(t, 5);
    // The feed pump rests ten minutes every hour.
    s.pumpRunning = (t / 600) % 6 != 5;
    return s;
}

double channelValue(int channel, std::uint8_t inputCode, std::uint32_t t) {
    const PlantState s = plantAt(t);
    if (inputCode >= 9 && inputCode <= 14) {
        return s.pumpRunning ? 1.0 : 0.0;
    }
    switch (channel) {
        case 1:
        case 4:
            return s.steamTemperature;
        case 2:
        case 5:
            return s.steamPressure;
        case 3:
        case 6:
            return s.steamFlow;
        case 7:
            return s.condensateTemperature;
        case 8:
            return s.condensateFlow;
        default:
            return 0.0;
    }
}

std::array<float, kQuantityCount> accumulated(double hours) {
    std::array<float, kQuantityCount> out{};
    if (hours <= 0.0) {
        return out;
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<float>(kRatesPerHour[i] * hours);
    }
    return out;
}

double saturationTemperature(double pressure) {
    return pressure > 0.0 ? 179.88 * std::pow(pressure, 0.2457) : 0.0;
}

double steamEnthalpy(double temperature, double pressure) {
    return 2776.0 + 2.2 * (temperature - 180.0) - 40.0 * (pressure - 1.0);
}

}  // namespace pelmo::sim
