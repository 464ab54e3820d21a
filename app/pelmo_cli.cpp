// pelmo-cli: the station sequences of the GUI without windows, for scripts and gateways.
#include <QCoreApplication>
#include <array>
#include <cstdio>

#include "cli/cli_session.h"
#include "ui/version.h"

namespace pelmo::cli {

// Each command group defines its commands in a file of its own.
extern const Command kReadCommand;
extern const Command kProgramCommand;
extern const Command kLockCommand;
extern const Command kArchiveCommand;
extern const Command kMessagesCommand;

namespace {

const std::array<const Command*, 5> kCommands = {&kReadCommand, &kProgramCommand, &kLockCommand,
                                                 &kArchiveCommand, &kMessagesCommand};

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
    // The same name as the GUI, so both find the same per-user data folder.
    QCoreApplication::setApplicationName(QString::fromLatin1(pelmo::kApplicationTitle));
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
