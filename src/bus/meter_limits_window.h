#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "bus/meter_limits.h"
#include "context/program_context.h"

namespace Ui {
class TMezMeridla;
}

class QAction;

namespace pelmo {

// Reads the meter definition, lets the operator change its limits, intervals and impulse
// coefficients in two grids and writes it back.
class TMezMeridla final : public QDialog, private MeterLimitsView {
    Q_OBJECT
public:
    TMezMeridla(StationPort& port, ProgramContext& program, QWidget* parent = nullptr);
    ~TMezMeridla() override;

    // The hidden password entry (Ctrl+Alt+H).
    void setPasswordOpener(std::function<void()> open) { openPassword_ = std::move(open); }
    MeterLimits& limits() { return limits_; }

    void setCaptions();
    void FormShow();
    void b_refreshClick();
    void b_saveClick();
    void b_closeClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void meterStatus(const QString& text) override;
    void meterRead() override;
    void meterWritten() override;
    void meterFailed(bool closing) override;
    void setButtons(bool on);
    void fitGrids();

    std::unique_ptr<Ui::TMezMeridla> ui;
    ProgramContext& program_;
    MeterLimits limits_;
    std::function<void()> openPassword_;
    QAction* pwd_ = nullptr;
    bool started_ = false;
};

}  // namespace pelmo
