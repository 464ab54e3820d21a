// pelmo-cli: the station sequences of the GUI without windows, for scripts and gateways.
#include <QCoreApplication>
#include <array>
#include <cstdio>

#include "base/decimal_text.h"
#include "base/texts.h"
#include "cli/cli_session.h"
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

// The operator's decimal separator: a comma in Czech, a point in English.
QString meanText(double ms) {
    QString text = formatDecimal(ms, 1);
    if (language() == Language::English) {
        text.replace(QLatin1Char(','), QLatin1Char('.'));
    }
    return text;
}

// Bus health per address on standard error, after the command.
void printStatistics() {
    QStringList header;
    for (int n = 1000; n <= 1005; ++n) {
        header << txt(n);
    }
    printLine(stderr, header.join(QLatin1Char('\t')));
    for (const auto& [address, s] : busStatistics().byAddress()) {
        printLine(stderr,
                  QStringList{QString::number(address), QString::number(s.exchanges),
                              QString::number(s.repetitions), QString::number(s.timeouts),
                              QString::number(s.checksumFailures), meanText(s.meanAnswerMs())}
                      .join(QLatin1Char('\t')));
    }
}

}  // namespace

void printUsage(std::FILE* out) {
    const char* lead = "usage: pelmo-cli ";
    for (const Command* command : kCommands) {
        std::fprintf(out, "%s%s\n", lead, command->usage);
        lead = "       pelmo-cli ";
    }
    std::fputs(
        "Any command also takes -q/--quiet: no status texts and no progress line,\n"
        "-v/--verbose or --stats: the bus health per address on standard error,\n"
        "and --turnaround MS: the silence kept after the station's last byte before\n"
        "writing (default 3.646, or the Turnaround key of settings.ini).\n",
        out);
}

}  // namespace pelmo::cli

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // One name for both programs, so that they share the per-user folders.
    QCoreApplication::setApplicationName(QStringLiteral("pelmo"));
    pelmo::setHistoryDatabasePath(pelmo::defaultHistoryDatabasePath());
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.front() == QStringLiteral("--help")) {
        pelmo::cli::printUsage(args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? pelmo::kExitUsage : pelmo::kExitOk;
    }
    const QString word = args.takeFirst();
    // --stats, -q, -v and --turnaround go with any command.
    pelmo::cli::OutputOptions& output = pelmo::cli::outputOptions();
    output.quiet =
        args.removeAll(QStringLiteral("-q")) + args.removeAll(QStringLiteral("--quiet")) > 0;
    output.verbose =
        args.removeAll(QStringLiteral("-v")) + args.removeAll(QStringLiteral("--verbose")) > 0;
    const bool statistics = args.removeAll(QStringLiteral("--stats")) > 0 || output.verbose;
    pelmo::cli::installConsoleHooks();
    const qsizetype turnaround = args.indexOf(QStringLiteral("--turnaround"));
    if (turnaround >= 0) {
        const auto ms = turnaround + 1 < args.size() ? pelmo::parseTurnaround(args[turnaround + 1])
                                                     : std::nullopt;
        if (!ms) {
            return pelmo::cli::usageError(
                QStringLiteral("--turnaround MS must be 0..1000 milliseconds"));
        }
        pelmo::cli::turnaroundOverride() = ms;
        args.remove(turnaround, 2);
    }
    for (const pelmo::cli::Command* command : pelmo::cli::kCommands) {
        if (word == QLatin1String(command->word)) {
            int rc = command->run(args);
            pelmo::cli::flushStatus();
            pelmo::cli::Progress::setContext({});
            // An interrupted command wrote what it had; its exit code says it was stopped.
            if (const int interrupted = pelmo::cli::Interrupts::exitCode()) {
                pelmo::cli::printLine(stderr, pelmo::txt(1060));
                rc = interrupted;
            }
            if (statistics) {
                pelmo::cli::printStatistics();
            }
            pelmo::cli::flushStatus();
            pelmo::cli::Progress::clear();
            return rc;
        }
    }
    std::fprintf(stderr, "unknown command: %s\n", qPrintable(word));
    pelmo::cli::printUsage(stderr);
    return pelmo::kExitUsage;
}
