// pelmo-cli steam: the program's steam table figures, for engineers checking a station's.
#include <QJsonObject>
#include <cmath>
#include <limits>
#include <optional>

#include "calc/steam_calculator.h"
#include "calc/steam_tables.h"
#include "cli/cli_session.h"
#include "json/json_values.h"
#include "json/reading_json.h"

namespace pelmo::cli {
namespace {

// Single-precision figures need nine significant digits to be told apart.
QString figure(double v) {
    return QString::asprintf("%.9g", v);
}

// A number as scripts write it (a decimal point; the operator's comma is taken too).
std::optional<double> readArgument(QString text) {
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

struct Invocation {
    QStringList numbers;  // the positional arguments
    QStringList options;  // everything from the first option on
};

Invocation split(const QStringList& args) {
    Invocation call;
    qsizetype i = 0;
    // A leading minus sign belongs to a number, not to an option.
    while (i < args.size() &&
           (!args[i].startsWith(QStringLiteral("--")) || readArgument(args[i]).has_value())) {
        call.numbers << args[i++];
    }
    call.options = args.mid(i);
    return call;
}

// Inputs as JSON members: a name and its value (a quantity or a word).
using Inputs = QList<std::pair<QString, QJsonValue>>;

QJsonValue given(double value, const char* unit) {
    return quantityJson(doubleJson(value), QString::fromUtf8(unit));
}

// A figure of the tables, in the unit of its name.
struct Result {
    QString name;
    CalcValue value;
    const char* unit;
};

// Prints the figures: the value, or "name value" lines, or one JSON document with the inputs;
// `unit` follows the last figure in the text.
int report(const QString& command, bool json, const Inputs& inputs, const QList<Result>& results,
           const QString& unit = {}) {
    bool complete = true;
    for (const auto& r : results) {
        complete = complete && r.value.has_value();
    }
    if (json) {
        QJsonObject in;
        for (const auto& i : inputs) {
            in.insert(i.first, i.second);
        }
        QJsonObject out;
        for (const auto& r : results) {
            out.insert(r.name,
                       quantityJson(r.value ? float32Json(*r.value) : QJsonValue(QJsonValue::Null),
                                    QString::fromUtf8(r.unit)));
        }
        const QJsonObject doc{{QStringLiteral("schema"), QLatin1String(schema::kSteam)},
                              {QStringLiteral("command"), command},
                              {QStringLiteral("input"), in},
                              {QStringLiteral("result"), out}};
        std::fputs(jsonText(doc).constData(), stdout);
    } else {
        for (const auto& r : results) {
            const QString value = r.value ? figure(*r.value) : QStringLiteral("------");
            const QString line = results.size() == 1 ? value : r.name + QLatin1Char(' ') + value;
            printLine(stdout, r.value && !unit.isEmpty() && &r == &results.back()
                                  ? line + QLatin1Char(' ') + unit
                                  : line);
        }
    }
    // A figure the tables cannot give is a failed check of the data, not a usage fault.
    return complete ? kExitOk : kExitStation;
}

constexpr OptionSpec kMinOption{"min", 0, "A",
                                "saturation-temperature: the lowest pressure [MPa] (else 99)"};
constexpr OptionSpec kMaxOption{"max", 0, "B",
                                "saturation-temperature: the highest pressure [MPa] (else 99)"};
constexpr OptionSpec kMethodOption{"method", 0, "volume|mass|direct",
                                   "density: the flow channel's measurement method (default mass)"};
constexpr OptionSpec kSteamJsonOption{"json", 0, nullptr,
                                      "one JSON document with the input and the result"};
constexpr OptionSpec kSteamOptions[] = {kMinOption, kMaxOption, kMethodOption, kSteamJsonOption};
constexpr OptionSpec kSaturationTemperatureOptions[] = {kMinOption, kMaxOption, kSteamJsonOption};
constexpr OptionSpec kSaturationPressureOptions[] = {kSteamJsonOption};
constexpr OptionSpec kDensityOptions[] = {kMethodOption, kSteamJsonOption};

int runSteam(const QStringList& args) {
    if (args.isEmpty()) {
        return usageError(QStringLiteral("steam needs a subcommand"));
    }
    const QString sub = args.front();
    const Invocation call = split(args.mid(1));
    StationImage image;
    SteamCalculator calc(image);

    auto numbers = [&](int count, std::array<double, 2>& out) -> bool {
        if (call.numbers.size() != count) {
            return false;
        }
        for (int k = 0; k < count; ++k) {
            const auto v = readArgument(call.numbers[k]);
            if (!v) {
                return false;
            }
            out[static_cast<std::size_t>(k)] = *v;
        }
        return true;
    };
    std::array<double, 2> n{};

    if (sub == QStringLiteral("saturation-temperature")) {
        const CommandOptions options(call.options, kSaturationTemperatureOptions);
        if (!options.ok()) {
            return usageError(options.error());
        }
        if (!numbers(1, n)) {
            return usageError(QStringLiteral("saturation-temperature needs one pressure P [MPa]"));
        }
        Inputs inputs{{QStringLiteral("pressure"), given(n[0], "MPa")}};
        double limits[2] = {-std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::infinity()};
        const char* names[2] = {"min", "max"};
        for (int k = 0; k < 2; ++k) {
            const QString name = QString::fromLatin1(names[k]);
            if (options.has(name)) {
                const auto v = readArgument(options.value(name));
                if (!v) {
                    return usageError(QStringLiteral("--%1 must be a number").arg(name));
                }
                limits[k] = *v;
                inputs << std::pair{name, given(*v, "MPa")};
            }
        }
        return report(sub, options.has(QStringLiteral("json")), inputs,
                      {{QStringLiteral("temperature"),
                        calc.saturationTemperature(n[0], limits[0], limits[1]), "°C"}});
    }

    if (sub == QStringLiteral("saturation-pressure")) {
        const CommandOptions options(call.options, kSaturationPressureOptions);
        if (!options.ok()) {
            return usageError(options.error());
        }
        if (!numbers(1, n)) {
            return usageError(QStringLiteral("saturation-pressure needs one temperature T [°C]"));
        }
        return report(sub, options.has(QStringLiteral("json")),
                      {{QStringLiteral("temperature"), given(n[0], "°C")}},
                      {{QStringLiteral("pressure"), calc.saturationPressure(n[0]), "MPa"}});
    }

    if (sub == QStringLiteral("density")) {
        const CommandOptions options(call.options, kDensityOptions);
        if (!options.ok()) {
            return usageError(options.error());
        }
        if (!numbers(2, n)) {
            return usageError(
                QStringLiteral("density needs a pressure P [MPa] and a temperature T [°C]"));
        }
        // The figure of a flow channel of circuit 1 measured by that method.
        const QString method = options.has(QStringLiteral("method"))
                                   ? options.value(QStringLiteral("method"))
                                   : QStringLiteral("mass");
        if (method == QStringLiteral("volume")) {
            image.meter.mode_b |= 0x10;
        } else if (method == QStringLiteral("direct")) {
            image.meter.mode_a |= 0x40;
        } else if (method != QStringLiteral("mass")) {
            return usageError(QStringLiteral("--method must be volume, mass or direct"));
        }
        return report(sub, options.has(QStringLiteral("json")),
                      {{QStringLiteral("pressure"), given(n[0], "MPa")},
                       {QStringLiteral("temperature"), given(n[1], "°C")},
                       {QStringLiteral("method"), method}},
                      {{QStringLiteral("omega"), calc.density(2, n[0], n[1]), "kg/m3"},
                       {QStringLiteral("rho"), steamDensity(n[0], n[1]), "kg/m3"}},
                      QStringLiteral("kg/m3"));
    }

    return usageError(QStringLiteral("unknown steam subcommand: %1").arg(sub));
}

}  // namespace

extern const Command kSteamCommand{
    "steam",
    "steam saturation-temperature P [--min A --max B] [--json]\n"
    "       pelmo-cli steam saturation-pressure T [--json]\n"
    "       pelmo-cli steam density P T [--method volume|mass|direct] [--json]",
    runSteam,
    kSteamOptions,
    "steam figures from the program's tables",
    "saturation-temperature|saturation-pressure|density"};

}  // namespace pelmo::cli
