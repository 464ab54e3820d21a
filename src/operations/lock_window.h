#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "context/program_context.h"
#include "operations/station_locker.h"

namespace Ui {
class TLockStation;
}

namespace pelmo {

// Locks the station at the current address after the operator confirms it.
class TLockStation final : public QDialog, private LockView {
    Q_OBJECT
public:
    TLockStation(StationPort& port, ProgramContext& program, QWidget* parent = nullptr);
    ~TLockStation() override;

    // The main window's station boxes, filled from the station definition read here.
    void setStationShown(std::function<void()> shown) { stationShown_ = std::move(shown); }
    StationLocker& locker() { return locker_; }
    LockView::Ending ending() const { return ending_; }

    void setCaptions();
    void FormShow();
    void b_closeClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void lockStatus(const QString& text) override;
    void stationIdentified() override;
    void lockEnded(Ending ending) override;

    std::unique_ptr<Ui::TLockStation> ui;
    ProgramContext& program_;
    StationLocker locker_;
    std::function<void()> stationShown_;
    bool started_ = false;
    bool running_ = false;
    LockView::Ending ending_ = LockView::Ending::Failed;
};

}  // namespace pelmo
