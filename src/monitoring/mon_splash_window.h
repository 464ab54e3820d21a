#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "context/program_context.h"
#include "monitoring/mon_transfer.h"

namespace Ui {
class TMonSplash;
}

namespace pelmo {

// The monitoring transfer's window: opening it starts the transfer, and it closes by itself
// when the transfer ends, well or not.
class TMonSplash final : public QDialog, private MonTransferView {
    Q_OBJECT
public:
    // Where the transfer reports to the data tracking view's status bar and the traffic log.
    struct Outlets {
        std::function<void(const QString&)> viewStatus;
        std::function<void(const QString&)> viewSource;
        std::function<void(const QString&)> trafficNote;
    };

    TMonSplash(StationPort& port, ProgramContext& program, MonitoringRecording& recording,
               Outlets outlets, QWidget* parent = nullptr);
    ~TMonSplash() override;

    MonTransfer& transfer() { return transfer_; }
    bool dataReady() const { return transfer_.dataReady(); }

    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void transferStatus(const QString& text) override;
    void viewStatus(const QString& text) override;
    void viewSource(const QString& text) override;
    void expectedCounts(const std::array<std::uint16_t, kChannelCount>& counts) override;
    void receivedCount(int channel, int samples) override;
    void gaugeMaximum(int maximum) override;
    void gauge(int position) override;
    void trafficNote(const QString& line) override;
    void transferEnded(bool dataReady) override;

    std::unique_ptr<Ui::TMonSplash> ui;
    Outlets outlets_;
    MonTransfer transfer_;
    bool started_ = false;
};

}  // namespace pelmo
