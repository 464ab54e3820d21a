#include "base/console_prompts.h"

namespace pelmo {

void ConsolePrompts::show(Kind kind, const QString& text) {
    if (kind == Kind::Error) {
        errorShown_ = true;
    }
    std::fprintf(out_, "%s\n", text.toLocal8Bit().constData());
    std::fflush(out_);
}

bool ConsolePrompts::askYesNo(Kind kind, const QString& text) {
    const bool answer = answer_.value_or(false);
    std::fprintf(out_, "%s %s\n", text.toLocal8Bit().constData(), answer ? "[yes]" : "[no]");
    std::fflush(out_);
    (void)kind;
    return answer;
}

}  // namespace pelmo
