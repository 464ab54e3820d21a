#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "cli_fixture.h"

namespace pelmo {
namespace {

// pelmo-cli monitor and export against stationsim, both as real processes.
class CliMonitoring : public test::CliAgainstSimulator {
protected:
    int monitor(const QString& file) {
        return cli({QStringLiteral("monitor"), QStringLiteral("--port"), device,
                    QStringLiteral("--out"), file, QStringLiteral("--lang"), QStringLiteral("en")});
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

TEST_F(CliMonitoring, FetchesSavesTheCompanionAndExports) {
    startSimulator({});
    ASSERT_EQ(monitor(path("rec.mon")), 0) << err.toStdString();
    EXPECT_EQ(out.trimmed(), QStringLiteral("rec.mon"));
    EXPECT_TRUE(err.contains(QStringLiteral("Starting data transfer...")));
    EXPECT_TRUE(err.contains(QStringLiteral("Retrieving station data...")));
    EXPECT_EQ(QFileInfo(path("rec.mon")).size(), 128 + 8 + 618 + 618 + 318 + 138 + 318);
    EXPECT_TRUE(QFileInfo::exists(path("rec.con")));

    ASSERT_EQ(cli({QStringLiteral("export"), path("rec.mon"), QStringLiteral("--out"),
                   path("rec.txt"), QStringLiteral("--no-date"), QStringLiteral("--tab")}),
              0)
        << err.toStdString();
    QFile text(path("rec.txt"));
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = text.readAll().split('\n');
    ASSERT_GT(lines.size(), 4);
    EXPECT_EQ(lines[3].size(), 90 + 1);  // cells, tabs and CR

    ASSERT_EQ(cli({QStringLiteral("export"), path("rec.mon"), QStringLiteral("--out"),
                   path("rec.csv"), QStringLiteral("--csv")}),
              0);
    QFile csv(path("rec.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_TRUE(csv.readLine().startsWith("time,TP1 ["));
}

TEST_F(CliMonitoring, FailuresAndUsage) {
    startSimulator({QStringLiteral("--fault"), QStringLiteral("short-buffer=always:2")});
    EXPECT_EQ(monitor(path("short.mon")), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("Error connectiong to device!")));
    EXPECT_FALSE(QFileInfo::exists(path("short.mon")));

    QFile lone(path("lone.mon"));
    ASSERT_TRUE(lone.open(QIODevice::WriteOnly));
    lone.write(QByteArray(136, '\0'));
    lone.close();
    const QStringList target = {QStringLiteral("--out"), path("lone.txt")};
    EXPECT_EQ(cli(QStringList{QStringLiteral("export"), path("lone.mon")} + target), 2);
    EXPECT_TRUE(QFileInfo::exists(path("lone.mon")));
    EXPECT_FALSE(QFileInfo::exists(path("lone.txt")));
    QFile::copy(path("lone.mon"), path("lone.con"));  // not a station file
    EXPECT_EQ(cli(QStringList{QStringLiteral("export"), path("lone.mon")} + target), 2);
    EXPECT_EQ(cli(QStringList{QStringLiteral("export")} + target), 2);
    EXPECT_EQ(cli(QStringList{QStringLiteral("export"), path("lone.mon"), QStringLiteral("--date"),
                              QStringLiteral("--no-date")} +
                  target),
              2);
    EXPECT_EQ(cli({QStringLiteral("monitor"), QStringLiteral("--port"), device}), 2);
}

}  // namespace
}  // namespace pelmo
