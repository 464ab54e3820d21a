// pelmo-cli: the station sequences of the GUI without windows, for scripts and gateways.
#include <QCoreApplication>
#include <array>
#include <cstdio>
#include <vector>

#include "base/decimal_text.h"
#include "base/texts.h"
#include "base/version.h"
#include "cli/cli_session.h"
#include "cli/command_help.h"
#include "cli/interrupts.h"
#include "files/program_settings.h"
#include "history/history_database.h"
#include "link/bus_statistics.h"

namespace pelmo::cli {

// Each command group defines its commands in a file of its own.
extern const Command kReadCommand;
extern const Command kProgramCommand;
extern const Command kLockCommand;
extern const Command kDiffCommand;
extern const Command kMonitorCommand;
extern const Command kExportCommand;
extern const Command kSteamCommand;
extern const Command kArchiveCommand;
extern const Command kMessagesCommand;
extern const Command kScanCommand;
extern const Command kRegistersCommand;
extern const Command kMaximumCommand;
extern const Command kInfoCommand;
extern const Command kFlyCommand;
extern const Command kLiveCommand;
extern const Command kCollectCommand;
extern const Command kHistoryCommand;

namespace {

const auto kCommands = std::to_array<const Command*>(
    {&kReadCommand, &kProgramCommand, &kLockCommand, &kDiffCommand, &kArchiveCommand,
     &kMessagesCommand, &kMonitorCommand, &kExportCommand, &kLiveCommand, &kSteamCommand,
     &kScanCommand, &kRegistersCommand, &kMaximumCommand, &kInfoCommand, &kFlyCommand,
     &kCollectCommand, &kHistoryCommand});

// Bus health per address on standard error, after the command.
void printStatistics() {
    printLine(stderr, busHealthHeader().join(QLatin1Char('\t')));
    for (const auto& [address, s] : commandBusStatistics().byAddress()) {
        printLine(stderr, busHealthCells(address, s).join(QLatin1Char('\t')));
    }
}

const Command* findCommand(const QString& word) {
    for (const Command* command : kCommands) {
        if (word == QLatin1String(command->word)) {
            return command;
        }
    }
    return nullptr;
}

// -h or --help among the arguments, not as an option's value ("--out -h" writes a file -h).
bool asksForHelp(const QStringList& args, std::span<const OptionSpec> table) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--help") || args[i] == QStringLiteral("-h")) {
            return true;
        }
        for (const OptionSpec& o : table) {
            if (o.value && args[i] == QStringLiteral("--") + QLatin1String(o.name)) {
                ++i;
                break;
            }
        }
    }
    return false;
}

}  // namespace

}  // namespace pelmo::cli

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // One name for both programs, so that they share the per-user folders.
    QCoreApplication::setApplicationName(QStringLiteral("pelmo"));
    QStringList args = QCoreApplication::arguments().mid(1);
    using namespace pelmo::cli;
    const QString first = args.isEmpty() ? QString() : args.front();
    if (args.isEmpty()) {
        return usageError(QStringLiteral("a command is needed"));
    }
    if (first == QStringLiteral("--version") || first == QStringLiteral("-V")) {
        printLine(stdout, QStringLiteral("pelmo-cli ") + pelmo::programVersionText());
        return pelmo::kExitOk;
    }
    if (first == QStringLiteral("--help") || first == QStringLiteral("-h") ||
        (first == QStringLiteral("help") && args.size() == 1)) {
        printCommandList(stdout, kCommands);
        return pelmo::kExitOk;
    }
    // Written into the package at build time, so that it always matches this program.
    if (first == QStringLiteral("__completion") && args.value(1) == QStringLiteral("bash")) {
        std::fputs(bashCompletion(kCommands).toUtf8().constData(), stdout);
        return pelmo::kExitOk;
    }
    if (first == QStringLiteral("help")) {
        const Command* command = findCommand(args[1]);
        if (!command) {
            return usageError(QStringLiteral("unknown command: %1").arg(args[1]));
        }
        printCommandHelp(stdout, *command);
        return pelmo::kExitOk;
    }
    const Command* command = findCommand(first);
    if (!command) {
        return usageError(QStringLiteral("unknown command: %1").arg(first));
    }
    currentCommandWord() = command->word;
    args.removeFirst();
    std::vector<pelmo::OptionSpec> table(command->options.begin(), command->options.end());
    table.insert(table.end(), commonOptions().begin(), commonOptions().end());
    if (asksForHelp(args, table)) {
        printCommandHelp(stdout, *command);
        return pelmo::kExitOk;
    }
    // Every mistake in the words is told the same way, before the command runs.
    const pelmo::CommandOptions checked(args, table, command->operand != nullptr);
    if (!checked.ok()) {
        return usageError(checked.error());
    }
    // --stats, -q, -v and --turnaround go with any command.
    OutputOptions& output = outputOptions();
    output.quiet =
        args.removeAll(QStringLiteral("-q")) + args.removeAll(QStringLiteral("--quiet")) > 0;
    output.verbose =
        args.removeAll(QStringLiteral("-v")) + args.removeAll(QStringLiteral("--verbose")) > 0;
    const bool statistics = args.removeAll(QStringLiteral("--stats")) > 0 || output.verbose;
    installConsoleHooks();
    const qsizetype turnaround = args.indexOf(QStringLiteral("--turnaround"));
    if (turnaround >= 0) {
        const auto ms = turnaround + 1 < args.size() ? pelmo::parseTurnaround(args[turnaround + 1])
                                                     : std::nullopt;
        if (!ms) {
            return usageError(QStringLiteral("--turnaround MS must be 0..1000 milliseconds"));
        }
        turnaroundOverride() = ms;
        args.remove(turnaround, 2);
    }
    int rc = command->run(args);
    flushStatus();
    Progress::setContext({});
    // An interrupted command wrote what it had; its exit code says it was stopped.
    if (const int interrupted = Interrupts::exitCode()) {
        printLine(stderr, pelmo::txt(pelmo::kTextCommandInterrupted));
        rc = interrupted;
    }
    if (statistics) {
        printStatistics();
    }
    flushStatus();
    Progress::clear();
    return rc;
}
