#include "cli/cli_session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <cmath>

#include "base/texts.h"
#include "files/program_settings.h"
#include "files/station_file.h"
#include "link/communication.h"

namespace pelmo::cli {

void printLine(std::FILE* out, const QString& text) {
    std::fprintf(out, "%s\n", text.toLocal8Bit().constData());
    std::fflush(out);
}

void printStatus(std::FILE* out, const QString& text) {
    if (text != txt(136)) {
        printLine(out, text);
    }
}

QString shellCommand(const QStringList& words) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./:=@%+,-]+$"));
    QStringList quoted;
    for (const QString& word : words) {
        if (plain.match(word).hasMatch()) {
            quoted << word;
        } else {
            QString w = word;
            quoted << QLatin1Char('\'') + w.replace(QLatin1Char('\''), QStringLiteral("'\\''")) +
                          QLatin1Char('\'');
        }
    }
    return quoted.join(QLatin1Char(' '));
}

std::optional<double>& turnaroundOverride() {
    static std::optional<double> value;
    return value;
}

const char*& currentCommandWord() {
    static const char* word = nullptr;
    return word;
}

int usageError(const QString& why) {
    printLine(stderr, why);
    const char* word = currentCommandWord();
    std::fprintf(stderr, "see 'pelmo-cli %s%s--help'\n", word ? word : "", word ? " " : "");
    return kExitUsage;
}

Session::Session() : ini(settingsFilePath()) {}

bool Session::open(const CommandOptions& options, bool needPort) {
    if (!options.ok()) {
        error = options.error();
        return false;
    }
    interrupts.watch(defaultLinkContext());
    ini.load();
    const int lang = ini.readInteger(settings_keys::kSettings, QStringLiteral("lang"), 1);
    Language language = languageFromSetting(lang);
    if (options.has(QStringLiteral("lang"))) {
        const QString l = options.value(QStringLiteral("lang"));
        if (l != QStringLiteral("cs") && l != QStringLiteral("en")) {
            error = QStringLiteral("--lang must be cs or en");
            return false;
        }
        language = l == QStringLiteral("en") ? Language::English : Language::Czech;
    }
    setLanguage(language);
    programSettings().version =
        ini.readInteger(settings_keys::kSettings, QStringLiteral("version"), 0);
    programSettings().checking =
        ini.readBool(settings_keys::kDebug, QStringLiteral("Checking"), true);

    int address = busAddressFromSetting(
        ini.readInteger(settings_keys::kSettings, QStringLiteral("addr"), kDefaultBusAddress));
    if (options.has(QStringLiteral("address"))) {
        bool ok = false;
        address = options.value(QStringLiteral("address")).toInt(&ok);
        if (!ok || address < 1 || address > 251) {
            error = QStringLiteral("--address must be 1..251");
            return false;
        }
    }
    station().bus_address = address;
    setPrompts(&prompts);
    if (!needPort) {
        return true;
    }

    if (!options.has(QStringLiteral("port"))) {
        error = QStringLiteral("--port DEVICE is required");
        return false;
    }
    port.setDevice(options.value(QStringLiteral("port")));
    if (!port.open()) {
        // The hint says what the system's own reason leaves unclear (a busy port reads as a
        // permission error).
        const QString hint = port.accessHint();
        error = QStringLiteral("cannot open %1: %2")
                    .arg(options.value(QStringLiteral("port")),
                         hint.isEmpty() ? port.lastError() : hint);
        return false;
    }
    const double turnaround = turnaroundOverride().value_or(
        parseTurnaround(
            ini.readString(settings_keys::kSettings, QStringLiteral("Turnaround"), QString()))
            .value_or(kDefaultTurnaroundMs));
    port.setTurnaroundUs(std::llround(turnaround * 1000.0));
    LinkContext& link = defaultLinkContext();
    port.setReceiveHandler([&link](std::span<const std::uint8_t> b) { link.rx->append(b); });
    if (options.has(QStringLiteral("trace"))) {
        trace.attach(port);
    }
    return true;
}

bool prepareFolder(const QString& folder) {
    const QFileInfo info(folder);
    if ((info.isDir() || QDir().mkpath(folder)) && QFileInfo(folder).isWritable()) {
        return true;
    }
    printLine(stderr, txt(1063).arg(QDir::toNativeSeparators(folder)));
    return false;
}

bool prepareFolderOf(const QString& file) {
    return prepareFolder(QFileInfo(file).absolutePath());
}

bool loadStationInto(const QString& path, StationImage& image, Session& session) {
    resetNewStation(image);
    // The file does not carry the station's memory; the settings say what it has.
    applyMemorySetting(
        image, session.ini.readInteger(settings_keys::kSettings, QStringLiteral("mem"), 32));
    const StationFileOptions fileOptions{programSettings().version == 1};
    return loadStationFileReporting(path, image, fileOptions, session.prompts);
}

Session::~Session() {
    setPrompts(nullptr);
}

int Session::run() {
    int rc = Interrupts::exitCode();
    if (!Interrupts::requested()) {
        interrupts.loopStarting();
        rc = QCoreApplication::exec();
        if (interrupts.stoppedLoop()) {
            rc = Interrupts::exitCode();
        }
    }
    if (Interrupts::requested()) {
        interrupts.endSession(port);
    } else {
        interrupts.drain(port);
    }
    trace.flush();
    return rc;
}

}  // namespace pelmo::cli
