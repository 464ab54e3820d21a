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

#include "cli_fixture.h"

namespace pelmo {
namespace {

class BusCli : public test::CliAgainstSimulator {
protected:
    void SetUp() override {
        startSimulator({"--address", "3", "--address", "4", "--fault", "silent", "--address", "5"});
    }
};

TEST_F(BusCli, ScanListsTheAnsweringStationsAndWritesTheMap) {
    ASSERT_EQ(cli("scan --port %1 --from 2 --to 6 --map %2/bus.map"), 0) << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("3\tKotelna Jih\n5\tKotelna Jih\n"));
    EXPECT_EQ(read(QStringLiteral("bus.map")), QByteArray("3    Kotelna\r\n5    Kotelna\r\n"));

    ASSERT_EQ(cli("scan --port %1 --from 5 --to 5 --json"), 0);
    const QJsonArray stations = QJsonDocument::fromJson(out.toUtf8())["stations"].toArray();
    ASSERT_EQ(stations.size(), 1);
    EXPECT_EQ(stations[0]["address"].toInt(), 5);

    // Nobody at 4: nothing found is a station failure.
    EXPECT_EQ(cli("scan --port %1 --from 4 --to 4"), 1);
    EXPECT_EQ(cli("scan --port %1 --from 9 --to 3"), 2);
}

// READ_REGISTERS carries no address: the first station on the line answers, and says so.
TEST_F(BusCli, RegistersRefuseAnAddressAndNameTheStationThatAnswered) {
    for (const char* address : {"3", "5"}) {
        EXPECT_EQ(cli(QStringList{QStringLiteral("registers"), QStringLiteral("--port"), device,
                                  QStringLiteral("--address"), QString::fromLatin1(address)}),
                  2);
        EXPECT_TRUE(err.startsWith(QStringLiteral("registers takes no --address: ")));
        EXPECT_TRUE(err.contains(QStringLiteral("FBh")));
        EXPECT_TRUE(out.isEmpty());
    }
    ASSERT_EQ(cli("registers --port %1 --lang en"), 0) << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Net address:3\n"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Temperature [°C]\t")));
    EXPECT_TRUE(out.contains(QStringLiteral("Condens. mass [t]\t")));
    ASSERT_EQ(cli("registers --port %1 --json --lang en"), 0);
    EXPECT_EQ(QJsonDocument::fromJson(out.toUtf8())["station"]["address"].toInt(), 3);
    EXPECT_TRUE(err.contains(QStringLiteral("Net address:3\n")));
}

TEST_F(BusCli, QueriesPrintTheWindowsValuesWithTheirLabels) {
    ASSERT_EQ(cli("maximum --port %1 --address 5 --lang en"), 0);
    EXPECT_TRUE(out.contains(QStringLiteral("Maximum value: [GJ]\t3,41250\t0,00000\n")));
    EXPECT_TRUE(out.contains(QStringLiteral("\t07:45:00 ")));

    ASSERT_EQ(cli("info --port %1 --address 3 --json"), 0);
    const QJsonObject info = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(info["station"]["serial"].toInt(), 2317);
    EXPECT_EQ(info["station"]["address"].toInt(), 3);
    EXPECT_EQ(info["inputs"].toArray().size(), 8);
    EXPECT_FALSE(info["locked"].toBool());
}

TEST_F(BusCli, ASilentStationAndBadArgumentsAreTold) {
    EXPECT_EQ(cli("maximum --port %1 --address 4 --lang en"), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("Error connectiong to device!")));
    EXPECT_EQ(cli("fly --port %1 --circuit 3 --count 1"), 2);
    EXPECT_EQ(cli("fly --port %1 --circuit 1 --count 251"), 2);
}

}  // namespace
}  // namespace pelmo
