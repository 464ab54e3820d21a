#pragma once

#include <QString>
#include <memory>

#include "ui/shell_hosts.h"

namespace pelmo {

class StationPort;
class TDefVeliciny;
class TForm1;
class TLinTab;
class TZobrStanice;

// The running program: the main window and the hidden serial host, created in that order,
// and the glue the dialogs need between them.
class AppShell final : public SettingsDialogHost, public AccessHost {
public:
    // `portOverride` is the --port device (empty: the settings decide); `bus` replaces the
    // serial port altogether (the in-process simulator).
    explicit AppShell(const QString& portOverride = {}, StationPort* bus = nullptr);
    ~AppShell() override;

    // Applies the start-up settings and shows the main window. A port that cannot be used
    // shows text 154 and opens the settings dialog.
    void start();

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
    std::unique_ptr<TForm1> host_;
    std::unique_ptr<TZobrStanice> main_;
    std::unique_ptr<TLinTab> tables_;
    TDefVeliciny* channelEditor_ = nullptr;  // the open one, for access mode changes
};

}  // namespace pelmo
