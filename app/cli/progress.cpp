#include "cli/progress.h"

#include <unistd.h>

#include <cstdio>

namespace pelmo::cli {
namespace {

struct Line {
    QString context;
    QString text;
    bool shown = false;
};

Line& line() {
    static Line l;
    return l;
}

void erase();

void draw() {
    Line& l = line();
    if (l.text.isEmpty() && l.context.isEmpty()) {
        erase();
        return;
    }
    const QString whole = l.context.isEmpty() ? l.text
                          : l.text.isEmpty()  ? l.context
                                              : l.context + QStringLiteral(": ") + l.text;
    std::fprintf(stderr, "\r%s\033[K", whole.toLocal8Bit().constData());
    std::fflush(stderr);
    l.shown = true;
}

void erase() {
    Line& l = line();
    if (l.shown) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        l.shown = false;
    }
}

}  // namespace

OutputOptions& outputOptions() {
    static OutputOptions options;
    return options;
}

bool Progress::enabled() {
    static const bool terminal = ::isatty(STDERR_FILENO) == 1;
    return terminal && !outputOptions().quiet;
}

void Progress::setContext(const QString& context) {
    line().context = context;
    line().text.clear();
    if (enabled()) {
        draw();
    }
}

void Progress::show(const QString& text) {
    line().text = text;
    if (enabled()) {
        draw();
    }
}

void Progress::clear() {
    erase();
}

void Progress::redraw() {
    if (enabled() && !line().shown) {
        draw();
    }
}

}  // namespace pelmo::cli
