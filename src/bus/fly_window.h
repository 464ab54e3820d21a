#pragma once

#include <QDialog>
#include <memory>

#include "bus/flying_measurement.h"
#include "context/program_context.h"

namespace Ui {
class TLetMer;
}

namespace pelmo {

// Starts a flying measurement over a number of intervals of one circuit, waits for it and
// shows its results.
class TLetMer final : public QDialog, private FlyView {
    Q_OBJECT
public:
    TLetMer(StationPort& port, ProgramContext& program, QWidget* parent = nullptr);
    ~TLetMer() override;

    FlyingMeasurement& measurement() { return fly_; }

    void setCaptions();
    void FormShow();
    void spinChange();
    void cb_nulClick();
    void b_readClick();
    void b_cancelClick();
    void b_closeClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void done(int result) override;

private:
    void flyStatus(const QString& text) override;
    void setupDone() override;
    void gaugeStep() override;
    void resultsRead(const FlyValues& values) override;
    void phaseChanged(Phase phase) override;
    void flyFailed(bool closing) override;
    void flyBroken() override;
    void showSeconds();
    void fitGrids();

    std::unique_ptr<Ui::TLetMer> ui;
    ProgramContext& program_;
    FlyingMeasurement fly_;
    bool started_ = false;
};

}  // namespace pelmo
