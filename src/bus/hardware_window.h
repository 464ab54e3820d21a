#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>

#include "bus/hardware_info.h"
#include "context/program_context.h"

namespace Ui {
class TInfoHW;
}

namespace pelmo {

// Reads the station's configuration and shows its hardware: serial number, address,
// memory, lock, firmware, input cards and frequency prescalers.
class TInfoHW final : public QDialog, private HardwareInfoView {
    Q_OBJECT
public:
    TInfoHW(StationPort& port, ProgramContext& program, QWidget* parent = nullptr);
    ~TInfoHW() override;

    // The main window shows the station read here.
    void setStationShown(std::function<void()> shown) { stationShown_ = std::move(shown); }
    HardwareInfoReader& reader() { return reader_; }

    void setCaptions();
    void FormShow();
    void b_closeClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void done(int result) override;

private:
    void hardwareStatus(const QString& text) override;
    void stationDecoded() override;
    void hardwareEnded(Ending ending) override;
    void fill();
    void fitGrids();

    std::unique_ptr<Ui::TInfoHW> ui;
    HardwareInfoReader reader_;
    std::function<void()> stationShown_;
    QTimer progress_;
    bool started_ = false;
};

}  // namespace pelmo
