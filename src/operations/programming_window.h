#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>

#include "context/program_context.h"
#include "operations/station_programmer.h"

namespace Ui {
class TProgressForm;
}

namespace pelmo {

class TForm1;

// The programming run's window: opening it starts the run; it closes by itself when the
// run fails or the station is locked, and stays open with "Zavřít" after success.
class TProgressForm final : public QDialog, private ProgrammingView {
    Q_OBJECT
public:
    TProgressForm(StationPort& port, ProgramContext& program, StationProgrammer::Options options,
                  QWidget* parent = nullptr);
    ~TProgressForm() override;

    // The console's traffic log, cleared when a run starts.
    void setTrafficLogClearer(std::function<void()> clear) { clearLog_ = std::move(clear); }
    StationProgrammer& programmer() { return programmer_; }
    ProgrammingView::Ending ending() const { return ending_; }

    void setCaptions();
    void FormShow();
    void b_zavritClick();
    void dotTimerTimer();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void programmingStatus(const QString& text) override;
    void gauge(int position) override;
    void phaseDone(Phase phase) override;
    void transferCaption(const QString& caption) override;
    void restartDots() override;
    void clearTrafficLog() override;
    void programmingEnded(Ending ending) override;

    std::unique_ptr<Ui::TProgressForm> ui;
    StationProgrammer programmer_;
    QTimer dotTimer_;
    int dots_ = 0;
    bool started_ = false;
    bool running_ = false;
    std::function<void()> clearLog_;
    ProgrammingView::Ending ending_ = ProgrammingView::Ending::Failed;
};

}  // namespace pelmo
