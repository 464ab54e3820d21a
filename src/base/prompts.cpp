#include "base/prompts.h"

#include <cstdio>

#include "base/texts.h"

namespace pelmo {

namespace {

// Until a real implementation is installed, prompts go to standard error and every
// question is answered No, which is the safe answer for every question the program asks.
class StderrPrompts final : public Prompts {
public:
    void show(Kind, const QString& text) override {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }
    bool askYesNo(Kind kind, const QString& text) override {
        show(kind, text);
        return false;
    }
    QString openFile(const FileDialogSpec&) override { return {}; }
    QString saveFile(const FileDialogSpec&) override { return {}; }
};

StderrPrompts g_fallback;

}  // namespace

Prompts& prompts() {
    return g_fallback;
}

void reportGeneralError(Prompts& where, const char* tag) {
    where.error(txt(kTextGeneralError) + QString::fromLatin1(tag));
}

}  // namespace pelmo
