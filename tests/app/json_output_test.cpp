// Every --json document of pelmo-cli, run against stationsim, checked against its schema under
// docs/schemas.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli_fixture.h"
#include "json_schema.h"

namespace pelmo {
namespace {

class JsonOutput : public test::CliAgainstSimulator {
protected:
    void SetUp() override {
        // A summer station clock read in a zone with daylight saving: the offset is the
        // moment's, not today's.
        environment.insert(QStringLiteral("TZ"), QStringLiteral("Europe/Prague"));
        environment.insert(QStringLiteral("PELMO_HISTORY_DB"),
                           dir.filePath(QStringLiteral("history.sqlite")));
        startSimulator({QStringLiteral("--clock"), QStringLiteral("2026-07-15T10:00:00")});
    }
    // The document of a command line (see cli(const char*)), with --json added.
    QJsonObject document(const char* line, int rc = 0) {
        EXPECT_EQ(cli(QString::fromLatin1(line)
                          .replace(QStringLiteral("%1"), device)
                          .replace(QStringLiteral("%2"), dir.path())
                          .split(QLatin1Char(' ')) +
                      QStringList{QStringLiteral("--json")}),
                  rc)
            << line << "\n"
            << err.toStdString();
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(out.toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line << "\n" << out.toStdString();
        return doc.object();
    }
    test::JsonSchemas schemas{QStringLiteral(PELMO_SCHEMA_DIR)};
};

TEST_F(JsonOutput, EveryCommandsDocumentFitsItsSchema) {
    ASSERT_EQ(cli("read --port %1 --out %2/s.sta"), 0);
    QFile::copy(dir.filePath(QStringLiteral("s.sta")), dir.filePath(QStringLiteral("t.sta")));
    QFile edited(dir.filePath(QStringLiteral("t.sta")));
    ASSERT_TRUE(edited.open(QIODevice::ReadWrite));
    edited.write("Vymenik             ");
    edited.close();

    const struct {
        const char* line;
        const char* schema;
        int rc;
    } cases[] = {
        {"archive --port %1 --position 24 --dir %2 --lang cs", "archive.json", 0},
        {"archive --port %1 --position 26 --dir %2 --lang en", "archive.json", 0},
        {"messages --port %1 --dir %2 --lang en", "messages.json", 0},
        {"registers --port %1 --lang cs", "registers.json", 0},
        {"maximum --port %1 --lang en", "maximum.json", 0},
        {"info --port %1 --lang cs", "hardware.json", 0},
        {"fly --port %1 --circuit 2 --count 1 --lang en", "fly.json", 0},
        {"diff --port %1 --in %2/s.sta --lang cs", "diff.json", 0},
        {"diff --in %2/s.sta --in %2/t.sta --lang en", "diff.json", 3},
        {"scan --port %1 --from 250 --to 251 --lang en", "scan.json", 0},
        {"collect --port %1 --from 251 --to 251 --archives actual --messages --monitoring "
         "--out %2/c --lang cs",
         "collect.json", 0},
        {"history --lang cs", "history.json", 0},
        {"steam density 1 200", "steam.json", 0},
        {"steam saturation-temperature 1 --min 0.1 --max 1.6", "steam.json", 0},
        {"steam saturation-pressure 1e300", "steam.json", 1},
    };
    QHash<QString, QJsonObject> documents;
    for (const auto& c : cases) {
        const QJsonObject doc = document(c.line, c.rc);
        const QStringList faults = schemas.check(doc, QString::fromLatin1(c.schema));
        EXPECT_TRUE(faults.isEmpty()) << c.line << "\n" << faults.join('\n').toStdString();
        documents.insert(QString::fromLatin1(c.line).section(QLatin1Char(' '), 0, 0), doc);
    }

    // What the schema cannot say: the station's moment with its own offset, an empty time as
    // null, a single as the station meant it, the diff keyed in English.
    const QJsonObject record = documents["archive"]["records"][0].toObject();
    EXPECT_TRUE(record["station_time"].toString().startsWith(QStringLiteral("2026-07-15T10:")));
    EXPECT_TRUE(record["station_time"].toString().endsWith(QStringLiteral("+02:00")));
    EXPECT_EQ(record["record_time"], QJsonValue(QStringLiteral("2026-07-14T23:59:59+02:00")));
    const QJsonArray circuits = documents["maximum"]["circuits"].toArray();
    EXPECT_EQ(circuits[0]["maximum_time"], QJsonValue(QStringLiteral("2026-07-14T07:45:00+02:00")));
    EXPECT_TRUE(circuits[1]["maximum_time"].isNull());
    EXPECT_EQ(circuits[0]["maximum"]["value"].toDouble(), 3.4125);
    const QJsonArray differences = documents["diff"]["differences"].toArray();
    ASSERT_EQ(differences.size(), 1);
    EXPECT_EQ(differences[0]["record"], QJsonValue(QStringLiteral("station")));
    EXPECT_EQ(differences[0]["field"], QJsonValue(QStringLiteral("head")));
    EXPECT_EQ(differences[0]["right"], QJsonValue(QStringLiteral("Vymenik")));

    // The history gives back what collect read last, in the same shape; only the file and the
    // moment of storing are the command's own.
    const QJsonArray collected = documents["collect"]["stations"][0]["readings"].toArray();
    const QJsonArray stored = documents["history"]["readings"].toArray();
    ASSERT_EQ(collected.size(), 3);
    for (const QJsonValue& reading : collected) {
        QJsonObject fromCollect = reading.toObject();
        QJsonObject fromHistory;
        for (const QJsonValue& r : stored) {
            if (fromHistory.isEmpty() && r["schema"] == fromCollect["schema"]) {
                fromHistory = r.toObject();
            }
        }
        for (const char* own : {"file", "read_at", "summary"}) {
            fromCollect.remove(QLatin1String(own));
            fromHistory.remove(QLatin1String(own));
        }
        EXPECT_EQ(fromHistory, fromCollect) << fromCollect["schema"].toString().toStdString();
    }
}

}  // namespace
}  // namespace pelmo
