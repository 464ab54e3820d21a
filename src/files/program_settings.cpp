#include "files/program_settings.h"

#include <QRegularExpression>

#include "base/texts.h"
#include "files/settings_ini.h"
#include "model/station_image.h"

namespace pelmo {

using settings_keys::kDebug;
using settings_keys::kSettings;

QString deviceForPortNumber(int port) {
    if (port < 1) {
        return {};
    }
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

QString currentPortDevice(const ProgramSettings& s) {
    if (!s.portOverride.isEmpty()) {
        return s.portOverride;
    }
    if (!s.portName.isEmpty()) {
        return s.portName;
    }
    return deviceForPortNumber(s.port);
}

int portNumberForEntry(const QString& entry) {
    if (entry.size() < 4) {
        return 0;
    }
    if (entry.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) {
        bool ok = false;
        const int n = entry.mid(3).toInt(&ok, 10);
        return ok && n >= 0 ? n : 0;
    }
    static const QRegularExpression ttyS(QStringLiteral("^(?:/dev/)?ttyS(\\d{1,4})$"));
    const QRegularExpressionMatch m = ttyS.match(entry);
    return m.hasMatch() ? m.captured(1).toInt() + 1 : 0;
}

QString deviceForEntry(const QString& entry) {
#ifdef Q_OS_WIN
    return entry;
#else
    if (entry.isEmpty() || entry.startsWith(QLatin1Char('/'))) {
        return entry;
    }
    return QStringLiteral("/dev/") + entry;
#endif
}

void applyMemorySetting(StationImage& image, int kilobytes) {
    const bool small = kilobytes == 32;
    image.station.memory_code = small ? kMemoryCode32 : kMemoryCode64;
    image.station.memory_size = small ? kMemorySize32 : kMemorySize64;
}

QString userAddressCaption(int address) {
    return QString::number(address) + txt(kTextUserDefined);
}

std::optional<double> parseTurnaround(const QString& text) {
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double ms = t.toDouble(&ok);
    if (!ok || !(ms >= 0.0 && ms <= 1000.0)) {
        return std::nullopt;
    }
    return ms;
}

int busAddressFromSetting(int stored) {
    return stored >= 1 && stored <= kDefaultBusAddress ? stored : kDefaultBusAddress;
}

StartupResult applyStartupSettings(const SettingsIni& ini, StationImage& image, ProgramSettings& s,
                                   const std::function<bool(const QString&)>& selectPort) {
    const int address = busAddressFromSetting(
        ini.readInteger(kSettings, QStringLiteral("addr"), kDefaultBusAddress));
    image.bus_address = address;
    image.address_list[kUserAddressEntry].address = address;

    s.checking = ini.readBool(kDebug, QStringLiteral("Checking"), true);
    setLanguage(languageFromSetting(ini.readInteger(kSettings, QStringLiteral("lang"), 1)));
    s.sound = ini.readBool(kSettings, QStringLiteral("sound"), true);
    s.version = ini.readInteger(kSettings, QStringLiteral("version"), 0);
    s.variant = ini.readBool(kSettings, QStringLiteral("variant"), false);
    s.exportDate = ini.readBool(kSettings, QStringLiteral("ExportDate"), false);
    s.delimiter = ini.readBool(kSettings, QStringLiteral("Delimiter"), false);
    s.turnaroundMs =
        parseTurnaround(ini.readString(kSettings, QStringLiteral("Turnaround"), QString()))
            .value_or(kDefaultTurnaroundMs);

    s.port = ini.readInteger(kSettings, QStringLiteral("Port"), 1);
    s.portName = ini.readString(kSettings, QStringLiteral("PortName"), QString()).trimmed();
    StartupResult result;
    result.device = currentPortDevice(s);
    result.portOk = !result.device.isEmpty() && selectPort && selectPort(result.device);

    // The memory size does not depend on the port, so a port failure does not leave the
    // station without one.
    applyMemorySetting(image, ini.readInteger(kSettings, QStringLiteral("mem"), 32));
    return result;
}

}  // namespace pelmo
