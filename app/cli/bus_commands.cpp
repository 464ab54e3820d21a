// pelmo-cli commands for the bus and the station queries: scan, registers, maximum, info, fly.
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonObject>

#include "base/cp1250.h"
#include "base/texts.h"
#include "bus/address_map.h"
#include "bus/address_search.h"
#include "bus/flying_measurement.h"
#include "bus/hardware_info.h"
#include "bus/maximum_reader.h"
#include "bus/registers_reader.h"
#include "cli/bus_scan.h"
#include "cli/cli_session.h"
#include "history/history_recorder.h"
#include "json/reading_json.h"
#include "link/communication.h"

namespace pelmo::cli {
namespace {

constexpr OptionSpec kQueryOptions[] = {kPortOption, kAddressOption, kJsonOption, kLangOption,
                                        kTraceOption};
// --address is taken only to say why registers refuses it.
constexpr OptionSpec kRegistersOptions[] = {
    kPortOption, {"address", 0, "N", nullptr}, kJsonOption, kLangOption, kTraceOption};
constexpr OptionSpec kScanOptions[] = {
    kPortOption,
    {"from", 0, "A", "the first address probed, 1..251 (default 1)"},
    {"to", 0, "B", "the last address probed, 1..251 (default 250)"},
    {"map", 0, "FILE.map", "writes the stations found as the search window's .map export"},
    kJsonOption,
    kLangOption,
    kTraceOption};
constexpr OptionSpec kFlyOptions[] = {
    kPortOption,
    kAddressOption,
    {"circuit", 0, "1|2", "the circuit measured"},
    {"count", 0, "N", "the number of intervals, 1..250"},
    {"keep-buffer", 0, nullptr, "the station's buffer is not cleared first"},
    kJsonOption,
    kLangOption,
    kTraceOption};

void printJson(const QJsonObject& object) {
    std::fputs(jsonText(object).constData(), stdout);
    std::fflush(stdout);
}

// Status texts go to standard output unless the output is one JSON document.
void status(bool json, const QString& text) {
    printStatus(json ? stderr : stdout, text);
}

// ---- scan ----

int runScan(const QStringList& args) {
    const CommandOptions options(args, kScanOptions);
    if (!options.ok()) {
        return usageError(options.error());
    }
    int first = 0;
    int last = 0;
    if (!readAddressRange(options, first, last)) {
        return kExitUsage;
    }
    Session session;
    if (!session.open(options)) {
        return usageError(session.error);
    }
    if (options.has(QStringLiteral("map")) &&
        !prepareFolderOf(options.value(QStringLiteral("map")))) {
        return kExitUsage;
    }
    const bool json = options.has(QStringLiteral("json"));
    // Each station is printed as it is found; the JSON document waits for the end.
    const std::vector<TAddressList> found =
        scanBus(session, first, last, [json](const TAddressList& e) {
            if (!json) {
                printLine(stdout,
                          QString::number(e.address) + QLatin1Char('\t') + fromCp1250(e.name));
            }
        });
    const StationImage& image = session.program.station;
    if (json) {
        printJson(scanJson(found, first, last, QDateTime::currentDateTime()));
    }
    if (options.has(QStringLiteral("map")) &&
        saveAddressMap(options.value(QStringLiteral("map")), image.address_list, session.prompts) !=
            MapFileResult::Ok) {
        return kExitUsage;  // the file error has been printed
    }
    return found.empty() ? kExitStation : kExitOk;
}

// ---- registers ----

class ConsoleRegistersView final : public RegistersView {
public:
    explicit ConsoleRegistersView(bool json) : json_(json) {}
    void registersStatus(const QString& text) override { status(json_, text); }
    void clearTrafficLog() override {}
    void readRunning(bool) override {}
    void registersRead(const RegisterValues& values) override { read = values; }
    void registersEnded(Ending ending) override {
        QCoreApplication::exit(ending == Ending::Read ? kExitOk : kExitStation);
    }
    std::optional<RegisterValues> read;

private:
    bool json_;
};

int runRegisters(const QStringList& args) {
    const CommandOptions options(args, kRegistersOptions);
    if (options.ok() && options.has(QStringLiteral("address"))) {
        // The request carries no station address: FBh is whichever station answers.
        return usageError(QStringLiteral(
            "registers takes no --address: READ_REGISTERS goes to FBh without COMM, so the "
            "station in session answers, or else the first one on the line; the output names "
            "the station that answered"));
    }
    Session session;
    if (!session.open(options)) {
        return usageError(session.error);
    }
    const bool json = options.has(QStringLiteral("json"));
    ConsoleRegistersView view(json);
    RegistersReader reader(session.port, session.program.link, session.prompts, view);
    reader.read(false);
    if (session.run() != kExitOk || !view.read) {
        return kExitStation;
    }
    const RegisterValues& v = *view.read;
    if (json) {
        printJson(registersJson(v, QDateTime::currentDateTime()));
        return kExitOk;
    }
    printLine(stdout,
              QLatin1Char('\t') + txt(kTextCircuitNo1) + QLatin1Char('\t') + txt(kTextCircuitNo2));
    for (std::size_t i = 0; i < v.circuit1.size(); ++i) {
        printLine(stdout, txt(circuitRowText(static_cast<int>(i))) + QLatin1Char('\t') +
                              registerText(v.circuit1[i]) + QLatin1Char('\t') +
                              registerText(v.circuit2[i]));
    }
    printLine(stdout, QLatin1Char('\t') + txt(kTextCircuitNo3));
    for (std::size_t i = 0; i < v.condensate.size(); ++i) {
        printLine(stdout, txt(condensateRowText(static_cast<int>(i))) + QLatin1Char('\t') +
                              registerText(v.condensate[i]));
    }
    return kExitOk;
}

// ---- maximum ----

class ConsoleMaximumView final : public MaximumView {
public:
    explicit ConsoleMaximumView(bool json) : json_(json) {}
    void maximumStatus(const QString& text) override { status(json_, text); }
    void maximumRead(const MaximumValues& values) override { read = values; }
    void maximumEnded(Ending ending) override {
        QCoreApplication::exit(ending == Ending::Read ? kExitOk : kExitStation);
    }
    std::optional<MaximumValues> read;

private:
    bool json_;
};

int runMaximum(const QStringList& args) {
    const CommandOptions options(args, kQueryOptions);
    Session session;
    if (!session.open(options)) {
        return usageError(session.error);
    }
    const bool json = options.has(QStringLiteral("json"));
    ConsoleMaximumView view(json);
    MaximumReader reader(session.port, session.program.link, session.prompts, view);
    reader.start();
    if (session.run() != kExitOk || !view.read) {
        return kExitStation;
    }
    const MaximumValues& v = *view.read;
    if (json) {
        printJson(
            maximumJson(historyKey(session.program.station), QDateTime::currentDateTime(), v));
        return kExitOk;
    }
    printLine(stdout,
              QLatin1Char('\t') + txt(kTextCircuitNo1) + QLatin1Char('\t') + txt(kTextCircuitNo2));
    printLine(stdout, txt(kTextCurrentStatusGJ) + QLatin1Char('\t') + maximumText(v.current1) +
                          QLatin1Char('\t') + maximumText(v.current2));
    printLine(stdout, txt(kTextMaximumValueGJ) + QLatin1Char('\t') + maximumText(v.maximum1) +
                          QLatin1Char('\t') + maximumText(v.maximum2));
    printLine(stdout, QLatin1Char('\t') + maximumTimeText(v.time1) + QLatin1Char(' ') +
                          maximumDateText(v.time1) + QLatin1Char('\t') + maximumTimeText(v.time2) +
                          QLatin1Char(' ') + maximumDateText(v.time2));
    return kExitOk;
}

// ---- info ----

class ConsoleHardwareView final : public HardwareInfoView {
public:
    explicit ConsoleHardwareView(bool json) : json_(json) {}
    void hardwareStatus(const QString& text) override { status(json_, text); }
    void stationDecoded() override {}
    void hardwareEnded(Ending ending) override {
        QCoreApplication::exit(ending == Ending::Read ? kExitOk : kExitStation);
    }

private:
    bool json_;
};

int runInfo(const QStringList& args) {
    const CommandOptions options(args, kQueryOptions);
    Session session;
    if (!session.open(options)) {
        return usageError(session.error);
    }
    const bool json = options.has(QStringLiteral("json"));
    ConsoleHardwareView view(json);
    HardwareInfoReader reader(session.port, session.program.link, session.prompts, view);
    reader.start();
    // A channel that did not decode is reported and the read goes on; the data still failed.
    if (session.run() != kExitOk || session.prompts.errorShown()) {
        return kExitStation;
    }
    const StationImage& img = session.program.station;
    if (json) {
        printJson(hardwareJson(img, QDateTime::currentDateTime()));
        return kExitOk;
    }
    QStringList cards;
    for (std::uint8_t code : img.cmos.input_types) {
        cards << inputCardText(code);
    }
    QStringList prescalers;
    for (int input = 1; input <= 4; ++input) {
        prescalers << prescalerText(img.cmos.prescaler(input));
    }
    auto line = [](int caption, const QString& value) {
        printLine(stdout, txt(caption) + QLatin1Char('\t') + value);
    };
    line(216, QString::number(img.cmos.serial_number));
    line(27, QString::number(img.station.net_address));
    line(89, QString::number(img.station.memory_size) + QStringLiteral(" B"));
    line(212, txt(img.cmos.locked ? 310 : 311));
    line(321, fromCp1250(img.cmos.sw_version));
    for (qsizetype i = 0; i < cards.size(); ++i) {
        printLine(stdout,
                  txt(kTextChannel316) + QString::number(i + 1) + QLatin1Char('\t') + cards[i]);
    }
    for (qsizetype i = 0; i < prescalers.size(); ++i) {
        printLine(stdout, txt(kTextFrequencyInput) + QString::number(i + 1) + QLatin1Char('\t') +
                              prescalers[i]);
    }
    return kExitOk;
}

// ---- fly ----

class ConsoleFlyView final : public FlyView {
public:
    ConsoleFlyView(bool json, std::function<void()> setupDone)
        : json_(json), setup_(std::move(setupDone)) {}
    void flyStatus(const QString& text) override { status(json_, text); }
    void setupDone() override { setup_(); }
    void gaugeStep() override {}
    void resultsRead(const FlyValues& values) override {
        read = values;
        QCoreApplication::exit(kExitOk);
    }
    void phaseChanged(Phase) override {}
    void flyFailed(bool) override { QCoreApplication::exit(kExitStation); }
    void flyBroken() override { QCoreApplication::exit(kExitStation); }
    std::optional<FlyValues> read;

private:
    bool json_;
    std::function<void()> setup_;
};

int runFly(const QStringList& args) {
    const CommandOptions options(args, kFlyOptions);
    if (!options.ok()) {
        return usageError(options.error());
    }
    bool circuitOk = false;
    bool countOk = false;
    const int circuit = options.value(QStringLiteral("circuit")).toInt(&circuitOk);
    const int count = options.value(QStringLiteral("count")).toInt(&countOk);
    if (!circuitOk || circuit < 1 || circuit > 2 || !countOk || count < 1 || count > 250) {
        return usageError(QStringLiteral("--circuit 1|2 and --count 1..250 are required"));
    }
    Session session;
    if (!session.open(options)) {
        return usageError(session.error);
    }
    const bool json = options.has(QStringLiteral("json"));
    const bool clear = !options.has(QStringLiteral("keep-buffer"));
    FlyingMeasurement* running = nullptr;
    ConsoleFlyView view(json, [&running, circuit, count, clear, json] {
        status(json, txt(kTextFlyingMeasurement297) + QStringLiteral(": ") +
                         flySecondsText(running->measuringSeconds(circuit, count)));
        // The wait it announces begins now.
        flushStatus();
        running->startMeasurement(circuit, count, clear);
    });
    FlyingMeasurement fly(session.port, session.program.link, session.prompts, view);
    running = &fly;
    fly.setup();
    if (session.run() != kExitOk || !view.read) {
        return kExitStation;
    }
    const FlyValues& v = *view.read;
    if (json) {
        printJson(flyJson(historyKey(session.program.station), QDateTime::currentDateTime(),
                          circuit, count, v));
        return kExitOk;
    }
    const auto totals = flyTotals(v);
    for (std::size_t i = 0; i < v.size(); ++i) {
        printLine(stdout, txt(283 + static_cast<int>(i)) + QLatin1Char('\t') + flyText(v[i]));
    }
    for (std::size_t i = 0; i < totals.size(); ++i) {
        printLine(stdout, txt(i < 3 ? 293 : 294) + QLatin1Char('\t') + flyText(totals[i]));
    }
    return kExitOk;
}

}  // namespace

extern const Command kScanCommand{
    "scan", "scan --port DEVICE [--from A] [--to B] [--map FILE] [--json] [--lang cs|en] [--trace]",
    runScan, kScanOptions, "probes the bus for stations"};
extern const Command kRegistersCommand{
    "registers", "registers --port DEVICE [--json] [--lang cs|en] [--trace]", runRegisters,
    kRegistersOptions, "the registers of the station in session"};
extern const Command kMaximumCommand{
    "maximum", "maximum --port DEVICE [--address N] [--json] [--lang cs|en] [--trace]", runMaximum,
    kQueryOptions, "the station's fifteen-minute maximum"};
extern const Command kInfoCommand{
    "info", "info --port DEVICE [--address N] [--json] [--lang cs|en] [--trace]", runInfo,
    kQueryOptions, "the station's hardware and memory"};
extern const Command kFlyCommand{
    "fly",
    "fly --port DEVICE [--address N] --circuit 1|2 --count N [--keep-buffer] [--json]\n"
    "                 [--lang cs|en] [--trace]",
    runFly, kFlyOptions, "a flying measurement over N intervals of a circuit"};

}  // namespace pelmo::cli
