#pragma once

#include <QString>
#include <array>
#include <functional>
#include <optional>

#include "calc/steam_calculator.h"
#include "editing/meter_definition_logic.h"
#include "model/station_image.h"

namespace pelmo {

class Prompts;

// Density of the water the flow meters are calibrated with, kg/m³.
inline constexpr double kCalibrationWaterDensity = 998.272;
// Pressure limits of the saturation temperatures shown by the conversion, MPa.
inline constexpr double kConversionMinPressure = 0.0;
inline constexpr double kConversionMaxPressure = 25.0;

// The input boxes of the conversion, in their Enter order.
enum FlowInput : int {
    kCalcTemperature = 0,  // le_VypTeplota
    kCalcPressure,         // le_VypTlak
    kMaxTemperature,       // le_maxPracTepl
    kMaxPressure,          // le_maxPracTlak
    kCalcFlow,             // le_vypPrutok
    kFlowInputCount
};

// Text an output shows before it is computed.
QString noFigureText();
// Text an output shows when its figure cannot be computed from the boxes.
QString uncomputableText();

// The flow unit conversion of a steam flow channel (3 or 6) without its widgets: the five
// input texts, the shown outputs and the states of the error label and the two buttons.
class FlowConversion {
public:
    // `warningTone` sounds the short warning signal (the window passes the sound module).
    FlowConversion(const StationImage& image, Prompts& prompts,
                   std::function<void()> warningTone = {});

    // Opening for `channel` with the table editor's value of the second point: it becomes
    // the calculated flow and stays the flow the calibration-water figure converts, whatever
    // the flow box holds later; every output "N/A", both buttons off, the error label hidden.
    void open(int channel, const QString& secondPointValue);

    // The operator entered an input box: the converted flows and limits are stale.
    void inputEntered();
    // Steam check after the calculation temperature or pressure changed; silent about
    // boxes that are no numbers.
    void temperatureChanged();
    void pressureChanged();

    // "Přepočítat": checks the boxes (messages shown), computes and shows the outputs.
    // The value for the table by the circuit's method (0 for direct and indirect, and 0 when
    // the maximum conditions lie below the calculation conditions), or nothing when a box
    // failed or the method's figure cannot be computed (its output says so).
    std::optional<double> convert();
    // "Použít": the text for the table's second point ("%.3f"), or nothing when the window
    // must stay open; a figure that cannot be computed is reported in a warning box.
    std::optional<QString> apply();

    int channel() const { return channel_; }
    Method method() const;

    std::array<QString, kFlowInputCount> inputs;
    QString mezTeplota;
    QString mezTlak;
    QString vypPrutok;
    QString hmot;
    QString maxPrutok;
    QString maxMezTlak;
    QString maxMezTep;
    bool errorShown = false;
    bool recalculateEnabled = false;
    bool applyEnabled = false;

private:
    bool readInput(int box, double& out) const;
    void steamCheck(bool temperatureFirst);
    void showMezTlak(double t);
    void showMezTeplota(double p);

    const StationImage& image_;
    Prompts& prompts_;
    std::function<void()> warningTone_;
    SteamCalculator calc_;
    int channel_ = 3;
    // The table editor's value of the second point, as it was when the window opened.
    QString secondPoint_;
};

}  // namespace pelmo
