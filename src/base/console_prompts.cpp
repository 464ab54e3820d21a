#include "base/console_prompts.h"

namespace pelmo {

ConsoleLineHooks& consoleLineHooks() {
    static ConsoleLineHooks hooks;
    return hooks;
}

void writeConsoleLine(std::FILE* out, const QByteArray& line) {
    const ConsoleLineHooks& hooks = consoleLineHooks();
    if (hooks.before) {
        hooks.before(out);
    }
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), out);
    std::fputc('\n', out);
    std::fflush(out);
    if (hooks.after) {
        hooks.after();
    }
}

void ConsolePrompts::show(Kind kind, const QString& text) {
    if (kind == Kind::Error) {
        errorShown_ = true;
    }
    writeConsoleLine(out_, text.toLocal8Bit());
}

bool ConsolePrompts::askYesNo(Kind kind, const QString& text) {
    const bool answer = answer_.value_or(false);
    writeConsoleLine(out_, text.toLocal8Bit() + (answer ? " [yes]" : " [no]"));
    (void)kind;
    return answer;
}

}  // namespace pelmo
