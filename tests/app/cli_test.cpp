#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "cli_fixture.h"
#include "files/station_file.h"

namespace pelmo {
namespace {

using CliRead = test::CliAgainstSimulator;

TEST_F(CliRead, ReadsTheStationAndSavesItsDefinition) {
    startSimulator({});
    const QString file = dir.filePath(QStringLiteral("station.sta"));
    ASSERT_EQ(
        cli({QStringLiteral("read"), QStringLiteral("--port"), device, QStringLiteral("--address"),
             QStringLiteral("251"), QStringLiteral("--out"), file, QStringLiteral("--lang"),
             QStringLiteral("en"), QStringLiteral("--trace")}),
        0)
        << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Initializing connection...")));
    EXPECT_TRUE(out.contains(QStringLiteral("Data loaded")));
    EXPECT_TRUE(err.startsWith(QStringLiteral("> 01 81 0A 00 00 00 FB 00 87 71\n< 06 01")))
        << err.left(80).toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("> 01 40 0E 4F 4F")));
    EXPECT_EQ(QFileInfo(file).size(), kStationFileSize);
}

TEST_F(CliRead, FailuresAndUsage) {
    startSimulator({QStringLiteral("--address"), QStringLiteral("7")});
    const QString file = dir.filePath(QStringLiteral("none.sta"));
    // Nobody answers at 251 on this bus.
    EXPECT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), device,
                   QStringLiteral("--address"), QStringLiteral("251"), QStringLiteral("--out"),
                   file, QStringLiteral("--lang"), QStringLiteral("cs")}),
              1);
    EXPECT_TRUE(err.contains(QString::fromUtf8("Spojení se stanicí nelze navázat!")));
    EXPECT_FALSE(QFileInfo::exists(file));

    EXPECT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), device}), 2);
    EXPECT_EQ(cli({QStringLiteral("read"), QStringLiteral("--bogus")}), 2);
    EXPECT_EQ(cli({QStringLiteral("frobnicate")}), 2);
    EXPECT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"),
                   QStringLiteral("/dev/nonexistent"), QStringLiteral("--out"), file}),
              2);
    // An unwritable output file is a file error.
    EXPECT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), device,
                   QStringLiteral("--address"), QStringLiteral("7"), QStringLiteral("--out"),
                   dir.filePath(QStringLiteral("no/such/folder/x.sta"))}),
              2);
}

QStringList common(const QString& device) {
    return {QStringLiteral("--port"),    device,
            QStringLiteral("--address"), QStringLiteral("251"),
            QStringLiteral("--lang"),    QStringLiteral("en")};
}

TEST_F(CliRead, AStationSavedFromOneSimulatorProgramsIntoAnotherAndReadsBackTheSame) {
    startSimulator({});
    QProcess target;
    const QString targetDevice = test::startAndReadDevice(target, QStringLiteral(STATIONSIM_PATH),
                                                          {QStringLiteral("--fast")});
    ASSERT_TRUE(targetDevice.startsWith(QStringLiteral("/dev/")));
    const QString source = dir.filePath(QStringLiteral("source.sta"));
    ASSERT_EQ(
        cli(QStringList{QStringLiteral("read"), QStringLiteral("--out"), source} + common(device)),
        0);
    // Edit the file's station name (record 1) so that the target really changes.
    QFile f(source);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.write("Vymenik             ");
    f.close();

    ASSERT_EQ(cli(QStringList{QStringLiteral("program"), QStringLiteral("--in"), source,
                              QStringLiteral("--dir"), dir.path()} +
                  common(targetDevice)),
              0)
        << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("System programming finished")));
    EXPECT_TRUE(out.contains(QStringLiteral("Checking ch.8...OK")));
    // The target's configuration was saved before the erase, and it differs from the file
    // by the name only.
    const QStringList backups = QDir(dir.filePath(QStringLiteral("2317.000")))
                                    .entryList({QStringLiteral("backup-2317-*.sta")});
    ASSERT_EQ(backups.size(), 1);
    const QString backup = dir.filePath(QStringLiteral("2317.000/") + backups.front());
    EXPECT_EQ(cli({QStringLiteral("diff"), QStringLiteral("--in"), backup, QStringLiteral("--in"),
                   source, QStringLiteral("--lang"), QStringLiteral("en")}),
              3);
    EXPECT_EQ(out, QStringLiteral("Station\tHead\tKotelna Jih\tVymenik\nDifferences: 1\n"));

    // The station now equals its file; --stats reports the bus.
    EXPECT_EQ(cli(QStringList{QStringLiteral("diff"), QStringLiteral("--in"), source,
                              QStringLiteral("--json"), QStringLiteral("--stats")} +
                  common(targetDevice)),
              0);
    EXPECT_TRUE(out.contains(QStringLiteral("\"equal\": true")));
    EXPECT_TRUE(err.contains(QStringLiteral("Address\tExchanges\tRepetitions\tTime-outs")));
    EXPECT_TRUE(err.contains(QStringLiteral("\n251\t")));

    const QString back = dir.filePath(QStringLiteral("back.sta"));
    ASSERT_EQ(cli(QStringList{QStringLiteral("read"), QStringLiteral("--out"), back} +
                  common(targetDevice)),
              0);
    EXPECT_EQ(read(source), read(back));
    test::terminate(target);
}

TEST_F(CliRead, LockingNeedsYesAndLockedStationsRefuseProgramming) {
    startSimulator({});
    const QString file = dir.filePath(QStringLiteral("station.sta"));
    ASSERT_EQ(
        cli(QStringList{QStringLiteral("read"), QStringLiteral("--out"), file} + common(device)),
        0);
    EXPECT_EQ(cli(QStringList{QStringLiteral("lock")} + common(device)), 2);
    // Nothing was sent: the station still takes a program without checking.
    EXPECT_EQ(cli(QStringList{QStringLiteral("program"), QStringLiteral("--in"), file,
                              QStringLiteral("--no-check"), QStringLiteral("--no-backup")} +
                  common(device)),
              0);
    EXPECT_FALSE(out.contains(QStringLiteral("Checking ch.")));

    EXPECT_EQ(cli(QStringList{QStringLiteral("lock"), QStringLiteral("--yes")} + common(device)), 0)
        << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Unit locked")));
    EXPECT_EQ(cli(QStringList{QStringLiteral("program"), QStringLiteral("--in"), file,
                              QStringLiteral("--no-backup")} +
                  common(device)),
              1);
    EXPECT_TRUE(err.contains(QStringLiteral("Station is locked and cannot be programmed!")));
    EXPECT_FALSE(out.contains(QStringLiteral("Erasing")));
    EXPECT_EQ(cli(QStringList{QStringLiteral("program"), QStringLiteral("--in"),
                              dir.filePath(QStringLiteral("missing.sta"))} +
                  common(device)),
              2);
}

TEST_F(CliRead, AFailureAfterTheEraseNamesTheBackupAndHowToProgramItBack) {
    startSimulator({QStringLiteral("--fault"), QStringLiteral("no-answer=WRITE_METER")});
    const QString file = dir.filePath(QStringLiteral("station.sta"));
    ASSERT_EQ(
        cli(QStringList{QStringLiteral("read"), QStringLiteral("--out"), file} + common(device)),
        0);
    EXPECT_EQ(cli(QStringList{QStringLiteral("program"), QStringLiteral("--in"), file,
                              QStringLiteral("--no-check"), QStringLiteral("--dir"), dir.path()} +
                  common(device)),
              1);
    const QStringList backups =
        QDir(dir.filePath(QStringLiteral("2317.000"))).entryList({QStringLiteral("*.sta")});
    ASSERT_EQ(backups.size(), 1);
    const QString backup = dir.filePath(QStringLiteral("2317.000/") + backups.front());
    EXPECT_TRUE(err.contains(QStringLiteral("previous configuration is saved in ") + backup));
    EXPECT_TRUE(err.contains(QStringLiteral("pelmo-cli program --port ") + device +
                             QStringLiteral(" --address 251 --in ") + backup +
                             QStringLiteral(" --no-backup")));
}

}  // namespace
}  // namespace pelmo
