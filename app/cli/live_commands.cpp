// pelmo-cli live: follows the station's live values as the tracking view does.
#include <QCoreApplication>
#include <QTimer>

#include "base/cp1250.h"
#include "base/texts.h"
#include "cli/cli_session.h"
#include "cli/console_read_view.h"
#include "files/monitoring_export.h"
#include "files/program_settings.h"
#include "link/communication.h"
#include "monitoring/live_tracker.h"
#include "operations/station_reader.h"

namespace pelmo::cli {
namespace {

// One line per new record on standard output: the time, then the value of each channel in
// use, tab-separated with a decimal point; a lost link on standard error.
class ConsoleLiveView final : public LiveTrackerView {
public:
    // `rows`: standard output, or standard error when standard output carries the CSV.
    ConsoleLiveView(const StationImage& image, int version, std::FILE* rows)
        : image_(image), version_(version), rows_(rows) {}

    // The column names, as the CSV names the channels: the time, then each channel in use.
    void header() const {
        const StationImage& image = image_;
        QStringList names{QStringLiteral("time")};
        for (int c = 1; c <= kChannelCount; ++c) {
            if (image.channel(c).in_use) {
                const definice_PV_udaj_rec& d = image.channelData(c);
                names << fromCp1250(d.name) + QStringLiteral(" [") + fromCp1250(d.units) +
                             QLatin1Char(']');
            }
        }
        printLine(rows_, names.join(QLatin1Char('\t')));
    }

    void liveStatus(const QString& text) override {
        if (text == txt(kTextErrorConnectiongToDevice)) {
            printLine(stderr, text);
        }
    }
    void liveRecord(const LiveRecord& record, int) override {
        const StationImage& image = image_;
        QByteArray line = csvStationTime(record.time);
        LiveEvaluator evaluate(image, version_);
        for (int c = 1; c <= kChannelCount; ++c) {
            if (!image.channel(c).in_use) {
                continue;
            }
            const auto v = evaluate(c, record.raw[static_cast<std::size_t>(c - 1)]);
            line += '\t' + (v ? csvNumber(*v) : QByteArray("---"));
        }
        printLine(rows_, QString::fromLatin1(line));
    }
    void liveConnectionLost() override {}
    void liveTrafficNote(const QString&) override {}
    void liveFailed(const QString& message) override {
        printLine(stderr, message);
        QCoreApplication::exit(kExitStation);
    }

private:
    const StationImage& image_;
    int version_;
    std::FILE* rows_;
};

constexpr OptionSpec kLiveOptions[] = {
    kPortOption,
    kAddressOption,
    {"seconds", 0, "S", "how long it runs, 1..2678400 (default: until interrupted)"},
    {"csv", 0, "FILE|-", "then writes the records as CSV, - for standard output"},
    kLangOption,
    kTraceOption};

int runLive(const QStringList& args) {
    const CommandOptions options(args, kLiveOptions);
    if (!options.ok()) {
        return usageError(options.error());
    }
    int seconds = 0;
    if (options.has(QStringLiteral("seconds"))) {
        bool ok = false;
        seconds = options.value(QStringLiteral("seconds")).toInt(&ok);
        if (!ok || seconds < 1 || seconds > 31 * 86400) {
            return usageError(QStringLiteral("--seconds takes 1..2678400"));
        }
    }
    Session session;
    if (!session.open(options)) {
        return usageError(session.error);
    }
    const OutputFile csv(options.value(QStringLiteral("csv")));
    if (options.has(QStringLiteral("csv")) && !csv.prepare()) {
        return kExitUsage;
    }
    StationImage& image = session.program.station;
    // The configuration read's progress on standard error: standard output carries the rows.
    ConsoleReadView readView(stderr);
    StationReader reader(session.port, session.program.link, session.prompts, readView);
    reader.start();
    // Ctrl+C and SIGTERM end the run at the next exchange, with END_COMM (the session's
    // interrupts), during the configuration read as during the follow.
    if (session.run() != kExitOk || session.prompts.errorShown() || session.interrupted()) {
        return kExitStation;
    }

    const int version = session.program.settings.version;
    ConsoleLiveView liveView(image, version, csv.toStdout() ? stderr : stdout);
    liveView.header();
    LiveTracker tracker(session.port, session.program.link, session.prompts, liveView);
    // Only a CSV needs the whole run; a follow of days would otherwise grow for nothing.
    tracker.setKeepRecords(options.has(QStringLiteral("csv")));
    QTimer limit;
    if (seconds > 0) {
        limit.setSingleShot(true);
        // The link is ended inside the loop: END_COMM may have to wait for the line (a poll's
        // answer still coming), and only the loop and the session's drain let it out.
        QObject::connect(&limit, &QTimer::timeout, &limit, [&tracker] {
            tracker.stop();
            QCoreApplication::exit(kExitOk);
        });
        limit.start(seconds * 1000);
    }
    tracker.start();
    const int rc = session.run();
    // After an interrupt the session has ended the link already; this writes nothing then.
    tracker.stop();
    session.interrupts.drain(session.port);
    // Interrupted, the follow writes what it took.
    if (rc != kExitOk && !session.interrupted()) {
        return rc;
    }
    if (options.has(QStringLiteral("csv"))) {
        if (!exportLiveCsv(csv.path(), image, version, tracker.records(), session.prompts)) {
            return kExitUsage;
        }
        if (csv.toStdout()) {
            csv.written();
        }
    }
    return tracker.taken() == 0 ? kExitStation : kExitOk;
}

}  // namespace

extern const Command kLiveCommand{
    "live",
    "live --port DEVICE [--address N] [--seconds S] [--csv FILE|-] [--lang cs|en] [--trace]",
    runLive, kLiveOptions, "follows the station's live values once a second"};

}  // namespace pelmo::cli
