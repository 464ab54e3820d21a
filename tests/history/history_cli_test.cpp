// pelmo-cli collect and history against stationsim, both as processes, and what the history
// keeps of a recording.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "base/console_prompts.h"
#include "cli_fixture.h"
#include "files/monitoring_file.h"
#include "files/station_file.h"
#include "history/history_database.h"
#include "monitoring/monitoring_pair.h"

namespace pelmo {
namespace {

class HistoryCli : public test::CliAgainstSimulator {
protected:
    void SetUp() override { useHistory(dbPath()); }
    void useHistory(const QString& path) {
        environment.insert(QStringLiteral("PELMO_HISTORY_DB"), path);
    }
    QString dbPath() const { return dir.filePath(QStringLiteral("history.sqlite")); }
};

// Three stations; the one at 7 answers the scan but never its meter block, so its archive
// and its monitoring (whose configuration read needs the block) fail, are tried again at the
// end, and fail again; its messages are read.
TEST_F(HistoryCli, CollectSweepsTheBusStoresEveryReadingAndRetriesTheFailedStation) {
    startSimulator({"--address", "3", "--serial", "1003", "--address", "5", "--serial", "1005",
                    "--address", "7", "--serial", "1007", "--fault", "no-answer=READ_METER"});
    ASSERT_EQ(cli("collect --port %1 --from 1 --to 9 --archives actual --messages --monitoring "
                  "--out %2/out --lang en"),
              1)
        << err.toStdString();
    EXPECT_TRUE(
        out.contains(QStringLiteral("Address\tSerial number\tName\tRead\tFailed\n"
                                    "3\t1003\tKotelna Jih\tarchive,messages,monitoring\t-\n"
                                    "5\t1005\tKotelna Jih\tarchive,messages,monitoring\t-\n"
                                    "7\t1007\tKotelna Jih\tmessages\tarchive,monitoring\n")))
        << out.toStdString();
    EXPECT_EQ(out.count(QStringLiteral("7 Kotelna Jih: archive")), 2) << "retried once";
    EXPECT_EQ(out.count(QStringLiteral("7 Kotelna Jih: monitoring")), 2);
    EXPECT_EQ(out.count(QStringLiteral("7 Kotelna Jih: messages")), 1) << "only what failed";
    EXPECT_EQ(out.count(QStringLiteral("3 Kotelna Jih: archive")), 1);
    for (const char* serial : {"1003", "1005"}) {
        for (const char* name :
             {"Aktualn.dat", "Hlaseni.dat", "Monitoring.mon", "Monitoring.con"}) {
            EXPECT_FALSE(read(QStringLiteral("out/%1.000/%2").arg(serial, name)).isEmpty())
                << serial << name;
        }
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("out/1007.000/Aktualn.dat"))));

    HistoryDatabase db(dbPath());
    ASSERT_TRUE(db.open());
    EXPECT_EQ(db.readings({1003, ReadingKind::Archive, {}}).size(), 1u);
    EXPECT_EQ(db.readings({1007, ReadingKind::Archive, {}}).size(), 0u);
    EXPECT_EQ(db.readings({0, ReadingKind::Messages, {}}).size(), 3u);
    const auto recordings = db.readings({1005, ReadingKind::Monitoring, {}});
    ASSERT_EQ(recordings.size(), 1u);
    EXPECT_EQ(recordings[0].station.address, 5);
    EXPECT_EQ(recordings[0].station.name, QStringLiteral("Kotelna Jih"));
    const auto stored = db.monitoring(recordings[0].id);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->mon, read(QStringLiteral("out/1005.000/Monitoring.mon")));
    EXPECT_EQ(stored->con, read(QStringLiteral("out/1005.000/Monitoring.con")));
    const auto archive = db.readings({1003, ReadingKind::Archive, {}});
    EXPECT_EQ(db.archiveRows(archive[0].id).size(), 9u);

    // Reopened from the history and saved again, the recording is the same bytes.
    ConsolePrompts prompts;
    StationImage image;
    MonitoringRecording recording;
    ASSERT_EQ(decodeMonitoringPair(stored->mon, stored->con, image, recording, 0, prompts),
              PairResult::Ok);
    const QString again = dir.filePath(QStringLiteral("again.mon"));
    ASSERT_EQ(saveMonitoringPair(again, image, recording, 0, prompts), PairResult::Ok);
    EXPECT_EQ(read(QStringLiteral("again.mon")), stored->mon);
    EXPECT_EQ(read(QStringLiteral("again.con")), stored->con);

    ASSERT_EQ(cli("history --station 1007 --lang en"), 0);
    EXPECT_EQ(out.count(QLatin1Char('\n')), 1) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("\t1007\tKotelna Jih\tmessages\t")));
    ASSERT_EQ(cli("history --kind archive --since 2000-01-01 --csv"), 0);
    EXPECT_EQ(out.count(QStringLiteral(",archive,")), 2 * 9) << out.toStdString();
}

TEST_F(HistoryCli, AHistoryThatCannotBeWrittenNeverCostsTheFiles) {
    startSimulator({});
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    useHistory(dir.filePath(QStringLiteral("blocker/history.sqlite")));
    ASSERT_EQ(cli("archive --port %1 --position 24 --dir %2 --lang en"), 0) << err.toStdString();
    EXPECT_FALSE(read(QStringLiteral("2317.000/Aktualn.dat")).isEmpty());
    EXPECT_TRUE(err.contains(QStringLiteral("The reading could not be stored in the history")))
        << err.toStdString();
}

TEST_F(HistoryCli, RefusesBadArgumentsAndUnusablePortsWithTwo) {
    device = QStringLiteral("/dev/null-not-a-port");
    for (const char* line :
         {"collect --port %1 --archives some", "collect --port %1 --from 9 --to 3",
          "collect --port %1 --to 252", "collect --port %1", "collect --archives all",
          "history --kind archives", "history --since yesterday", "history --station 0",
          "history --station 65536"}) {
        EXPECT_EQ(cli(line), 2) << line;
    }
}

}  // namespace
}  // namespace pelmo
