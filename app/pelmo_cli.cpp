// pelmo-cli: the station sequences of the GUI without windows, for scripts and gateways.
#include <QCoreApplication>
#include <array>
#include <cstdio>

#include "cli/cli_session.h"

namespace pelmo::cli {

// Each command group defines its commands in a file of its own.
extern const Command kReadCommand;
extern const Command kProgramCommand;
extern const Command kLockCommand;
extern const Command kScanCommand;
extern const Command kRegistersCommand;
extern const Command kMaximumCommand;
extern const Command kInfoCommand;
extern const Command kFlyCommand;

namespace {

const std::array<const Command*, 8> kCommands = {
    &kReadCommand,      &kProgramCommand, &kLockCommand, &kScanCommand,
    &kRegistersCommand, &kMaximumCommand, &kInfoCommand, &kFlyCommand};

}  // namespace

void printUsage(std::FILE* out) {
    const char* lead = "usage: pelmo-cli ";
    for (const Command* command : kCommands) {
        std::fprintf(out, "%s%s\n", lead, command->usage);
        lead = "       pelmo-cli ";
    }
}

}  // namespace pelmo::cli

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.front() == QStringLiteral("--help")) {
        pelmo::cli::printUsage(args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? pelmo::kExitUsage : pelmo::kExitOk;
    }
    const QString word = args.takeFirst();
    for (const pelmo::cli::Command* command : pelmo::cli::kCommands) {
        if (word == QLatin1String(command->word)) {
            return command->run(args);
        }
    }
    std::fprintf(stderr, "unknown command: %s\n", qPrintable(word));
    pelmo::cli::printUsage(stderr);
    return pelmo::kExitUsage;
}
