#include "temp_settings.h"
#include "ui/settings_dialog_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "base/texts.h"
#include "files/program_settings.h"
#include "model/station_image.h"
#include "recording_hosts.h"
#include "scripted_prompts.h"
#include "test_program.h"

namespace pelmo {
namespace {

using test::RecordingSettingsHost;
using test::ScriptedPrompts;

class SettingsDialog : public ::testing::Test {
protected:
    SettingsDialog() {
        setLanguage(Language::Czech);
        program_.context.station.bus_address = 33;
        program_.context.station.address_list[kUserAddressEntry].address = 33;
        host_.ports = {QStringLiteral("ttyS0"), QStringLiteral("ttyS1"), QStringLiteral("ttyUSB0")};
    }
    ~SettingsDialog() override { setLanguage(Language::Czech); }

    std::unique_ptr<TNastaveni> open(const QString& iniPath = {}) {
        auto dialog = std::make_unique<TNastaveni>(
            host_, iniPath.isEmpty() ? file_.path() : iniPath, program_.context);
        dialog->show();
        return dialog;
    }

    template <class W>
    static W* get(const QWidget& w, const char* name) {
        W* child = w.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    static void save(const QWidget& w) { get<QPushButton>(w, "Button1")->click(); }
    static void setAddress(const QWidget& w, const char* text) {
        get<QLineEdit>(w, "KomAdresaEdit")->setText(QString::fromLatin1(text));
    }
    static void choosePort(const QWidget& w, const char* entry) {
        auto* box = get<QComboBox>(w, "cbPortBox");
        box->setCurrentIndex(box->findText(QString::fromLatin1(entry)));
    }

    test::TempSettingsFile file_;
    RecordingSettingsHost host_;
    test::TestProgram program_;
    ScriptedPrompts& prompts_ = program_.prompts;
};

TEST_F(SettingsDialog, OpeningShowsTheFile) {
    file_.write(
        "[Settings]\r\nPort=2\r\nMem=48\r\nsound=0\r\naddr=999\r\nversion=1\r\nvariant=1\r\n"
        "ExportDate=1\r\nDelimiter=0\r\n");
    program_.context.settings.checking = false;
    setLanguage(Language::English);
    auto d = open();

    auto* ports = get<QComboBox>(*d, "cbPortBox");
    QStringList entries;
    for (int i = 0; i < ports->count(); ++i) {
        entries << ports->itemText(i);
    }
    EXPECT_EQ(entries, (QStringList{QStringLiteral("Nezvolen"), QStringLiteral("ttyUSB0"),
                                    QStringLiteral("ttyS1"), QStringLiteral("ttyS0")}));
    EXPECT_EQ(ports->currentText(), QStringLiteral("ttyS1"));
    // 48 is no 64: the dialog shows 32 KB (start-up would take 64 KB).
    EXPECT_TRUE(get<QRadioButton>(*d, "rb_32KB")->isChecked());
    EXPECT_FALSE(get<QCheckBox>(*d, "ZvukIndikaceCheck")->isChecked());
    EXPECT_EQ(get<QLineEdit>(*d, "KomAdresaEdit")->text(), QStringLiteral("251"));
    EXPECT_EQ(get<QLineEdit>(*d, "KomAdresaEdit")->maxLength(), 3);
    EXPECT_TRUE(get<QRadioButton>(*d, "rb_plyn")->isChecked());
    EXPECT_EQ(program_.context.settings.version, 1) << "the version applies on opening";
    EXPECT_TRUE(get<QCheckBox>(*d, "ch_variant")->isChecked());
    EXPECT_FALSE(get<QCheckBox>(*d, "ch_variant")->isEnabled());
    EXPECT_TRUE(get<QCheckBox>(*d, "ch_exportDate")->isChecked());
    EXPECT_FALSE(get<QCheckBox>(*d, "ch_delimiter")->isChecked());
    EXPECT_TRUE(get<QRadioButton>(*d, "rb_english")->isChecked());
    EXPECT_FALSE(get<QCheckBox>(*d, "ch_kontrola")->isChecked());

    file_.write("[Settings]\r\nPort=2\r\nPortName=/dev/ttyUSB0\r\n");
    EXPECT_EQ(get<QComboBox>(*open(), "cbPortBox")->currentText(), QStringLiteral("ttyUSB0"));
    file_.write("[Settings]\r\nPort=9\r\n");
    EXPECT_EQ(get<QComboBox>(*open(), "cbPortBox")->currentIndex(), -1);
}

TEST_F(SettingsDialog, SaveAppliesAndWritesInOrder) {
    file_.write("; mine\r\n[Settings]\r\nPort=1\r\nfoo=bar\r\n");
    auto d = open();
    choosePort(*d, "ttyUSB0");
    setAddress(*d, "17");
    get<QRadioButton>(*d, "rb_64KB")->setChecked(true);
    get<QCheckBox>(*d, "ZvukIndikaceCheck")->setChecked(false);
    get<QRadioButton>(*d, "rb_english")->setChecked(true);
    get<QCheckBox>(*d, "ch_kontrola")->setChecked(false);
    get<QRadioButton>(*d, "rb_plyn")->setChecked(true);
    get<QCheckBox>(*d, "ch_exportDate")->setChecked(true);
    get<QCheckBox>(*d, "ch_delimiter")->setChecked(true);
    save(*d);

    EXPECT_TRUE(prompts_.shown.empty());
    EXPECT_EQ(host_.calls,
              (QStringList{QStringLiteral("userAddressChanged 17"), QStringLiteral("writeEndComm"),
                           QStringLiteral("closePort"), QStringLiteral("selectPort /dev/ttyUSB0"),
                           QStringLiteral("refreshMainCaptions"),
                           QStringLiteral("restartLineMonitoring")}));
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(program_.context.station.bus_address, 17);
    EXPECT_EQ(program_.context.station.address_list[kUserAddressEntry].address, 17);
    EXPECT_EQ(program_.context.station.station.memory_size, 65536);
    EXPECT_EQ(program_.context.station.station.memory_code, 242);
    EXPECT_EQ(language(), Language::English);
    EXPECT_EQ(currentPortDevice(program_.context.settings), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_FALSE(program_.context.settings.sound);
    EXPECT_FALSE(program_.context.settings.checking);
    EXPECT_EQ(program_.context.settings.version, 1);
    EXPECT_TRUE(program_.context.settings.exportDate);
    EXPECT_TRUE(program_.context.settings.delimiter);
    // Keys already in the file keep their place; new ones follow in the order written.
    EXPECT_EQ(file_.bytes(), QByteArray("; mine\r\n[Settings]\r\nPort=0\r\nfoo=bar\r\n"
                                        "PortName=/dev/ttyUSB0\r\nMem=64\r\nsound=0\r\nlang=2\r\n"
                                        "addr=17\r\nversion=1\r\nvariant=0\r\nExportDate=1\r\n"
                                        "Delimiter=1\r\n[Debug]\r\nChecking=0\r\n"));
}

TEST_F(SettingsDialog, NoUsablePortWritesNothingAndStaysOpen) {
    const QByteArray original("[Settings]\r\nPort=1\r\nsound=1\r\n");
    file_.write(original);
    setLanguage(Language::English);
    auto d = open();
    choosePort(*d, "Nezvolen");
    get<QRadioButton>(*d, "rb_cesky")->setChecked(true);
    save(*d);
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(prompts_.shown[0].kind, ScriptedPrompts::Kind::Warning);
    EXPECT_EQ(prompts_.shown[0].text, txt(kTextErrorOpenningPortPlease));
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(file_.bytes(), original);
    EXPECT_EQ(language(), Language::English);
    EXPECT_EQ(host_.calls,
              (QStringList{QStringLiteral("userAddressChanged 251"), QStringLiteral("writeEndComm"),
                           QStringLiteral("closePort")}));

    // A port the host cannot use ends the same way, and the program goes back to the port
    // it had, so that cancelling leaves it working.
    host_.portUsable = false;
    host_.current = QStringLiteral("/dev/ttyUSB0");
    host_.calls.clear();
    choosePort(*d, "ttyS0");
    save(*d);
    EXPECT_EQ(prompts_.shown.back().text, txt(kTextErrorOpenningPortPlease));
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(file_.bytes(), original);
    EXPECT_EQ(host_.calls.mid(2),
              (QStringList{QStringLiteral("closePort"), QStringLiteral("selectPort /dev/ttyS0"),
                           QStringLiteral("selectPort /dev/ttyUSB0")}));

    // Cancel closes without a word.
    host_.calls.clear();
    get<QPushButton>(*d, "CancelBtn")->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_TRUE(host_.calls.isEmpty());
    EXPECT_EQ(file_.bytes(), original);
}

TEST_F(SettingsDialog, AddressBeyondTheBusIsSavedButNotUsed) {
    auto d = open();
    choosePort(*d, "ttyS0");
    auto* box = get<QLineEdit>(*d, "KomAdresaEdit");
    QApplication::setActiveWindow(d.get());
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_End);
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(box, Qt::Key_Backspace);
    }
    QTest::keyClicks(box, QStringLiteral("9999"));
    EXPECT_EQ(box->text(), QStringLiteral("999"));
    QTest::keyClick(box, Qt::Key_Return);  // Button1 is the default button
    EXPECT_FALSE(d->isVisible());
    ASSERT_EQ(prompts_.shown.size(), 1u);
    // The warning says what happens: saved as typed, not used.
    EXPECT_EQ(prompts_.shown[0].kind, ScriptedPrompts::Kind::Warning);
    EXPECT_EQ(prompts_.shown[0].text,
              txt(kTextAddressIsOutside1).arg(QStringLiteral("999")).arg(33));
    EXPECT_EQ(program_.context.station.bus_address, 33);
    EXPECT_FALSE(host_.calls.contains(QStringLiteral("writeEndComm")));
    EXPECT_TRUE(file_.bytes().contains("\r\naddr=999\r\n"));
    EXPECT_EQ(get<QLineEdit>(*open(), "KomAdresaEdit")->text(), QStringLiteral("251"));
}

// A port given on the command line is the one in use: the dialog shows it, and saving another
// setting leaves the port keys alone; choosing another port writes them.
TEST_F(SettingsDialog, ThePortInUseIsShownAndKeptUnlessAnotherIsChosen) {
    const QByteArray original("[Settings]\r\nPort=1\r\n");
    file_.write(original);
    host_.current = QStringLiteral("/dev/pts/7");
    host_.ports.append(host_.current);
    program_.context.settings.portOverride = host_.current;
    auto d = open();
    QApplication::setActiveWindow(d.get());
    auto* ports = get<QComboBox>(*d, "cbPortBox");
    EXPECT_EQ(ports->currentText(), host_.current);

    QTest::mouseClick(get<QRadioButton>(*d, "rb_english"), Qt::LeftButton);
    QTest::mouseClick(get<QPushButton>(*d, "Button1"), Qt::LeftButton);
    EXPECT_FALSE(d->isVisible());
    EXPECT_TRUE(host_.calls.contains(QStringLiteral("selectPort /dev/pts/7")));
    EXPECT_EQ(language(), Language::English);
    EXPECT_EQ(program_.context.settings.portOverride, host_.current);
    const QByteArray kept = file_.bytes();
    EXPECT_TRUE(kept.startsWith(original)) << kept.toStdString();
    EXPECT_FALSE(kept.contains("PortName")) << kept.toStdString();

    // The keyboard picks the next port in the list.
    d = open();
    QApplication::setActiveWindow(d.get());
    ports = get<QComboBox>(*d, "cbPortBox");
    ports->setFocus();
    QTest::keyClick(ports, Qt::Key_Down);
    EXPECT_EQ(ports->currentText(), QStringLiteral("ttyUSB0"));
    QTest::mouseClick(get<QPushButton>(*d, "Button1"), Qt::LeftButton);
    EXPECT_TRUE(file_.bytes().contains("PortName=/dev/ttyUSB0\r\n"));
    EXPECT_TRUE(program_.context.settings.portOverride.isEmpty());
}

TEST_F(SettingsDialog, NonDigitAddressStillSavesTheRest) {
    auto d = open();
    choosePort(*d, "ttyS1");
    setAddress(*d, "1x");
    get<QCheckBox>(*d, "ZvukIndikaceCheck")->setChecked(false);
    save(*d);
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(prompts_.shown[0].kind, ScriptedPrompts::Kind::Information);
    EXPECT_EQ(prompts_.shown[0].text, txt(kTextBox151) + txt(kTextAddress) +
                                          txt(kTextContainsIllegalCharactersPos) +
                                          QStringLiteral("2. ") + txt(kTextClosingParenthesis));
    EXPECT_EQ(program_.context.station.bus_address, 33);
    EXPECT_EQ(program_.context.station.address_list[kUserAddressEntry].address, 33);
    EXPECT_EQ(host_.calls.count(QStringLiteral("writeEndComm")), 0);
    EXPECT_FALSE(d->isVisible());
    EXPECT_FALSE(program_.context.settings.sound);
    const QByteArray file = file_.bytes();
    EXPECT_TRUE(file.contains("\r\naddr=1x\r\n"));
    EXPECT_TRUE(file.contains("\r\nsound=0\r\n"));
    EXPECT_TRUE(file.contains("\r\nPort=2\r\nPortName=/dev/ttyS1\r\n"));
}

TEST_F(SettingsDialog, AFailedWriteIsReported) {
    auto d = open(file_.filePath(QStringLiteral("missing/settings.ini")));
    choosePort(*d, "ttyS0");
    save(*d);
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(prompts_.shown[0].kind, ScriptedPrompts::Kind::Error);
    EXPECT_EQ(prompts_.shown[0].text, txt(kTextErrorWritingOutputFile));
    EXPECT_FALSE(d->isVisible());
    EXPECT_TRUE(host_.calls.contains(QStringLiteral("refreshMainCaptions")));
}

}  // namespace
}  // namespace pelmo
