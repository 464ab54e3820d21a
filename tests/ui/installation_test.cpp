// What an installed program relies on: the manual in both languages (F1 from any window),
// settings with the user when the program folder is read-only, and the dialout hint.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "base/texts.h"
#include "files/program_folder.h"
#include "files/settings_ini.h"
#include "history/history_database.h"
#include "link/in_process_port.h"
#include "link/serial_port.h"
#include "scripted_prompts.h"
#include "services/manual.h"
#include "ui/app_shell.h"
#include "ui/main_window.h"
#include "ui/serial_host_window.h"

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
    // share/doc is not the program's: minimal systems drop it.
    touch(root.filePath(QStringLiteral("usr/share/doc/pelmo/manual/cs/index.html")));
    EXPECT_FALSE(manualPath(Language::Czech, bin).startsWith(root.path()));
    touch(root.filePath(QStringLiteral("usr/share/pelmo/manual/cs/index.html")));
    touch(root.filePath(QStringLiteral("usr/share/pelmo/manual/en/index.html")));
    EXPECT_EQ(manualPath(Language::Czech, bin),
              QFileInfo(root.filePath(QStringLiteral("usr/share/pelmo/manual/cs/index.html")))
                  .canonicalFilePath());
    EXPECT_TRUE(manualPath(Language::English, bin).startsWith(root.path()));
}

QString manualText(Language language) {
    QFile f(manualPath(language, QDir::tempPath()));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Chapters 1, 2, 3... and their sections 3.1, 3.2... in order, the same chapters in both
// languages, and every picture in place.
TEST(Manual, ChaptersAreNumberedInOrderAndEveryPictureIsThere) {
    QStringList ids[2];
    int index = 0;
    for (Language l : {Language::Czech, Language::English}) {
        const QString html = manualText(l);
        ASSERT_FALSE(html.isEmpty());
        int chapter = 0;
        int section = 0;
        auto headings = QRegularExpression(QStringLiteral("<h([23]) id=\"([^\"]+)\">([0-9.]+) "))
                            .globalMatch(html);
        while (headings.hasNext()) {
            const auto m = headings.next();
            ids[index] << m.captured(2);
            if (m.captured(1) == QStringLiteral("2")) {
                section = 0;
                EXPECT_EQ(m.captured(3), QStringLiteral("%1.").arg(++chapter))
                    << m.captured(2).toStdString();
            } else {
                EXPECT_EQ(m.captured(3), QStringLiteral("%1.%2").arg(chapter).arg(++section))
                    << m.captured(2).toStdString();
            }
        }
        // No chapter without its number.
        EXPECT_EQ(html.count(QStringLiteral("<h2")), chapter);
        const QString folder = QFileInfo(manualPath(l, QDir::tempPath())).absolutePath();
        int pictures = 0;
        auto images = QRegularExpression(QStringLiteral("<img src=\"([^\"]+)\"")).globalMatch(html);
        while (images.hasNext()) {
            const QString src = images.next().captured(1);
            EXPECT_TRUE(QFileInfo(QDir(folder).filePath(src)).size() > 0) << src.toStdString();
            ++pictures;
        }
        EXPECT_GE(pictures, 8);
        ++index;
    }
    EXPECT_EQ(ids[0], ids[1]);
}

// Every table and column of a new history file is described, in both languages.
TEST(Manual, DescribesEveryColumnOfTheHistoryDatabase) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    ASSERT_TRUE(HistoryDatabase(path).open());
    QStringList names;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("manual-check"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery tables(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"), db);
        while (tables.next()) {
            const QString table = tables.value(0).toString();
            names << table;
            QSqlQuery columns(QStringLiteral("PRAGMA table_info(%1)").arg(table), db);
            while (columns.next()) {
                names << columns.value(1).toString();
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("manual-check"));
    ASSERT_GE(names.size(), 10);
    for (Language l : {Language::Czech, Language::English}) {
        const QString html = manualText(l);
        const qsizetype start = html.indexOf(QStringLiteral("id=\"history-tables\""));
        ASSERT_GE(start, 0);
        const QString section = html.mid(start, html.indexOf(QStringLiteral("<h2"), start) - start);
        for (const QString& name : names) {
            EXPECT_TRUE(section.contains(QStringLiteral("<code>%1</code>").arg(name)))
                << name.toStdString();
        }
    }
}

class ManualHandler : public QObject {
    Q_OBJECT
public slots:
    void open(const QUrl& url) { urls << url; }

public:
    QList<QUrl> urls;
};

TEST(Manual, F1OpensItFromAnyWindowInTheCurrentLanguage) {
    test::ScriptedPrompts prompts;
    const QTemporaryDir folder;
    ManualHandler handler;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &handler, "open");
    InProcessPort bus;
    {
        AppShell shell(prompts, ProgramPlaces::inFolder(folder.path()), QString(), &bus);
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
    EXPECT_TRUE(prompts.shown.empty());
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
        EXPECT_TRUE(txt(kTextYouMayNotOpen).contains(QStringLiteral("usermod -aG dialout")));
    }
    setLanguage(Language::Czech);
}

}  // namespace
}  // namespace pelmo

#include "installation_test.moc"
