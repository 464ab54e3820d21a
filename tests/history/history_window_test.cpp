// The history window over readings the archive and message windows made: what it lists, how
// the windows reopen them without the station, and its CSV export.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "archives/archive_window.h"
#include "archives/messages_window.h"
#include "base/texts.h"
#include "history/history_database.h"
#include "history/history_recorder.h"
#include "history/history_window.h"
#include "history/history_window_logic.h"
#include "monitoring/mon_splash_window.h"
#include "monitoring/sled_dat_window.h"
#include "scripted_prompts.h"
#include "sim_link.h"
#include "window_events.h"

namespace pelmo {
namespace {

class HistoryWindow : public ::testing::Test {
protected:
    HistoryWindow() { link.program.history = &recorder; }
    ~HistoryWindow() override { setLanguage(Language::Czech); }
    QString path() const { return dir.filePath(QStringLiteral("history.sqlite")); }

    QTemporaryDir dir;
    HistoryRecorder recorder{path()};
    test::SimLink link;
    test::PromptsScope scope{link.program};
};

TEST_F(HistoryWindow, ReadingsOfTheWindowsReopenAsTheyWereReadInBothLanguages) {
    for (Language language : {Language::Czech, Language::English}) {
        SCOPED_TRACE(static_cast<int>(language));
        setLanguage(language);
        // Read from the station as the operator does.
        TArchiv archive(link.port, link.program);
        archive.session().setBaseFolder(dir.path());
        archive.show();
        link.run([&] { return archive.session().engine(); });
        archive.session().startData(26);  // yesterday
        link.run([&] { return archive.session().engine(); });
        THlaseni messages(link.port, link.program);
        messages.show();
        link.run([&] { return messages.transfer().engine(); });
        ASSERT_FALSE(messages.transfer().table().rows.empty());

        THistorie history(link.port, link.program, path());
        ASSERT_EQ(history.stations().size(), 1u);
        EXPECT_EQ(history.stations()[0].key.serial, 2317);
        const auto& readings = history.readings();
        const std::size_t expected = language == Language::Czech ? 3 : 6;
        ASSERT_EQ(readings.size(), expected) << "actual state, yesterday, messages";
        EXPECT_EQ(readings[0].kind, ReadingKind::Messages);
        EXPECT_EQ(history.findChild<QTableWidget*>(QStringLiteral("g_cteni"))->item(0, 1)->text(),
                  txt(kTextMessages));

        // Yesterday's record, reopened, shows what the read showed.
        HistoryDatabase db(path());
        ASSERT_TRUE(db.open());
        const StoredReading& yesterday = readings[1];
        const auto rows = db.archiveRows(yesterday.id);
        ASSERT_EQ(storedArchivePosition(rows), 26);
        TArchiv stored(link.port, link.program);
        stored.openStored(storedArchiveTexts(yesterday, rows), storedArchivePosition(rows),
                          storedStationClock(yesterday), QStringLiteral("2317"));
        stored.show();
        EXPECT_EQ(stored.session().grid(), archive.session().grid());
        EXPECT_EQ(stored.session().recordDate(), archive.session().recordDate());
        EXPECT_EQ(stored.session().recordTime(), archive.session().recordTime());
        EXPECT_EQ(stored.session().stationDate(), archive.session().stationDate());
        EXPECT_EQ(stored.session().engine(), nullptr) << "nothing is sent";
        EXPECT_EQ(stored.session().recordCaption(), 398);

        THlaseni storedMessages(link.port, link.program);
        storedMessages.openStored(db.messageLog(readings[0].id));
        storedMessages.show();
        EXPECT_EQ(storedMessages.transfer().table().rows, messages.transfer().table().rows);
        EXPECT_EQ(storedMessages.transfer().engine(), nullptr);
    }
    EXPECT_TRUE(scope.prompts.shown.empty());
}

TEST_F(HistoryWindow, AReopenedRecordingShowsTheStationItWasReadFrom) {
    {
        // The chart read from the station keeps its recording in the history.
        TSledDat view(link.port, link.program);
        TMonSplash splash(link.port, link.program, view.recording(), {});
        splash.show();
        link.run([&splash] { return splash.transfer().engine(); });
        ASSERT_TRUE(splash.dataReady());
        view.show();
        link.run([&view] { return view.configReader().engine(); });
        view.close();
    }
    // Another day: the program starts with no station read.
    link.image = StationImage{};
    THistorie history(link.port, link.program, path());
    history.show();
    QApplication::setActiveWindow(&history);
    ASSERT_EQ(history.readings().size(), 1u);
    ASSERT_EQ(history.readings()[0].kind, ReadingKind::Monitoring);
    QString serial;
    QString name;
    QString source;
    // The wait window comes first; the chart once it runs modally.
    QTimer poke;
    poke.setInterval(1);
    QObject::connect(&poke, &QTimer::timeout, &history, [&] {
        if (auto* view = qobject_cast<TSledDat*>(QApplication::activeModalWidget())) {
            poke.stop();
            serial = view->findChild<QLabel*>(QStringLiteral("l_vyrCislo"))->text();
            name = view->findChild<QLabel*>(QStringLiteral("l_nazev"))->text();
            source = view->sourceText();
            view->reject();
        }
    });
    poke.start();
    QTest::mouseClick(history.findChild<QPushButton*>(QStringLiteral("b_otevrit")), Qt::LeftButton);
    EXPECT_EQ(serial, QStringLiteral("2317"));
    EXPECT_EQ(name, QStringLiteral("Kotelna Jih"));
    EXPECT_TRUE(source.startsWith(QStringLiteral("2317  "))) << source.toStdString();
    EXPECT_TRUE(scope.prompts.shown.empty());
}

TEST_F(HistoryWindow, ExportsTheSelectedReadingsAndSaysWhenTheHistoryCannotBeOpened) {
    HistoryDatabase db(path());
    ASSERT_TRUE(db.open());
    db.storeMessages({2317, QStringLiteral("Kotelna"), 251}, {}, {},
                     {{1, QStringLiteral("2024-01-01T00:00:00"), 3, QStringLiteral("x")}});
    db.storeArchive({2317, {}, 251}, {}, QStringLiteral("Aktualn"),
                    {{24, 0, {}, 1, QStringLiteral("Teplo"), QStringLiteral("GJ"), 1.0},
                     {24, 0, {}, 2, QStringLiteral("Mnozstvi"), QStringLiteral("t"), 2.0}});
    THistorie history(link.port, link.program, path());
    auto* grid = history.findChild<QTableWidget*>(QStringLiteral("g_cteni"));
    ASSERT_EQ(grid->rowCount(), 2);
    history.show();
    QApplication::setActiveWindow(&history);
    test::clickCell(grid, 0, 0);
    QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
    const QString csv = dir.filePath(QStringLiteral("out.csv"));
    scope.prompts.files = {csv};
    QTest::mouseClick(history.findChild<QPushButton*>(QStringLiteral("b_export")), Qt::LeftButton);
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().count("\r\n"), 1 + 2 + 1);
    EXPECT_EQ(history.statusText(), txt(kTextReadingsExported).arg(2));

    THistorie broken(link.port, link.program, dir.path());  // a folder is no database
    EXPECT_TRUE(broken.stations().empty());
    EXPECT_TRUE(
        broken.statusText().startsWith(txt(kTextTheHistoryCannotBe).arg(QString()).trimmed()));
}

}  // namespace
}  // namespace pelmo
