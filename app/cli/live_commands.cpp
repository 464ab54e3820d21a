// pelmo-cli live: follows the station's live values as the tracking view does.
#include <QCoreApplication>
#include <QTimer>
#include <csignal>

#include "base/texts.h"
#include "cli/cli_session.h"
#include "files/monitoring_export.h"
#include "files/program_settings.h"
#include "link/communication.h"
#include "monitoring/live_tracker.h"
#include "operations/station_reader.h"

namespace pelmo::cli {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int) {
    g_interrupted = 1;
}

// The configuration read's progress on standard error.
class ConsoleReadView final : public StationReadView {
public:
    void readStarting() override {}
    void readStatus(const QString& text) override { printLine(stderr, text); }
    void channelDecoded(int) override {}
    void stationDecoded() override {}
    void readCompleted() override { QCoreApplication::exit(kExitOk); }
    void readFailed() override { QCoreApplication::exit(kExitStation); }
    void readInterrupted() override { QCoreApplication::exit(kExitStation); }
};

// One line per new record on standard output: the time, then the value of each channel in
// use, tab-separated with a decimal point; a lost link on standard error.
class ConsoleLiveView final : public LiveTrackerView {
public:
    explicit ConsoleLiveView(int version) : version_(version) {}

    void liveStatus(const QString& text) override {
        if (text == txt(136)) {
            printLine(stderr, text);
        }
    }
    void liveRecord(const LiveRecord& record, int) override {
        const StationImage& image = station();
        QByteArray line = csvStationTime(record.time);
        LiveEvaluator evaluate(image, version_);
        for (int c = 1; c <= kChannelCount; ++c) {
            if (!image.channel(c).in_use) {
                continue;
            }
            const auto v = evaluate(c, record.raw[static_cast<std::size_t>(c - 1)]);
            line += '\t' + (v ? csvNumber(*v) : QByteArray("---"));
        }
        printLine(stdout, QString::fromLatin1(line));
        std::fflush(stdout);
    }
    void liveConnectionLost() override {}
    void liveTrafficNote(const QString&) override {}
    void liveFailed(const QString& message) override {
        printLine(stderr, message);
        QCoreApplication::exit(kExitStation);
    }

private:
    int version_;
};

int runLive(const QStringList& args) {
    const CommandOptions options(
        args,
        {QStringLiteral("port"), QStringLiteral("address"), QStringLiteral("seconds"),
         QStringLiteral("csv"), QStringLiteral("lang")},
        {QStringLiteral("trace")});
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
    StationImage& image = station();
    // Ctrl+C and a terminating signal end the run like the time limit: the link is closed.
    g_interrupted = 0;
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &watch, [] {
        if (g_interrupted) {
            QCoreApplication::exit(kExitOk);
        }
    });
    watch.start(100);
    ConsoleReadView readView;
    StationReader reader(session.port, defaultLinkContext(), &session.prompts, readView);
    reader.start();
    if (session.run() != kExitOk || session.prompts.errorShown() || g_interrupted) {
        if (reader.running()) {
            reader.interrupt();
        }
        return kExitStation;
    }

    const int version = programSettings().version;
    ConsoleLiveView liveView(version);
    LiveTracker tracker(session.port, defaultLinkContext(), liveView);
    // Only a CSV needs the whole run; a follow of days would otherwise grow for nothing.
    tracker.setKeepRecords(options.has(QStringLiteral("csv")));
    if (seconds > 0) {
        QTimer::singleShot(seconds * 1000, &watch, [] { QCoreApplication::exit(kExitOk); });
    }
    tracker.start();
    const int rc = session.run();
    tracker.stop();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (rc != kExitOk) {
        return rc;
    }
    if (options.has(QStringLiteral("csv")) &&
        !exportLiveCsv(options.value(QStringLiteral("csv")), image, version, tracker.records(),
                       session.prompts)) {
        return kExitUsage;
    }
    return tracker.taken() == 0 ? kExitStation : kExitOk;
}

}  // namespace

extern const Command kLiveCommand{
    "live", "live --port DEVICE [--address N] [--seconds S] [--csv FILE] [--lang cs|en] [--trace]",
    runLive};

}  // namespace pelmo::cli
