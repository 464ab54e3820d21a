#include "cli/cli_session.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>

#include <cerrno>
#include <cmath>
#include <utility>

#include "base/file_access.h"
#include "base/texts.h"
#include "cli/progress.h"
#include "files/program_folder.h"
#include "files/program_settings.h"
#include "files/station_file.h"
#include "history/history_database.h"
#include "link/communication.h"

namespace pelmo::cli {

namespace {

// A status text waits for the next one: the windows often show a text and then the same
// text with "OK" or more after it, which is one line here.
struct HeldStatus {
    std::FILE* out = nullptr;
    QString text;
    QSet<QString> seen;  // the sequence's statuses so far, held or printed
};

constexpr int kStatusHoldMs = 400;

HeldStatus& held() {
    static HeldStatus h;
    return h;
}

// A held status goes out before a line on its own stream, so that the stream keeps its
// order; the trace and the messages on the other stream do not break it up.
void beforeLine(std::FILE* out) {
    if (held().out == out) {
        flushStatus();
    }
    // A line into a pipe or a file does not cross the terminal's progress line.
    static const bool stdoutTerminal = ::isatty(STDOUT_FILENO) == 1;
    if (out == stderr || stdoutTerminal) {
        Progress::clear();
    }
}

}  // namespace

void installConsoleHooks() {
    consoleLineHooks().before = beforeLine;
    consoleLineHooks().after = Progress::redraw;
}

void printLine(std::FILE* out, const QString& text) {
    writeConsoleLine(out, text.toLocal8Bit());
}

void flushStatus() {
    HeldStatus& h = held();
    if (h.out) {
        std::FILE* out = std::exchange(h.out, nullptr);
        printLine(out, std::exchange(h.text, QString()));
    }
}

void printStatus(std::FILE* out, const QString& text) {
    if (text == txt(kTextErrorConnectiongToDevice) || outputOptions().quiet || text.isEmpty()) {
        return;
    }
    if (outputOptions().stdoutIsFile) {
        out = stderr;
    }
    HeldStatus& h = held();
    // The windows show some texts over and over ("Data loaded", "Data loadedOK", ...).
    if (h.seen.contains(text)) {
        return;
    }
    h.seen.insert(text);
    if (h.out && text.startsWith(h.text)) {
        // "Data loaded" then "Data loadedOK": one line, the added word apart.
        const QString added = text.mid(h.text.size());
        const bool glued = h.text.back().isLetterOrNumber() && added.front().isLetterOrNumber();
        h.text = glued ? h.text + QLatin1Char(' ') + added : text;
        return;
    }
    flushStatus();
    h.out = out;
    h.text = text;
    // A status the sequence keeps for long (a measurement waiting for its time) is printed
    // as it is rather than at the end of the wait.
    static QTimer* waiting = [] {
        auto* timer = new QTimer(QCoreApplication::instance());
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, timer, [] { flushStatus(); });
        return timer;
    }();
    waiting->start(kStatusHoldMs);
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

BusStatistics& commandBusStatistics() {
    static BusStatistics statistics;
    return statistics;
}

Session::Session()
    : ini(settingsFilePath()),
      history(defaultHistoryDatabasePath()),
      program(programFolderFor(QCoreApplication::applicationDirPath()), prompts) {
    program.history = &history;
    program.historyDatabase = history.path();
    program.link.statistics = &commandBusStatistics();
}

bool Session::open(const CommandOptions& options, bool needPort) {
    if (!options.ok()) {
        error = options.error();
        return false;
    }
    interrupts.watch(program.link);
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
    program.settings.version =
        ini.readInteger(settings_keys::kSettings, QStringLiteral("version"), 0);
    program.settings.checking =
        ini.readBool(settings_keys::kDebug, QStringLiteral("Checking"), true);

    int address = busAddressFromSetting(
        ini.readInteger(settings_keys::kSettings, QStringLiteral("addr"), kDefaultBusAddress));
    if (options.has(QStringLiteral("address"))) {
        const std::optional<int> given = parseBusAddress(options.value(QStringLiteral("address")));
        if (!given) {
            error = QStringLiteral("--address must be 1..251");
            return false;
        }
        address = *given;
    }
    program.station.bus_address = address;
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
    LinkContext& link = program.link;
    port.setReceiveHandler([&link](std::span<const std::uint8_t> b) { link.rx->append(b); });
    if (options.has(QStringLiteral("trace"))) {
        trace.attach(port);
    }
    return true;
}

bool prepareFolder(const QString& folder) {
    errno = 0;
    if (QFileInfo(folder).isDir() || QDir().mkpath(folder)) {
        if (::access(QFile::encodeName(folder).constData(), W_OK) == 0) {
            return true;
        }
    }
    printLine(
        stderr,
        txt(kTextTheFolderCannotBe).arg(QDir::toNativeSeparators(folder), fileErrorReason(errno)));
    return false;
}

bool prepareFolderOf(const QString& file) {
    return prepareFolder(QFileInfo(file).absolutePath());
}

OutputFile::OutputFile(const QString& requested)
    : toStdout_(requested == QStringLiteral("-")), path_(requested) {
    if (toStdout_) {
        temp_ = std::make_shared<QTemporaryDir>();
        path_ = temp_->filePath(QStringLiteral("out"));
        outputOptions().stdoutIsFile = true;
    }
}

bool OutputFile::prepare() const {
    if (!toStdout_) {
        return prepareFolderOf(path_);
    }
    if (!temp_->isValid()) {
        printLine(stderr,
                  txt(kTextTheFolderCannotBe)
                      .arg(QDir::toNativeSeparators(QDir::tempPath()), temp_->errorString()));
        return false;
    }
    return true;
}

void OutputFile::written() const {
    if (!toStdout_) {
        printLine(stdout, QFileInfo(path_).fileName());
        return;
    }
    QFile file(path_);
    if (file.open(QIODevice::ReadOnly)) {
        flushStatus();
        const QByteArray bytes = file.readAll();
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
        std::fflush(stdout);
    }
}

bool loadStationInto(const QString& path, StationImage& image, Session& session) {
    resetNewStation(image);
    // The file does not carry the station's memory; the settings say what it has.
    applyMemorySetting(
        image, session.ini.readInteger(settings_keys::kSettings, QStringLiteral("mem"), 32));
    const StationFileOptions fileOptions{session.program.settings.isGasVersion()};
    const StationFileResult loaded = loadStationFile(path, image, fileOptions, session.prompts);
    if (loaded == StationFileResult::Corrupt) {
        // The box says what is wrong, not with which file; with two files that matters.
        session.prompts.error(txt(kTextFileCorrupted));
        session.prompts.error(txt(kTextTheFileCouldNot).arg(QDir::toNativeSeparators(path)));
    }
    return loaded == StationFileResult::Ok;
}

Session::~Session() = default;

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
    flushStatus();
    // The next sequence may well show the same texts.
    held().seen.clear();
    return rc;
}

}  // namespace pelmo::cli
