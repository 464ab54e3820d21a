// pelmo-cli archive and messages against stationsim, both as processes.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "cli_fixture.h"

namespace pelmo {
namespace {

class CliData : public test::CliAgainstSimulator {
protected:
    void startSimulator(const QStringList& args) {
        CliAgainstSimulator::startSimulator(
            QStringList{QStringLiteral("--clock"), QStringLiteral("2025-03-15T10:00:00")} + args);
    }
    QString stationFile(const QString& name) const {
        return QDir(dir.path()).filePath(QStringLiteral("2317.000/") + name);
    }
};

TEST_F(CliData, ArchiveSavesTheRequestedPositionAndReportsItAsJson) {
    startSimulator({});
    ASSERT_EQ(cli("archive --port %1 --position 26 --dir %2 --json --lang en"), 0)
        << err.toStdString();
    const QString file = stationFile(QStringLiteral("Den_-1.dat"));
    EXPECT_TRUE(err.contains(file));
    const QJsonObject doc = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(doc["station"]["serial"].toInt(), 2317);
    const QJsonArray records = doc.value(QStringLiteral("records")).toArray();
    ASSERT_EQ(records.size(), 1);
    const QJsonObject r = records[0].toObject();
    EXPECT_TRUE(r["station_time"].toString().startsWith(QStringLiteral("2025-03-15T10:")));
    EXPECT_EQ(r.value(QStringLiteral("position")).toInt(), 26);
    EXPECT_EQ(r.value(QStringLiteral("file")).toString(), file);
    EXPECT_TRUE(r.value(QStringLiteral("record_time"))
                    .toString()
                    .startsWith(QStringLiteral("2025-03-14T23:59:59")));
    const QJsonArray rows = r.value(QStringLiteral("values")).toArray();
    ASSERT_EQ(rows.size(), 9);
    EXPECT_EQ(rows[0].toObject().value(QStringLiteral("label")).toString(),
              QStringLiteral("Teplo P1 sucha"));
    const QByteArray bytes = read(file);
    EXPECT_TRUE(bytes.startsWith("23:59:59             14/03/25\r\n10:"));
    EXPECT_TRUE(bytes.endsWith("\r\n\x09\x05\x08"));
    // Only what was asked for is written.
    EXPECT_EQ(QDir(QFileInfo(file).absolutePath()).entryList(QDir::Files).size(), 1);
}

// The station answers every END_COMM at once, though nobody waits for it: each session still
// opens with a single COMM (the descriptions' session, which ends without END_COMM, and one
// per position).
TEST_F(CliData, ArchiveAllReadsEveryPositionOnce) {
    startSimulator({});
    ASSERT_EQ(cli("archive --port %1 --all --dir %2 --trace"), 0) << err.toStdString();
    const QStringList written = traced(err);
    EXPECT_EQ(written.filter(QRegularExpression(QStringLiteral("^\\S\\S 81 0A "))).size(), 35);
    EXPECT_EQ(written.filter(QRegularExpression(QStringLiteral("^\\S\\S 40 0E "))).size(), 34);
    const QStringList lines =
        out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).filter(QStringLiteral("2317.000"));
    ASSERT_EQ(lines.size(), 34);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("Aktualn.dat")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("O_03_2023.dat")));
    EXPECT_TRUE(lines[24].endsWith(QStringLiteral("O_02_2025.dat")));
    EXPECT_TRUE(lines[25].endsWith(QStringLiteral("Mezista.dat")));
    EXPECT_TRUE(lines[33].endsWith(QStringLiteral("Den_-8.dat")));
}

TEST_F(CliData, MessagesExportInTheChosenLanguage) {
    startSimulator({});
    ASSERT_EQ(cli("messages --port %1 --out %2/log.dat --lang en"), 0) << err.toStdString();
    const QString file = dir.filePath(QStringLiteral("log.dat"));
    EXPECT_TRUE(out.contains(file));
    const QByteArray bytes = read(file);
    EXPECT_TRUE(bytes.startsWith("   1. ")) << bytes.left(40).toStdString();
    EXPECT_TRUE(bytes.contains("Power ON\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 40);

    ASSERT_EQ(cli("messages --port %1 --dir %2 --lang cs"), 0);
    EXPECT_TRUE(read(stationFile(QStringLiteral("Hlaseni.dat")))
                    .contains("Konec v\xFDpadku nap\xECt\xED\r\n"));
}

TEST_F(CliData, FailuresAndUsage) {
    startSimulator({QStringLiteral("--fault"), QStringLiteral("no-answer=READ_ARCHIVE_DATA")});
    // A good file from before stays as it was when a later read fails.
    const QString file = stationFile(QStringLiteral("Aktualn.dat"));
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile good(file);
    ASSERT_TRUE(good.open(QIODevice::WriteOnly));
    good.write("good");
    good.close();
    EXPECT_EQ(cli("archive --port %1 --position 24 --dir %2"), 1);
    EXPECT_EQ(read(file), QByteArray("good"));
    // A folder that cannot be made (a file is in the way).
    EXPECT_EQ(cli("messages --port %1 --dir %2/2317.000/Aktualn.dat/deeper"), 2);
    for (const char* line :
         {"archive --port %1", "archive --port %1 --all --position 3",
          "archive --port %1 --position 34", "archive --port %1 --position -1",
          "messages --port %1 --out x --dir y", "messages --port /dev/nonexistent"}) {
        EXPECT_EQ(cli(line), 2) << line;
    }
}

}  // namespace
}  // namespace pelmo
