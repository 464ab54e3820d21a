#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <QProcess>

namespace pelmo {
namespace {

struct CliRun {
    int rc = -1;
    QString out;
    QString err;
};

CliRun steam(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(PELMO_CLI_PATH), QStringList{QStringLiteral("steam")} + args);
    CliRun r;
    EXPECT_TRUE(p.waitForFinished(30000));
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    r.rc = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

TEST(SteamCli, PrintsTheFiguresWithNineDigits) {
    const struct {
        QStringList args;
        int rc;
        const char* out;
    } cases[] = {
        // The table's own pair and halfway to the next, as single precision holds them.
        {{"saturation-temperature", "1"}, 0, "179.880005\n"},
        {{"saturation-temperature", "1,05"}, 0, "182.289993\n"},
        {{"saturation-temperature", "1.6", "--min", "0.1", "--max", "1.6"}, 0, "201.369995\n"},
        {{"saturation-temperature", "1.7", "--min", "0.1", "--max", "1.6"}, 0, "99\n"},
        // Extrapolated below the first pair.
        {{"saturation-pressure", "99"}, 0, "0.0975675657\n"},
        {{"density", "0.1", "100"}, 0, "omega 0.0242800005\nrho 0.589518428 kg/m3\n"},
        {{"density", "0.1", "100", "--method", "volume"},
         0,
         "omega 0.589518428\nrho 0.589518428 kg/m3\n"},
        {{"density", "0.1", "100", "--method", "direct"}, 0, "omega 1\nrho 0.589518428 kg/m3\n"},
        {{"density", "1e300", "200"}, 1, "omega ------\nrho ------\n"},
    };
    for (const auto& c : cases) {
        const CliRun r = steam(c.args);
        EXPECT_EQ(r.rc, c.rc) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.out, QString::fromLatin1(c.out)) << c.args.join(' ').toStdString();
    }
}

// The document carries the single a figure is, as its shortest decimal, beside its unit.
TEST(SteamCli, JsonGivesTheFiguresAsNumbersWithTheirUnits) {
    const struct {
        QStringList args;
        int rc;
        const char* result;  // the result's member and its value as written
        const char* written;
        const char* unit;
    } cases[] = {
        {{"saturation-pressure", "-5", "--json"}, 0, "pressure", "-0.30397683", "MPa"},
        {{"saturation-temperature", "30", "--json", "--max", "25"}, 0, "temperature", "99", "°C"},
        {{"density", "1", "200", "--json"}, 0, "rho", "4.859345", "kg/m3"},
        {{"density", "1", "200", "--json"}, 0, "omega", "0.069709", "kg/m3"},
        // Beyond single precision: no value, never inf or nan.
        {{"saturation-pressure", "1e300", "--json"}, 1, "pressure", "null", "MPa"},
    };
    for (const auto& c : cases) {
        const CliRun r = steam(c.args);
        EXPECT_EQ(r.rc, c.rc) << c.args.join(' ').toStdString();
        const QJsonObject result =
            QJsonDocument::fromJson(r.out.toUtf8())["result"][QLatin1String(c.result)].toObject();
        EXPECT_EQ(QJsonDocument(QJsonArray{result["value"]}).toJson(QJsonDocument::Compact),
                  QByteArray("[") + c.written + "]")
            << c.args.join(' ').toStdString();
        EXPECT_EQ(result["unit"].toString(), QString::fromUtf8(c.unit));
    }
}

TEST(SteamCli, RefusesBadArguments) {
    const QStringList cases[] = {
        {},
        {"boiling-point", "1"},
        {"saturation-temperature"},
        {"saturation-temperature", "1", "2"},
        {"saturation-temperature", "x"},
        {"saturation-temperature", "nan"},
        {"saturation-temperature", "1", "--min", "low"},
        {"saturation-pressure", "100", "--method", "mass"},
        {"density", "1"},
        {"density", "1", "200", "--method", "indirect"},
    };
    for (const QStringList& args : cases) {
        const CliRun r = steam(args);
        EXPECT_EQ(r.rc, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << args.join(' ').toStdString();
        // One line saying what is wrong, then where the help is.
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 2) << r.err.toStdString();
        EXPECT_TRUE(r.err.endsWith(QStringLiteral("\nsee 'pelmo-cli steam --help'\n")))
            << r.err.toStdString();
    }
}

}  // namespace
}  // namespace pelmo
