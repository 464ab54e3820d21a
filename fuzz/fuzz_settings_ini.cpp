// settings.ini: any bytes parse; written back they keep their lines and after one write
// they no longer change; every key the program reads has an answer, and a written key
// reads back.
#include "files/program_settings.h"
#include "files/settings_ini.h"
#include "fuzz_support.h"
#include "model/station_image.h"

using namespace pelmo;
using namespace pelmo::fuzz;
using pelmo::settings_keys::kSettings;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    SettingsIni ini(QStringLiteral("/nonexistent/settings.ini"));
    ini.parse(bytes);
    // Written back, the file keeps its lines; a stray CR can change the line ends once,
    // after that the file no longer changes.
    const QByteArray written = ini.contents();
    SettingsIni again(QStringLiteral("/nonexistent/settings.ini"));
    again.parse(written);
    FUZZ_CHECK(again.lines().size() == ini.lines().size());
    SettingsIni third(QStringLiteral("/nonexistent/settings.ini"));
    third.parse(again.contents());
    FUZZ_CHECK(third.lines() == again.lines() && third.contents() == again.contents());

    StationImage image;
    resetNewStation(image);
    ProgramSettings settings;
    (void)applyStartupSettings(ini, image, settings, [](const QString&) { return true; });
    (void)ini.readInteger(kSettings, QStringLiteral("addr"), 251);
    (void)ini.readBool(kSettings, QStringLiteral("ExportDate"), false);

    ini.writeString(kSettings, QStringLiteral("port"), QStringLiteral("/dev/ttyS0"));
    ini.writeInteger(QStringLiteral("Fuzz"), QStringLiteral("n"), -12);
    FUZZ_CHECK(ini.readString(kSettings, QStringLiteral("port"), {}) ==
               QStringLiteral("/dev/ttyS0"));
    FUZZ_CHECK(ini.readInteger(QStringLiteral("fuzz"), QStringLiteral("N"), 0) == -12);
    SettingsIni reread(QStringLiteral("/nonexistent/settings.ini"));
    reread.parse(ini.contents());
    FUZZ_CHECK(reread.readString(kSettings, QStringLiteral("port"), {}) ==
               QStringLiteral("/dev/ttyS0"));
    return 0;
}
