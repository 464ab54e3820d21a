#pragma once

#include <QString>
#include <QStringList>

namespace pelmo {

// What the settings dialog needs from the main window and the serial host. The GUI
// implements it; tests implement it with recorders.
class SettingsDialogHost {
public:
    virtual ~SettingsDialogHost() = default;

    // Serial ports found on the computer, in the order the system lists them.
    virtual QStringList availablePorts() const = 0;
    // bus_address and address-list entry 32 now hold `address`: the user-defined address
    // entry of the main window gets its caption and the check mark.
    virtual void userAddressChanged(int address) = 0;
    // END_COMM written once straight to the port; no answer is awaited.
    virtual void writeEndComm() = 0;
    virtual void closePort() = 0;
    // Makes `device` (a port name or device path) the port for the next opening; false when
    // it cannot be used.
    virtual bool selectPort(const QString& device) = 0;
    // The device the program uses now (empty when none was ever chosen).
    virtual QString currentPort() const = 0;
    // Why the last port could not be opened, when the operator can fix it; empty if not.
    virtual QString portHint() const { return {}; }
    // The main window's caption routine, so a language change shows at once.
    virtual void refreshMainCaptions() = 0;
    virtual void restartLineMonitoring() = 0;
};

// What the password window changes elsewhere.
class AccessHost {
public:
    virtual ~AccessHost() = default;

    // Appends e.g. "(*USER*)" to the main window's caption.
    virtual void appendMainCaption(const QString& suffix) = 0;
    // Sets the capture flag and shows the serial host's debug console.
    virtual void showDebugConsole() = 0;
    // The access mode changed (an open channel editor enables or disables its upload).
    virtual void accessModeChanged() = 0;
};

}  // namespace pelmo
