#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "bus/registers_reader.h"
#include "context/program_context.h"

namespace Ui {
class TRegistryForm;
}

namespace pelmo {

// The station's working values, read when the window opens and on each refresh.
class TRegistryForm final : public QDialog, private RegistersView {
    Q_OBJECT
public:
    TRegistryForm(StationPort& port, ProgramContext& program, QWidget* parent = nullptr);
    ~TRegistryForm() override;

    // The console's traffic log, cleared before a refresh.
    void setTrafficLogClearer(std::function<void()> clear) { clearLog_ = std::move(clear); }
    RegistersReader& reader() { return reader_; }

    void setCaptions();
    void FormShow();
    void refreshBtnClick();
    void OKBtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void registersStatus(const QString& text) override;
    void clearTrafficLog() override;
    void readRunning(bool running) override;
    void registersRead(const RegisterValues& values) override;
    void registersEnded(Ending ending) override;
    void fitGrids();

    std::unique_ptr<Ui::TRegistryForm> ui;
    RegistersReader reader_;
    std::function<void()> clearLog_;
    bool started_ = false;
};

}  // namespace pelmo
