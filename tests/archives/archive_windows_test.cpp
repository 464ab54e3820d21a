// The archive and messages windows driven through their controls, offscreen.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "archives/archive_window.h"
#include "archives/messages_window.h"
#include "base/texts.h"
#include "scripted_prompts.h"
#include "sim_link.h"
#include "ui/main_window.h"
#include "ui/serial_host_window.h"

namespace pelmo {
namespace {

const std::uint32_t kMarch25 = timeCodeFromCalendar(25, 3, 15, 10, 0, 0);

class DataWindows : public ::testing::TestWithParam<Language> {
protected:
    DataWindows() { setLanguage(GetParam()); }
    ~DataWindows() override { setLanguage(Language::Czech); }

    template <typename T>
    static T* find(QWidget& w, const char* name) {
        return w.findChild<T*>(QString::fromLatin1(name));
    }
    static void key(QWidget* w, int k, Qt::KeyboardModifiers mods = Qt::NoModifier,
                    const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, k, mods, text);
        QCoreApplication::sendEvent(w, &press);
        QCoreApplication::processEvents();
    }
    void drive(const std::function<TCommunication*()>& engine) {
        link.run(engine);
        QCoreApplication::processEvents();
    }

    QTemporaryDir dir;
    test::SimLink link{kMarch25};
    test::PromptsScope scope{link.program};
};

TEST_P(DataWindows, ArchiveWindowReadsMovesResetsSavesAndLoads) {
    TArchiv form(link.port, link.program);
    form.session().setBaseFolder(dir.path());
    form.show();
    auto* bar = find<QScrollBar>(form, "ScrollBar1");
    auto* grid = find<QTableWidget>(form, "StringGrid1");
    auto* reset = find<QPushButton>(form, "b_nulovat");
    EXPECT_EQ(form.windowTitle(), txt(kTextDisplayArchiveValues).trimmed());
    // The button reads from the station, the menus' item loads the file: two texts.
    EXPECT_EQ(find<QPushButton>(form, "b_nacist")->text(), txt(kTextLoadFromStation));
    EXPECT_EQ(find<QAction>(form, "m_nacist")->text(), txt(kTextRead));
    EXPECT_NE(txt(kTextLoadFromStation), txt(kTextRead));
    EXPECT_FALSE(bar->isEnabled());
    EXPECT_FALSE(find<QAction>(form, "m_ulozit")->isEnabled());
    drive([&] { return form.session().engine(); });

    EXPECT_TRUE(bar->isEnabled());
    EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("Teplo P1 sucha"));
    EXPECT_EQ(grid->item(8, 2)->text(), QStringLiteral("h"));
    EXPECT_EQ(find<QLabel>(form, "l_nacteno")->text(), txt(kTextActualValues));
    EXPECT_EQ(find<QGroupBox>(form, "gb_zaznam")->title(), txt(kTextLastProgr));
    EXPECT_EQ(find<QLabel>(form, "l_datumStanice")->text(), QStringLiteral("15/03/25"));
    EXPECT_FALSE(reset->isEnabled());

    // One step right: the intermediate state, whose reset items come alive at once.
    key(bar, Qt::Key_Right);
    EXPECT_EQ(bar->value(), 25);
    EXPECT_EQ(find<QLabel>(form, "l_pozice")->text(), txt(kTextPartialValues));
    EXPECT_TRUE(reset->isEnabled());
    EXPECT_TRUE(find<QAction>(form, "m_nulovat")->isEnabled());
    // 'n' before the intermediate state was read does nothing.
    key(bar, Qt::Key_N, Qt::NoModifier, QStringLiteral("n"));
    EXPECT_FALSE(form.session().running());
    EXPECT_TRUE(scope.prompts.shown.empty());

    key(bar, Qt::Key_Return);
    EXPECT_FALSE(bar->isEnabled());
    drive([&] { return form.session().engine(); });
    EXPECT_EQ(find<QLabel>(form, "l_nacteno")->text(), txt(kTextPartialValues));
    EXPECT_EQ(find<QGroupBox>(form, "gb_zaznam")->title(), txt(kTextArchivDate));
    form.PopupMenu1Popup(QPoint());
    EXPECT_TRUE(find<QAction>(form, "p_nulovat")->isEnabled());
    find<QMenu>(form, "PopupMenu1")->hide();

    scope.prompts.answers = {true};
    link.port.clearWrites();
    key(bar, Qt::Key_N, Qt::NoModifier, QStringLiteral("n"));
    drive([&] { return form.session().engine(); });
    EXPECT_EQ(link.requests(false),
              (std::vector<std::string>{"COMM", "CLEAR_PARTIAL", "READ_ARCHIVE_DATA", "END_COMM"}));

    // Ctrl+S writes the file of the last read position, Ctrl+L reads it back.
    key(bar, Qt::Key_S, Qt::ControlModifier);
    const QString file = QDir(dir.path()).filePath(QStringLiteral("2317.000/Mezista.dat"));
    EXPECT_TRUE(QFileInfo::exists(file));
    grid->item(0, 1)->setText(QStringLiteral("edited"));
    key(bar, Qt::Key_L, Qt::ControlModifier);
    EXPECT_NE(grid->item(0, 1)->text(), QStringLiteral("edited"));
    EXPECT_EQ(find<QStatusBar>(form, "StatusBar1")
                  ->findChild<QLabel*>(QStringLiteral("StatusPanel0"))
                  ->text(),
              txt(kTextArchiveLoaded));

    // Back to the actual state: the reset items follow the scroll bar, the pop-up the last read.
    key(bar, Qt::Key_Left);
    EXPECT_FALSE(reset->isEnabled());
    key(bar, Qt::Key_Return);
    drive([&] { return form.session().engine(); });
    form.PopupMenu1Popup(QPoint());
    EXPECT_FALSE(find<QAction>(form, "p_nulovat")->isEnabled());
    find<QMenu>(form, "PopupMenu1")->hide();
    EXPECT_TRUE(form.isVisible());
}

// A first read that fails leaves nothing to save: Ctrl+S must not put an empty record over the
// good file of that archive.
TEST_P(DataWindows, ArchiveWindowSavesOnlyARecordItReadOrLoaded) {
    QByteArray good;
    {
        TArchiv first(link.port, link.program);
        first.session().setBaseFolder(dir.path());
        first.show();
        drive([&] { return first.session().engine(); });
        auto* bar = find<QScrollBar>(first, "ScrollBar1");
        EXPECT_TRUE(find<QAction>(first, "m_ulozit")->isEnabled());
        key(bar, Qt::Key_S, Qt::ControlModifier);
        QFile f(first.session().archivePath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        good = f.readAll();
    }
    sim::FaultSettings f;
    f.noAnswer.set(READ_ARCHIVE_DATA);
    link.station->addFaults(f);
    TArchiv form(link.port, link.program);
    form.session().setBaseFolder(dir.path());
    form.show();
    drive([&] { return form.session().engine(); });
    ASSERT_TRUE(scope.prompts.shownError(txt(kTextErrorConnectiongToDevice)));
    EXPECT_FALSE(find<QAction>(form, "m_ulozit")->isEnabled());
    EXPECT_FALSE(find<QAction>(form, "p_ulozit")->isEnabled());
    key(find<QScrollBar>(form, "ScrollBar1"), Qt::Key_S, Qt::ControlModifier);
    QFile file(form.session().archivePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), good);
    // Loading that file gives a record to save again.
    key(find<QScrollBar>(form, "ScrollBar1"), Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(find<QAction>(form, "m_ulozit")->isEnabled());
}

TEST_P(DataWindows, ArchiveWindowClosesWhenTheStationIsSilent) {
    sim::FaultSettings f;
    f.silent = true;
    link.station->addFaults(f);
    TArchiv form(link.port, link.program);
    form.show();
    drive([&] { return form.session().engine(); });
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(scope.prompts.shownError(txt(kTextErrorConnectiongToDevice)));
}

TEST_P(DataWindows, MessagesWindowListsExportsAndSavesOnCtrlS) {
    THlaseni form(link.port, link.program);
    form.transfer().setBaseFolder(dir.path());
    form.show();
    EXPECT_EQ(form.windowTitle(), txt(kTextSystemMessages));
    auto* grid = find<QTableWidget>(form, "StringGrid1");
    EXPECT_EQ(grid->item(0, 3)->text(), txt(kTextMessage));
    EXPECT_FALSE(find<QAction>(form, "m_export")->isEnabled());
    drive([&] { return form.transfer().engine(); });
    EXPECT_TRUE(find<QAction>(form, "m_export")->isEnabled());
    EXPECT_EQ(grid->rowCount(), 41);
    // Past 21 rows the scroll bar takes room; the message column still shows every text.
    EXPECT_GE(grid->columnWidth(3), 150);
    for (int r = 1; r < grid->rowCount(); ++r) {
        EXPECT_LE(grid->sizeHintForIndex(grid->model()->index(r, 3)).width(), grid->columnWidth(3))
            << grid->item(r, 3)->text().toStdString();
    }
    EXPECT_EQ(grid->item(1, 0)->text(), QStringLiteral("1."));
    EXPECT_EQ(grid->item(39, 3)->text(), txt(kTextPowerON));
    EXPECT_EQ(grid->item(40, 0)->text(), QString());

    key(grid, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(
        QFileInfo::exists(QDir(dir.path()).filePath(QStringLiteral("2317.000/Hlaseni.dat"))));
    EXPECT_EQ(find<QStatusBar>(form, "StatusBar1")->currentMessage(), txt(kTextDataSaved));

    const QString chosen = dir.filePath(QStringLiteral("chosen.dat"));
    scope.prompts.files = {chosen};
    find<QAction>(form, "m_export")->trigger();
    EXPECT_TRUE(QFileInfo::exists(chosen));
    ASSERT_EQ(scope.prompts.dialogs.size(), 1u);
    EXPECT_EQ(scope.prompts.dialogs[0].filter, QStringLiteral("Hlaseni (*.dat)|*.dat"));
    EXPECT_TRUE(scope.prompts.dialogs[0].confirmOverwrite);
}

TEST_P(DataWindows, MessagesWindowClosesWhenTheTransferFails) {
    sim::FaultSettings f;
    f.noAnswer.set(READ_CMOS);
    link.station->addFaults(f);
    THlaseni form(link.port, link.program);
    form.show();
    drive([&] { return form.transfer().engine(); });
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(scope.prompts.shownError(txt(kTextErrorConnectiongToDevice)));
}

TEST(MainWindowData, CtrlAAndCtrlHOpenTheArchiveAndMessagesWindows) {
    test::SimLink link;
    test::PromptsScope scope{link.program};
    TForm1 host(link.program, &link.port);
    TZobrStanice window(link.program, host);
    window.show();
    for (const auto& [name, keys, cls] :
         {std::tuple{"m_archiv", QKeySequence(Qt::CTRL | Qt::Key_A), "pelmo::TArchiv"},
          std::tuple{"m_hlaseni", QKeySequence(Qt::CTRL | Qt::Key_H), "pelmo::THlaseni"}}) {
        QAction* action = window.action(name);
        ASSERT_TRUE(action->isEnabled()) << name;
        EXPECT_EQ(action->shortcut(), keys);
        QString opened;
        QTimer::singleShot(0, [&opened] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                opened = QString::fromLatin1(w->metaObject()->className());
                w->close();
            }
        });
        action->trigger();
        EXPECT_EQ(opened, QString::fromLatin1(cls));
    }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, DataWindows,
                         ::testing::Values(Language::Czech, Language::English));

}  // namespace
}  // namespace pelmo
