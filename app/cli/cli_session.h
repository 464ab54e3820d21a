#pragma once

#include <QString>
#include <QStringList>
#include <cstdio>
#include <optional>

#include "base/console_prompts.h"
#include "cli/interrupts.h"
#include "files/settings_ini.h"
#include "link/serial_port.h"
#include "operations/command_line.h"

namespace pelmo {
struct StationImage;
}

namespace pelmo::cli {

void printLine(std::FILE* out, const QString& text);
// A sequence's status text. The connection error (text 136) is left out: the error that
// ends the sequence says it on standard error, once.
void printStatus(std::FILE* out, const QString& text);

// The usage lines of every command.
void printUsage(std::FILE* out);

// The words as one POSIX shell command line: a word with anything but letters, digits and
// _./:=@%+,- is put in single quotes (a quote inside as '\'').
QString shellCommand(const QStringList& words);

// --turnaround MS, taken off the arguments by main() for every command; it wins over the
// `Turnaround` key.
std::optional<double>& turnaroundOverride();

// Prints why the arguments were refused and the usage; returns kExitUsage.
int usageError(const QString& why);

// What every command shares: settings, language, bus address, the port and its trace.
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
    TrafficTrace trace;
    Interrupts interrupts;
};

// Every command's rule for where it writes, applied before the station is asked anything:
// a missing folder is created; one that cannot be created or written is refused with its
// path (text 1063) and the command exits kExitUsage. False after the refusal.
bool prepareFolder(const QString& folder);
// The same for the folder a file goes into.
bool prepareFolderOf(const QString& file);

// Loads a station file into a cleared image with the memory settings.ini gives; false after
// the error was shown.
bool loadStationInto(const QString& path, StationImage& image, Session& session);

// One pelmo-cli command: its word, its usage lines and its runner.
struct Command {
    const char* word;
    const char* usage;
    int (*run)(const QStringList& args);
};

}  // namespace pelmo::cli
