#include "editing/flow_conversion_logic.h"

#include <cmath>

#include "base/decimal_text.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "editing/number_field.h"

namespace pelmo {

namespace {

constexpr int kOutputDecimals = 5;
constexpr int kApplyDecimals = 3;

QString figure(std::optional<double> v) {
    return v ? formatDecimal(*v, kOutputDecimals) : uncomputableText();
}

std::optional<double> finiteOrNothing(double v) {
    if (!std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

std::optional<double> asDouble(CalcValue v) {
    if (!v) {
        return std::nullopt;
    }
    return static_cast<double>(*v);
}

// Captions that name a box in its field check message.
QString inputCaption(int box) {
    static const int texts[kFlowInputCount] = {336, 337, 338, 339, 340};
    return txt(texts[box]);
}

}  // namespace

QString noFigureText() {
    return QStringLiteral("N/A");
}

QString uncomputableText() {
    return txt(kTextCannotBeComputed);
}

FlowConversion::FlowConversion(const StationImage& image, Prompts& prompts,
                               std::function<void()> warningTone)
    : image_(image), prompts_(prompts), warningTone_(std::move(warningTone)), calc_(image) {}

void FlowConversion::open(int channel, const QString& secondPointValue) {
    channel_ = channel;
    secondPoint_ = secondPointValue;
    inputs = {};
    inputs[kCalcFlow] = secondPointValue;
    mezTeplota = mezTlak = noFigureText();
    inputEntered();
    errorShown = false;
    recalculateEnabled = false;
    applyEnabled = false;
}

Method FlowConversion::method() const {
    return methodOf(image_.meter.mode_a, image_.meter.mode_b, channel_ > 3 ? 2 : 1);
}

void FlowConversion::inputEntered() {
    vypPrutok = hmot = maxPrutok = maxMezTlak = maxMezTep = noFigureText();
}

bool FlowConversion::readInput(int box, double& out) const {
    return readNumber(inputs[static_cast<std::size_t>(box)], out);
}

void FlowConversion::showMezTlak(double t) {
    mezTlak = figure(asDouble(calc_.saturationPressure(t)));
}

void FlowConversion::showMezTeplota(double p) {
    mezTeplota = figure(
        asDouble(calc_.saturationTemperature(p, kConversionMinPressure, kConversionMaxPressure)));
}

void FlowConversion::temperatureChanged() {
    steamCheck(true);
}

void FlowConversion::pressureChanged() {
    steamCheck(false);
}

void FlowConversion::steamCheck(bool temperatureFirst) {
    double t = 0.0;
    double p = 0.0;
    if (temperatureFirst) {
        if (!readInput(kCalcTemperature, t)) {
            return;
        }
        showMezTlak(t);
        if (!readInput(kCalcPressure, p)) {
            return;
        }
        showMezTeplota(p);
    } else {
        if (!readInput(kCalcPressure, p)) {
            return;
        }
        showMezTeplota(p);
        if (!readInput(kCalcTemperature, t)) {
            return;
        }
        showMezTlak(t);
    }
    // Saturated or superheated steam. The table figures are single precision, so the typed
    // conditions are compared as such: 179,88 °C at 1 MPa is saturated, not out of bounds.
    const CalcValue saturationPressure = calc_.saturationPressure(t);
    const CalcValue saturationTemperature =
        calc_.saturationTemperature(p, kConversionMinPressure, kConversionMaxPressure);
    const bool within = saturationPressure && saturationTemperature &&
                        *saturationPressure >= static_cast<float>(p) &&
                        *saturationTemperature <= static_cast<float>(t);
    errorShown = !within;
    recalculateEnabled = within;
    if (!within && warningTone_) {
        warningTone_();
    }
    applyEnabled = method() != Method::Direct;
}

std::optional<double> FlowConversion::convert() {
    static const int order[] = {kCalcPressure, kCalcTemperature, kMaxTemperature, kMaxPressure,
                                kCalcFlow};
    std::array<double, kFlowInputCount> v{};
    for (int box : order) {
        if (!checkNumberField(inputs[static_cast<std::size_t>(box)], inputCaption(box), prompts_,
                              true, v[static_cast<std::size_t>(box)])) {
            return std::nullopt;
        }
    }
    const double t = v[kCalcTemperature];
    const double p = v[kCalcPressure];
    const double maxT = v[kMaxTemperature];
    const double maxP = v[kMaxPressure];
    const double flow = v[kCalcFlow];
    if (maxT < t || maxP < p) {
        // The table gets 0: no flow is sound under conditions that contradict each other.
        prompts_.warning(txt(kTextCalculationTempPressMax));
        return 0.0;
    }

    // The channel's own kind (3 or 6) takes no method adjustment: ρ = 1000 × ω².
    auto densityAt = [](double pressure, double temperature) -> std::optional<double> {
        const CalcValue rho = steamDensity(pressure, temperature);
        if (!rho || *rho <= 0.0f) {
            return std::nullopt;
        }
        return static_cast<double>(*rho);
    };
    const std::optional<double> rhoC = densityAt(p, t);
    std::optional<double> volume;
    std::optional<double> water;
    double q = 0.0;
    const bool haveQ = readNumber(secondPoint_, q);
    if (rhoC) {
        // Calibration water giving the differential pressure of the table's steam flow Q.
        if (haveQ) {
            water = finiteOrNothing(q / std::sqrt(*rhoC / kCalibrationWaterDensity));
        }
        volume = finiteOrNothing(flow / *rhoC);
    }

    std::optional<double> limitP = maxP;
    std::optional<double> limitT =
        asDouble(calc_.saturationTemperature(maxP, kConversionMinPressure, kConversionMaxPressure));
    if (limitT && maxT < *limitT) {
        limitT = maxT;
        limitP = asDouble(calc_.saturationPressure(maxT));
    }
    std::optional<double> maxFlow;
    if (limitP && limitT && volume) {
        if (const auto rhoL = densityAt(*limitP, *limitT)) {
            maxFlow = finiteOrNothing(*volume * *rhoL);
        }
    }

    vypPrutok = figure(volume);
    hmot = figure(water);
    maxPrutok = figure(maxFlow);
    maxMezTlak = figure(limitP);
    maxMezTep = figure(limitT);

    switch (method()) {
        case Method::Volume:
            return volume;
        case Method::Mass:
            return water;
        case Method::Direct:
        case Method::Indirect:
            break;
    }
    return 0.0;
}

std::optional<QString> FlowConversion::apply() {
    for (int box = 0; box < kFlowInputCount; ++box) {
        double ignored = 0.0;
        if (!checkNumberField(inputs[static_cast<std::size_t>(box)], inputCaption(box), prompts_,
                              true, ignored)) {
            return std::nullopt;
        }
    }
    const std::optional<double> result = convert();
    if (!result) {
        // Every box holds a number, so the method's figure itself could not be computed.
        QString figureName = tableText(method() == Method::Mass ? 342 : 340, language());
        if (figureName.endsWith(QLatin1Char(':'))) {
            figureName.chop(1);
        }
        prompts_.warning(txt(kTextTheValueCannotBe).arg(figureName));
        return std::nullopt;
    }
    return formatDecimal(*result, kApplyDecimals);
}

}  // namespace pelmo
