#pragma once

#include <QString>
#include <QStringList>

namespace pelmo {

class Prompts;
class SettingsDialogHost;
class SettingsIni;
struct ProgramSettings;
struct StationImage;

// First entry of the port list: no port chosen.
inline const QString kNoPortEntry = QStringLiteral("Nezvolen");

// The settings dialog's controls as values, so that opening and saving run without
// widgets.
struct SettingsFormState {
    QStringList portEntries;  // kNoPortEntry, then the ports
    int portIndex = -1;       // -1: no entry selected
    // The entry selected at opening (the port in use): the port keys are written only when
    // the operator chose another.
    int openedPortIndex = -1;
    bool memory64 = false;
    bool sound = true;
    bool english = false;
    QString address;
    bool checking = true;
    bool gas = false;
    bool variant = false;
    bool exportDate = false;
    bool delimiter = false;
};

// "Nezvolen" followed by the system's ports in reverse order.
QStringList portListEntries(const QStringList& availablePorts);

// Index of the entry naming the stored port: the PortName device when there is one, else
// "COM" and the number or the number's device; -1 when the list has none.
int portEntryIndex(const QStringList& entries, int port, const QString& portName);

// Opening: reads the file again, sets the program version of `settings` from it at once, and
// takes the language and the programming check from the running program. The port list
// selects `portInUse` (a --port choice wins over the keys); without it, the keys' port.
SettingsFormState readSettingsForm(SettingsIni& ini, ProgramSettings& settings,
                                   const QStringList& availablePorts,
                                   const QString& portInUse = QString());

// The save button's steps in order. Returns false when the dialog stays open (no usable
// port chosen); the steps before the port check have then already taken effect.
bool saveSettingsForm(const SettingsFormState& form, SettingsIni& ini, StationImage& image,
                      ProgramSettings& settings, SettingsDialogHost& host, Prompts& prompts);

}  // namespace pelmo
