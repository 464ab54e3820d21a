// pelmo-cli: the station sequences of the GUI without windows, for scripts and gateways.
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

#include "files/program_settings.h"
#include "files/settings_ini.h"
#include "files/station_file.h"
#include "link/communication.h"
#include "link/serial_port.h"
#include "operations/command_line.h"
#include "operations/station_checks.h"
#include "operations/station_reader.h"
#include "ui/console_prompts.h"
#include "ui/texts.h"

namespace pelmo {
namespace {

const char* const kUsage =
    "usage: pelmo-cli read --port DEVICE [--address N] --out FILE [--lang cs|en] [--trace]\n";

void printLine(std::FILE* out, const QString& text) {
    std::fprintf(out, "%s\n", text.toLocal8Bit().constData());
    std::fflush(out);
}

// What every command shares: settings, language, bus address, the port and its trace.
class Session {
public:
    bool open(const CommandOptions& options) {
        SettingsIni ini(settingsFilePath());
        ini.load();
        const int lang = ini.readInteger(settings_keys::kSettings, QStringLiteral("lang"), 1);
        Language language = languageFromSetting(lang);
        if (options.has(QStringLiteral("lang"))) {
            const QString l = options.value(QStringLiteral("lang"));
            if (l != QStringLiteral("cs") && l != QStringLiteral("en")) {
                printLine(stderr, QStringLiteral("--lang must be cs or en"));
                return false;
            }
            language = l == QStringLiteral("en") ? Language::English : Language::Czech;
        }
        setLanguage(language);
        programSettings().version =
            ini.readInteger(settings_keys::kSettings, QStringLiteral("version"), 0);

        int address = busAddressFromSetting(
            ini.readInteger(settings_keys::kSettings, QStringLiteral("addr"), kDefaultBusAddress));
        if (options.has(QStringLiteral("address"))) {
            bool ok = false;
            address = options.value(QStringLiteral("address")).toInt(&ok);
            if (!ok || address < 1 || address > 251) {
                printLine(stderr, QStringLiteral("--address must be 1..251"));
                return false;
            }
        }
        station().bus_address = address;

        if (!options.has(QStringLiteral("port"))) {
            printLine(stderr, QStringLiteral("--port DEVICE is required"));
            return false;
        }
        port.setDevice(options.value(QStringLiteral("port")));
        if (!port.open()) {
            printLine(stderr, QStringLiteral("cannot open %1: %2")
                                  .arg(options.value(QStringLiteral("port")), port.lastError()));
            return false;
        }
        LinkContext& link = defaultLinkContext();
        port.setReceiveHandler([&link](std::span<const std::uint8_t> b) { link.rx->append(b); });
        if (options.has(QStringLiteral("trace"))) {
            trace.attach(port);
        }
        setPrompts(&prompts);
        return true;
    }
    ~Session() { setPrompts(nullptr); }

    SerialStationPort port;
    ConsolePrompts prompts;
    TrafficTrace trace;
};

// Prints the read sequence's progress and ends the event loop with its outcome.
class ConsoleReadView final : public StationReadView {
public:
    void readStarting() override {}
    void readStatus(const QString& text) override { printLine(stdout, text); }
    void channelDecoded(int) override {}
    void stationDecoded() override {}
    void readCompleted() override { QCoreApplication::exit(kExitOk); }
    void readFailed() override { QCoreApplication::exit(kExitStation); }
    void readInterrupted() override { QCoreApplication::exit(kExitStation); }
};

int runRead(const QStringList& args) {
    const CommandOptions options(args,
                                 {QStringLiteral("port"), QStringLiteral("address"),
                                  QStringLiteral("out"), QStringLiteral("lang")},
                                 {QStringLiteral("trace")});
    if (!options.ok() || !options.has(QStringLiteral("out"))) {
        printLine(stderr,
                  options.ok() ? QStringLiteral("--out FILE is required") : options.error());
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    Session session;
    if (!session.open(options)) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    ConsoleReadView view;
    StationReader reader(session.port, defaultLinkContext(), &session.prompts, view);
    reader.start();
    const int rc = QCoreApplication::exec();
    session.trace.flush();
    if (rc != kExitOk || session.prompts.errorShown()) {
        return kExitStation;
    }

    StationImage& image = station();
    StationBoxes boxes = boxesFromImage(image);
    if (!checkStationDefinition(boxes, image, session.prompts)) {
        return kExitStation;
    }
    storeBoxes(boxes, image);
    const QString out = options.value(QStringLiteral("out"));
    const StationFileOptions fileOptions{programSettings().version == 1};
    switch (saveStationFile(out, image, fileOptions, session.prompts)) {
        case StationFileResult::Ok:
            printLine(stdout, QFileInfo(out).fileName());
            return kExitOk;
        case StationFileResult::WriteFailed:
            session.prompts.error(txt(147));
            return kExitUsage;
        default:
            return kExitUsage;
    }
}

}  // namespace
}  // namespace pelmo

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.front() == QStringLiteral("--help")) {
        std::fputs(pelmo::kUsage, args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? pelmo::kExitUsage : pelmo::kExitOk;
    }
    const QString command = args.takeFirst();
    if (command == QStringLiteral("read")) {
        return pelmo::runRead(args);
    }
    std::fprintf(stderr, "unknown command: %s\n", qPrintable(command));
    std::fputs(pelmo::kUsage, stderr);
    return pelmo::kExitUsage;
}
