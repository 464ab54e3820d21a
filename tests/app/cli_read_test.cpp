#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "files/station_file.h"

namespace pelmo {
namespace {

// pelmo-cli against stationsim, both as real processes on a pseudo-terminal.
class CliRead : public ::testing::Test {
protected:
    void startSimulator(const QStringList& args) {
        sim.start(QStringLiteral(STATIONSIM_PATH), QStringList{QStringLiteral("--fast")} + args);
        ASSERT_TRUE(sim.waitForStarted(5000));
        const QDeadlineTimer deadline(10000);
        while (!sim.canReadLine() && !deadline.hasExpired()) {
            sim.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
        }
        device = QString::fromLocal8Bit(sim.readLine()).trimmed();
        ASSERT_TRUE(device.startsWith(QStringLiteral("/dev/")));
    }
    void TearDown() override {
        if (sim.state() != QProcess::NotRunning) {
            sim.terminate();
            sim.waitForFinished(5000);
        }
    }
    // Runs pelmo-cli to its end; the process itself has the engine's timing.
    int cli(const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(PELMO_CLI_PATH), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        out = QString::fromLocal8Bit(p.readAllStandardOutput());
        err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    QProcess sim;
    QString device;
    QString out;
    QString err;
    QTemporaryDir dir;
};

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

}  // namespace
}  // namespace pelmo
