// The backup read before programming, the configuration compare and the bus health figures,
// against the simulated station.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "base/texts.h"
#include "files/station_file.h"
#include "operations/station_backup.h"
#include "operations/station_compare.h"
#include "operations/station_diff.h"
#include "operations/station_programmer.h"
#include "operations/station_reader.h"
#include "scripted_prompts.h"
#include "sequence_views.h"
#include "sim/sim_faults.h"
#include "sim_link.h"

namespace pelmo {
namespace {

struct RecordingBackupView final : BackupView {
    void backupStatus(const QString& text) override { statuses.push_back(text); }
    void backupEnded(bool ok) override { outcome = ok ? 1 : 0; }
    std::vector<QString> statuses;
    int outcome = -1;
};

class SafeProgramming : public ::testing::Test {
protected:
    SafeProgramming() { link.context.statistics = &statistics; }

    // Runs a backup of the simulated station at 10:15:00 on 9 Dec 2026.
    std::unique_ptr<StationBackup> backup() {
        StationBackup::Options options;
        options.baseFolder = dir.path();
        options.clock = [] { return QDateTime(QDate(2026, 12, 9), QTime(10, 15, 0)); };
        auto b = std::make_unique<StationBackup>(link.port, link.context, prompts, view, options);
        b->start(link.image);
        link.run([&b] { return b->engine(); });
        return b;
    }
    QString folder() const { return QDir(dir.path()).filePath(QStringLiteral("2317.000")); }

    test::SimLink link;
    test::ScriptedPrompts prompts;
    RecordingBackupView view;
    BusStatistics statistics;
    QTemporaryDir dir;
};

TEST_F(SafeProgramming, TheBackupHoldsTheStationAndOnlyTheNewestTwentyStay) {
    // 21 older backups of this station and one of another station.
    QDir().mkpath(folder());
    for (int day = 1; day <= 21; ++day) {
        QFile old(QDir(folder()).filePath(
            StationBackup::fileName(2317, QDateTime(QDate(2026, 11, day), QTime(8, 0)))));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    }
    const QString other = QDir(folder()).filePath(StationBackup::fileName(99, QDateTime()));
    QFile(other).open(QIODevice::WriteOnly);
    link.image.meter.meter_number = 4242;  // the image to be programmed stays as it is

    auto b = backup();
    ASSERT_EQ(view.outcome, 1);
    EXPECT_EQ(b->file(),
              QDir(folder()).filePath(QStringLiteral("backup-2317-20261209-101500.sta")));
    EXPECT_EQ(view.statuses.back(), txt(kTextBackupSaved) + QDir::toNativeSeparators(b->file()));
    EXPECT_EQ(link.image.meter.meter_number, 4242);

    // The file is the station as a read gives it.
    StationImage saved;
    ASSERT_EQ(loadStationFile(b->file(), saved, {}, prompts), StationFileResult::Ok);
    test::RecordingReadView readView;
    StationReader reader(link.port, link.context, prompts, readView);
    reader.start();
    link.run([&] { return reader.engine(); });
    // Except what the file format cannot hold: limits of a channel without a table.
    const auto d = compareConfigurations(link.image, saved, false);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0], (FieldDifference{QStringLiteral("Kanál 4"), QStringLiteral("Maximální meze"),
                                     QStringLiteral("65534"), QStringLiteral("0"), 65534.0, 0.0}));

    const QStringList kept = QDir(folder()).entryList({QStringLiteral("backup-2317-*")});
    ASSERT_EQ(kept.size(), StationBackup::kKept);
    EXPECT_EQ(kept.front(), QStringLiteral("backup-2317-20261103-080000.sta"));
    EXPECT_TRUE(QFile::exists(other));

    // A second backup within the same second keeps the first.
    const auto again = backup();
    EXPECT_EQ(QFileInfo(again->file()).fileName(),
              QStringLiteral("backup-2317-20261209-101500_02.sta"));
    EXPECT_TRUE(QFile::exists(b->file()));
}

// Runs that fail after the erase back up an erased station; however many there are, the
// backup of the working station stays until a run programs the station completely.
TEST_F(SafeProgramming, TheLastWorkingBackupOutlivesAnyRunOfFailures) {
    using RunEnd = StationBackup::RunEnd;
    QDir().mkpath(folder());
    int minute = 0;
    QString restore;  // what the last run offers to program back
    const auto programRun = [&](RunEnd end) {
        const QString name = StationBackup::freeFileName(
            folder(), 2317, QDateTime(QDate(2026, 12, 9), QTime(8, 0)).addSecs(60 * minute++));
        const QString path = QDir(folder()).filePath(name);
        QFile(path).open(QIODevice::WriteOnly);
        StationBackup::prune(folder(), 2317);
        restore =
            QFileInfo(StationBackup::programmingEnded(dir.path(), 2317, path, end)).fileName();
        return name;
    };
    const auto backups = [this] {
        return QDir(folder()).entryList({QStringLiteral("backup-2317-*.sta")}).size();
    };
    const auto present = [this](const QString& name) {
        return QFile::exists(QDir(folder()).filePath(name));
    };
    programRun(RunEnd::Completed);
    const QString working = programRun(RunEnd::FailedAfterErase);
    EXPECT_EQ(StationBackup::keptBackup(folder(), 2317), working);
    // Failures before and after the erase, more than the twenty kept, and a run without a
    // backup (the restore command's --no-backup) that fails too.
    for (int k = 0; k < 30; ++k) {
        programRun(k % 3 == 0 ? RunEnd::FailedBeforeErase : RunEnd::FailedAfterErase);
    }
    // Every failed run offers the working station's backup, not its own of the erased one.
    EXPECT_EQ(restore, working);
    EXPECT_EQ(QFileInfo(StationBackup::programmingEnded(dir.path(), 2317, QString(),
                                                        RunEnd::FailedAfterErase))
                  .fileName(),
              working);
    EXPECT_TRUE(present(working));
    EXPECT_EQ(backups(), StationBackup::kKept + 1);

    // The restore (no backup of its own) completes: the kept one rotates out at once.
    EXPECT_EQ(StationBackup::programmingEnded(dir.path(), 2317, QString(), RunEnd::Completed),
              QString());
    EXPECT_EQ(StationBackup::keptBackup(folder(), 2317), QString());
    EXPECT_FALSE(present(working));
    EXPECT_EQ(backups(), StationBackup::kKept);
    const QString next = programRun(RunEnd::FailedAfterErase);
    EXPECT_EQ(StationBackup::keptBackup(folder(), 2317), next);
    EXPECT_EQ(restore, next);

    // A marker naming a missing file or a file outside the folder protects nothing.
    for (const char* text : {"backup-2317-20000101-000000.sta", "../backup-2317-x.sta", ""}) {
        QFile marker(QDir(folder()).filePath(QStringLiteral("backup-2317.keep")));
        ASSERT_TRUE(marker.open(QIODevice::WriteOnly | QIODevice::Truncate));
        marker.write(text);
        marker.close();
        EXPECT_EQ(StationBackup::keptBackup(folder(), 2317), QString()) << text;
    }
}

// The backup reads into an image of its own but on the program's one link: the bus shows
// busy meanwhile, an interruption reaches its engine, and the link's image comes back after.
TEST_F(SafeProgramming, TheBackupReadsOnTheProgramsOwnLink) {
    std::vector<bool> busy;
    link.context.busyObserver = [&busy](bool b) { busy.push_back(b); };
    StationImage* const own = link.context.build.image;
    for (const bool interrupted : {false, true}) {
        SCOPED_TRACE(interrupted);
        busy.clear();
        view.outcome = -1;
        StationBackup::Options options;
        options.baseFolder = dir.path();
        StationBackup b(link.port, link.context, prompts, view, options);
        b.start(link.image);
        ASSERT_NE(b.engine(), nullptr);
        EXPECT_EQ(link.context.current, b.engine());
        EXPECT_EQ(link.context.engines, 1);
        EXPECT_NE(link.context.build.image, own);
        if (interrupted) {
            closeCurrentEngine(link.context);
            b.interrupt();
            // END_COMM waits for the line until COMM's answer is due, then goes out.
            for (int ms = 0; ms < 1000 && link.port.holding(); ++ms) {
                link.sim.advance(1);
                link.port.service();
            }
            ASSERT_FALSE(link.port.writes().empty());
            EXPECT_EQ(link.port.writes().back()[2], 0x0E);  // END_COMM
        } else {
            link.run([&b] { return b.engine(); });
            EXPECT_EQ(view.outcome, 1);
        }
        EXPECT_EQ(link.context.build.image, own);
        EXPECT_EQ(link.context.engines, 0);
        EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    }
}

// A scope of scripted prompts hands the boxes back to the prompts before it when it ends.
TEST_F(SafeProgramming, ScopedPromptsGiveTheBoxesBack) {
    {
        test::PromptsScope outer(link.program);
        {
            test::PromptsScope inner(link.program);
            link.program.prompts().error(QStringLiteral("inner"));
            EXPECT_TRUE(inner.prompts.shownError(QStringLiteral("inner")));
        }
        link.program.prompts().error(QStringLiteral("outer"));
        EXPECT_TRUE(outer.prompts.shownError(QStringLiteral("outer")));
    }
    link.program.prompts().error(QStringLiteral("program"));
    EXPECT_TRUE(link.programPrompts.shownError(QStringLiteral("program")));
}

TEST_F(SafeProgramming, ASilentStationGivesNoBackup) {
    link.station->faults().settings().silent = true;
    auto b = backup();
    EXPECT_EQ(view.outcome, 0);
    EXPECT_TRUE(b->file().isEmpty());
    EXPECT_FALSE(QDir(folder()).exists());
    // Every attempt timed out; the ones after the first were repetitions.
    const AddressStatistics& s = statistics.byAddress().at(251);
    EXPECT_EQ(s.exchanges, 2);  // COMM, then the END_COMM that closes the link
    EXPECT_EQ(s.timeouts, kDefaultRepeats + 1);
    EXPECT_EQ(s.repetitions, kDefaultRepeats);
    EXPECT_EQ(s.answers, 0);
}

TEST_F(SafeProgramming, OnlyARunThatReachedTheEraseLeavesAPartlyProgrammedStation) {
    struct Case {
        const char* fault;
        ProgrammingView::Ending ending;
        bool erased;
    };
    for (const Case& c : {Case{"locked", ProgrammingView::Ending::Refused, false},
                          Case{"no-answer=ERASE_STATION", ProgrammingView::Ending::Failed, true},
                          Case{"no-answer=WRITE_METER", ProgrammingView::Ending::Failed, true},
                          Case{"no-answer=READ_STATUS", ProgrammingView::Ending::Failed, false}}) {
        test::SimLink bus;
        sim::FaultSettings faults;
        ASSERT_TRUE(sim::parseFaultSpec(c.fault, faults)) << c.fault;
        bus.station->addFaults(faults);
        test::RecordingProgrammingView programming;
        StationProgrammer::Options options;
        options.checking = false;
        StationProgrammer programmer(bus.port, bus.context, prompts, programming, options);
        programmer.start();
        bus.run([&] { return programmer.engine(); });
        EXPECT_EQ(programming.ending, c.ending) << c.fault;
        EXPECT_EQ(programmer.eraseSent(), c.erased) << c.fault;
    }
}

TEST_F(SafeProgramming, ChecksumFailuresAndAnswerTimesAreCounted) {
    sim::FaultSettings faults;
    ASSERT_TRUE(sim::parseFaultSpec("corrupt-every=2", faults));
    link.station->addFaults(faults);
    test::RecordingReadView readView;
    StationReader reader(link.port, link.context, prompts, readView);
    reader.start();
    link.run([&] { return reader.engine(); });
    const AddressStatistics& s = statistics.byAddress().at(251);
    EXPECT_GT(s.checksumFailures, 0);
    EXPECT_EQ(s.timeouts, 0);
    EXPECT_EQ(s.repetitions, s.checksumFailures);
    EXPECT_GT(s.answers, 0);
    // Answers verify on a poll: whole poll intervals, at least one.
    EXPECT_EQ(s.answerMs % kPollIntervalMs, 0);
    EXPECT_GE(s.meanAnswerMs(), kPollIntervalMs);
}

TEST(ConfigurationCompare, DifferencesInTheOperatorsTerms) {
    setLanguage(Language::Czech);
    StationImage a;
    a.channel(3).in_use = 1;
    a.channel(3).table_present = 1;
    a.channel(3).table_points = 3;
    a.channel(3).table_y = {0, 100, 200};
    a.channelData(3).name = "TP1";
    a.channelData(3).value_max = 12.4;
    a.channelData(3).sensor_type = "Pt100";
    a.meter.constants[0] = 180.0;
    StationImage b = a;
    // Rounded reals and a sensor type with trailing blanks compare equal.
    b.channelData(3).value_max = 12.0;
    b.channelData(3).sensor_type = std::string("Pt100  \0", 8);
    EXPECT_TRUE(compareConfigurations(a, b, false).empty());

    b.channelData(3).name = "TP2";
    b.channel(3).table_y[2] = 201;
    b.meter.constants[0] = 181.0;
    b.station.net_address = 7;
    const auto d = compareConfigurations(a, b, false);
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d[0].record, txt(kTextMeter));
    EXPECT_EQ(d[0].left, QStringLiteral("180,0000"));
    EXPECT_EQ(d[1], (FieldDifference{QStringLiteral("Kanál 3"),
                                     QStringLiteral("Jméno"),
                                     QStringLiteral("TP1"),
                                     QStringLiteral("TP2"),
                                     {},
                                     {}}));
    EXPECT_EQ(d[2].field, QStringLiteral("Bod tabulky 3"));
    EXPECT_EQ(d[3].record, txt(kTextStation1024));
    EXPECT_EQ(d[3].right, QStringLiteral("7"));

    // A table of another size is one difference, not a point-by-point list.
    StationImage c = a;
    c.channel(3).table_points = 2;
    const auto sized = compareConfigurations(a, c, false);
    ASSERT_EQ(sized.size(), 1u);
    EXPECT_EQ(sized[0].field, txt(kTextTablePoints));
}

// A station compared with the file just read from it, or with its backup, is equal although
// the file keeps some values coarser than the station; a field changed on either side shows.
TEST_F(SafeProgramming, AStationEqualsItsOwnFileAndAChangeOnEitherSideShows) {
    struct CompareRun final : CompareView {
        void compareStatus(const QString&) override {}
        void compareEnded(bool ok) override { ended = ok ? 1 : 0; }
        int ended = -1;
    };
    const auto compare = [this](const StationImage& file) {
        CompareRun run;
        StationCompare c(link.port, link.context, prompts, run);
        c.start(file, link.image, false);
        link.run([&c] { return c.engine(); });
        EXPECT_EQ(run.ended, 1);
        return c.differences();
    };
    const auto backupFile = backup()->file();
    StationImage fromBackup;
    ASSERT_EQ(loadStationFile(backupFile, fromBackup, {}, prompts), StationFileResult::Ok);
    EXPECT_EQ(compare(fromBackup), std::vector<FieldDifference>{});

    // The file changed: one difference.
    StationImage edited = fromBackup;
    edited.channelData(2).name = "PP9";
    const auto fileSide = compare(edited);
    ASSERT_EQ(fileSide.size(), 1u);
    EXPECT_EQ(fileSide[0].right, QStringLiteral("PP9"));

    // The station changed: one difference.
    StationImage renamed = fromBackup;
    renamed.channelData(7).name = "TK2";
    StationProgrammer::Options options;
    options.checking = false;
    test::RecordingProgrammingView programmingView;
    StationProgrammer programmer(link.port, link.context, prompts, programmingView, options);
    link.image = renamed;
    programmer.start();
    link.run([&programmer] { return programmer.engine(); });
    const auto stationSide = compare(fromBackup);
    ASSERT_EQ(stationSide.size(), 1u);
    EXPECT_EQ(stationSide[0].left, QStringLiteral("TK2"));
}

}  // namespace
}  // namespace pelmo
