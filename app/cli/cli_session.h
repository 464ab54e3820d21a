#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>

#include "base/console_prompts.h"
#include "cli/interrupts.h"
#include "cli/progress.h"
#include "context/program_context.h"
#include "files/settings_ini.h"
#include "history/history_recorder.h"
#include "link/serial_port.h"
#include "operations/command_line.h"

namespace pelmo {
class BusStatistics;
struct StationImage;
}  // namespace pelmo

namespace pelmo::cli {

void printLine(std::FILE* out, const QString& text);
// A sequence's status text, once, as a line a person reads: a text repeated is left out, a
// text that only adds to the one before ("...", then "...OK") replaces it, and so a status
// is printed when the next one differs, when another line is written to its stream, after
// a moment without news or when the sequence ends. Nothing with -q; on standard error when
// standard output carries a file. The connection error (text 136) is left out: the error
// that ends the sequence says it on standard error, once.
void printStatus(std::FILE* out, const QString& text);
// Prints the status held back, if any.
void flushStatus();
// Held statuses and the progress line are put aside before any other console line.
void installConsoleHooks();

// The words as one POSIX shell command line: a word with anything but letters, digits and
// _./:=@%+,- is put in single quotes (a quote inside as '\'').
QString shellCommand(const QStringList& words);

// --turnaround MS, taken off the arguments by main() for every command; it wins over the
// `Turnaround` key.
std::optional<double>& turnaroundOverride();

// Prints why the arguments were refused, one line, and where the command's help is; returns
// kExitUsage. The whole usage is left out: it would bury the one line that matters.
int usageError(const QString& why);
// The command usageError() points to; null before a command word was recognised.
const char*& currentCommandWord();

// The bus health of the command that runs, whichever sessions it opened; printed after it
// with --stats.
BusStatistics& commandBusStatistics();

// What every command shares: settings, language, bus address, the port and its trace, and
// the program context its sequences run in.
class Session {
public:
    Session();
    // Refuses arguments that did not parse, reads settings.ini, applies --lang and --address,
    // opens --port (unless a command works on files only); false with `error`.
    bool open(const CommandOptions& options, bool needPort = true);
    ~Session();

    // Runs the started sequence until its view ends the event loop. After SIGINT or SIGTERM
    // the station's session is ended first and the interrupt's exit code comes back when the
    // interrupt ended the loop; once interrupted, no further sequence runs.
    int run();
    bool interrupted() const { return Interrupts::requested(); }

    SettingsIni ini;
    QString error;  // why open() failed
    SerialStationPort port;
    ConsolePrompts prompts;
    HistoryRecorder history;
    ProgramContext program;
    TrafficTrace trace;
    Interrupts interrupts;
};

// Every command's rule for where it writes, applied before the station is asked anything:
// a missing folder is created; one that cannot be created or written is refused with its
// path (text 1063) and the command exits kExitUsage. False after the refusal.
bool prepareFolder(const QString& folder);
// The same for the folder a file goes into.
bool prepareFolderOf(const QString& file);

// Where a command writes its one file: the path given, or with `--out -` a temporary file
// whose bytes go to standard output once written, so that standard output holds exactly
// the file's bytes (the status texts then go to standard error).
class OutputFile {
public:
    explicit OutputFile(const QString& requested);
    bool toStdout() const { return toStdout_; }
    // The path the writer writes to.
    const QString& path() const { return path_; }
    // prepareFolderOf() for a path given; a temporary folder that cannot be made is refused.
    bool prepare() const;
    // After the writer succeeded: the file's bytes to standard output, or its name as the
    // command's result line.
    void written() const;

private:
    bool toStdout_ = false;
    QString path_;
    std::shared_ptr<QTemporaryDir> temp_;
};

// Loads a station file into a cleared image with the memory settings.ini gives; false after
// the error was shown, naming the file.
bool loadStationInto(const QString& path, StationImage& image, Session& session);

// The options most commands share, for their tables.
inline constexpr OptionSpec kPortOption{"port", 0, "DEVICE",
                                        "the bus: a serial device (/dev/ttyUSB0)"};
inline constexpr OptionSpec kAddressOption{
    "address", 0, "N", "the station's address 1..251 (default: addr of settings.ini, else 251)"};
inline constexpr OptionSpec kLangOption{
    "lang", 0, "cs|en", "the language of the texts (default: lang of settings.ini, else Czech)"};
inline constexpr OptionSpec kTraceOption{
    "trace", 0, nullptr, "the traffic in hex on standard error (\">\" written, \"<\" received)"};
inline constexpr OptionSpec kJsonOption{
    "json", 0, nullptr, "one JSON document on standard output instead of the texts"};

// One pelmo-cli command: its word, its usage lines, its runner, the table of its options
// (which its parser, its help and the shell completion all read) and a line for the list of
// commands. A command that takes words besides its options names the first one as an option
// value's placeholder, for the completion ("FILE.mon", "a|b"); null for none.
struct Command {
    const char* word;
    const char* usage;
    int (*run)(const QStringList& args);
    std::span<const OptionSpec> options;
    const char* summary;
    const char* operand = nullptr;
};

}  // namespace pelmo::cli
