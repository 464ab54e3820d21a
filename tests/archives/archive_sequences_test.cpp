// The archive and message sequences against the in-process simulator.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "archives/archive_logic.h"
#include "archives/archive_transfer.h"
#include "archives/message_transfer.h"
#include "base/decimal_text.h"
#include "base/texts.h"
#include "files/program_settings.h"
#include "operations/station_programmer.h"
#include "operations/station_reader.h"
#include "scripted_prompts.h"
#include "sequence_views.h"
#include "sim_link.h"

namespace pelmo {
namespace {

// 15 March 2025, 10:00: an odd year, so monthly positions map onto archives 13..24.
const std::uint32_t kMarch25 = timeCodeFromCalendar(25, 3, 15, 10, 0, 0);

using Names = std::vector<std::string>;

Names repeat(Names head, const std::string& name, int n, const Names& tail) {
    head.insert(head.end(), static_cast<std::size_t>(n), name);
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

struct RecordingArchiveView final : ArchiveView {
    void archiveStatus(const QString& text) override { statuses.push_back(text); }
    void sourceFile(const QString& name) override { source = name; }
    void descriptionStarting() override { ++descriptions; }
    void sequenceRunning(bool on) override { running = on; }
    void gridChanged() override { ++changes; }
    void recordRead(int position) override { reads.push_back(position); }
    void sequenceEnded(bool ok) override { ended.push_back(ok); }
    void closeRequested() override { ++closes; }
    void trafficLogReset() override { ++logResets; }

    std::vector<QString> statuses;
    QString source = QStringLiteral("-");
    int descriptions = 0;
    bool running = false;
    int changes = 0;
    std::vector<int> reads;
    std::vector<bool> ended;
    int closes = 0;
    int logResets = 0;
};

class ArchiveSequences : public ::testing::Test {
protected:
    void SetUp() override {
        setLanguage(Language::English);
        session.setBaseFolder(dir.path());
    }
    void run() {
        link.run([this] { return session.engine(); });
    }
    void open() {
        session.startDescription();
        run();
        ASSERT_EQ(view.reads, std::vector<int>{kArchivePositionActual});
        link.port.clearWrites();
    }
    void read(int position) {
        session.startData(position);
        run();
    }
    void noAnswer(int request) {
        sim::FaultSettings f;
        f.noAnswer.set(static_cast<std::size_t>(request));
        link.station->addFaults(f);
    }
    std::vector<QString> labels() const {
        std::vector<QString> out;
        for (const ArchiveRow& r : session.grid()) {
            out.push_back(r.label);
        }
        return out;
    }

    QTemporaryDir dir;
    test::SimLink link{kMarch25};
    test::ScriptedPrompts prompts;
    RecordingArchiveView view;
    ArchiveRecordState state;
    ArchiveSession session{link.port, link.context, prompts, view, state};
};

TEST_F(ArchiveSequences, OpeningReadsTheDescriptionsThenTheActualState) {
    session.startDescription();
    run();
    EXPECT_EQ(link.requests(false),
              repeat({"COMM", "READ_CMOS", "READ_STATUS", "READ_METER"}, "READ_ARCHIVE_INFO", 15,
                     {"COMM", "READ_STATUS", "READ_ARCHIVE_DATA", "END_COMM"}));
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(view.descriptions, 1);
    EXPECT_EQ(view.ended, std::vector<bool>{true});
    EXPECT_FALSE(view.running);
    EXPECT_EQ(view.statuses.back(), txt(kTextArchiveTransferCompleted));
    // Variant 4 of the default station: nine quantities, compacted from the top.
    EXPECT_EQ(labels(), (std::vector<QString>{QStringLiteral("Teplo P1 sucha"),
                                              QStringLiteral("Teplo P1 mokra"),
                                              QStringLiteral("Teplo celkem"),
                                              QString::fromUtf8("Množ. P1 sucha"),
                                              QString::fromUtf8("Množ. P1 mokra"),
                                              QString::fromUtf8("Množství celk."),
                                              QStringLiteral("Teplo kond."),
                                              QString::fromUtf8("Množství kond."),
                                              QString::fromUtf8("Čas provozu"),
                                              {},
                                              {},
                                              {},
                                              {},
                                              {},
                                              {}}));
    EXPECT_EQ(link.image.archive_description.units[4], "GJ");
    std::array<float, 15> values{};
    std::uint32_t stamp = 0;
    ASSERT_TRUE(link.station->archiveRecord(0, values, stamp));
    EXPECT_EQ(session.grid()[2].value, formatDecimal(values[4], 5));
    EXPECT_EQ(session.grid()[8].value, formatDecimal(values[14], 5));
    EXPECT_EQ(session.grid()[8].unit, QStringLiteral("h"));
    EXPECT_EQ(session.recordCaption(), 247);
    EXPECT_EQ(session.stationDate(), QStringLiteral("15/03/25"));
    EXPECT_EQ(session.lastReadPosition(), kArchivePositionActual);
}

TEST_F(ArchiveSequences, TheGasVersionHidesWetDryAndCondensateQuantities) {
    session.setGasVersion(true);
    open();
    EXPECT_EQ(labels(), (std::vector<QString>{QStringLiteral("Teplo celkem"),
                                              QString::fromUtf8("Množství celk."),
                                              QString::fromUtf8("Čas provozu"),
                                              {},
                                              {},
                                              {},
                                              {},
                                              {},
                                              {},
                                              {},
                                              {},
                                              {},
                                              {},
                                              {},
                                              {}}));
}

TEST_F(ArchiveSequences, MonthlyAndDailyPositionsRequestTheirArchives) {
    open();
    struct Case {
        int position;
        int number;
        const char* date;
    };
    // The daily record closed at midnight shows the day it closes.
    const Case cases[] = {
        {0, 15, "--/--/--"}, {23, 14, "01/03/25"}, {26, -1, "14/03/25"}, {33, -1, "07/03/25"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        link.port.clearWrites();
        read(c.position);
        EXPECT_EQ(link.requests(false),
                  (Names{"COMM", "READ_STATUS", "READ_ARCHIVE_DATA", "END_COMM"}));
        const auto& request = link.port.writes()[4];  // COMM, ACK, READ_STATUS, ACK, data
        const int expected =
            c.number >= 0 ? c.number : archiveNumberForPosition(c.position, kMarch25);
        EXPECT_EQ(request[4], expected);
        EXPECT_EQ(session.archiveNumber(), expected);
        EXPECT_EQ(session.recordDate(), QString::fromLatin1(c.date));
        EXPECT_EQ(session.recordCaption(), 398);
        EXPECT_EQ(session.lastReadPosition(), c.position);
    }
    EXPECT_EQ(session.recordTime(), QStringLiteral("23:59:59"));
}

TEST_F(ArchiveSequences, ADescriptionStepWithoutAnswerClosesTheWindow) {
    for (int request : {COMM, READ_CMOS, READ_STATUS, READ_METER, READ_ARCHIVE_INFO}) {
        SCOPED_TRACE(request);
        test::SimLink bus{kMarch25};
        test::ScriptedPrompts p;
        RecordingArchiveView v;
        ArchiveRecordState s;
        ArchiveSession a{bus.port, bus.context, p, v, s};
        sim::FaultSettings f;
        f.noAnswer.set(static_cast<std::size_t>(request));
        bus.station->addFaults(f);
        a.startDescription();
        bus.run([&a] { return a.engine(); });
        EXPECT_EQ(v.closes, 1);
        EXPECT_TRUE(v.ended.empty());
        ASSERT_EQ(p.shown.size(), 1u);
        EXPECT_TRUE(p.shownError(txt(kTextErrorConnectiongToDevice)));
        EXPECT_EQ(v.statuses.back(), txt(kTextErrorConnectiongToDevice));
        EXPECT_EQ(bus.requests(false).back(), requestInfo(request).name);
    }
}

TEST_F(ArchiveSequences, ADataStepWithoutAnswerKeepsTheGridAndEndsTheSession) {
    open();
    const ArchiveRows before = session.grid();
    for (int request : {READ_ARCHIVE_DATA, READ_STATUS, COMM}) {
        SCOPED_TRACE(request);
        noAnswer(request);
        prompts.shown.clear();
        read(3);
        EXPECT_EQ(view.ended.back(), false);
        EXPECT_FALSE(view.running);
        EXPECT_EQ(view.closes, 0);
        EXPECT_TRUE(prompts.shownError(txt(kTextErrorConnectiongToDevice)));
        EXPECT_EQ(link.requests(false).back(), "END_COMM");
        EXPECT_EQ(session.grid(), before);
        EXPECT_EQ(session.lastReadPosition(), kArchivePositionActual);
    }
}

TEST_F(ArchiveSequences, AnUndecodableRecordClosesTheWindowWithItsTag) {
    open();
    link.tamper = [this](std::vector<std::uint8_t>& answer) {
        if (session.step() == READ_ARCHIVE_DATA && answer.size() >= 70) {
            answer[4] = 0xF0;  // the stamp would lie far beyond the answer
            test::SimLink::reseal(answer);
        }
    };
    read(26);
    EXPECT_EQ(view.closes, 1);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text,
              txt(kTextGeneralError) + QStringLiteral(" 7.11: Prepare_arch_data"));
    EXPECT_EQ(link.requests(false).back(), "READ_ARCHIVE_DATA");
    EXPECT_FALSE(session.running());
}

TEST_F(ArchiveSequences, ResettingTheIntermediateStateAsksThenClearsAndShowsIt) {
    open();
    read(kArchivePositionPartial);
    ASSERT_TRUE(session.resetAllowed());
    EXPECT_NE(session.grid()[0].value, QStringLiteral("0,00000"));
    link.port.clearWrites();

    prompts.answers = {false};
    EXPECT_FALSE(session.startReset(kArchivePositionPartial));
    EXPECT_TRUE(link.port.writes().empty());

    prompts.answers = {true};
    ASSERT_TRUE(session.startReset(kArchivePositionPartial));
    run();
    EXPECT_EQ(link.requests(false),
              (Names{"COMM", "CLEAR_PARTIAL", "READ_ARCHIVE_DATA", "END_COMM"}));
    EXPECT_EQ(view.logResets, 1);
    EXPECT_EQ(prompts.shown[1].text, txt(kTextResetPartialValues));
    EXPECT_EQ(view.ended.back(), true);
    // Cleared a moment ago: hardly anything has accumulated.
    double cleared = -1.0;
    ASSERT_TRUE(parseDecimal(session.grid()[0].value, cleared));
    EXPECT_LT(cleared, 0.1);
    EXPECT_EQ(session.archiveNumber(), kArchivePartial);

    noAnswer(CLEAR_PARTIAL);
    prompts.answers = {true};
    session.startReset(kArchivePositionPartial);
    run();
    EXPECT_EQ(view.ended.back(), false);
    EXPECT_TRUE(prompts.shownError(txt(kTextErrorConnectiongToDevice)));
}

TEST_F(ArchiveSequences, SavedArchivesLoadBackAndAReadAfterALoadStartsClean) {
    open();
    read(26);
    const QString path = session.save();
    EXPECT_EQ(path, QDir(dir.path()).filePath(QStringLiteral("2317.000/Den_-1.dat")));
    EXPECT_EQ(view.statuses.back(), txt(kTextDataSaved));
    const ArchiveRows saved = session.grid();
    const QString date = session.recordDate();

    read(24);
    ASSERT_TRUE(session.load(path));
    EXPECT_EQ(session.grid(), saved);
    EXPECT_EQ(session.recordDate(), date);
    EXPECT_TRUE(session.loadedFromFile());
    EXPECT_EQ(view.statuses.back(), txt(kTextArchiveLoaded));

    // A file of another station, opened from disk, names itself in panel 1.
    QFile other(dir.filePath(QStringLiteral("other.dat")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write(
        "01:02:03             04/05/06\r\n07:08:09             10/11/12\r\n"
        "Foreign         1.5         kg\r\n");
    other.close();
    prompts.files = {other.fileName()};
    ASSERT_TRUE(session.loadFromDisk());
    EXPECT_EQ(view.source, QStringLiteral("other.dat"));
    EXPECT_EQ(session.grid()[0].label, QStringLiteral("Foreign"));
    EXPECT_EQ(session.grid()[0].value, QStringLiteral("1,5"));
    EXPECT_EQ(session.grid()[1].label, QString());

    // The next read puts the station's descriptions back first.
    read(24);
    EXPECT_EQ(view.source, QString());
    EXPECT_EQ(session.grid()[0].label, QStringLiteral("Teplo P1 sucha"));
    EXPECT_EQ(session.grid()[9].unit, QString());

    // The default file of a position never saved is reported, nothing else changes.
    read(5);
    prompts.shown.clear();
    EXPECT_FALSE(session.load());
    EXPECT_EQ(prompts.shown.at(0).text, txt(kTextArchiveFileNotFound));
    EXPECT_EQ(view.statuses.back(), txt(kTextFileCorrupted));
}

struct RecordingMessageView final : MessageView {
    void messageStatus(const QString& text) override { statuses.push_back(text); }
    void transferRunning(bool on) override { running = on; }
    void tableFilled() override { ++fills; }
    void transferEnded(bool ok) override { ended.push_back(ok); }
    std::vector<QString> statuses;
    bool running = false;
    int fills = 0;
    std::vector<bool> ended;
};

class MessageSequence : public ::testing::Test {
protected:
    void SetUp() override {
        setLanguage(Language::Czech);
        transfer.setBaseFolder(dir.path());
    }
    void run() {
        transfer.start();
        link.run([this] { return transfer.engine(); });
    }
    QTemporaryDir dir;
    test::SimLink link{kMarch25};
    test::ScriptedPrompts prompts;
    RecordingMessageView view;
    ArchiveRecordState state;
    MessageTransfer transfer{link.port, link.context, prompts, view, state};
};

TEST_F(MessageSequence, TheLogIsReadBlockByBlockAndListedInOrder) {
    run();
    EXPECT_EQ(link.requests(false),
              repeat({"COMM", "READ_CMOS", "READ_STATUS"}, "READ_MESSAGES", 5, {"END_COMM"}));
    EXPECT_EQ(view.ended, std::vector<bool>{true});
    EXPECT_FALSE(view.running);
    EXPECT_EQ(state.station_seconds, kMarch25);
    const auto& log = link.station->messages();
    ASSERT_EQ(transfer.bytes().size(), log.size() * 6);
    // The first record has no time stamp and takes no row.
    const MessageTable& table = transfer.table();
    ASSERT_EQ(table.rows.size(), log.size() - 1);
    EXPECT_EQ(table.gridRows, 23 + static_cast<int>(log.size() - 1) - 21);
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
        EXPECT_EQ(table.rows[i][0], QString::number(i + 1) + QLatin1Char('.'));
        EXPECT_EQ(table.rows[i][3], messageText(log[i + 1].type));
    }
    EXPECT_EQ(table.rows.back()[3], txt(kTextPowerON));
    EXPECT_EQ(view.statuses.back(), txt(kTextDataLoaded));

    const QString path = transfer.exportTo();
    EXPECT_EQ(path, QDir(dir.path()).filePath(QStringLiteral("2317.000/Hlaseni.dat")));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_EQ(bytes.count("\r\n"), table.gridRows - 1);
    EXPECT_TRUE(bytes.startsWith(QByteArray("   1. ")));
    EXPECT_EQ(view.statuses.back(), txt(kTextDataSaved));
}

TEST(MessageSequenceFailures, AStepWithoutAnswerEndsTheTransferWithEndComm) {
    setLanguage(Language::Czech);
    for (int request : {COMM, READ_CMOS, READ_STATUS, READ_MESSAGES}) {
        SCOPED_TRACE(request);
        test::SimLink link{kMarch25};
        test::ScriptedPrompts prompts;
        RecordingMessageView view;
        ArchiveRecordState state;
        MessageTransfer transfer{link.port, link.context, prompts, view, state};
        sim::FaultSettings f;
        f.noAnswer.set(static_cast<std::size_t>(request));
        link.station->addFaults(f);
        transfer.start();
        link.run([&] { return transfer.engine(); });
        EXPECT_EQ(view.ended, std::vector<bool>{false});
        EXPECT_TRUE(prompts.shownError(txt(kTextErrorConnectiongToDevice)));
        EXPECT_EQ(view.statuses.back(), txt(kTextErrorConnectiongToDevice));
        const auto sent = link.requests(false);
        ASSERT_GE(sent.size(), 2u);
        EXPECT_EQ(sent[sent.size() - 2], requestInfo(request).name);
        EXPECT_EQ(sent.back(), "END_COMM");
        EXPECT_FALSE(view.running);
    }
}

TEST_F(MessageSequence, ABlockClaimingMoreBytesThanItCarriesIsRefused) {
    link.tamper = [this](std::vector<std::uint8_t>& answer) {
        if (transfer.step() == READ_MESSAGES && answer.size() > 10 && answer[1] != 0x01) {
            answer[2] = static_cast<std::uint8_t>(answer[2] + 1);  // continuation's length
            test::SimLink::reseal(answer);
        }
    };
    run();
    EXPECT_EQ(view.ended, std::vector<bool>{false});
    EXPECT_EQ(prompts.shown.at(0).text,
              txt(kTextGeneralError) + QStringLiteral(" 9.13: Save_Data"));
    // The first block went through, the second ended it; nothing was sent after that.
    EXPECT_EQ(link.requests(false),
              (Names{"COMM", "READ_CMOS", "READ_STATUS", "READ_MESSAGES", "READ_MESSAGES"}));
}

// Records what the sequences tell the program's history.
struct RecordingObserver final : ReadingObserver {
    struct Archive {
        StationCalendar clock;
        QString summary;
        std::vector<ArchiveEntry> rows;
    };
    bool archiveRead(const StationImage&, const StationCalendar& clock, const QString& summary,
                     const std::vector<ArchiveEntry>& rows, Prompts&) override {
        archives.push_back({clock, summary, rows});
        return true;
    }
    bool messageLogRead(const StationImage&, const StationCalendar&,
                        std::span<const std::uint8_t> log, Prompts&) override {
        logs.emplace_back(log.begin(), log.end());
        return true;
    }
    bool monitoringRead(StationImage&, const MonitoringRecording&, bool, Prompts&) override {
        ADD_FAILURE() << "no monitoring was read";
        return true;
    }
    std::vector<Archive> archives;
    std::vector<std::vector<std::uint8_t>> logs;
};

// Over a program context, the sequences keep their files in its folder and state, show its
// version's quantities, and tell its history each record and log read, as the history keeps
// them.
TEST(ProgramHistory, IsToldEveryRecordAndLogTheSequencesRead) {
    setLanguage(Language::English);
    test::SimLink link{kMarch25};
    RecordingObserver history;
    link.program.history = &history;
    link.program.settings.version = 1;
    RecordingArchiveView archiveView;
    ArchiveSession archive(link.port, link.program, archiveView);
    archive.startDescription();
    link.run([&] { return archive.engine(); });
    archive.startData(26);
    link.run([&] { return archive.engine(); });
    EXPECT_EQ(archiveView.ended, (std::vector<bool>{true, true}));
    EXPECT_EQ(&archive.state(), &link.program.archiveRecord);
    ASSERT_EQ(history.archives.size(), 2u);
    const RecordingObserver::Archive& last = history.archives.back();
    EXPECT_EQ(last.rows, archive.readRows());
    ASSERT_FALSE(last.rows.empty());
    EXPECT_EQ(last.rows.front().position, 26);
    EXPECT_EQ(last.clock, link.program.archiveRecord.station);
    EXPECT_EQ(last.summary, QFileInfo(archive.archivePath()).completeBaseName());
    EXPECT_TRUE(archive.archivePath().startsWith(link.program.folder + QLatin1Char('/')));
    // The gas version keeps no wet or dry quantity.
    for (const ArchiveEntry& row : last.rows) {
        EXPECT_FALSE(row.label.contains(QStringLiteral("sucha"))) << row.label.toStdString();
    }

    RecordingMessageView messageView;
    MessageTransfer messages(link.port, link.program, messageView);
    messages.start();
    link.run([&] { return messages.engine(); });
    ASSERT_EQ(history.logs.size(), 1u);
    EXPECT_EQ(history.logs[0], messages.bytes());
    EXPECT_TRUE(messages.defaultExportPath().startsWith(link.program.folder + QLatin1Char('/')));
    EXPECT_TRUE(link.programPrompts.shown.empty());
}

TEST(ProgrammingRun, KeepsTheStationClockOfItsStatusAnswer) {
    QTemporaryDir dir;
    test::SimLink link{kMarch25};
    test::ScriptedPrompts prompts;
    test::RecordingReadView readView;
    StationReader reader(link.port, link.context, prompts, readView);
    reader.start();
    link.run([&] { return reader.engine(); });
    ASSERT_TRUE(readView.completed());

    ArchiveRecordState s;
    test::RecordingProgrammingView view;
    StationProgrammer::Options options;
    options.programDir = dir.path();
    options.recordState = &s;
    StationProgrammer programmer(link.port, link.context, prompts, view, options);
    programmer.start();
    link.run([&] { return programmer.engine(); });
    ASSERT_TRUE(view.finished());
    EXPECT_GE(s.station_seconds, kMarch25);
    EXPECT_LT(s.station_seconds, kMarch25 + 60);
    EXPECT_EQ(timeText(s.station, TimeTextKind::Date), "15/03/25");
}

}  // namespace
}  // namespace pelmo
