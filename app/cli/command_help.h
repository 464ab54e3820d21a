#pragma once

#include <QString>
#include <cstdio>
#include <span>

#include "cli/cli_session.h"

namespace pelmo::cli {

// The options main() takes for every command before the command sees its arguments.
std::span<const OptionSpec> commonOptions();

// `pelmo-cli --help`: how to call the program and one line per command.
void printCommandList(std::FILE* out, std::span<const Command* const> commands);
// `pelmo-cli help COMMAND`: the command's usage and one line per option, its own and the
// common ones.
void printCommandHelp(std::FILE* out, const Command& command);

// The bash completion of every command, its options and their values, from the same tables.
QString bashCompletion(std::span<const Command* const> commands);

}  // namespace pelmo::cli
