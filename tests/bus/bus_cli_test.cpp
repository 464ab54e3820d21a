// pelmo-cli's bus and query commands against stationsim with several stations, both as
// real processes on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "processes.h"

namespace pelmo {
namespace {

class BusCli : public ::testing::Test {
protected:
    void SetUp() override {
        device = test::startAndReadDevice(
            sim, QStringLiteral(STATIONSIM_PATH),
            {QStringLiteral("--fast"), QStringLiteral("--address"), QStringLiteral("3"),
             QStringLiteral("--address"), QStringLiteral("4"), QStringLiteral("--fault"),
             QStringLiteral("silent"), QStringLiteral("--address"), QStringLiteral("5")});
        ASSERT_TRUE(device.startsWith(QStringLiteral("/dev/")));
    }
    void TearDown() override {
        sim.terminate();
        sim.waitForFinished(5000);
    }
    int cli(QStringList args) {
        args.insert(1, QStringLiteral("--port"));
        args.insert(2, device);
        QProcess p;
        p.start(QStringLiteral(PELMO_CLI_PATH), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        out = QString::fromUtf8(p.readAllStandardOutput());
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    QProcess sim;
    QString device;
    QString out;
    QString err;
};

TEST_F(BusCli, ScanListsTheAnsweringStationsAndWritesTheMap) {
    QTemporaryDir dir;
    const QString map = dir.filePath(QStringLiteral("bus.map"));
    ASSERT_EQ(cli({QStringLiteral("scan"), QStringLiteral("--from"), QStringLiteral("2"),
                   QStringLiteral("--to"), QStringLiteral("6"), QStringLiteral("--map"), map}),
              0)
        << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("3\tKotelna Jih\n5\tKotelna Jih\n"));
    QFile file(map);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("3    Kotelna\r\n5    Kotelna\r\n"));

    ASSERT_EQ(cli({QStringLiteral("scan"), QStringLiteral("--from"), QStringLiteral("5"),
                   QStringLiteral("--to"), QStringLiteral("5"), QStringLiteral("--json")}),
              0);
    const QJsonArray stations = QJsonDocument::fromJson(out.toUtf8())["stations"].toArray();
    ASSERT_EQ(stations.size(), 1);
    EXPECT_EQ(stations[0]["address"].toInt(), 5);

    // Nobody at 4: nothing found is a station failure.
    EXPECT_EQ(cli({QStringLiteral("scan"), QStringLiteral("--from"), QStringLiteral("4"),
                   QStringLiteral("--to"), QStringLiteral("4")}),
              1);
    EXPECT_EQ(cli({QStringLiteral("scan"), QStringLiteral("--from"), QStringLiteral("9"),
                   QStringLiteral("--to"), QStringLiteral("3")}),
              2);
}

TEST_F(BusCli, QueriesPrintTheWindowsValuesWithTheirLabels) {
    ASSERT_EQ(cli({QStringLiteral("registers"), QStringLiteral("--address"), QStringLiteral("5"),
                   QStringLiteral("--lang"), QStringLiteral("en")}),
              0)
        << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Net address:3\n"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Temperature [°C]\t")));
    EXPECT_TRUE(out.contains(QStringLiteral("Condens. mass [t]\t")));

    ASSERT_EQ(cli({QStringLiteral("maximum"), QStringLiteral("--address"), QStringLiteral("5"),
                   QStringLiteral("--lang"), QStringLiteral("en")}),
              0);
    EXPECT_TRUE(out.contains(QStringLiteral("Maximum value: [GJ]\t3,41250\t0,00000\n")));
    EXPECT_TRUE(out.contains(QStringLiteral("\t07:45:00 ")));

    ASSERT_EQ(cli({QStringLiteral("info"), QStringLiteral("--address"), QStringLiteral("3"),
                   QStringLiteral("--json")}),
              0);
    const QJsonObject info = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(info["serial_number"].toInt(), 2317);
    EXPECT_EQ(info["address"].toInt(), 3);
    EXPECT_EQ(info["inputs"].toArray().size(), 8);
    EXPECT_FALSE(info["locked"].toBool());
}

TEST_F(BusCli, ASilentStationAndBadArgumentsAreTold) {
    EXPECT_EQ(cli({QStringLiteral("maximum"), QStringLiteral("--address"), QStringLiteral("4"),
                   QStringLiteral("--lang"), QStringLiteral("en")}),
              1);
    EXPECT_TRUE(err.contains(QStringLiteral("Error connectiong to device!")));
    EXPECT_EQ(cli({QStringLiteral("fly"), QStringLiteral("--circuit"), QStringLiteral("3"),
                   QStringLiteral("--count"), QStringLiteral("1")}),
              2);
    EXPECT_EQ(cli({QStringLiteral("fly"), QStringLiteral("--circuit"), QStringLiteral("1"),
                   QStringLiteral("--count"), QStringLiteral("251")}),
              2);
}

}  // namespace
}  // namespace pelmo
