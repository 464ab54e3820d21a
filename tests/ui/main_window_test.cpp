#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "base/texts.h"
#include "files/program_folder.h"
#include "files/station_file.h"
#include "hex.h"
#include "link/communication.h"
#include "link/in_process_port.h"
#include "monitoring/sled_dat_window.h"
#include "operations/programming_window.h"
#include "operations/station_backup.h"
#include "scripted_prompts.h"
#include "sim/sim_faults.h"
#include "sim_link.h"
#include "test_program.h"
#include "ui/app_shell.h"
#include "ui/serial_host_window.h"
#include "widgets/qt_translation.h"
#include "window_events.h"

namespace pelmo {
namespace {

// The main window on an in-process bus whose traffic the test sees.
class MainWindow : public ::testing::Test {
protected:
    MainWindow() {
        image.address_list[kUserAddressEntry].address = 251;
        image.station.memory_size = 32768;  // as the start-up settings leave it
        host = std::make_unique<TForm1>(program.context, &bus);
        window = std::make_unique<TZobrStanice>(program.context, *host);
        window->show();
    }
    ~MainWindow() override {
        window.reset();
        host.reset();
        setLanguage(Language::Czech);
    }

    template <typename T>
    T* find(const char* name) const {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    // Types the four boxes over, as the operator does.
    void setBoxes(const char* name, const char* meter, const char* messages, const char* address) {
        const std::pair<const char*, const char*> boxes[] = {{"e_nazev", name},
                                                             {"e_meridlo", meter},
                                                             {"e_hlaseni", messages},
                                                             {"e_adresa", address}};
        QApplication::setActiveWindow(window.get());
        for (const auto& [box, text] : boxes) {
            auto* edit = find<QLineEdit>(box);
            QTest::mouseClick(edit, Qt::LeftButton);
            // Ctrl+A would choose the archive window: select with Shift+Home.
            QTest::keyClick(edit, Qt::Key_End);
            QTest::keyClick(edit, Qt::Key_Home, Qt::ShiftModifier);
            QTest::keyClick(edit, Qt::Key_Delete);
            QTest::keyClicks(edit, QString::fromUtf8(text));
        }
    }

    test::TestProgram program;
    test::PromptsScope scope{program.context};
    StationImage& image = program.context.station;
    InProcessPort bus;
    std::unique_ptr<TForm1> host;
    std::unique_ptr<TZobrStanice> window;
    QTemporaryDir dir;
};

TEST_F(MainWindow, CaptionsFollowTheLanguage) {
    for (Language l : {Language::Czech, Language::English}) {
        setLanguage(l);
        window->applyCaptions();
        EXPECT_EQ(find<QLabel>("Label1")->text(), txt(kTextStationPCCommunicationProgram));
        EXPECT_EQ(find<QLabel>("l_nazev")->text(), txt(kTextHead));
        EXPECT_EQ(find<QLabel>("l_adresa")->text(), txt(kTextNetAddress));
        EXPECT_EQ(find<QPushButton>("b_prerusit")->text(), txt(kTextBreak));
        EXPECT_EQ(find<QTableWidget>("StringGrid1")->item(0, 4)->text(), txt(kTextSensorType));
        EXPECT_EQ(find<QMenu>("m_zakladni")->title(), txt(kTextBasicFunctions));
        EXPECT_EQ(window->action("m_cteni")->text(), txt(kTextReadStation));
        EXPECT_EQ(window->action("m_monStanice")->text(), txt(kTextLoadFromStation));
        EXPECT_EQ(window->action("m_adresaUser")->text(),
                  QStringLiteral("251") + txt(kTextUserDefined));
        for (QAction* a : window->findChildren<QAction*>()) {
            if (a->objectName().startsWith(QStringLiteral("m_")) && a->isVisible() &&
                !a->objectName().startsWith(QStringLiteral("m_adresa"))) {
                EXPECT_FALSE(a->text().isEmpty()) << a->objectName().toStdString();
            }
        }
    }
}

TEST_F(MainWindow, LoadedStatusSurvivesALanguageSwitch) {
    window->setStatusText(txt(kTextDataLoaded));
    setLanguage(Language::English);
    window->applyCaptions();
    EXPECT_EQ(window->statusText(), QStringLiteral("Data loaded"));
    window->setStatusText(QStringLiteral("something else"));
    window->applyCaptions();
    EXPECT_EQ(window->statusText(), QStringLiteral("New station"));
}

TEST_F(MainWindow, ChannelRowBeforeAnyStationWarns) {
    test::clickCell(find<QTableWidget>("StringGrid1"), 3, 1);
    ASSERT_EQ(scope.prompts.shown.size(), 1u);
    EXPECT_EQ(scope.prompts.shown[0].kind, Prompts::Kind::Warning);
    EXPECT_EQ(scope.prompts.shown[0].text, txt(kTextDataIncomplete));
}

TEST_F(MainWindow, SavingChecksTheStationDefinitionFirst) {
    struct Case {
        const char* name;
        const char* messages;
        const char* address;
        QString message;
    };
    const Case refused[] = {
        {"", "10", "5", txt(kTextBox) + txt(kTextHead) + txt(kTextCanTBeEmpty)},
        {"Kotelna", "1x", "5",
         txt(kTextBox151) + txt(kTextMessagesTotal) + txt(kTextContainsIllegalCharactersPos) +
             QStringLiteral("2. ") + txt(kTextClosingParenthesis)},
        {"Kotelna", "10", "0", txt(kTextAddressOutOfRange)},
        {"Kotelna", "10", "252", txt(kTextAddressOutOfRange)},
    };
    for (const Case& c : refused) {
        setBoxes(c.name, "PARA", c.messages, c.address);
        // Leaving a box may warn already; the save must warn once more, by itself.
        scope.prompts.shown.clear();
        test::chooseMenuEntry(*window, "m_ulozeni");
        ASSERT_EQ(scope.prompts.shown.size(), 1u) << c.address;
        EXPECT_EQ(scope.prompts.shown[0].text, c.message);
        EXPECT_TRUE(scope.prompts.dialogs.empty()) << "no file dialog after a failed check";
    }

    const QString path = dir.filePath(QStringLiteral("station.sta"));
    scope.prompts.shown.clear();
    scope.prompts.files.push_back(path);
    setBoxes("Kotelna", "PARA", "0", "251");
    test::chooseMenuEntry(*window, "m_ulozeni");
    EXPECT_TRUE(scope.prompts.shown.empty());
    EXPECT_EQ(find<QLineEdit>("e_hlaseni")->text(), QStringLiteral("10"));
    EXPECT_EQ(QFileInfo(path).size(), kStationFileSize);
    EXPECT_EQ(image.station.messages_total, 10);
    EXPECT_EQ(image.station.net_address, 251);
}

TEST_F(MainWindow, MemoryBeyondTheStationIsRefused) {
    image.station.memory_size = 32768;
    image.channel(1).in_use = 1;
    image.channel(1).memory = 30000;
    setBoxes("Kotelna", "PARA", "10", "5");
    test::chooseMenuEntry(*window, "m_ulozeni");
    ASSERT_EQ(scope.prompts.shown.size(), 1u);
    // free = 32768 - 3840 - 60 = 28868
    EXPECT_EQ(scope.prompts.shown[0].text,
              txt(kTextMemorySizeExceeded) + QStringLiteral("( 1132B )"));
}

TEST_F(MainWindow, ChoosingAnAddressEntrySendsEndCommAndSwitchesTheBus) {
    image.address_list[3] = {17, "Kotelna"};
    window->refreshAddressEntries();
    QAction* entry = window->action("m_adresa4");
    EXPECT_TRUE(entry->isVisible());
    EXPECT_EQ(entry->text(), QStringLiteral("17 - Kotelna"));
    EXPECT_FALSE(window->action("m_adresa5")->isVisible());
    image.station_loaded = true;
    entry->trigger();
    ASSERT_EQ(bus.writes().size(), 1u);
    EXPECT_EQ(test::toHex(bus.writes()[0]), "01 40 0E 4F 4F");
    EXPECT_EQ(image.bus_address, 17);
    EXPECT_FALSE(image.station_loaded);
    EXPECT_TRUE(entry->isChecked());
    EXPECT_FALSE(window->action("m_adresaUser")->isChecked());
}

TEST_F(MainWindow, StationFileLoadOutcomes) {
    // A cancelled file dialog leaves a cleared image marked as loaded.
    scope.prompts.answers = {true};
    test::chooseMenuEntry(*window, "m_definovani");
    EXPECT_TRUE(image.station_loaded);
    EXPECT_EQ(window->statusText(), txt(kTextDataLoaded));

    // A damaged file is refused.
    const QString bad = dir.filePath(QStringLiteral("bad.sta"));
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("short");
    f.close();
    scope.prompts.answers = {true};
    scope.prompts.files = {bad};
    test::chooseMenuEntry(*window, "m_definovani");
    EXPECT_FALSE(image.station_loaded);
    EXPECT_TRUE(scope.prompts.shownError(txt(kTextFileCorrupted)));
    EXPECT_EQ(window->statusText(), txt(kTextDataNotLoaded));
    EXPECT_FALSE(window->action("m_ulozeni")->isEnabled());

    // Answering No changes nothing.
    image.station.name = "Kept";
    scope.prompts.answers = {false};
    test::chooseMenuEntry(*window, "m_definovani");
    EXPECT_EQ(image.station.name, "Kept");
}

TEST_F(MainWindow, ConfirmationNamesTheLoadedStation) {
    image.station.name = "Kotelna";
    window->setStatusText(txt(kTextDataLoaded));
    scope.prompts.answers = {false};
    test::chooseMenuEntry(*window, "m_definovani");
    ASSERT_FALSE(scope.prompts.shown.empty());
    QString expected = txt(kTextCurrentStationWillBe);
    expected.insert(18, QStringLiteral(" \"Kotelna\" "));
    EXPECT_EQ(scope.prompts.shown.back().text, expected);
    // "Nová stanice" never names it.
    scope.prompts.answers = {false};
    test::chooseMenuEntry(*window, "m_nova");
    EXPECT_EQ(scope.prompts.shown.back().text, txt(kTextCurrentStationWillBe));
}

TEST_F(MainWindow, EditorsAndTheMemoryWindowOpenOnlyWhenTheyMay) {
    QTest::mouseDClick(find<QLineEdit>("e_meridlo"), Qt::LeftButton);
    ASSERT_EQ(scope.prompts.shown.size(), 1u);
    EXPECT_EQ(scope.prompts.shown[0].text, txt(kTextDataIncomplete));

    auto opened = std::make_shared<QString>();
    auto closeModal = [opened] {
        QTimer::singleShot(0, [opened] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                *opened = QString::fromLatin1(w->metaObject()->className());
                w->close();
            }
        });
    };
    image.station_loaded = true;
    closeModal();
    QTest::mouseDClick(find<QLineEdit>("e_meridlo"), Qt::LeftButton);
    EXPECT_EQ(*opened, QStringLiteral("pelmo::TDefMeridla"));

    // The memory window checks the message count and the memory first.
    scope.prompts.shown.clear();
    find<QLineEdit>("e_hlaseni")->setText(QStringLiteral("1a"));
    QTest::mouseDClick(find<QLineEdit>("e_hlaseni"), Qt::LeftButton);
    ASSERT_EQ(scope.prompts.shown.size(), 1u);
    EXPECT_TRUE(scope.prompts.shown[0].text.startsWith(txt(kTextBox151)));
    find<QLineEdit>("e_hlaseni")->setText(QStringLiteral("10"));
    opened->clear();
    closeModal();
    QTest::mouseDClick(find<QLineEdit>("e_hlaseni"), Qt::LeftButton);
    EXPECT_EQ(*opened, QStringLiteral("pelmo::TmemInfo"));
    EXPECT_EQ(image.station.messages_total, 10);
    image.channel(1).in_use = 1;
    image.channel(1).memory = 40000;
    scope.prompts.shown.clear();
    QTest::mouseDClick(find<QLineEdit>("e_hlaseni"), Qt::LeftButton);
    ASSERT_EQ(scope.prompts.shown.size(), 1u);
    EXPECT_TRUE(scope.prompts.shown[0].text.startsWith(txt(kTextMemorySizeExceeded)));
}

TEST_F(MainWindow, ShortcutsReachTheirCommandsWhereverTheFocusIs) {
    int passwords = 0;
    int debugInfos = 0;
    TZobrStanice::Windows windows;
    windows.password = [&passwords] { ++passwords; };
    windows.debugInfo = [&debugInfos] { ++debugInfos; };
    window->setWindows(windows);
    QApplication::setActiveWindow(window.get());
    auto* name = find<QLineEdit>("e_nazev");
    name->setFocus();

    // The hidden password and modifications entries.
    QTest::keyClick(name, Qt::Key_H, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(find<QTableWidget>("StringGrid1"), Qt::Key_D,
                    Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(passwords, 1);
    EXPECT_EQ(debugInfos, 1);

    // Ctrl+C in an edit box reads the station instead of copying.
    name->setText(QStringLiteral("Kotelna"));
    name->selectAll();
    QTest::keyClick(name, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(find<QPushButton>("b_prerusit")->isEnabled());
    EXPECT_FALSE(bus.writes().empty());
    QTest::mouseClick(find<QPushButton>("b_prerusit"), Qt::LeftButton);
}

TEST_F(MainWindow, ShowingAgainKeepsTheStationAndCapture) {
    window->setStatusText(txt(kTextDataLoaded));
    find<QLineEdit>("e_nazev")->setText(QStringLiteral("Kotelna"));
    host->setCapture(true);
    // Restoring from minimised shows the window again.
    window->hide();
    window->show();
    EXPECT_EQ(window->statusText(), txt(kTextDataLoaded));
    EXPECT_EQ(find<QLineEdit>("e_nazev")->text(), QStringLiteral("Kotelna"));
    EXPECT_TRUE(host->capture());
}

TEST_F(MainWindow, ClosingEndsTheProgramWhileTheConsoleIsOpen) {
    host->show();
    QTimer::singleShot(0, window.get(), [this] { window->close(); });
    // Only fires when the program would otherwise keep running.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(host->isVisible());
}

TEST_F(MainWindow, AFailedReadLeavesNothingToProgramOrSave) {
    // A cancelled file dialog gives a loaded station that may be programmed and saved.
    scope.prompts.answers = {true};
    test::chooseMenuEntry(*window, "m_definovani");
    ASSERT_TRUE(window->action("m_programovani")->isEnabled());
    ASSERT_TRUE(window->action("m_ulozeni")->isEnabled());
    // Nobody answers on this bus.
    test::chooseMenuEntry(*window, "m_cteni");
    ASSERT_NE(window->reader().engine(), nullptr);
    for (int polls = 0; window->reader().engine() && polls < 100000; ++polls) {
        window->reader().engine()->poll();
    }
    EXPECT_EQ(window->reader().engine(), nullptr);
    EXPECT_TRUE(find<QMenu>("m_zakladni")->menuAction()->isEnabled());
    EXPECT_FALSE(window->action("m_programovani")->isEnabled());
    EXPECT_FALSE(window->action("m_ulozeni")->isEnabled());
}

// Programs the station from the main window: the backup read first, then the programming
// window, whose run `faults` may spoil. `start` starts it (by default the menu command).
QStringList programFromTheMainWindow(test::SimLink& link, TZobrStanice& window,
                                     test::ScriptedPrompts& prompts, const char* faults,
                                     const std::function<void()>& start = {}) {
    prompts.answers = {true, false};  // program it; do not program the backup back
    if (start) {
        start();
    } else {
        test::chooseMenuEntry(window, "m_programovani");
    }
    link.run([&] { return window.backup() ? window.backup()->engine() : nullptr; });
    QStringList seen;
    QTimer::singleShot(0, [&] {
        auto* form = qobject_cast<TProgressForm*>(QApplication::activeModalWidget());
        if (!form) {
            return;
        }
        sim::FaultSettings spoil;
        sim::parseFaultSpec(faults, spoil);
        link.station->addFaults(spoil);
        link.run([&] { return form->programmer().engine(); });
        seen << QString::number(static_cast<int>(form->ending()));
        QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("b_zavrit")),
                          Qt::LeftButton);
    });
    QCoreApplication::processEvents();
    return seen;
}

TEST(MainWindowProgramming, TheStationIsBackedUpBeforeTheRunAndOfferedBackAfterAFailure) {
    test::SimLink link;
    test::PromptsScope scope{link.program};
    TForm1 host(link.program, &link.port);
    TZobrStanice window(link.program, host);
    window.show();
    test::chooseMenuEntry(window, "m_cteni");
    link.run([&] { return window.reader().engine(); });
    const QDir folder(QDir(link.program.folder).filePath(QStringLiteral("2317.000")));
    const auto backups = [&folder] {
        return folder.entryList({QStringLiteral("backup-2317-*.sta")}, QDir::Files, QDir::Name);
    };
    ASSERT_TRUE(backups().isEmpty());  // the program's folder is the test's own

    const QStringList ran = programFromTheMainWindow(link, window, scope.prompts, "");
    EXPECT_EQ(ran,
              QStringList{QString::number(static_cast<int>(ProgrammingView::Ending::Finished))});
    // The first run kept the one backup it made.
    EXPECT_EQ(backups().size(), 1);
    EXPECT_EQ(window.statusText().left(txt(kTextBackupSaved).size()), txt(kTextBackupSaved));

    // A run that fails after the erase names the backup and offers it.
    scope.prompts.shown.clear();
    programFromTheMainWindow(link, window, scope.prompts, "no-answer=WRITE_METER");
    const QString newest = window.statusText().mid(txt(kTextBackupSaved).size());
    EXPECT_TRUE(scope.prompts.shown.back().text ==
                txt(kTextProgrammingFailedAfterThe).arg(QDir::toNativeSeparators(newest)).arg(251))
        << scope.prompts.shown.back().text.toStdString();
}

// The programmed file moved the station to address 9 before the run failed: the backup goes
// back to the station at 9, where it answers now.
TEST(MainWindowProgramming, TheBackupGoesBackWhereTheStationAnswersNow) {
    test::SimLink link;
    test::PromptsScope scope{link.program};
    TForm1 host(link.program, &link.port);
    TZobrStanice window(link.program, host);
    window.show();
    QApplication::setActiveWindow(&window);
    test::chooseMenuEntry(window, "m_cteni");
    ASSERT_NE(window.reader().engine(), nullptr);
    link.run([&] { return window.reader().engine(); });
    auto* address = window.findChild<QLineEdit*>(QStringLiteral("e_adresa"));
    QTest::mouseClick(address, Qt::LeftButton);
    address->selectAll();
    QTest::keyClicks(address, QStringLiteral("9"));

    scope.prompts.answers = {true, true};  // program it; then program the backup back
    test::chooseMenuEntry(window, "m_programovani");
    link.run([&] { return window.backup() ? window.backup()->engine() : nullptr; });
    std::vector<ProgrammingView::Ending> endings;
    std::size_t restoreStart = 0;
    const TProgressForm* first = nullptr;
    // Runs the programming window that opens next (the restore's opens only once the first
    // one's modal loop has returned), with the station spoilt by `faults`.
    std::function<void(const char*, int)> runNextForm = [&](const char* faults, int tries) {
        auto* form = qobject_cast<TProgressForm*>(QApplication::activeModalWidget());
        if (!form || form == first) {
            if (tries > 0) {
                QTimer::singleShot(0, [&, faults, tries] { runNextForm(faults, tries - 1); });
            }
            return;
        }
        sim::FaultSettings spoil;
        sim::parseFaultSpec(faults, spoil);
        link.station->faults().settings() = spoil;
        link.run([&] { return form->programmer().engine(); });
        endings.push_back(form->ending());
        if (!first) {
            first = form;
            restoreStart = link.port.writes().size();
            QTimer::singleShot(0, [&] { runNextForm("", 100); });
        }
        QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("b_zavrit")),
                          Qt::LeftButton);
    };
    QTimer::singleShot(0, [&] { runNextForm("no-answer=RESTART_MEASURING", 100); });
    QCoreApplication::processEvents();
    ASSERT_EQ(endings, (std::vector<ProgrammingView::Ending>{ProgrammingView::Ending::Failed,
                                                             ProgrammingView::Ending::Finished}));
    EXPECT_NE(scope.prompts.shown.back().text.indexOf(
                  txt(kTextProgrammingFailedAfterThe).section(QLatin1Char('%'), 0, 0)),
              -1);
    // The restore's COMM went to 9, and the backup moved the station back to 251.
    const auto& writes = link.port.writes();
    const auto comm = std::find_if(writes.begin() + static_cast<std::ptrdiff_t>(restoreStart),
                                   writes.end(), [](const std::vector<std::uint8_t>& w) {
                                       return w.size() > 6 && requestIdFor(w[1], w[2]) == COMM;
                                   });
    ASSERT_NE(comm, writes.end());
    EXPECT_EQ((*comm)[6], 9);
    EXPECT_EQ(link.station->address(), 251);
}

// The main window on the simulated station, worked with the keyboard and the mouse.
class MainWindowAtTheKeyboard : public ::testing::Test {
protected:
    MainWindowAtTheKeyboard() {
        window.show();
        QApplication::setActiveWindow(&window);
    }
    template <typename T>
    T* find(const char* name) const {
        return window.findChild<T*>(QString::fromLatin1(name));
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &window, key, modifiers);
    }
    void readWithCtrlC() {
        press(Qt::Key_C);
        link.run([this] { return window.reader().engine(); });
    }
    // Replaces a box's text by typing, as a person does.
    static void retype(QLineEdit* box, const QString& text) {
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClick(box, Qt::Key_End);
        while (!box->text().isEmpty()) {
            QTest::keyClick(box, Qt::Key_Backspace);
        }
        QTest::keyClicks(box, text);
    }

    test::SimLink link;
    test::PromptsScope scope{link.program};
    TForm1 host{link.program, &link.port};
    TZobrStanice window{link.program, host};
    QTemporaryDir dir;
};

// The station block holds 20 characters of name; the box lets one type 10. A read name is
// shown, saved and programmed back whole.
TEST_F(MainWindowAtTheKeyboard, ALongNameFromTheStationIsKeptWholeAndTypingIsLimited) {
    readWithCtrlC();
    auto* name = find<QLineEdit>("e_nazev");
    EXPECT_EQ(name->text(), QStringLiteral("Kotelna Jih"));

    const QString path = dir.filePath(QStringLiteral("read.sta"));
    scope.prompts.files = {path};
    press(Qt::Key_S);
    StationImage saved;
    ASSERT_EQ(loadStationFile(path, saved, {}, scope.prompts), StationFileResult::Ok);
    EXPECT_EQ(saved.station.name, "Kotelna Jih");

    // Programming leaves the station's name as it was.
    programFromTheMainWindow(link, window, scope.prompts, "", [this] { press(Qt::Key_P); });
    readWithCtrlC();
    EXPECT_EQ(link.image.station.name, "Kotelna Jih");

    // What the operator types is held to the boxes' lengths.
    const struct {
        const char* box;
        const char* typed;
        const char* kept;
    } typing[] = {
        {"e_nazev", "Kotelna Jih 2", "Kotelna Ji"},
        {"e_meridlo", "PARA12345", "PARA1234"},
        {"e_hlaseni", "123456", "1234"},
        {"e_adresa", "2511", "251"},
    };
    for (const auto& t : typing) {
        auto* box = find<QLineEdit>(t.box);
        retype(box, QString::fromUtf8(t.typed));
        EXPECT_EQ(box->text(), QString::fromUtf8(t.kept)) << t.box;
    }
    // A loaded text past the limit may be shortened, never lengthened.
    window.fillFromImage();
    QTest::mouseClick(name, Qt::LeftButton);
    QTest::keyClick(name, Qt::Key_End);
    QTest::keyClicks(name, QStringLiteral("X"));
    EXPECT_EQ(name->text(), QStringLiteral("Kotelna Jih"));
    QTest::keyClick(name, Qt::Key_Backspace);
    EXPECT_EQ(name->text(), QStringLiteral("Kotelna Ji"));
}

// While a sequence runs on the bus no other command reaches it: not from a menu, a shortcut,
// the grid or the console.
TEST_F(MainWindowAtTheKeyboard, NothingElseReachesTheBusWhileASequenceRuns) {
    const char* const stationCommands[] = {
        "m_cteni",   "m_definovani", "m_nova",       "m_programovani", "m_uzamceni", "m_ulozeni",
        "m_archiv",  "m_sledovani",  "m_monStanice", "m_monSoubor",    "m_hlaseni",  "m_mezeAlarmu",
        "m_maximum", "m_letme",      "m_registry",   "m_mezeMeridla",  "m_infoHW",   "m_zeSite",
        "m_zDisku",  "m_porovnani",  "m_historie",   "m_adresaUser"};
    const auto tryEverything = [&](const char* phase) {
        for (const char* name : stationCommands) {
            EXPECT_FALSE(window.action(name)->isEnabled()) << phase << " " << name;
        }
        EXPECT_FALSE(find<QMenu>("m_data")->menuAction()->isEnabled()) << phase;
        for (const char* name : {"m_cteni", "m_registry", "m_maximum", "m_programovani"}) {
            EXPECT_FALSE(host.findChild<QAction*>(QString::fromLatin1(name))->isEnabled())
                << phase << " console " << name;
        }
        EXPECT_FALSE(host.findChild<QPushButton*>(QStringLiteral("b_connect"))->isEnabled());
        const std::size_t writes = link.port.writes().size();
        bool opened = false;
        QTimer::singleShot(0, [&opened] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                opened = true;
                w->close();
            }
        });
        for (Qt::Key key : {Qt::Key_A, Qt::Key_H, Qt::Key_R, Qt::Key_M, Qt::Key_C, Qt::Key_D,
                            Qt::Key_N, Qt::Key_P, Qt::Key_S}) {
            press(key);
        }
        auto* grid = find<QTableWidget>("StringGrid1");
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(2, 1)).center());
        QCoreApplication::processEvents();
        EXPECT_FALSE(opened) << phase;
        EXPECT_EQ(link.port.writes().size(), writes) << phase;
        EXPECT_TRUE(scope.prompts.shown.empty()) << phase;
    };

    TForm1::Commands commands;
    commands.registers = [this] { window.action("m_registry")->trigger(); };
    host.setCommands(commands);
    press(Qt::Key_C);
    const auto inTheChannels = [this] {
        const auto names = link.requests(false);
        return std::count(names.begin(), names.end(), "READ_CHANNEL") >= 2;
    };
    while (window.reader().engine() && !inTheChannels()) {
        link.sim.advance(kPollIntervalMs);
        window.reader().engine()->poll();
    }
    ASSERT_NE(window.reader().engine(), nullptr);
    tryEverything("read");
    link.run([this] { return window.reader().engine(); });
    EXPECT_EQ(link.requests(false),
              (std::vector<std::string>{
                  "COMM", "READ_STATUS", "READ_CMOS", "READ_METER", "READ_CHANNEL", "READ_CHANNEL",
                  "READ_CHANNEL", "READ_CHANNEL", "READ_CHANNEL", "READ_CHANNEL", "READ_CHANNEL",
                  "READ_CHANNEL", "READ_STATION", "END_COMM"}));
    for (const char* name : {"m_porovnani", "m_historie", "m_archiv", "m_programovani"}) {
        EXPECT_TRUE(window.action(name)->isEnabled()) << "after the read: " << name;
    }
    EXPECT_TRUE(host.findChild<QAction*>(QStringLiteral("m_registry"))->isEnabled());
    EXPECT_TRUE(host.findChild<QPushButton*>(QStringLiteral("b_connect"))->isEnabled());

    // The backup read before programming.
    scope.prompts.answers = {true};
    press(Qt::Key_P);
    ASSERT_NE(window.backup(), nullptr);
    scope.prompts.shown.clear();
    tryEverything("backup");
    QTest::mouseClick(find<QPushButton>("b_prerusit"), Qt::LeftButton);
    QCoreApplication::processEvents();  // the backup's end, declining to program without it
    EXPECT_EQ(window.backup(), nullptr);
}

// The console's own "Definování stanice": what the main window then says matches what was
// loaded.
TEST_F(MainWindowAtTheKeyboard, TheConsolesStationFileLoadReportsItsOutcome) {
    TForm1::Commands commands;
    commands.loadStationFile = [this] { window.consoleLoadStationFile(); };
    host.setCommands(commands);
    QAction* load = host.findChild<QAction*>(QStringLiteral("m_definovani"));
    const QString good = dir.filePath(QStringLiteral("good.sta"));
    readWithCtrlC();
    scope.prompts.files = {good};
    press(Qt::Key_S);
    window.setStatusText(txt(kTextNewStation142));

    const QString bad = dir.filePath(QStringLiteral("bad.sta"));
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("short");
    f.close();
    struct Case {
        QString file;
        QString status;
        QString name;
    };
    for (const Case& c : {Case{QString(), txt(kTextNewStation142), QStringLiteral("Kotelna Jih")},
                          Case{bad, txt(kTextDataNotLoaded), QString()},
                          Case{good, txt(kTextDataLoaded), QStringLiteral("Kotelna Jih")}}) {
        scope.prompts.files = {c.file};
        load->trigger();
        EXPECT_EQ(window.statusText(), c.status) << c.file.toStdString();
        EXPECT_EQ(find<QLineEdit>("e_nazev")->text(), c.name) << c.file.toStdString();
    }
}

// Qt's own buttons speak the program's language.
TEST(QtTexts, FollowTheLanguage) {
    ASSERT_TRUE(applyQtTranslation(Language::Czech));
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    const QString czech = box.button(QMessageBox::Yes)->text();
    EXPECT_NE(czech, QStringLiteral("&Yes"));
    ASSERT_TRUE(applyQtTranslation(Language::English));
    QMessageBox english;
    english.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(english.button(QMessageBox::Yes)->text(), QStringLiteral("&Yes"));
}

TEST(ConsoleMenu, ProgrammingRunsTheMainWindowsCommandWithItsEnableRule) {
    test::ScriptedPrompts prompts;
    const QTemporaryDir folder;
    InProcessPort bus;
    AppShell shell(prompts, ProgramPlaces::inFolder(folder.path()), QString(), &bus);
    test::PromptsScope scope{shell.program()};
    QAction* command = shell.mainWindow().action("m_programovani");
    auto* console = shell.host().findChild<QAction*>(QStringLiteral("m_programovani"));
    ASSERT_TRUE(console->isEnabled());
    command->setEnabled(true);
    command->trigger();
    const auto fromMain = scope.prompts.shown;
    ASSERT_FALSE(fromMain.empty());  // the station checks come first
    scope.prompts.shown.clear();
    console->trigger();
    ASSERT_EQ(scope.prompts.shown.size(), fromMain.size());
    EXPECT_EQ(scope.prompts.shown.front().text, fromMain.front().text);
    scope.prompts.shown.clear();
    command->setEnabled(false);
    console->trigger();
    EXPECT_TRUE(scope.prompts.shown.empty());
}

}  // namespace
}  // namespace pelmo

namespace pelmo {
namespace {

TEST(MainWindowLiveTracking, OpensTheLiveViewOnACleanGridAndEndsTheLinkWhenClosed) {
    test::SimLink link;
    test::PromptsScope scope{link.program};
    TForm1 host(link.program, &link.port);
    TZobrStanice window(link.program, host);
    window.show();
    auto* grid = window.findChild<QTableWidget*>(QStringLiteral("StringGrid1"));
    grid->setItem(1, 1, new QTableWidgetItem(QStringLiteral("old")));
    grid->setItem(8, 4, new QTableWidgetItem(QStringLiteral("old")));
    QAction* entry = window.action("m_sledovani");
    ASSERT_TRUE(entry->isEnabled());
    std::size_t records = 0;
    QTimer::singleShot(0, [&] {
        auto* view = qobject_cast<TSledDat*>(QApplication::activeModalWidget());
        if (!view) {
            return;
        }
        EXPECT_EQ(view->mode(), TrackingMode::Live);
        // Cleared for the view; the configuration read then fills it again.
        EXPECT_TRUE(grid->item(1, 1)->text().isEmpty());
        EXPECT_TRUE(grid->item(8, 4)->text().isEmpty());
        link.run([view] { return view->configReader().engine(); });
        LiveTracker& tracker = view->liveTracker();
        for (int i = 0; i < 1000 && tracker.engine() && tracker.engine()->waiting(); ++i) {
            link.sim.advance(kPollIntervalMs);
            tracker.engine()->poll();
        }
        for (int i = 0; i < 4; ++i) {
            link.sim.advance(LiveTracker::kTickMs);
            tracker.tick();
        }
        records = tracker.records().size();
        view->findChild<QPushButton*>(QStringLiteral("b_zavrit"))->click();
    });
    entry->trigger();
    link.settle();
    EXPECT_EQ(records, 3u);
    EXPECT_EQ(link.requests().back(), "END_COMM");
    EXPECT_TRUE(scope.prompts.shown.empty());
}

}  // namespace
}  // namespace pelmo
