#pragma once

#include <QByteArray>
#include <cstdio>
#include <optional>

#include "base/prompts.h"

namespace pelmo {

// The command line keeps lines of its own on the console (a progress line redrawn in place,
// a status text held back to be merged with the next one): `before` puts them aside before
// anyone else writes a line to `out`, `after` brings the progress line back.
struct ConsoleLineHooks {
    void (*before)(std::FILE* out) = nullptr;
    void (*after)() = nullptr;
};
ConsoleLineHooks& consoleLineHooks();
// Writes one line through the hooks.
void writeConsoleLine(std::FILE* out, const QByteArray& line);

// Prompts of the command-line tool: messages go to standard error, questions take a
// preset answer (No when none was given), file dialogs choose nothing.
class ConsolePrompts final : public Prompts {
public:
    explicit ConsolePrompts(std::FILE* out = stderr) : out_(out) {}

    void show(Kind kind, const QString& text) override;
    bool askYesNo(Kind kind, const QString& text) override;
    QString openFile(const FileDialogSpec&) override { return {}; }
    QString saveFile(const FileDialogSpec&) override { return {}; }

    void setAnswer(std::optional<bool> answer) { answer_ = answer; }
    // Whether an error box was shown since the last reset.
    bool errorShown() const { return errorShown_; }
    void resetErrors() { errorShown_ = false; }

private:
    std::FILE* out_;
    std::optional<bool> answer_;
    bool errorShown_ = false;
};

}  // namespace pelmo
