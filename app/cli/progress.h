#pragma once

#include <QString>

namespace pelmo::cli {

// -q/--quiet and -v/--verbose, taken off the arguments by main() for every command, and
// whether standard output carries a file's bytes (`--out -`), so that status texts go to
// standard error instead.
struct OutputOptions {
    bool quiet = false;
    bool verbose = false;
    bool stdoutIsFile = false;
};
OutputOptions& outputOptions();

// The one progress line of a long command: shown only when standard error is a terminal and
// the command is not quiet, redrawn in place ("\r", the text, clear to the end of the line),
// and put aside before any other line is written (the console line hooks), so that a line
// never lands in the middle of it. Elsewhere nothing is written at all.
class Progress {
public:
    // Whether the line is shown at all on this run.
    static bool enabled();
    // What the whole command is at ("station 2/5 (address 17)"); the sequences' own
    // progress follows it on the line. Empty: nothing in front.
    static void setContext(const QString& context);
    // Redraws the line with `text`.
    static void show(const QString& text);
    // Erases the line; nothing when none is shown. The command's end and every other line
    // call it.
    static void clear();
    // Draws the line again after another line was written.
    static void redraw();
};

}  // namespace pelmo::cli
