#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "cli_fixture.h"
#include "link/request_table.h"

namespace pelmo {
namespace {

// pelmo-cli live against stationsim, both as real processes, for a few seconds of station
// time.
class CliLive : public test::CliAgainstSimulator {
protected:
    void SetUp() override { startSimulator({}); }
    QStringList live(const QStringList& more) const {
        return QStringList{QStringLiteral("live"), QStringLiteral("--port"), device,
                           QStringLiteral("--lang"), QStringLiteral("en")} +
               more;
    }
    // The END_COMM datagram as --trace prints it.
    static QByteArray endCommTrace() {
        TxBuffer tx{};
        StationImage image;
        image.bus_address = 251;
        BuildContext context;
        context.image = &image;
        const int n = buildRequest(tx, END_COMM, context).length;
        return QByteArray(reinterpret_cast<const char*>(tx.data()), n).toHex(' ').toUpper();
    }
};

TEST_F(CliLive, PrintsARecordPerSecondWritesTheCsvAndEndsTheLink) {
    const QString csv = dir.filePath(QStringLiteral("live.csv"));
    // Two answers within one station second are one record; five seconds of polls always
    // span at least two.
    ASSERT_EQ(cli(live({QStringLiteral("--seconds"), QStringLiteral("5"), QStringLiteral("--csv"),
                        csv, QStringLiteral("--trace")})),
              0)
        << err.toStdString();
    QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3) << out.toStdString() << err.toStdString();
    // The column names first, as the CSV names them; then ISO time and the six channels the
    // simulated station uses.
    const QString header = lines.takeFirst();
    EXPECT_TRUE(header.startsWith(QStringLiteral("time\t"))) << header.toStdString();
    EXPECT_EQ(header.count(QLatin1Char('\t')), 6) << header.toStdString();
    for (const QString& line : lines) {
        EXPECT_EQ(line.count(QLatin1Char('\t')), 6) << line.toStdString();
        EXPECT_EQ(line.indexOf(QLatin1Char('T')), 10) << line.toStdString();
    }
    EXPECT_NE(lines[0].section(QLatin1Char('\t'), 0, 0), lines[1].section(QLatin1Char('\t'), 0, 0));
    EXPECT_TRUE(err.contains(QStringLiteral("Data loaded")));
    // END_COMM is the last request written, also when the time runs out in the middle of a
    // poll; the station's answer to it may still be traced.
    const QStringList written = traced(err);
    ASSERT_FALSE(written.isEmpty()) << err.toStdString();
    EXPECT_EQ(written.back(), QString::fromLatin1(endCommTrace())) << err.toStdString();

    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = f.readAll().split('\n');
    EXPECT_TRUE(rows[0].startsWith("time,"));
    EXPECT_EQ(rows.size(), lines.size() + 2);  // header and the empty rest
}

TEST_F(CliLive, InterruptedItEndsCleanly) {
    QProcess p;
    p.start(QStringLiteral(PELMO_CLI_PATH), live({QStringLiteral("--trace")}));
    const QDeadlineTimer deadline(30000);
    while (!p.canReadLine() && !deadline.hasExpired()) {
        p.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    ASSERT_TRUE(p.canReadLine());
    p.terminate();
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 128 + 15);
    // The last request written is END_COMM.
    const QStringList written = traced(QString::fromLocal8Bit(p.readAllStandardError()));
    ASSERT_FALSE(written.isEmpty());
    EXPECT_EQ(written.back(), QString::fromLatin1(endCommTrace()));
}

TEST_F(CliLive, BadArgumentsAndASilentStation) {
    for (const char* seconds : {"0", "x", "-3"}) {
        EXPECT_EQ(cli(live({QStringLiteral("--seconds"), QString::fromLatin1(seconds)})), 2)
            << seconds;
    }
    EXPECT_EQ(cli(live({QStringLiteral("--address"), QStringLiteral("7"),
                        QStringLiteral("--seconds"), QStringLiteral("1")})),
              1);
}

}  // namespace
}  // namespace pelmo
