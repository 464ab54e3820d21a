#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>

#include "bus/alarm_limits.h"
#include "context/program_context.h"

namespace Ui {
class TMezAlarmu;
}

namespace pelmo {

// Reads the station's configuration, then lets the operator change one channel's value
// range, alarm limits and output logic and write that channel alone.
class TMezAlarmu final : public QDialog, private AlarmLimitsView {
    Q_OBJECT
public:
    // The main window's station boxes and channel grid, filled from the image; and the
    // cells (row label, name, text, input) of its channel grid that the alarm grid copies.
    struct MainWindow {
        std::function<void()> showStation;
        std::function<QString(int row, int column)> channelCell;
    };

    TMezAlarmu(StationPort& port, ProgramContext& program, MainWindow main,
               QWidget* parent = nullptr);
    ~TMezAlarmu() override;

    AlarmLimits& limits() { return limits_; }
    int selectedChannel() const { return channel_; }

    void setCaptions();
    void FormShow();
    void StringGrid1SelectCell(int row, int column);
    void ch_InvMouseUp();
    void b_saveClick();
    void b_closeClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void done(int result) override;

private:
    void alarmStatus(const QString& text) override;
    void configurationRead() override;
    void channelSaved() override;
    void progressStep(int amount) override;
    void alarmFailed() override;
    void fillGrid();
    void setEditable(bool on);
    void stopProgress();
    void fitGrid();

    std::unique_ptr<Ui::TMezAlarmu> ui;
    ProgramContext& program_;
    AlarmLimits limits_;
    MainWindow main_;
    QTimer progress_;
    int channel_ = 1;
    bool started_ = false;
};

}  // namespace pelmo
