#include "bench_hooks.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QWidget>
#include <cstdio>
#include <ctime>
#include <memory>

#include "base/prompts.h"
#include "monitoring/sled_dat_window.h"
#include "ui/app_shell.h"
#include "ui/main_window.h"

namespace pelmo {

namespace {

long long monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// Processor time of this process so far, user and system.
long long cpuUs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000LL + ts.tv_nsec / 1000;
}

// No boxes: a run without anybody at the screen must not stop at a question.
class BenchPrompts final : public Prompts {
public:
    explicit BenchPrompts(QString file) : file_(std::move(file)) {}
    void show(Kind, const QString& text) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool askYesNo(Kind, const QString& text) override {
        std::fprintf(stderr, "question (no): %s\n", qPrintable(text));
        return false;
    }
    QString openFile(const FileDialogSpec&) override { return file_; }
    QString saveFile(const FileDialogSpec&) override { return {}; }

private:
    QString file_;
};

enum class Stage { WaitShown, Reading, Opening, Done };

class BenchRun final : public QObject {
public:
    BenchRun(AppShell& shell, QByteArray mode)
        : QObject(&shell.mainWindow()),
          shell_(shell),
          mode_(std::move(mode)),
          previous_(shell.program().prompts()) {
        if (mode_.startsWith("open:")) {
            prompts_ = std::make_unique<BenchPrompts>(QFile::decodeName(mode_.mid(5)));
        } else {
            prompts_ = std::make_unique<BenchPrompts>(QString());
        }
        shell_.program().setPrompts(*prompts_);
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
                &BenchRun::idle);
    }
    ~BenchRun() override { shell_.program().setPrompts(previous_); }

private:
    void idle() {
        TZobrStanice& window = shell_.mainWindow();
        switch (stage_) {
            case Stage::WaitShown:
                if (!window.isVisible()) {
                    return;
                }
                std::printf("bench idle %lld cpu_us=%lld\n", monotonicNs(), cpuUs());
                std::fflush(stdout);
                if (mode_ == "read") {
                    stage_ = Stage::Reading;
                    window.m_cteniClick();
                } else if (mode_.startsWith("open:")) {
                    stage_ = Stage::Opening;
                    // The view runs its own modal loop; this hook keeps firing inside it.
                    window.m_monSouborClick();
                    finish(opened_ ? "bench open ok" : "bench open failed", opened_);
                } else {
                    finish(nullptr, true);
                }
                return;
            case Stage::Reading:
                if (!window.reader().running()) {
                    const bool ok = window.action("m_programovani")->isEnabled();
                    finish(ok ? "bench read ok" : "bench read failed", ok);
                }
                return;
            case Stage::Opening:
                if (auto* view = qobject_cast<TSledDat*>(QApplication::activeModalWidget())) {
                    if (view->isVisible()) {
                        opened_ = true;
                        view->close();
                    }
                }
                return;
            case Stage::Done:
                return;
        }
    }

    void finish(const char* line, bool ok) {
        stage_ = Stage::Done;
        if (line) {
            std::printf("%s\n", line);
            std::fflush(stdout);
        }
        QCoreApplication::exit(ok ? 0 : 1);
    }

    AppShell& shell_;
    QByteArray mode_;
    Prompts& previous_;
    std::unique_ptr<BenchPrompts> prompts_;
    Stage stage_ = Stage::WaitShown;
    bool opened_ = false;
};

}  // namespace

bool armBenchHooks(AppShell& shell, const QByteArray& mode) {
    if (mode != "idle" && mode != "read" && !mode.startsWith("open:")) {
        return false;
    }
    new BenchRun(shell, mode);  // owned by the main window
    return true;
}

}  // namespace pelmo
