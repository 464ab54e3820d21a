// Each window of the shell opened in both languages: every labelled control has its text.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <map>

#include "base/texts.h"
#include "base/version.h"
#include "files/program_settings.h"
#include "recording_hosts.h"
#include "scripted_prompts.h"
#include "test_program.h"
#include "ui/about_window.h"
#include "ui/debug_info_window.h"
#include "ui/password_window.h"
#include "ui/settings_dialog_window.h"
#include "widgets/please_wait_window.h"

namespace pelmo {
namespace {

QString textOf(const QWidget* w) {
    if (auto* label = qobject_cast<const QLabel*>(w)) {
        return label->text();
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) {
        return button->text();
    }
    if (auto* box = qobject_cast<const QGroupBox*>(w)) {
        return box->title();
    }
    return {};
}

// Names of labels, buttons and group boxes left without a text; `exempt` may stay empty.
QStringList unlabelled(const QWidget& window, const QStringList& exempt = {}) {
    QStringList missing;
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        const bool labelled = qobject_cast<const QLabel*>(w) ||
                              qobject_cast<const QAbstractButton*>(w) ||
                              qobject_cast<const QGroupBox*>(w);
        if (labelled && !exempt.contains(w->objectName()) && textOf(w).trimmed().isEmpty()) {
            missing << w->objectName();
        }
    }
    return missing;
}

QString childText(const QWidget& window, const char* name) {
    const QWidget* w = window.findChild<QWidget*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w ? textOf(w) : QString();
}

class ShellWindows : public ::testing::TestWithParam<Language> {
protected:
    ShellWindows() { setLanguage(GetParam()); }
    ~ShellWindows() override {
        setLanguage(Language::Czech);
        setTextCodes(false);
    }
};

TEST_P(ShellWindows, SettingsDialog) {
    QTemporaryDir dir;
    test::RecordingSettingsHost host;
    test::TestProgram program;
    TNastaveni d(host, dir.filePath(QStringLiteral("settings.ini")), program.context);
    EXPECT_EQ(d.windowTitle(), txt(kTextPCConfiguration));
    const std::map<const char*, int> numbered{
        {"gb_PortBox", 191},    {"PametRadioArea", 192},    {"KomAdresaArea", 193},
        {"Label1", 194},        {"ZvukIndikaceCheck", 197}, {"ch_kontrola", 198},
        {"r_verze", 353},       {"rb_para", 354},           {"rb_plyn", 355},
        {"ch_exportDate", 395}, {"ch_delimiter", 396},      {"Button1", 75},
        {"CancelBtn", 76}};
    for (const auto& [name, n] : numbered) {
        EXPECT_EQ(childText(d, name), txt(n)) << name;
        EXPECT_FALSE(txt(n).isEmpty()) << name;
    }
    EXPECT_EQ(childText(d, "JazykRadioArea"), QStringLiteral("Jazyk - Language"));
    EXPECT_EQ(childText(d, "rb_cesky"), QString::fromUtf8("Česky"));
    EXPECT_EQ(childText(d, "rb_32KB"), QStringLiteral("32KB"));
    EXPECT_EQ(childText(d, "ch_variant"), QString::fromUtf8("Variantní rozšíření"));
    EXPECT_EQ(unlabelled(d), QStringList());
    // No close box: the dialog is left through its buttons.
    EXPECT_FALSE(d.windowFlags().testFlag(Qt::WindowCloseButtonHint));

    setTextCodes(true);
    TNastaveni coded(host, dir.filePath(QStringLiteral("settings.ini")), program.context);
    EXPECT_TRUE(childText(coded, "Label1").startsWith(QStringLiteral("194:  ")));
}

TEST_P(ShellWindows, PleaseWait) {
    QWidget mainWindow;
    mainWindow.setGeometry(100, 80, 900, 700);
    mainWindow.show();
    TPleaseWait wait(&mainWindow);
    wait.start();
    EXPECT_EQ(wait.windowTitle(), txt(kTextPleaseWait));
    EXPECT_EQ(childText(wait, "Label1"), txt(kTextReadingRecords));
    EXPECT_EQ(unlabelled(wait, {QStringLiteral("l_proc")}), QStringList());
    EXPECT_FALSE(wait.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_LE(
        (wait.frameGeometry().center() - mainWindow.frameGeometry().center()).manhattanLength(), 2);

    auto* note = wait.findChild<QLabel*>(QStringLiteral("l_proc"));
    auto* gauge = wait.findChild<QProgressBar*>(QStringLiteral("Gauge1"));
    EXPECT_FALSE(note->isVisible());
    EXPECT_EQ(gauge->maximum(), 300);
    wait.stepIt();
    EXPECT_EQ(gauge->value(), 1);
    wait.setMaximum(10);
    wait.setStep(4);
    for (int i = 0; i < 5; ++i) {
        wait.stepIt();
    }
    EXPECT_EQ(gauge->value(), 10) << "the bar stops at its maximum";
    wait.showNote(QStringLiteral("Ch. 3"));
    wait.setLabelText(QStringLiteral("Export"));
    wait.refresh();
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->text(), QStringLiteral("Ch. 3"));
    EXPECT_EQ(childText(wait, "Label1"), QStringLiteral("Export"));
    wait.close();
    EXPECT_TRUE(wait.isVisible()) << "Escape must not close it";
}

TEST_P(ShellWindows, PasswordForm) {
    test::RecordingAccessHost host;
    QWidget owner;
    owner.setGeometry(50, 50, 600, 400);
    owner.show();
    TPasswordForm form(host, &owner);
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Debug mode - Authorization"));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(childText(form, "Label1"), QStringLiteral("Password:"));
    auto* box = form.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    EXPECT_EQ(box->echoMode(), QLineEdit::Password);
    QApplication::setActiveWindow(&form);
    QTest::keyClicks(box, QStringLiteral("abc"));
    EXPECT_EQ(box->displayText(), QStringLiteral("***"));
    EXPECT_TRUE(form.findChild<QPushButton*>(QStringLiteral("Button1"))->isDefault());
    EXPECT_EQ(unlabelled(form), QStringList());
    EXPECT_LE((form.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(),
              2);
}

TEST_P(ShellWindows, ModificationsWindow) {
    TDebugInfoForm form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Modifications"));
    EXPECT_EQ(childText(form, "l_title"), QStringLiteral("Varnox/Pelmo info"));
    EXPECT_EQ(childText(form, "l_versionCaption"), QStringLiteral("Version:"));
    EXPECT_EQ(childText(form, "l_version"), programVersionText());
    EXPECT_EQ(unlabelled(form, {QStringLiteral("gb_options")}), QStringList());
    QStringList ticked;
    QStringList boxes;
    for (const QCheckBox* box : form.findChildren<QCheckBox*>()) {
        boxes << box->text();
        if (box->isChecked()) {
            ticked << box->text();
        }
    }
    EXPECT_EQ(ticked, QStringList{QStringLiteral("New comm Engine")});
    EXPECT_EQ(boxes.size(), 7);
    EXPECT_TRUE(boxes.contains(QStringLiteral("Direct->indirect")));
}

TEST_P(ShellWindows, AboutBox) {
    TAboutBox box;
    QStringList opened;
    box.setUrlOpener([&](const QUrl& url) {
        opened << url.toString();
        return true;
    });
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(childText(box, "ProductName"), QStringLiteral("Varnox/Pelmo"));
    EXPECT_EQ(childText(box, "Version"), QStringLiteral("v") + programVersionText());
    EXPECT_EQ(childText(box, "l_beta"), QStringLiteral("beta3"));
    EXPECT_EQ(unlabelled(box, {QStringLiteral("ProgramIcon")}), QStringList());
    EXPECT_FALSE(box.findChild<QLabel*>(QStringLiteral("ProgramIcon"))->pixmap().isNull());

    // Clicking a link hands the href the label carries to the desktop.
    static const QRegularExpression href(QStringLiteral("href=\"([^\"]+)\""));
    for (const char* name : {"l_email1", "l_email2", "l_web"}) {
        auto* label = box.findChild<QLabel*>(QString::fromLatin1(name));
        const QRegularExpressionMatch m = href.match(label->text());
        ASSERT_TRUE(m.hasMatch()) << name;
        emit label->linkActivated(m.captured(1));
    }
    EXPECT_EQ(opened, (QStringList{QStringLiteral("mailto:") + about::kEmailSales,
                                   QStringLiteral("mailto:") + about::kEmailService, about::kWeb}));
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ShellWindows,
                         ::testing::Values(Language::Czech, Language::English),
                         [](const auto& param_info) {
                             return param_info.param == Language::Czech ? "Czech" : "English";
                         });

TEST(VersionText, Format) {
    EXPECT_EQ(formatVersion(2, 1, 0, 3), QStringLiteral("2.01.00.03"));
    EXPECT_EQ(formatVersion(10, 12, 7, 123), QStringLiteral("10.12.07.123"));
    EXPECT_EQ(programVersionText(), formatVersion(PELMO_VERSION_MAJOR, PELMO_VERSION_MINOR,
                                                  PELMO_VERSION_PATCH, PELMO_VERSION_TWEAK));
}

}  // namespace
}  // namespace pelmo
