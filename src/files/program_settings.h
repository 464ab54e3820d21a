#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace pelmo {

class SettingsIni;
struct StationImage;

// Program-wide values kept in settings.ini. bus_address lives in the station image,
// the language in the text module, memory size and code in stanice_rec.
inline constexpr double kDefaultTurnaroundMs = 3.646;

// The `version` setting 1 is the gas version of the program (gas quantities and files); 0 is
// the steam version.
constexpr bool isGasVersion(int version) {
    return version == 1;
}

struct ProgramSettings {
    int port = 1;             // COMn number of the `Port` key
    QString portName;         // `PortName` device path; wins over `Port` when not empty
    QString portOverride;     // --port on the command line; wins over both
    bool sound = true;        // sound signals
    bool checking = true;     // read back and compare while programming
    int version = 0;          // 0 steam, 1 gas
    bool variant = false;     // variant extension; only carried through the file
    bool exportDate = false;  // include the date in exported data
    bool delimiter = false;   // include a tab delimiter in exported data
    // `Turnaround`: milliseconds of silence after the station's last byte before the host
    // writes (3.5 characters at 9600 Bd).
    double turnaroundMs = kDefaultTurnaroundMs;

    bool isGasVersion() const { return pelmo::isGasVersion(version); }
};

// A turnaround in milliseconds as the `Turnaround` key or --turnaround give it (decimal point
// or comma, 0..1000); nullopt for anything else.
std::optional<double> parseTurnaround(const QString& text);

namespace settings_keys {
inline const QString kSettings = QStringLiteral("Settings");
inline const QString kDebug = QStringLiteral("Debug");
}  // namespace settings_keys

inline constexpr int kMemoryCode32 = 241;
inline constexpr int kMemoryCode64 = 242;
inline constexpr int kMemorySize32 = 32768;
inline constexpr int kMemorySize64 = 65536;

// Device of port number n (COMn): /dev/ttyS{n-1} on Linux. Empty for n < 1.
QString deviceForPortNumber(int port);
// The port to use: --port, else PortName, else the device of Port.
QString currentPortDevice(const ProgramSettings& s);

// Port number to store for an entry of the port list: "COMn" gives n (an entry shorter
// than four characters, or with no number after "COM", gives 0); a Linux ttyS<k> gives k+1,
// the inverse of deviceForPortNumber; any other device 0.
int portNumberForEntry(const QString& entry);
// Device path of a port list entry ("ttyUSB0" → "/dev/ttyUSB0" on Linux).
QString deviceForEntry(const QString& entry);

// stanice_rec's memory from the `mem` key: 32 → 32 KB, anything else 64 KB.
void applyMemorySetting(StationImage& image, int kilobytes);

// Caption of the main window's user-defined address entry: the address and text 384.
QString userAddressCaption(int address);

// The stored address as bus_address takes it: values outside 1..251 (which the request
// byte cannot carry) give 251.
int busAddressFromSetting(int stored);

struct StartupResult {
    // False when the configured port could not be selected: show text 154 and open the
    // settings dialog.
    bool portOk = true;
    QString device;
};

// Reads the start-up settings in their order (addr, Checking, lang, sound, version,
// ExportDate, Delimiter, Port/PortName, mem) and applies them: bus_address and address-list
// entry 32, the language, `settings`, and stanice_rec's memory. The port goes to
// `selectPort`.
StartupResult applyStartupSettings(const SettingsIni& ini, StationImage& image,
                                   ProgramSettings& settings,
                                   const std::function<bool(const QString&)>& selectPort);

}  // namespace pelmo
