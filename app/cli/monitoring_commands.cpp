// pelmo-cli commands for monitoring samples: monitor and export.
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <algorithm>

#include "base/texts.h"
#include "cli/cli_session.h"
#include "cli/console_read_view.h"
#include "cli/readings.h"
#include "files/program_folder.h"
#include "files/program_settings.h"
#include "files/settings_ini.h"
#include "history/history_recorder.h"
#include "json/reading_json.h"
#include "link/communication.h"
#include "monitoring/mon_transfer.h"
#include "monitoring/monitoring_pair.h"
#include "operations/station_reader.h"

namespace pelmo::cli {
namespace {

// Transfer status on standard error, the gauge on the progress line; the event loop ends
// with the transfer.
class ConsoleTransferView final : public MonTransferView {
public:
    void transferStatus(const QString& text) override {
        // The window shows the channel being copied as a bare number: here it is progress.
        bool number = false;
        const int channel = text.toInt(&number);
        if (number) {
            channel_ = channel;
            show();
        } else {
            printStatus(stderr, text);
        }
    }
    void viewStatus(const QString&) override {}
    void viewSource(const QString& text) override { printStatus(stderr, text); }
    void expectedCounts(const std::array<std::uint16_t, kChannelCount>& counts) override {
        QStringList parts;
        for (std::uint16_t c : counts) {
            parts << QString::number(c);
        }
        if (counts != std::array<std::uint16_t, kChannelCount>{}) {
            printStatus(stderr, txt(kTextNumberOfSamples) + QStringLiteral(": ") +
                                    parts.join(QLatin1Char(' ')));
        }
    }
    void receivedCount(int, int) override {}
    void gaugeMaximum(int maximum) override { maximum_ = maximum; }
    void gauge(int position) override {
        position_ = position;
        show();
    }
    void trafficNote(const QString&) override {}
    void transferEnded(bool dataReady) override {
        Progress::show({});
        QCoreApplication::exit(dataReady ? kExitOk : kExitStation);
    }

private:
    void show() const {
        if (maximum_ > 0 && channel_ > 0) {
            Progress::show(txt(kTextCopyingSamplesChannel)
                               .arg(channel_)
                               .arg(std::min(100, position_ * 100 / maximum_)));
        }
    }

    int channel_ = 0;
    int maximum_ = 0;
    int position_ = 0;
};

int exitFor(PairResult result) {
    return result == PairResult::Ok ? kExitOk : kExitUsage;
}

}  // namespace

int readMonitoring(Session& session, const QString& requested, const QString& baseFolder,
                   QJsonObject* document) {
    session.prompts.resetErrors();
    StationImage& image = session.program.station;
    resetNewStation(image);
    MonitoringRecording recording;
    ConsoleTransferView transferView;
    MonTransfer transfer(session.port, session.program.link, session.prompts, transferView,
                         recording);
    transfer.start();
    if (session.run() != kExitOk || !transfer.dataReady()) {
        return kExitStation;
    }
    // The view's configuration read after the transfer, its progress on standard error.
    ConsoleReadView configView(stderr);
    StationReader reader(session.port, session.program.link, session.prompts, configView);
    reader.start();
    if (session.run() != kExitOk || session.prompts.errorShown()) {
        return kExitStation;
    }
    if (session.program.history) {
        session.program.history->monitoringRead(
            image, recording, session.program.settings.isGasVersion(), session.prompts);
    }
    QString out = requested;
    if (out.isEmpty()) {
        // The serial number is known only now, from the configuration read.
        const QString folder = stationFolder(baseFolder, image.cmos.serial_number);
        makeStationFolder(folder);
        out = QDir(folder).filePath(QString::fromLatin1(kCollectMonitoringName));
    }
    const PairResult saved = saveMonitoringPair(out, image, recording,
                                                session.program.settings.version, session.prompts);
    if (saved == PairResult::Ok) {
        printLine(document ? stderr : stdout, QFileInfo(out).fileName());
        if (document) {
            StationCalendar clock;
            calendarFromTimeCode(recording.status.station_time, clock);
            *document = monitoringJson(historyKey(image), QDateTime::currentDateTime(),
                                       isoStationTime(clock), out, {});
        }
    }
    return exitFor(saved);
}

namespace {

constexpr OptionSpec kMonitorOptions[] = {
    kPortOption,
    kAddressOption,
    {"out", 0, "FILE.mon", "the recording to write (its station file beside it, .con)"},
    kLangOption,
    kTraceOption};
constexpr OptionSpec kExportOptions[] = {
    {"out", 0, "FILE|-", "the export to write, - for standard output"},
    {"date", 0, nullptr, "a date column (default: ExportDate of settings.ini)"},
    {"no-date", 0, nullptr, "no date column"},
    {"tab", 0, nullptr, "tab-separated (default: Delimiter of settings.ini)"},
    {"no-tab", 0, nullptr, "space-separated"},
    {"csv", 0, nullptr, "UTF-8 CSV instead of the column text"}};

int runMonitor(const QStringList& args) {
    const CommandOptions options(args, kMonitorOptions);
    if (!options.ok() || !options.has(QStringLiteral("out"))) {
        return usageError(options.ok() ? QStringLiteral("--out FILE.mon is required")
                                       : options.error());
    }
    if (options.value(QStringLiteral("out")) == QStringLiteral("-")) {
        return usageError(QStringLiteral(
            "monitor writes FILE.mon and the station file beside it: --out - is not possible"));
    }
    Session session;
    if (!session.open(options)) {
        return usageError(session.error);
    }
    if (!prepareFolderOf(options.value(QStringLiteral("out")))) {
        return kExitUsage;
    }
    return readMonitoring(session, options.value(QStringLiteral("out")));
}

int runExport(const QStringList& arguments) {
    QStringList args = arguments;
    const QString in = !args.isEmpty() && !args.front().startsWith(QStringLiteral("--"))
                           ? args.takeFirst()
                           : QString();
    const CommandOptions options(args, kExportOptions);
    if (!options.ok() || in.isEmpty() || !options.has(QStringLiteral("out")) ||
        (options.has(QStringLiteral("date")) && options.has(QStringLiteral("no-date"))) ||
        (options.has(QStringLiteral("tab")) && options.has(QStringLiteral("no-tab")))) {
        return usageError(
            options.ok() ? QStringLiteral("FILE.mon and --out FILE are required; "
                                          "--date/--no-date and --tab/--no-tab exclude each other")
                         : options.error());
    }
    SettingsIni ini(settingsFilePath());
    ini.load();
    setLanguage(
        languageFromSetting(ini.readInteger(settings_keys::kSettings, QStringLiteral("lang"), 1)));
    const int version = ini.readInteger(settings_keys::kSettings, QStringLiteral("version"), 0);
    TextExportOptions text;
    text.date = ini.readBool(settings_keys::kSettings, QStringLiteral("ExportDate"), false);
    text.delimiter = ini.readBool(settings_keys::kSettings, QStringLiteral("Delimiter"), false);
    if (options.has(QStringLiteral("date")) || options.has(QStringLiteral("no-date"))) {
        text.date = options.has(QStringLiteral("date"));
    }
    if (options.has(QStringLiteral("tab")) || options.has(QStringLiteral("no-tab"))) {
        text.delimiter = options.has(QStringLiteral("tab"));
    }

    ConsolePrompts prompts;
    StationImage image;
    MonitoringRecording recording;
    if (const PairResult loaded = loadMonitoringPair(in, image, recording, version, prompts);
        loaded != PairResult::Ok) {
        return exitFor(loaded);
    }
    const OutputFile out(options.value(QStringLiteral("out")));
    if (!out.prepare()) {
        return kExitUsage;
    }
    const PairResult written = exportMonitoring(
        out.path(), image, recording,
        options.has(QStringLiteral("csv")) ? ExportFormat::Csv : ExportFormat::Text, text, version,
        prompts);
    if (written == PairResult::Ok) {
        out.written();
    }
    return exitFor(written);
}

}  // namespace

extern const Command kMonitorCommand{
    "monitor", "monitor --port DEVICE [--address N] --out FILE.mon [--lang cs|en] [--trace]",
    runMonitor, kMonitorOptions, "copies the station's monitoring buffers into a recording"};
extern const Command kExportCommand{
    "export",
    "export FILE.mon --out FILE.txt|- [--date | --no-date] [--tab | --no-tab] [--csv]",
    runExport,
    kExportOptions,
    "writes a recording as column text or CSV",
    "FILE.mon"};

}  // namespace pelmo::cli
