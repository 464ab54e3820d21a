#pragma once

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>

#include "base/texts.h"
#include "context/program_context.h"
#include "link/communication.h"
#include "link/serial_port.h"
#include "ui/serial_host_logic.h"

namespace Ui {
class TForm1;
}

class QAction;
class QActionGroup;

namespace pelmo {

class TZobrStanice;

// Owns the program's one serial port, feeds every received byte into the receive state,
// and doubles as the developer's debug console.
class TForm1 final : public QMainWindow {
    Q_OBJECT
public:
    // Console menu commands provided by other windows; empty ones stay disabled.
    struct Commands {
        std::function<void()> readStation;
        std::function<void()> loadStationFile;
        std::function<void()> programStation;
        std::function<void()> registers;
        std::function<void()> maximum;
        std::function<void()> settings;
        std::function<void()> about;
    };

    // Talks over `program`'s link; `bus` replaces the serial port (tests put the in-process
    // simulator there).
    explicit TForm1(ProgramContext& program, StationPort* bus = nullptr, QWidget* parent = nullptr);
    ~TForm1() override;

    // The port every request goes through.
    StationPort& port() { return *bus_; }
    // The PC's serial port, whatever `port()` is.
    SerialStationPort& serialPort() { return port_; }
    TrafficLog& trafficLog() { return log_; }
    LinkContext& link() { return link_; }
    ProgramContext& program() { return program_; }

    void setCommands(const Commands& commands);
    // Connect's engine goes to the main window's read sequence, which handles its answer.
    using EngineAdopter = std::function<void(std::unique_ptr<TCommunication>)>;
    void setConnectAdopter(EngineAdopter adopter) { adopter_ = std::move(adopter); }
    void setMainStatus(std::function<void(const QString&)> status) {
        mainStatus_ = std::move(status);
    }

    // The debug password: capture on, console shown.
    void enterDebugMode();
    bool capture() const;
    void setCapture(bool on);
    // The top label: key codes, the probed address, a decoded channel's table points.
    void showNote(const QString& text);
    // The bus health table under the capture, redrawn only when a figure or the language
    // changed; the status-light timer calls it.
    void refreshBusHealth();
    void startLineMonitoring();
    // Writes one request straight to the port, without an engine.
    void writeRequest(int request);

    // Whether a sequence runs on the bus (an engine exists on the link).
    bool busy() const { return link_.engines > 0; }

    // Handlers.
    void b_connectClick();
    void b_sendClick();
    void b_clearClick();
    // Starts the bus health table afresh.
    void b_clearHealthClick();
    void b_setdateClick();

signals:
    // A sequence started on the bus (true) or the last one ended (false).
    void busyChanged(bool busy);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setBusy(bool busy);
    void receive(std::span<const std::uint8_t> bytes);
    void updateLights();
    void buildMenu();

    std::unique_ptr<Ui::TForm1> ui;
    ProgramContext& program_;
    LinkContext& link_;
    SerialStationPort port_;
    StationPort* bus_;
    TrafficLog log_;
    QTimer lights_;
    std::uint64_t healthVersion_ = 0;
    Language healthLanguage_ = Language::Czech;
    bool txActivity_ = false;
    bool rxActivity_ = false;
    std::unique_ptr<TCommunication> connectEngine_;
    std::unique_ptr<SetDateSequence> setDate_;
    EngineAdopter adopter_;
    std::function<void(const QString&)> mainStatus_;
    Commands commands_;
    QAction* a_read_ = nullptr;
    QAction* a_load_ = nullptr;
    QAction* a_program_ = nullptr;
    QAction* a_registers_ = nullptr;
    QAction* a_maximum_ = nullptr;
    QAction* a_settings_ = nullptr;
    QAction* a_about_ = nullptr;
    // The console's commands that talk to a station; off while a sequence runs.
    QActionGroup* stationCommands_ = nullptr;
};

}  // namespace pelmo
