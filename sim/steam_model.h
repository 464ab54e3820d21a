#pragma once

#include <array>
#include <cstdint>

namespace pelmo::sim {

// What the simulated plant does at a station time (seconds since 1980): a superheated steam
// line that now and then sags towards saturation, a condensate return and a feed pump.
// Pure functions of time, so every answer built from them is reproducible.
struct PlantState {
    double steamTemperature;  // °C
    double steamPressure;     // MPa absolute
    double steamFlow;         // t/h
    double condensateTemperature;
    double condensateFlow;  // m3/h
    bool pumpRunning;
};

PlantState plantAt(std::uint32_t t);

// Physical value that channel 1..8 measures, by the role of its position in a steam meter
// (1/4 temperature, 2/5 pressure, 3/6 flow, 7 condensate temperature, 8 condensate flow);
// a digital input reads the pump, 1 running and 0 stopped.
double channelValue(int channel, std::uint8_t inputCode, std::uint32_t t);

inline constexpr int kQuantityCount = 15;

// Quantities 1..15 the station accumulates (heat in GJ, mass in t, time in h) after
// `hours` of metering at the plant's average rates.
std::array<float, kQuantityCount> accumulated(double hours);

// Saturation temperature of steam at an absolute pressure in MPa (a fit within about 1 °C
// between 0.1 and 2 MPa).
double saturationTemperature(double pressure);

// Specific enthalpy of the steam, kJ/kg, good enough for register values.
double steamEnthalpy(double temperature, double pressure);

}  // namespace pelmo::sim
