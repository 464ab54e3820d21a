#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

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
    // The trace's lines carry the milliseconds since the start, in a fixed width.
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^\\[ {0,5}\\d{1,6}\\] > 01 81 0A 00 00 00 FB 00 87 "
                                          "71\n\\[ {0,5}\\d{1,6}\\] < 06 01"))
            .match(err)
            .hasMatch())
        << err.left(80).toStdString();
    EXPECT_TRUE(traced(err).filter(QRegularExpression(QStringLiteral("^01 40 0E 4F 4F"))).size() >=
                1);
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
    // An output folder that cannot be made is a file error.
    QFile plain(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), device,
                   QStringLiteral("--address"), QStringLiteral("7"), QStringLiteral("--out"),
                   dir.filePath(QStringLiteral("plain/folder/x.sta"))}),
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

// One rule for every command that writes: a missing folder is made, one that cannot be made
// is refused with its path before anything goes to the station.
TEST_F(CliRead, OutputFoldersAreMadeOrRefusedBeforeTheStationIsAsked) {
    startSimulator({});
    const QString file = dir.filePath(QStringLiteral("station.sta"));
    ASSERT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), device,
                   QStringLiteral("--out"), file}),
              0);
    QFile plain(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    struct Case {
        const char* line;    // %1 device, %3 station file, %N the output folder
        const char* folder;  // the folder under test, made by the command
    };
    const Case cases[] = {
        {"read --port %1 --out %N/x.sta", "read"},
        {"program --port %1 --in %3 --no-check --dir %N", "program"},
        {"archive --port %1 --position 24 --dir %N", "archive"},
        {"messages --port %1 --out %N/h.dat", "messages-out"},
        {"messages --port %1 --dir %N", "messages-dir"},
        {"monitor --port %1 --out %N/r.mon", "monitor"},
        {"scan --port %1 --from 251 --to 251 --map %N/a.map", "scan"},
        {"live --port %1 --seconds 3 --csv %N/l.csv", "live"},
        {"collect --port %1 --from 251 --to 251 --out %N", "collect"},
        {"export %2/new/monitor/r.mon --out %N/e.txt", "export"},
    };
    for (const Case& c : cases) {
        for (const char* parent : {"new", "plain"}) {
            const QString folder = dir.filePath(QStringLiteral("%1/%2").arg(
                QString::fromLatin1(parent), QString::fromLatin1(c.folder)));
            QStringList words = QString::fromLatin1(c.line).split(QLatin1Char(' '));
            for (QString& w : words) {
                w.replace(QStringLiteral("%1"), device)
                    .replace(QStringLiteral("%2"), dir.path())
                    .replace(QStringLiteral("%3"), file)
                    .replace(QStringLiteral("%N"), folder);
            }
            if (words.contains(QStringLiteral("--port"))) {
                words << QStringLiteral("--trace") << QStringLiteral("--lang")
                      << QStringLiteral("en");
            }
            const int rc = cli(words);
            if (QLatin1String(parent) == QLatin1String("new")) {
                EXPECT_EQ(rc, 0) << c.line << "\n" << err.toStdString();
                EXPECT_TRUE(QFileInfo(folder).isDir()) << c.line;
            } else {
                EXPECT_EQ(rc, 2) << c.line;
                // export has no --lang: the path is what both languages name.
                EXPECT_TRUE(err.contains(folder + QLatin1Char(' '))) << c.line << "\n"
                                                                     << err.toStdString();
                EXPECT_TRUE(traced(err).isEmpty()) << c.line << " asked the station first";
                EXPECT_FALSE(out.contains(QStringLiteral("Program without a backup?")));
            }
        }
    }
}

// The small ones: the message document's station time, the connection error printed once,
// the decimal separator of --stats by language.
TEST_F(CliRead, DocumentsErrorsAndFiguresAreAsTheReadmeSays) {
    startSimulator({QStringLiteral("--address"), QStringLiteral("7")});
    ASSERT_EQ(cli("messages --port %1 --address 7 --dir %2 --json"), 0) << err.toStdString();
    const QJsonObject doc = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d$"))
                    .match(doc[QStringLiteral("station_time")].toString())
                    .hasMatch())
        << doc[QStringLiteral("station_time")].toString().toStdString();

    // Nobody at 251: every station command says so once, on standard error.
    for (const char* line : {"read --port %1 --out %2/none.sta", "info --port %1",
                             "info --port %1 --json", "fly --port %1 --circuit 1 --count 1",
                             "fly --port %1 --circuit 1 --count 1 --json", "maximum --port %1"}) {
        EXPECT_EQ(cli(QString::fromLatin1(line)
                          .replace(QStringLiteral("%1"), device)
                          .replace(QStringLiteral("%2"), dir.path())
                          .split(QLatin1Char(' ')) +
                      QStringList{QStringLiteral("--address"), QStringLiteral("251"),
                                  QStringLiteral("--lang"), QStringLiteral("en")}),
                  1)
            << line;
        EXPECT_EQ((out + err).count(QStringLiteral("Error connectiong to device!")), 1)
            << line << "\n"
            << out.toStdString() << err.toStdString();
    }

    for (const auto& [lang, separator] : {std::pair{"en", '.'}, std::pair{"cs", ','}}) {
        ASSERT_EQ(cli(QStringList{QStringLiteral("info"), QStringLiteral("--port"), device,
                                  QStringLiteral("--address"), QStringLiteral("7"),
                                  QStringLiteral("--stats"), QStringLiteral("--lang"),
                                  QString::fromLatin1(lang)}),
                  0);
        const QString row = err.section(QLatin1Char('\n'), 1, 1);
        const QString mean = row.section(QLatin1Char('\t'), 5, 5);
        EXPECT_TRUE(row.startsWith(QStringLiteral("7\t"))) << row.toStdString();
        EXPECT_EQ(mean.count(QLatin1Char(separator)), 1) << lang << ": " << row.toStdString();
    }
}

}  // namespace
}  // namespace pelmo
