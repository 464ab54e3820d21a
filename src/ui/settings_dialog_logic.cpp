#include "ui/settings_dialog_logic.h"

#include "base/field_check.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "files/program_settings.h"
#include "files/settings_ini.h"
#include "model/station_image.h"
#include "services/shell_hosts.h"

namespace pelmo {

using settings_keys::kDebug;
using settings_keys::kSettings;

QStringList portListEntries(const QStringList& availablePorts) {
    QStringList entries{kNoPortEntry};
    for (auto it = availablePorts.crbegin(); it != availablePorts.crend(); ++it) {
        entries.append(*it);
    }
    return entries;
}

int portEntryIndex(const QStringList& entries, int port, const QString& portName) {
    for (int i = 1; i < entries.size(); ++i) {
        const QString& entry = entries[i];
        const QString device = deviceForEntry(entry);
        if (!portName.isEmpty()) {
            if (entry == portName || device == portName) {
                return i;
            }
            continue;
        }
        if (entry.compare(QStringLiteral("COM%1").arg(port), Qt::CaseInsensitive) == 0 ||
            (port >= 1 && device == deviceForPortNumber(port))) {
            return i;
        }
    }
    return -1;
}

SettingsFormState readSettingsForm(SettingsIni& ini, ProgramSettings& settings,
                                   const QStringList& availablePorts, const QString& portInUse) {
    ini.load();
    SettingsFormState form;
    form.portEntries = portListEntries(availablePorts);
    const int port = ini.readInteger(kSettings, QStringLiteral("Port"), 1);
    const QString portName =
        ini.readString(kSettings, QStringLiteral("PortName"), QString()).trimmed();
    form.portIndex = portEntryIndex(form.portEntries, port, portName);
    if (!portInUse.isEmpty()) {
        const int inUse = portEntryIndex(form.portEntries, 0, portInUse);
        if (inUse > 0) {
            form.portIndex = inUse;
        }
    }
    form.openedPortIndex = form.portIndex;

    form.memory64 = ini.readInteger(kSettings, QStringLiteral("Mem"), 32) == 64;
    form.sound = ini.readBool(kSettings, QStringLiteral("sound"), true);
    const int address = ini.readInteger(kSettings, QStringLiteral("addr"), kDefaultBusAddress);
    form.address = QString::number(busAddressFromSetting(address));

    const int version = ini.readInteger(kSettings, QStringLiteral("version"), 0);
    settings.version = version;
    form.gas = isGasVersion(version);

    form.variant = ini.readBool(kSettings, QStringLiteral("variant"), false);
    form.exportDate = ini.readBool(kSettings, QStringLiteral("ExportDate"), false);
    form.delimiter = ini.readBool(kSettings, QStringLiteral("Delimiter"), false);

    form.english = language() == Language::English;
    form.checking = settings.checking;
    return form;
}

namespace {

// The address box: digits only, not empty. A value the request's address byte cannot carry
// is kept in the file as typed but does not become the bus address.
void applyAddress(const QString& text, StationImage& image, SettingsDialogHost& host,
                  Prompts& prompts) {
    if (!validateField(text, txt(kTextAddress), FieldKind::Integer, prompts, true)) {
        return;
    }
    bool ok = false;
    const int address = text.toInt(&ok, 10);
    if (!ok || address < 1 || address > kDefaultBusAddress) {
        // Saved as typed all the same; the operator learns what that means.
        prompts.warning(txt(kTextAddressIsOutside1).arg(text).arg(image.bus_address));
        return;
    }
    image.bus_address = address;
    image.address_list[kUserAddressEntry].address = address;
    host.userAddressChanged(address);
    host.writeEndComm();
}

}  // namespace

bool saveSettingsForm(const SettingsFormState& form, SettingsIni& ini, StationImage& image,
                      ProgramSettings& s, SettingsDialogHost& host, Prompts& prompts) {
    s.checking = form.checking;
    applyAddress(form.address, image, host, prompts);
    image.station.memory_code = form.memory64 ? kMemoryCode64 : kMemoryCode32;
    s.sound = form.sound;

    const QString previous = host.currentPort();
    host.closePort();
    const bool chosen = form.portIndex > 0 && form.portIndex < form.portEntries.size();
    const QString entry = chosen ? form.portEntries[form.portIndex] : QString();
    const QString device = deviceForEntry(entry);
    if (!chosen || !host.selectPort(device)) {
        const QString hint = chosen ? host.portHint() : QString();
        // The program keeps the port it had, whether the operator then chooses another
        // or cancels.
        if (!previous.isEmpty()) {
            host.selectPort(previous);
        }
        prompts.warning(hint.isEmpty()
                            ? txt(kTextErrorOpenningPortPlease)
                            : txt(kTextErrorOpenningPortPlease) + QStringLiteral("\n\n") + hint);
        return false;
    }
    const bool portChosen = form.portIndex != form.openedPortIndex;
    if (portChosen) {
        s.port = portNumberForEntry(entry);
        s.portName = device;
        // The operator chose a port; a command-line choice no longer applies.
        s.portOverride.clear();
    }

    image.station.memory_size = form.memory64 ? kMemorySize64 : kMemorySize32;
    setLanguage(form.english ? Language::English : Language::Czech);
    s.version = form.gas ? 1 : 0;
    s.variant = form.variant;
    s.exportDate = form.exportDate;
    s.delimiter = form.delimiter;

    if (portChosen) {
        ini.writeInteger(kSettings, QStringLiteral("Port"), s.port);
        ini.writeString(kSettings, QStringLiteral("PortName"), s.portName);
    }
    ini.writeInteger(kSettings, QStringLiteral("Mem"), form.memory64 ? 64 : 32);
    ini.writeBool(kSettings, QStringLiteral("sound"), s.sound);
    ini.writeInteger(kSettings, QStringLiteral("lang"), static_cast<int>(language()));
    ini.writeString(kSettings, QStringLiteral("addr"), form.address);
    ini.writeBool(kDebug, QStringLiteral("Checking"), s.checking);
    ini.writeInteger(kSettings, QStringLiteral("version"), s.version);
    ini.writeBool(kSettings, QStringLiteral("variant"), form.variant);
    ini.writeBool(kSettings, QStringLiteral("ExportDate"), s.exportDate);
    ini.writeBool(kSettings, QStringLiteral("Delimiter"), s.delimiter);
    if (!ini.flush()) {
        // The settings hold for this run; the operator learns they will not survive it.
        prompts.error(txt(kTextErrorWritingOutputFile));
    }

    host.refreshMainCaptions();
    host.restartLineMonitoring();
    return true;
}

}  // namespace pelmo
