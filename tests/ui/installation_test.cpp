// What an installed program relies on: the manual in both languages (F1 from any window),
// settings with the user when the program folder is read-only, and the dialout hint.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "base/texts.h"
#include "files/program_folder.h"
#include "files/settings_ini.h"
#include "link/in_process_port.h"
#include "link/serial_port.h"
#include "scripted_prompts.h"
#include "ui/app_shell.h"
#include "ui/main_window.h"
#include "ui/manual.h"
#include "ui/serial_host.h"

namespace pelmo {
namespace {

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

TEST(Manual, FoundInstalledBesideTheProgramOrNotAtAll) {
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    QDir().mkpath(bin);
    // A source-tree build finds the manual of the source tree.
    EXPECT_TRUE(manualPath(Language::English, bin).endsWith(QStringLiteral("en/index.html")));
    touch(root.filePath(QStringLiteral("usr/share/doc/pelmo/manual/cs/index.html")));
    touch(root.filePath(QStringLiteral("usr/share/doc/pelmo/manual/en/index.html")));
    EXPECT_EQ(manualPath(Language::Czech, bin),
              QFileInfo(root.filePath(QStringLiteral("usr/share/doc/pelmo/manual/cs/index.html")))
                  .canonicalFilePath());
    EXPECT_TRUE(manualPath(Language::English, bin).startsWith(root.path()));
}

class ManualHandler : public QObject {
    Q_OBJECT
public slots:
    void open(const QUrl& url) { urls << url; }

public:
    QList<QUrl> urls;
};

TEST(Manual, F1OpensItFromAnyWindowInTheCurrentLanguage) {
    test::PromptsScope scope;
    ManualHandler handler;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &handler, "open");
    InProcessPort bus;
    {
        AppShell shell(QString(), &bus);
        shell.mainWindow().show();
        QTest::keyClick(&shell.mainWindow(), Qt::Key_F1);
        setLanguage(Language::English);
        QTest::keyClick(&shell.host(), Qt::Key_F1);
        setLanguage(Language::Czech);
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ASSERT_EQ(handler.urls.size(), 2);
    EXPECT_TRUE(handler.urls[0].toLocalFile().endsWith(QStringLiteral("cs/index.html")));
    EXPECT_TRUE(handler.urls[1].toLocalFile().endsWith(QStringLiteral("en/index.html")));
    EXPECT_TRUE(scope.prompts.shown.empty());
}

TEST(InstalledProgram, SettingsGoWithTheUserWhenTheProgramFolderIsReadOnly) {
    QTemporaryDir dir;
    EXPECT_EQ(settingsFilePathFor(dir.path()),
              QDir(dir.path()).filePath(QStringLiteral("settings.ini")));
    // A program folder that cannot be written (here: one that is not there).
    const QString user = settingsFilePathFor(dir.filePath(QStringLiteral("missing")));
    EXPECT_EQ(user, QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
                        .filePath(QStringLiteral("settings.ini")));
}

// Installed under /usr the program writes nothing beside itself, even as root, who could.
TEST(InstalledProgram, KeepsItsFilesWithTheUserWhoeverRunsIt) {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    for (const char* installed : {"/usr/bin", "/usr/local/bin", "/usr"}) {
        const QString dir = QString::fromLatin1(installed);
        EXPECT_TRUE(installedProgramDir(dir)) << installed;
        EXPECT_EQ(programFolderFor(dir), data) << installed;
        EXPECT_EQ(settingsFilePathFor(dir), QDir(config).filePath(QStringLiteral("settings.ini")))
            << installed;
    }
    for (const char* tree : {"/usrx/bin", "/work/main/build/app", "/opt/usr/bin"}) {
        EXPECT_FALSE(installedProgramDir(QString::fromLatin1(tree))) << tree;
    }
    QTemporaryDir build;
    EXPECT_EQ(programFolderFor(build.path()), build.path());
}

TEST(InstalledProgram, DialoutHintOnlyForAPermissionProblemOfTheDialoutGroup) {
    struct Case {
        bool denied;
        const char* group;
        std::vector<unsigned> mine;
        bool hint;
    };
    const Case cases[] = {
        {true, "dialout", {1000, 27}, true},   // not a member
        {true, "dialout", {1000, 20}, false},  // a member: something else is wrong
        {true, "uucp", {1000}, false},         // another distribution's group
        {false, "dialout", {1000}, false},     // not a permission problem
    };
    for (const Case& c : cases) {
        EXPECT_EQ(missingDialoutMembership(c.denied, QString::fromLatin1(c.group), 20, c.mine),
                  c.hint)
            << c.group;
    }
    for (Language l : {Language::Czech, Language::English}) {
        setLanguage(l);
        EXPECT_TRUE(txt(1050).contains(QStringLiteral("usermod -aG dialout")));
    }
    setLanguage(Language::Czech);
}

}  // namespace
}  // namespace pelmo

#include "installation_test.moc"
