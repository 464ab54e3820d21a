#include "editing/meter_definition_logic.h"

#include <limits>

#include "base/decimal_text.h"
#include "base/field_check.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "link/byte_fields.h"

namespace pelmo {

namespace {

// Circuit 1 keeps its method in mode_b bit 4 and mode_a bit 6, circuit 2 one bit higher.
std::uint8_t modeBBit(int circuit) {
    return circuit == 1 ? 0x10 : 0x20;
}
std::uint8_t modeABit(int circuit) {
    return circuit == 1 ? 0x40 : 0x80;
}

constexpr int kWetSteamConstant = 5;
constexpr std::uint8_t kVariantBits = 0x0F;

std::size_t rowIndex(int row) {
    return static_cast<std::size_t>(row - 1);
}

QString coefficientText(double stored) {
    return formatDecimal(stored == 0.0 ? 0.0 : 1.0 / stored, 6);
}

// Every character of the value, as the field check lists positions: for a value whose
// characters are all allowed but which is still no usable number.
QString everyPosition(const QString& value) {
    QString positions;
    const qsizetype n = value.toUcs4().size();
    for (qsizetype i = 1; i <= n; ++i) {
        positions += QString::number(i) + QStringLiteral(". ");
    }
    return positions;
}

// Where a value of allowed characters breaks the number's form: a minus after the start,
// a second comma. Without a digit the whole value is wrong.
QString decimalFormPositions(const QString& value) {
    QString positions;
    bool comma = false;
    bool digit = false;
    int position = 0;
    for (char32_t c : value.toUcs4()) {
        ++position;
        if ((c == U'-' && position > 1) || (c == U',' && comma)) {
            positions += QString::number(position) + QStringLiteral(". ");
        }
        comma = comma || c == U',';
        digit = digit || (c >= U'0' && c <= U'9');
    }
    return positions.isEmpty() || !digit ? everyPosition(value) : positions;
}

void reportValue(Prompts& prompts, const QString& caption, const QString& positions) {
    prompts.information(txt(kTextBox151) + caption + txt(kTextContainsIllegalCharactersPos) +
                        positions + txt(kTextClosingParenthesis));
}

// The field check, then the number itself: the station carries reals in single precision,
// so a larger magnitude would make programming fail later.
std::optional<double> checkDecimal(const QString& value, const QString& caption, Prompts& prompts) {
    if (!validateField(value, caption, FieldKind::Decimal, prompts, true)) {
        return std::nullopt;
    }
    double v = 0.0;
    if (!parseDecimal(value, v)) {
        reportValue(prompts, caption, decimalFormPositions(value));
        return std::nullopt;
    }
    if (!fitsSingle(v)) {
        reportValue(prompts, caption, everyPosition(value));
        return std::nullopt;
    }
    return v;
}

// The field check in digits mode, then the 16-bit range the station block carries.
std::optional<std::int32_t> checkWord(const QString& value, const QString& caption,
                                      Prompts& prompts) {
    if (!validateField(value, caption, FieldKind::Integer, prompts, true)) {
        return std::nullopt;
    }
    bool ok = false;
    const qulonglong v = value.toULongLong(&ok);
    if (!ok || v > std::numeric_limits<std::uint16_t>::max()) {
        reportValue(prompts, caption, everyPosition(value));
        return std::nullopt;
    }
    return static_cast<std::int32_t>(v);
}

}  // namespace

Method methodOf(std::uint8_t mode_a, std::uint8_t mode_b, int circuit) {
    const bool b = (mode_b & modeBBit(circuit)) != 0;
    const bool a = (mode_a & modeABit(circuit)) != 0;
    if (a) {
        return b ? Method::Indirect : Method::Direct;
    }
    return b ? Method::Volume : Method::Mass;
}

void addMethodBits(std::uint8_t& mode_a, std::uint8_t& mode_b, int circuit, Method method) {
    if (method == Method::Volume || method == Method::Indirect) {
        mode_b |= modeBBit(circuit);
    }
    if (method == Method::Direct || method == Method::Indirect) {
        mode_a |= modeABit(circuit);
    }
}

std::array<int, 2> outputEntriesOf(std::int32_t output_word) {
    switch (output_word & 0x0F) {
        case 0:
            return {kOutputByChannels, kOutputByChannels};
        case 1:
            return {kOutputCalculated, kOutputByChannels};
        case 2:
            return {kOutputByChannels, kOutputCalculated};
        case 3:
            return {kOutputCalculated, kOutputCalculated};
        default:
            return {-1, -1};
    }
}

bool isGasScaledRow(int row) {
    return row == 4 || row == 12;
}

QStringList variantEntries() {
    QStringList entries{txt(kText0Bypass)};
    for (int n = 61; n <= 67; ++n) {
        entries << txt(n);
    }
    return entries;
}

QStringList methodEntries() {
    return {txt(kTextVolume), txt(kTextMass), txt(kTextDirect), txt(kTextIndirect)};
}

QStringList outputListEntries() {
    return {txt(kTextCalculated), txt(kTextChannel18)};
}

QStringList mediumEntries() {
    return {txt(kTextWater), txt(kTextSteam)};
}

MeterForm meterFormFromImage(definice_meridla_rec& meter, bool gas) {
    MeterForm form;
    form.meterNumber = QString::number(meter.meter_number);
    for (int row = 1; row <= kMeterConstantRows; ++row) {
        double v = meter.constants[static_cast<std::size_t>(constantOfRow(row) - 1)];
        if (gas && isGasScaledRow(row)) {
            v *= kGasRowScale;
        }
        form.constants[rowIndex(row)] = formatDecimal(v, 6);
    }
    form.parameters[0] = formatDecimal(meter.constants[kWetSteamConstant - 1], 6);
    form.parameters[1] = QString::number(meter.interval_p1);
    form.parameters[2] = QString::number(meter.interval_p2);
    form.parameters[3] = QString::number(meter.interval_cond);
    form.parameters[4] = coefficientText(meter.imp_coef_1);
    form.parameters[5] = coefficientText(meter.imp_coef_2);

    form.perTonne = {gas || (meter.output_word & kCoefficient1PerTonne) != 0,
                     gas || (meter.output_word & kCoefficient2PerTonne) != 0};
    form.outputs = outputEntriesOf(meter.output_word);
    form.medium = (meter.mode_b & kMediumWaterBit) != 0 ? kMediumWater : kMediumSteam;
    form.methods = {static_cast<int>(methodOf(meter.mode_a, meter.mode_b, 1)),
                    static_cast<int>(methodOf(meter.mode_a, meter.mode_b, 2))};

    const int variant = meter.mode_b & kVariantBits;
    form.variant = variant < kOfferedVariants ? variant : -1;
    meter.variant = variant;
    return form;
}

std::optional<MeterValues> checkMeterForm(const MeterForm& form, bool gas, Prompts& prompts) {
    MeterValues values;
    const auto number = checkWord(form.meterNumber, txt(kTextIdentificationNumber), prompts);
    if (!number) {
        return std::nullopt;
    }
    values.meterNumber = static_cast<std::uint16_t>(*number);

    for (int row = 1; row <= kMeterConstantRows; ++row) {
        const auto v =
            checkDecimal(form.constants[rowIndex(row)], constantCaption(row, gas), prompts);
        if (!v) {
            return std::nullopt;
        }
        values.constants[rowIndex(row)] = *v;
    }

    const auto caption = [&](int row) {
        return parameterCaption(row, gas, form.perTonne[row == 5 ? 0 : 1]);
    };
    const auto wet = checkDecimal(form.parameters[0], caption(1), prompts);
    if (!wet) {
        return std::nullopt;
    }
    values.wetSteam = *wet;
    for (int row = 2; row <= 4; ++row) {
        const auto v = checkWord(form.parameters[rowIndex(row)], caption(row), prompts);
        if (!v) {
            return std::nullopt;
        }
        values.intervals[static_cast<std::size_t>(row - 2)] = *v;
    }
    for (int row = 5; row <= 6; ++row) {
        const QString& text = form.parameters[rowIndex(row)];
        const auto v = checkDecimal(text, caption(row), prompts);
        if (!v) {
            return std::nullopt;
        }
        // The record holds the reciprocal, which must fit the station's reals too.
        if (*v != 0.0 && !fitsSingle(1.0 / *v)) {
            reportValue(prompts, caption(row), everyPosition(text));
            return std::nullopt;
        }
        values.coefficients[static_cast<std::size_t>(row - 5)] = *v;
    }
    return values;
}

void storeMeterForm(const MeterForm& form, const MeterValues& values, definice_meridla_rec& meter,
                    bool gas) {
    const definice_meridla_rec before = meter;

    meter.output_word = 0;
    const std::array<std::int32_t, 2> calculated{kOutput1Calculated, kOutput2Calculated};
    for (std::size_t i = 0; i < 2; ++i) {
        const bool on = form.outputs[i] < 0 ? (before.output_word & calculated[i]) != 0
                                            : form.outputs[i] == kOutputCalculated;
        if (on) {
            meter.output_word += calculated[i];
        }
    }
    if (form.perTonne[0]) {
        meter.output_word += kCoefficient1PerTonne;
    }
    if (form.perTonne[1]) {
        meter.output_word += kCoefficient2PerTonne;
    }

    meter.mode_a = 0;
    meter.mode_b = 0;
    for (int circuit = 1; circuit <= 2; ++circuit) {
        const int entry = form.methods[static_cast<std::size_t>(circuit - 1)];
        const Method m = entry < 0 ? methodOf(before.mode_a, before.mode_b, circuit)
                                   : static_cast<Method>(entry);
        addMethodBits(meter.mode_a, meter.mode_b, circuit, m);
    }
    const bool water =
        form.medium < 0 ? (before.mode_b & kMediumWaterBit) != 0 : form.medium == kMediumWater;
    if (water) {
        meter.mode_b |= kMediumWaterBit;
    }

    // A gas meter (variant 8) is shown without a selection; saving keeps it rather than
    // writing a variant the operator never chose.
    const int variant = form.variant < 0 ? (before.mode_b & kVariantBits) : form.variant;
    meter.mode_a = static_cast<std::uint8_t>(meter.mode_a + variant + 2);
    meter.mode_b = static_cast<std::uint8_t>(meter.mode_b + variant);
    meter.variant = variant;

    meter.meter_number = values.meterNumber;
    for (int row = 1; row <= kMeterConstantRows; ++row) {
        double v = values.constants[rowIndex(row)];
        if (gas && isGasScaledRow(row)) {
            v /= kGasRowScale;
        }
        meter.constants[static_cast<std::size_t>(constantOfRow(row) - 1)] = v;
    }
    meter.constants[kWetSteamConstant - 1] = values.wetSteam;
    meter.mode_copy = meter.mode_b;
    meter.interval_p1 = values.intervals[0];
    meter.interval_p2 = values.intervals[1];
    meter.interval_cond = values.intervals[2];

    const auto reciprocal = [](double v) { return v == 0.0 ? 0.0 : 1.0 / v; };
    meter.imp_coef_1 = reciprocal(values.coefficients[0]);
    meter.imp_coef_2 = reciprocal(values.coefficients[1]);
}

bool saveMeterForm(const MeterForm& form, definice_meridla_rec& meter, bool gas, Prompts& prompts) {
    const auto values = checkMeterForm(form, gas, prompts);
    if (!values) {
        return false;
    }
    storeMeterForm(form, *values, meter, gas);
    return true;
}

void setCoefficient2PerTonne(definice_meridla_rec& meter, bool perTonne) {
    // Setting the bit rather than adding 32 keeps the word sound should box and bit ever
    // disagree.
    if (perTonne) {
        meter.output_word |= kCoefficient2PerTonne;
    } else {
        meter.output_word &= ~kCoefficient2PerTonne;
    }
}

}  // namespace pelmo
