#include "files/settings_ini.h"
#include "temp_settings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace pelmo {
namespace {

class SettingsIniTest : public ::testing::Test {
protected:
    test::TempSettingsFile file_;
};

const QString S = QStringLiteral("Settings");

TEST_F(SettingsIniTest, MissingFileGivesDefaultsAndFlushCreatesIt) {
    SettingsIni ini(file_.path());
    EXPECT_EQ(ini.readInteger(S, QStringLiteral("Port"), 1), 1);
    EXPECT_TRUE(ini.readBool(S, QStringLiteral("sound"), true));
    EXPECT_EQ(ini.readString(S, QStringLiteral("PortName"), QString()), QString());

    ini.writeInteger(S, QStringLiteral("Port"), 3);
    ini.writeBool(QStringLiteral("Debug"), QStringLiteral("Checking"), false);
    EXPECT_FALSE(QFile::exists(file_.path())) << "nothing is written before flush";
    ASSERT_TRUE(ini.flush());
    EXPECT_EQ(file_.bytes(), QByteArray("[Settings]\r\nPort=3\r\n[Debug]\r\nChecking=0\r\n"));
}

TEST_F(SettingsIniTest, NamesCompareWithoutCaseAndFirstMatchWins) {
    file_.write("[settings]\nMEM=48\nmem=64\n[SETTINGS]\nlang=2\n");
    SettingsIni ini(file_.path());
    EXPECT_EQ(ini.readInteger(S, QStringLiteral("mem"), 32), 48);
    EXPECT_EQ(ini.readInteger(S, QStringLiteral("Mem"), 32), 48);
    // Only the first section of a name counts, as with the profile routines.
    EXPECT_EQ(ini.readInteger(S, QStringLiteral("lang"), 1), 1);

    ini.writeInteger(S, QStringLiteral("Mem"), 32);
    ASSERT_TRUE(ini.flush());
    EXPECT_EQ(file_.bytes(), QByteArray("[settings]\nMEM=32\nmem=64\n[SETTINGS]\nlang=2\n"));
}

TEST_F(SettingsIniTest, NumbersAndBooleans) {
    file_.write(
        "[Settings]\n"
        "a= 12 \nb=-7\nc=12a\nd=\ne=0x10\nf=99999999999\n"
        "s0=0\ns7=7\nsneg=-1\nsyes=yes\nq=\"/dev/ttyUSB0\"\n");
    SettingsIni ini(file_.path());
    EXPECT_EQ(ini.readInteger(S, QStringLiteral("a"), 5), 12);
    EXPECT_EQ(ini.readInteger(S, QStringLiteral("b"), 5), -7);
    for (const char* key : {"c", "d", "e", "f", "missing"}) {
        EXPECT_EQ(ini.readInteger(S, QString::fromLatin1(key), 5), 5) << key;
    }
    EXPECT_FALSE(ini.readBool(S, QStringLiteral("s0"), true));
    EXPECT_TRUE(ini.readBool(S, QStringLiteral("s7"), false));
    EXPECT_TRUE(ini.readBool(S, QStringLiteral("sneg"), false));
    EXPECT_FALSE(ini.readBool(S, QStringLiteral("syes"), false));
    EXPECT_TRUE(ini.readBool(S, QStringLiteral("syes"), true));
    EXPECT_EQ(ini.readString(S, QStringLiteral("q"), QString()), QStringLiteral("/dev/ttyUSB0"));
}

TEST_F(SettingsIniTest, WritingKeepsEverythingElse) {
    file_.write(
        "; station program settings\n"
        "[Other]\n"
        "Port=99\n"
        "\n"
        "[Settings]\n"
        "  Port = 2\n"
        "; kept\n"
        "unknown=x\n"
        "\n"
        "[Debug]\n"
        "Trace=1\n");
    SettingsIni ini(file_.path());
    ini.writeInteger(S, QStringLiteral("port"), 5);
    ini.writeInteger(S, QStringLiteral("lang"), 2);
    ini.writeBool(QStringLiteral("Debug"), QStringLiteral("Checking"), true);
    ASSERT_TRUE(ini.flush());
    EXPECT_EQ(file_.bytes(), QByteArray("; station program settings\n"
                                        "[Other]\n"
                                        "Port=99\n"
                                        "\n"
                                        "[Settings]\n"
                                        "Port=5\n"
                                        "; kept\n"
                                        "unknown=x\n"
                                        "lang=2\n"
                                        "\n"
                                        "[Debug]\n"
                                        "Trace=1\n"
                                        "Checking=1\n"));
}

TEST_F(SettingsIniTest, ForeignBytesSurviveARewrite) {
    // A comment in the Windows-1250 code page ("Nastavení") is not valid UTF-8.
    const QByteArray original("[Settings]\r\n; Nastaven\xED\r\nlang=1\r\n");
    file_.write(original);
    SettingsIni ini(file_.path());
    ini.writeInteger(S, QStringLiteral("lang"), 2);
    ASSERT_TRUE(ini.flush());
    QByteArray expected = original;
    expected.replace("lang=1", "lang=2");
    EXPECT_EQ(file_.bytes(), expected);
}

TEST_F(SettingsIniTest, ALineBreakInAValueCannotAddKeys) {
    SettingsIni ini(file_.path());
    ini.writeString(S, QStringLiteral("addr"), QStringLiteral("1\r\n[Debug]\nChecking=0"));
    ASSERT_TRUE(ini.flush());
    SettingsIni again(file_.path());
    EXPECT_TRUE(again.readBool(QStringLiteral("Debug"), QStringLiteral("Checking"), true));
    EXPECT_EQ(again.lines().size(), 2);
}

TEST_F(SettingsIniTest, AFileThatCannotBeReadIsNeverOverwritten) {
    const QByteArray huge = QByteArray("[Settings]\nlang=2\n") + QByteArray(2 << 20, ';');
    file_.write(huge);
    SettingsIni ini(file_.path());
    EXPECT_EQ(ini.readInteger(S, QStringLiteral("lang"), 1), 1);
    ini.writeInteger(S, QStringLiteral("lang"), 1);
    EXPECT_FALSE(ini.flush());
    EXPECT_EQ(file_.bytes(), huge);

    SettingsIni nowhere(file_.filePath(QStringLiteral("missing/settings.ini")));
    nowhere.writeInteger(S, QStringLiteral("lang"), 1);
    EXPECT_FALSE(nowhere.flush());
}

}  // namespace
}  // namespace pelmo
