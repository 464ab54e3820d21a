#pragma once

#include <QString>
#include <QStringList>
#include <cstdio>
#include <optional>

#include "base/console_prompts.h"
#include "files/settings_ini.h"
#include "link/serial_port.h"
#include "operations/command_line.h"

namespace pelmo {
struct StationImage;
}

namespace pelmo::cli {

void printLine(std::FILE* out, const QString& text);

// The usage lines of every command.
void printUsage(std::FILE* out);

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

    // Runs the started sequence until its view ends the event loop.
    int run();

    SettingsIni ini;
    QString error;  // why open() failed
    SerialStationPort port;
    ConsolePrompts prompts;
    TrafficTrace trace;
};

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
