// Ctrl+C and SIGTERM sent to a running pelmo-cli, a real process against a real stationsim:
// every command stops at an exchange boundary, ends the session with END_COMM, writes what
// it has and exits 128 + the signal.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <functional>

#include "cli_fixture.h"
#include "files/station_file.h"
#include "link/request_table.h"

namespace pelmo {
namespace {

// A request the simulator logged: the station it reached (0: none) and its identifier.
struct LoggedRequest {
    int address = 0;
    int id = -1;
};

// The requests in stationsim's --log lines ("[3] -> 01 40 0E ..."), acknowledgements aside.
std::vector<LoggedRequest> requestsIn(const QString& log) {
    static const QRegularExpression line(
        QStringLiteral("^(?:\\[(\\d+)\\])?\\s*-> ((?:[0-9A-F]{2} ?)+)$"),
        QRegularExpression::MultilineOption);
    std::vector<LoggedRequest> out;
    for (auto it = line.globalMatch(log); it.hasNext();) {
        const auto m = it.next();
        const QByteArray bytes = QByteArray::fromHex(m.captured(2).toLatin1());
        if (bytes.size() < 3) {
            continue;
        }
        out.push_back({m.captured(1).toInt(), requestIdFor(static_cast<std::uint8_t>(bytes[1]),
                                                           static_cast<std::uint8_t>(bytes[2]))});
    }
    return out;
}

bool sent(const std::vector<LoggedRequest>& requests, int id, int address = 0) {
    return std::any_of(requests.begin(), requests.end(), [&](const LoggedRequest& r) {
        return r.id == id && (address == 0 || r.address == address);
    });
}

class CliInterrupted;

// One interrupt: the command, the moment it is signalled and what it must leave behind.
struct Interrupt {
    const char* name;
    QStringList simulator;      // stations and faults, beyond --fast --log
    bool needsFile;             // a station file read first, as %3 ...
    int fileAddress;            // ... then given this net address (0: as read)
    const char* command;        // %1 device, %2 folder, %3 station file
    int triggerRequest;         // signalled once the simulator saw this request ...
    int triggerAddress;         // ... at this station (0: any)
    const char* triggerOutput;  // or once the command printed this (trigger request -1)
    int signal;
    int times;  // a second signal right after the first stops at once
    std::function<void(const CliInterrupted&)> check;
};

void PrintTo(const Interrupt& c, std::ostream* os) {
    *os << c.name;
}

class CliInterrupted : public test::CliAgainstSimulator,
                       public ::testing::WithParamInterface<Interrupt> {
public:
    // The simulator's log since the interrupted command started.
    std::vector<LoggedRequest> requests() const { return requestsIn(simLog.mid(logStart)); }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QString cliOut;
    QString cliErr;
    QString simLog;
    qsizetype logStart = 0;
    QString file;

protected:
    void gather() {
        if (proc.isOpen()) {
            cliOut += QString::fromLocal8Bit(proc.readAllStandardOutput());
            cliErr += QString::fromLocal8Bit(proc.readAllStandardError());
        }
        simLog += QString::fromLocal8Bit(sim.readAllStandardError());
    }
    // Waits on the two processes' output (no fixed sleep) until `seen` holds; false when it
    // did not within a minute.
    bool waitUntil(const std::function<bool()>& seen) {
        const QDeadlineTimer deadline(60000);
        for (;;) {
            gather();
            if (seen()) {
                return true;
            }
            if (deadline.hasExpired()) {
                return false;
            }
            if (proc.state() != QProcess::NotRunning) {
                proc.waitForReadyRead(5);
            }
            sim.waitForReadyRead(5);
        }
    }
    // The words of `line` with %1 the device, %2 the folder, %3 the station file and %4 a
    // folder whose name a shell would split ("p d3'x" inside the folder).
    QStringList expand(const char* line) const {
        QStringList words = QString::fromLatin1(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (QString& w : words) {
            w.replace(QStringLiteral("%1"), device)
                .replace(QStringLiteral("%2"), dir.path())
                .replace(QStringLiteral("%3"), file)
                .replace(QStringLiteral("%4"), dir.filePath(QStringLiteral("p d3'x")));
        }
        return words;
    }

    QProcess proc;
};

TEST_P(CliInterrupted, EndsTheSessionWritesWhatItHasAndExitsWithTheSignal) {
    const Interrupt& c = GetParam();
    startSimulator(QStringList{QStringLiteral("--log")} + c.simulator);
    sim.setReadChannel(QProcess::StandardError);
    if (c.needsFile) {
        file = dir.filePath(QStringLiteral("station.sta"));
        ASSERT_EQ(cli({QStringLiteral("read"), QStringLiteral("--port"), device,
                       QStringLiteral("--out"), file}),
                  0)
            << err.toStdString();
        if (c.fileAddress != 0) {
            // A file that moves the station to another address.
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            StationImage image;
            ASSERT_TRUE(decodeStationFile(f.readAll(), image, {}));
            image.station.net_address = static_cast<std::uint16_t>(c.fileAddress);
            f.seek(0);
            f.write(encodeStationFile(image, {}));
        }
    }
    // The preparing read's traffic is all in the log before the interrupted command starts.
    ASSERT_TRUE(waitUntil([&] {
        const auto r = requests();
        return !c.needsFile || (!r.empty() && r.back().id == END_COMM);
    }));
    logStart = simLog.size();

    proc.setProcessEnvironment(environment);
    proc.start(QStringLiteral(PELMO_CLI_PATH), expand(c.command));
    ASSERT_TRUE(proc.waitForStarted(5000));
    ASSERT_TRUE(waitUntil([&] {
        return c.triggerRequest >= 0 ? sent(requests(), c.triggerRequest, c.triggerAddress)
                                     : cliOut.contains(QString::fromUtf8(c.triggerOutput));
    })) << "never reached the moment to interrupt\n"
        << cliErr.toStdString();
    for (int i = 0; i < c.times; ++i) {
        ::kill(static_cast<pid_t>(proc.processId()), c.signal);
    }
    ASSERT_TRUE(waitUntil([&] { return proc.state() == QProcess::NotRunning; }));
    ASSERT_EQ(proc.exitStatus(), QProcess::NormalExit) << "killed by the signal";
    EXPECT_EQ(proc.exitCode(), 128 + c.signal) << cliErr.toStdString();
    // The END_COMM written just before the exit reaches the simulator a moment later.
    EXPECT_TRUE(waitUntil([&] {
        const auto r = requests();
        return !r.empty() && r.back().id == END_COMM;
    })) << "last request "
        << (requests().empty() ? -1 : requests().back().id);
    EXPECT_TRUE(cliErr.contains(QStringLiteral("Command interrupted.")));
    if (c.check) {
        c.check(*this);
    }
}

// The restore command printed after "Program it back with:", run through the shell.
int runRestore(const CliInterrupted& t) {
    const QString marker = QStringLiteral("Program it back with:\n");
    const qsizetype at = t.cliErr.indexOf(marker);
    EXPECT_GE(at, 0) << t.cliErr.toStdString();
    if (at < 0) {
        return -1;
    }
    const QString line = t.cliErr.mid(at + marker.size()).section(QLatin1Char('\n'), 0, 0);
    QProcess sh;
    sh.start(QStringLiteral("sh"), {QStringLiteral("-c"), line.trimmed()});
    sh.waitForFinished(120000);
    return sh.exitStatus() == QProcess::NormalExit ? sh.exitCode() : -1;
}

const QStringList kSlow = {QStringLiteral("--fault"), QStringLiteral("delay=100")};
const QStringList kTwoStations = {QStringLiteral("--address"), QStringLiteral("3"),
                                  QStringLiteral("--address"), QStringLiteral("4"),
                                  QStringLiteral("--serial"),  QStringLiteral("2318"),
                                  QStringLiteral("--fault"),   QStringLiteral("delay=100")};

const Interrupt kInterrupts[] = {
    {"ReadMidway", kSlow, false, 0, "read --port %1 --out %2/x.sta --lang en", READ_METER, 0, "",
     SIGTERM, 1,
     [](const CliInterrupted& t) {
         // Half a station is no station file.
         EXPECT_FALSE(QFile::exists(t.path("x.sta")));
     }},
    {"ProgramDuringTheBackup", kSlow, true, 0,
     "program --port %1 --in %3 --dir %2 --no-check --lang en", READ_METER, 0, "", SIGINT, 1,
     [](const CliInterrupted& t) {
         EXPECT_FALSE(sent(t.requests(), ERASE_STATION));
         EXPECT_FALSE(t.cliErr.contains(QStringLiteral("Program it back")));
     }},
    {"ProgramAfterTheErase", kSlow, true, 0,
     "program --port %1 --in %3 --dir %2 --no-check --lang en", ERASE_STATION, 0, "", SIGINT, 1,
     [](const CliInterrupted& t) {
         EXPECT_FALSE(sent(t.requests(), RESTART_MEASURING));
         EXPECT_TRUE(t.cliErr.contains(QStringLiteral(
             "Programming did not finish: the station is erased or only partly programmed")));
         EXPECT_EQ(runRestore(t), 0);
     }},
    {"ProgramAfterTheEraseTwice", kSlow, true, 0,
     "program --port %1 --in %3 --dir %2 --no-check --lang en", ERASE_STATION, 0, "", SIGINT, 2,
     [](const CliInterrupted& t) {
         EXPECT_TRUE(t.cliErr.contains(QStringLiteral("Program it back with:")));
     }},
    // The restore goes where the station answers now, with the backup's path quoted.
    {"ProgramToANewAddressBeforeItIsWritten", kSlow, true, 9,
     "program --port %1 --in %3 --dir %4 --no-check --lang en", WRITE_METER, 0, "", SIGINT, 1,
     [](const CliInterrupted& t) {
         EXPECT_TRUE(t.cliErr.contains(QStringLiteral(" --address 251 --in '")))
             << t.cliErr.toStdString();
         EXPECT_EQ(runRestore(t), 0);
     }},
    {"ProgramToANewAddressOnceItIsWritten", kSlow, true, 9,
     "program --port %1 --in %3 --dir %4 --no-check --lang en", WRITE_ADDRESS, 0, "", SIGINT, 1,
     [](const CliInterrupted& t) {
         EXPECT_TRUE(t.cliErr.contains(QStringLiteral(" --address 9 --in '")))
             << t.cliErr.toStdString();
         EXPECT_EQ(runRestore(t), 0);
     }},
    {"ScanBetweenStations", kTwoStations, false, 0,
     "scan --port %1 --from 3 --to 9 --map %2/bus.map --lang en", READ_STATION, 4, "", SIGTERM, 1,
     [](const CliInterrupted& t) {
         EXPECT_EQ(t.cliOut, QStringLiteral("3\tKotelna Jih\n4\tKotelna Jih\n"));
         QFile map(t.path("bus.map"));
         ASSERT_TRUE(map.open(QIODevice::ReadOnly));
         EXPECT_EQ(map.readAll(), QByteArray("3    Kotelna\r\n4    Kotelna\r\n"));
     }},
    {"CollectAtTheSecondStation", kTwoStations, false, 0,
     "collect --port %1 --from 3 --to 4 --out %2 --lang en", READ_ARCHIVE_INFO, 4, "", SIGINT, 1,
     [](const CliInterrupted& t) {
         EXPECT_TRUE(
             t.cliOut.contains(QStringLiteral("\n3\t2317\tKotelna Jih\tarchive,messages\t-\n")))
             << t.cliOut.toStdString();
         // The second station was interrupted in its archive; its messages were never tried.
         EXPECT_TRUE(t.cliOut.contains(QStringLiteral("\tarchive\n"))) << t.cliOut.toStdString();
         EXPECT_FALSE(t.cliOut.contains(QStringLiteral("\tarchive,messages\n")));
         EXPECT_TRUE(QFile::exists(t.path("2317.000/Hlaseni.dat")));
     }},
    {"LiveDuringItsConfigurationRead", kSlow, false, 0, "live --port %1 --lang en", READ_CHANNEL, 0,
     "", SIGINT, 1, [](const CliInterrupted& t) { EXPECT_FALSE(sent(t.requests(), READ_LIVE)); }},
    {"LiveFollowing",
     {},
     false,
     0,
     "live --port %1 --csv %2/live.csv --lang en",
     -1,
     0,
     "\n20",  // the first record after the column names
     SIGTERM,
     1,
     [](const CliInterrupted& t) {
         // The records taken go to the CSV all the same.
         QFile csv(t.path("live.csv"));
         ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
         EXPECT_GE(csv.readAll().count('\n'), 2);
     }},
    {"FlyWaitingForItsResults",
     {},
     false,
     0,
     "fly --port %1 --circuit 1 --count 5 --lang en",
     -1,
     0,
     "Flying measurement: ",
     SIGINT,
     1,
     [](const CliInterrupted& t) { EXPECT_FALSE(sent(t.requests(), FLY_READ)); }},
};

INSTANTIATE_TEST_SUITE_P(Commands, CliInterrupted, ::testing::ValuesIn(kInterrupts),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace pelmo
