#pragma once

#include <QString>
#include <deque>
#include <vector>

#include "base/prompts.h"
#include "context/program_context.h"

namespace pelmo::test {

// Records every prompt and answers questions and file dialogs from a script.
class ScriptedPrompts final : public Prompts {
public:
    struct Shown {
        Kind kind;
        QString text;
    };

    void show(Kind kind, const QString& text) override { shown.push_back({kind, text}); }
    bool askYesNo(Kind kind, const QString& text) override {
        shown.push_back({kind, text});
        if (answers.empty()) {
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QString openFile(const FileDialogSpec& spec) override { return nextFile(spec); }
    QString saveFile(const FileDialogSpec& spec) override { return nextFile(spec); }

    bool shownError(const QString& text) const {
        for (const Shown& s : shown) {
            if (s.kind == Kind::Error && s.text == text) {
                return true;
            }
        }
        return false;
    }

    std::vector<Shown> shown;
    std::deque<bool> answers;
    std::deque<QString> files;
    std::vector<FileDialogSpec> dialogs;

private:
    QString nextFile(const FileDialogSpec& spec) {
        dialogs.push_back(spec);
        if (files.empty()) {
            return {};
        }
        QString f = files.front();
        files.pop_front();
        return f;
    }
};

// Scripted prompts that a program context shows its boxes and dialogs to while the scope
// lasts.
class PromptsScope {
public:
    explicit PromptsScope(ProgramContext& program)
        : program_(program), previous_(program.setPrompts(prompts)) {}
    ~PromptsScope() { program_.setPrompts(previous_); }
    PromptsScope(const PromptsScope&) = delete;
    PromptsScope& operator=(const PromptsScope&) = delete;

    ScriptedPrompts prompts;

private:
    ProgramContext& program_;
    Prompts& previous_;
};

}  // namespace pelmo::test
