// An operator's day at the keyboard and the mouse, against the in-process station: read, edit
// a channel, save, program, read the archives, open the monitoring chart.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "archives/archive_window.h"
#include "base/texts.h"
#include "editing/channel_definition_window.h"
#include "files/station_file.h"
#include "operations/programming_window.h"
#include "scripted_prompts.h"
#include "sim_link.h"
#include "ui/app_shell.h"
#include "ui/main_window.h"
#include "ui/serial_host_window.h"

namespace pelmo {
namespace {

class OperatorsDay : public ::testing::Test {
protected:
    OperatorsDay() {
        window().show();
        QApplication::setActiveWindow(&window());
    }

    TZobrStanice& window() { return shell.mainWindow(); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        // Back in the main window once a modal window closed, as the window system does.
        if (!QApplication::activeModalWidget()) {
            QApplication::setActiveWindow(&window());
        }
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &window(), key, modifiers);
    }
    // Runs `inside` on the modal window a key opens, then lets the key's command end.
    template <typename Window>
    bool withModal(Qt::Key key, const std::function<void(Window&)>& inside) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            if (auto* w = qobject_cast<Window*>(QApplication::activeModalWidget())) {
                seen = true;
                QApplication::setActiveWindow(w);
                inside(*w);
            }
        });
        press(key);
        QCoreApplication::processEvents();
        return seen;
    }
    std::vector<std::string> requestsSince(std::size_t from) const {
        const auto all = link.requests(false);
        return {all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end()};
    }

    test::SimLink link;
    QTemporaryDir dir;
    test::ScriptedPrompts prompts;
    AppShell shell{prompts, ProgramPlaces::inFolder(dir.path()), QString(), &link.port};
    test::PromptsScope scope{shell.program()};
};

TEST_F(OperatorsDay, ReadEditSaveProgramArchivesAndChart) {
    // Read.
    press(Qt::Key_C);
    link.run([this] { return window().reader().engine(); });
    EXPECT_EQ(window().statusText(), txt(kTextDataLoaded));

    // Edit channel 2's text in its editor, opened from the grid with the mouse.
    auto* grid = window().findChild<QTableWidget*>(QStringLiteral("StringGrid1"));
    bool edited = false;
    QTimer::singleShot(0, [&] {
        auto* editor = qobject_cast<TDefVeliciny*>(QApplication::activeModalWidget());
        if (!editor) {
            return;
        }
        QApplication::setActiveWindow(editor);
        auto* text = editor->findChild<QLineEdit*>(QStringLiteral("e_text"));
        QTest::mouseClick(text, Qt::LeftButton);
        QTest::keyClick(text, Qt::Key_End);
        while (!text->text().isEmpty()) {
            QTest::keyClick(text, Qt::Key_Backspace);
        }
        QTest::keyClicks(text, QStringLiteral("Kotel 2"));
        QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("Button2")),
                          Qt::LeftButton);
        edited = !editor->isVisible();
    });
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(2, 2)).center());
    QCoreApplication::processEvents();
    ASSERT_TRUE(edited);
    EXPECT_EQ(grid->item(2, 2)->text(), QStringLiteral("Kotel 2"));

    // Save.
    const QString file = dir.filePath(QStringLiteral("day.sta"));
    scope.prompts.files = {file};
    press(Qt::Key_S);
    StationImage fromFile;
    ASSERT_EQ(loadStationFile(file, fromFile, {}, scope.prompts), StationFileResult::Ok);
    EXPECT_EQ(fromFile.channelData(2).text, "Kotel 2");
    EXPECT_EQ(fromFile.station.name, "Kotelna Jih");

    // Program: the backup read, then the programming window's run.
    const std::size_t beforeProgramming = link.requests(false).size();
    scope.prompts.answers = {true};
    press(Qt::Key_P);
    link.run([this] { return window().backup() ? window().backup()->engine() : nullptr; });
    bool programmed = false;
    QTimer::singleShot(0, [&] {
        auto* form = qobject_cast<TProgressForm*>(QApplication::activeModalWidget());
        if (!form) {
            return;
        }
        link.run([form] { return form->programmer().engine(); });
        programmed = form->ending() == ProgrammingView::Ending::Finished;
        QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("b_zavrit")),
                          Qt::LeftButton);
    });
    QCoreApplication::processEvents();
    ASSERT_TRUE(programmed);
    const auto programming = requestsSince(beforeProgramming);
    EXPECT_EQ(std::count(programming.begin(), programming.end(), "ERASE_STATION"), 1);

    // The station now holds the edited channel, and its name whole.
    press(Qt::Key_C);
    link.run([this] { return window().reader().engine(); });
    EXPECT_EQ(shell.program().station.channelData(2).text, "Kotel 2");
    EXPECT_EQ(shell.program().station.station.name, "Kotelna Jih");

    // Archives: the actual state on opening, then one step right and Enter.
    EXPECT_TRUE(withModal<TArchiv>(Qt::Key_A, [&](TArchiv& archive) {
        link.run([&archive] { return archive.session().engine(); });
        auto* bar = archive.findChild<QScrollBar*>(QStringLiteral("ScrollBar1"));
        ASSERT_TRUE(bar->hasFocus());
        QTest::keyClick(bar, Qt::Key_Right);
        QTest::keyClick(bar, Qt::Key_Return);
        link.run([&archive] { return archive.session().engine(); });
        EXPECT_EQ(archive.session().lastReadPosition(), bar->value());
        QTest::mouseClick(archive.findChild<QPushButton*>(QStringLiteral("b_close")),
                          Qt::LeftButton);
    }));
    for (const auto& shown : scope.prompts.shown) {
        EXPECT_NE(shown.kind, Prompts::Kind::Error) << shown.text.toStdString();
        EXPECT_NE(shown.kind, Prompts::Kind::Warning) << shown.text.toStdString();
    }
}

}  // namespace
}  // namespace pelmo
