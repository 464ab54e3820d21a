// pelmo-cli diff: a station compared with a station file, or two station files.
#include <QCoreApplication>

#include "base/texts.h"
#include "cli/cli_session.h"
#include "files/program_settings.h"
#include "files/station_file.h"
#include "json/reading_json.h"
#include "model/station_image.h"
#include "operations/station_compare.h"

namespace pelmo::cli {
namespace {

constexpr int kExitDifferent = 3;

void printDiff(const QJsonObject& document) {
    std::fputs(jsonText(document).constData(), stdout);
}

class ConsoleCompareView final : public CompareView {
public:
    void compareStatus(const QString&) override {}
    void compareEnded(bool ok) override { QCoreApplication::exit(ok ? kExitOk : kExitStation); }
};

void report(const std::vector<FieldDifference>& differences) {
    if (differences.empty()) {
        printLine(stdout, txt(kTextTheStationAndThe));
        return;
    }
    for (const FieldDifference& d : differences) {
        printLine(stdout, QStringList{d.record, d.field, d.left, d.right}.join(QLatin1Char('\t')));
    }
    printLine(stdout, txt(kTextDifferences).arg(differences.size()));
}

constexpr OptionSpec kDiffOptions[] = {
    kPortOption,
    kAddressOption,
    {"in", 0, "FILE.sta", "the station file compared; given twice, two files without a station"},
    kJsonOption,
    kLangOption,
    kTraceOption};

int runDiff(const QStringList& args) {
    const CommandOptions options(args, kDiffOptions);
    const QStringList files = options.values(QStringLiteral("in"));
    const bool fromStation = files.size() == 1;
    if (!options.ok() || files.isEmpty() || files.size() > 2 ||
        (!fromStation && options.has(QStringLiteral("port")))) {
        return usageError(options.ok() ? QStringLiteral("--port DEVICE --in FILE, or --in A --in B")
                                       : options.error());
    }
    Session session;
    if (!session.open(options, fromStation)) {
        return usageError(session.error);
    }
    StationImage right;
    if (!loadStationInto(files.back(), right, session)) {
        return kExitUsage;
    }
    const bool gas = session.program.settings.isGasVersion();
    const bool json = options.has(QStringLiteral("json"));
    std::vector<FieldDifference> differences;
    if (fromStation) {
        ConsoleCompareView view;
        StationCompare compare(session.port, session.program.link, session.prompts, view);
        compare.start(right, session.program.station, gas);
        if (session.run() != kExitOk) {
            return kExitStation;
        }
        differences = compare.differences();
        if (json) {
            // Compared at the resolution the file holds, as the sequence compared it.
            printDiff(diffJson(throughStationFile(compare.stationRead(), {gas}), right, gas,
                               {QStringLiteral("station"), {}, session.program.station.bus_address},
                               {QStringLiteral("file"), files.back(), 0}));
        }
    } else {
        StationImage left;
        if (!loadStationInto(files.front(), left, session)) {
            return kExitUsage;
        }
        differences = compareConfigurations(left, right, gas);
        if (json) {
            printDiff(diffJson(left, right, gas, {QStringLiteral("file"), files.front(), 0},
                               {QStringLiteral("file"), files.back(), 0}));
        }
    }
    if (!json) {
        report(differences);
    }
    return differences.empty() ? kExitOk : kExitDifferent;
}

}  // namespace

extern const Command kDiffCommand{
    "diff",
    "diff --port DEVICE [--address N] --in FILE.sta [--json] [--lang cs|en] [--trace]\n"
    "                 | diff --in A.sta --in B.sta [--json] [--lang cs|en]",
    runDiff, kDiffOptions, "lists the fields in which the station or a file differs from a file"};

}  // namespace pelmo::cli
