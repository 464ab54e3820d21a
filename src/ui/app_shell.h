#pragma once

#include <QString>
#include <memory>

#include "context/program_context.h"
#include "history/history_recorder.h"
#include "services/shell_hosts.h"

namespace pelmo {

class Prompts;
class StationPort;
class TDefVeliciny;
class TForm1;
class TLinTab;
class TZobrStanice;

// Where the GUI keeps what it reads and writes.
struct ProgramPlaces {
    QString folder;           // station folders and backups
    QString settingsFile;     // settings.ini
    QString trafficLog;       // the serial console's log
    QString historyDatabase;  // the reading history; empty: nothing is recorded

    // The installed program's places: beside the program or with the user, as each rule says.
    static ProgramPlaces ofTheProgram();
    // Everything in `folder`, no history (tests).
    static ProgramPlaces inFolder(const QString& folder);
};

// The running program: its one ProgramContext, the main window and the hidden serial host,
// created in that order, and the glue the dialogs need between them.
class AppShell final : public SettingsDialogHost, public AccessHost {
public:
    // `prompts` shows every box and dialog; `portOverride` is the --port device (empty: the
    // settings decide); `bus` replaces the serial port altogether (the in-process simulator).
    AppShell(Prompts& prompts, const ProgramPlaces& places, const QString& portOverride = {},
             StationPort* bus = nullptr);
    ~AppShell() override;

    // Applies the start-up settings and shows the main window. A port that cannot be used
    // shows text 154 and opens the settings dialog.
    void start();

    ProgramContext& program() { return program_; }
    TZobrStanice& mainWindow() { return *main_; }
    TForm1& host() { return *host_; }

    void openSettings();
    void openAbout();
    void openPassword();
    void openDebugInfo();
    void openChannelEditor(int channel);
    void openMemoryWindow();
    // The table editor, after the main window and the host; made at its first use.
    TLinTab& tableEditor();

    // SettingsDialogHost
    QStringList availablePorts() const override;
    void userAddressChanged(int address) override;
    void writeEndComm() override;
    void closePort() override;
    bool selectPort(const QString& device) override;
    QString currentPort() const override;
    QString portHint() const override;
    void refreshMainCaptions() override;
    void restartLineMonitoring() override;

    // AccessHost
    void appendMainCaption(const QString& suffix) override;
    void showDebugConsole() override;
    void accessModeChanged() override;

private:
    QString settingsFile_;
    HistoryRecorder history_;
    ProgramContext program_;
    std::unique_ptr<TForm1> host_;
    std::unique_ptr<TZobrStanice> main_;
    std::unique_ptr<TLinTab> tables_;
    TDefVeliciny* channelEditor_ = nullptr;  // the open one, for access mode changes
};

}  // namespace pelmo
