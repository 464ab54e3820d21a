#include "files/program_settings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "base/texts.h"
#include "files/settings_ini.h"
#include "model/station_image.h"

namespace pelmo {
namespace {

class StartupSettings : public ::testing::Test {
protected:
    ~StartupSettings() override { setLanguage(Language::Czech); }

    StartupResult start(const QByteArray& content, bool portUsable = true) {
        const QString path = dir_.filePath(QStringLiteral("settings.ini"));
        if (!content.isNull()) {
            QFile f(path);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        SettingsIni ini(path);
        return applyStartupSettings(ini, image_, settings_, [&](const QString& device) {
            selected_ << device;
            return portUsable;
        });
    }

    QTemporaryDir dir_;
    StationImage image_;
    ProgramSettings settings_;
    QStringList selected_;
};

TEST_F(StartupSettings, OnlyTheLanguageGiven) {
    // Starts from the values a previous run may have left.
    settings_.sound = false;
    settings_.checking = false;
    settings_.version = 1;
    const StartupResult r = start("[Settings]\r\nlang=2\r\n");
    EXPECT_TRUE(r.portOk);
    EXPECT_EQ(language(), Language::English);
    EXPECT_EQ(selected_, QStringList{QStringLiteral("/dev/ttyS0")});
    EXPECT_EQ(settings_.port, 1);
    EXPECT_EQ(image_.bus_address, 251);
    EXPECT_EQ(image_.address_list[kUserAddressEntry].address, 251);
    EXPECT_EQ(image_.station.memory_size, 32768);
    EXPECT_EQ(image_.station.memory_code, 241);
    EXPECT_TRUE(settings_.sound);
    EXPECT_TRUE(settings_.checking);
    EXPECT_EQ(settings_.version, 0);
    EXPECT_FALSE(settings_.exportDate);
    EXPECT_FALSE(settings_.delimiter);
}

TEST_F(StartupSettings, MissingFileIsCzechWithDefaults) {
    setLanguage(Language::English);
    start(QByteArray());
    EXPECT_EQ(language(), Language::Czech);
    EXPECT_EQ(image_.bus_address, 251);
    EXPECT_EQ(image_.station.memory_size, 32768);
}

TEST_F(StartupSettings, EveryKeyTakenWithoutRegardToCase) {
    start(
        "[SETTINGS]\nADDR=17\nPORT=3\nMem=48\nSOUND=0\nLang=1\nVersion=1\nexportdate=1\n"
        "DELIMITER=5\n[debug]\nchecking=0\n");
    EXPECT_EQ(image_.bus_address, 17);
    EXPECT_EQ(image_.address_list[kUserAddressEntry].address, 17);
    EXPECT_EQ(selected_, QStringList{QStringLiteral("/dev/ttyS2")});
    // Any memory value other than 32 means 64 KB.
    EXPECT_EQ(image_.station.memory_size, 65536);
    EXPECT_EQ(image_.station.memory_code, 242);
    EXPECT_FALSE(settings_.sound);
    EXPECT_FALSE(settings_.checking);
    EXPECT_EQ(settings_.version, 1);
    EXPECT_TRUE(settings_.exportDate);
    EXPECT_TRUE(settings_.delimiter);
}

TEST_F(StartupSettings, AddressesTheBusCannotCarryBecome251) {
    for (const char* addr : {"999", "0", "-4", "1a", ""}) {
        start(QByteArray("[Settings]\naddr=") + addr + "\n");
        EXPECT_EQ(image_.bus_address, 251) << addr;
        EXPECT_EQ(image_.address_list[kUserAddressEntry].address, 251) << addr;
    }
}

TEST_F(StartupSettings, PortChoiceAndFailure) {
    StartupResult r = start("[Settings]\nPort=2\nPortName=/dev/ttyUSB1\nmem=64\n", false);
    EXPECT_FALSE(r.portOk);
    EXPECT_EQ(r.device, QStringLiteral("/dev/ttyUSB1"));
    // The memory size is set although the port failed.
    EXPECT_EQ(image_.station.memory_size, 65536);

    settings_.portOverride = QStringLiteral("/dev/pts/7");
    selected_.clear();
    r = start("[Settings]\nPort=2\nPortName=/dev/ttyUSB1\n");
    EXPECT_TRUE(r.portOk);
    EXPECT_EQ(selected_, QStringList{QStringLiteral("/dev/pts/7")});

    // Port 0 names no device: nothing to open, the dialog must come up.
    settings_.portOverride.clear();
    selected_.clear();
    r = start("[Settings]\nPort=0\n");
    EXPECT_FALSE(r.portOk);
    EXPECT_TRUE(selected_.isEmpty());
}

TEST(PortNames, NumbersAndDevices) {
    EXPECT_EQ(portNumberForEntry(QStringLiteral("COM3")), 3);
    EXPECT_EQ(portNumberForEntry(QStringLiteral("COM12")), 12);
    EXPECT_EQ(portNumberForEntry(QStringLiteral("COM")), 0);
    EXPECT_EQ(portNumberForEntry(QStringLiteral("CO")), 0);
    EXPECT_EQ(portNumberForEntry(QStringLiteral("COMx")), 0);
    EXPECT_EQ(portNumberForEntry(QStringLiteral("ttyUSB0")), 0);
    EXPECT_EQ(portNumberForEntry(QStringLiteral("ttyACM2")), 0);
    for (int n = 1; n <= 40; ++n) {
        EXPECT_EQ(portNumberForEntry(deviceForPortNumber(n)), n);
        EXPECT_EQ(portNumberForEntry(deviceForPortNumber(n).mid(5)), n);
    }
    EXPECT_TRUE(deviceForPortNumber(0).isEmpty());
    EXPECT_EQ(deviceForEntry(QStringLiteral("ttyUSB0")), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(deviceForEntry(QStringLiteral("/dev/pts/3")), QStringLiteral("/dev/pts/3"));
}

TEST(UserAddressCaption, AddressAndText384) {
    setLanguage(Language::English);
    EXPECT_EQ(userAddressCaption(251), QStringLiteral("251 - User defined"));
    setLanguage(Language::Czech);
    EXPECT_EQ(userAddressCaption(7), QString::fromUtf8("7 - Uživatelská "));
}

}  // namespace
}  // namespace pelmo
