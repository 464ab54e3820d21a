#pragma once

#include <QString>
#include <QStringList>

#include "services/shell_hosts.h"

namespace pelmo::test {

// Records the calls of the settings dialog in order, e.g. "selectPort /dev/ttyS0".
class RecordingSettingsHost final : public SettingsDialogHost {
public:
    QStringList availablePorts() const override { return ports; }
    void userAddressChanged(int address) override {
        calls << QStringLiteral("userAddressChanged %1").arg(address);
    }
    void writeEndComm() override { calls << QStringLiteral("writeEndComm"); }
    void closePort() override { calls << QStringLiteral("closePort"); }
    bool selectPort(const QString& device) override {
        calls << QStringLiteral("selectPort ") + device;
        return portUsable;
    }
    QString currentPort() const override { return current; }
    void refreshMainCaptions() override { calls << QStringLiteral("refreshMainCaptions"); }
    void restartLineMonitoring() override { calls << QStringLiteral("restartLineMonitoring"); }

    QStringList ports;
    bool portUsable = true;
    QString current;
    QStringList calls;
};

class RecordingAccessHost final : public AccessHost {
public:
    void appendMainCaption(const QString& suffix) override { caption += suffix; }
    void showDebugConsole() override { ++consoleShown; }
    void accessModeChanged() override { ++modeChanges; }

    QString caption;
    int consoleShown = 0;
    int modeChanges = 0;
};

}  // namespace pelmo::test
