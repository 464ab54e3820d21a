// pelmo-cli's streams: the progress line on a terminal and nothing extra on a pipe, -q,
// --out - byte for byte, collect at known addresses only, file errors that name the file.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QRegularExpression>
#include <csignal>
#include <cstdlib>
#include <set>

#include "cli_fixture.h"

namespace pelmo {
namespace {

class CliStreams : public test::CliAgainstSimulator {
protected:
    // The words of `line`: %1 the device, %2 the folder, %F `file`.
    QStringList words(const char* line, const QString& file = {}) const {
        return QString::fromLatin1(line)
            .replace(QStringLiteral("%1"), device)
            .replace(QStringLiteral("%2"), dir.path())
            .replace(QStringLiteral("%F"), file)
            .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }

    // Runs pelmo-cli with standard error on a new pseudo-terminal (standard output stays a
    // pipe, in `out`); `screen` gets what the terminal received.
    int onTerminal(const QStringList& args, QByteArray& screen) {
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(master, 0);
        EXPECT_EQ(::grantpt(master), 0);
        EXPECT_EQ(::unlockpt(master), 0);
        const QByteArray slave = ::ptsname(master);
        ::fcntl(master, F_SETFL, O_NONBLOCK);
        childSetup = [slave] {
            const int fd = ::open(slave.constData(), O_RDWR | O_NOCTTY);
            ::dup2(fd, STDERR_FILENO);
            ::close(fd);
        };
        QProcess p;
        p.setProcessEnvironment(environment);
        p.setChildProcessModifier(childSetup);
        childSetup = nullptr;
        const auto drain = [&] {
            char buffer[4096];
            ssize_t n = 0;
            while ((n = ::read(master, buffer, sizeof buffer)) > 0) {
                screen.append(buffer, n);
            }
        };
        p.start(QStringLiteral(PELMO_CLI_PATH), args);
        const QDeadlineTimer deadline(180000);
        // The terminal is read while the command runs, so that it never blocks on a full one.
        while (!p.waitForFinished(50) && !deadline.hasExpired()) {
            drain();
        }
        drain();
        ::close(master);
        out = QString::fromLocal8Bit(p.readAllStandardOutput());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    // The station addresses the COMM requests of a --trace went to.
    static std::set<int> commAddresses(const QString& err) {
        std::set<int> addresses;
        for (const QString& hex :
             traced(err).filter(QRegularExpression(QStringLiteral("^01 81 0A ")))) {
            addresses.insert(hex.split(QLatin1Char(' '))[6].toInt(nullptr, 16));
        }
        return addresses;
    }
};

// What a long command shows while it runs, on a terminal only, and what -q leaves.
TEST_F(CliStreams, ProgressOnATerminalOnlyAndNeverAcrossAnotherLine) {
    startSimulator({});
    ASSERT_EQ(cli(words("read --port %1 --out %2/s.sta")), 0);
    struct Case {
        const char* line;
        const char* progress;  // a text the progress line shows
    };
    const Case cases[] = {
        {"scan --port %1 --from 250 --to 251 --lang en", "probing 251/251, 1 found"},
        {"scan --port %1 --from 250 --to 251 --lang cs", "zkouším adresu 250/251, nalezeno 0"},
        {"archive --port %1 --all --dir %2 --lang en", "reading archive record 34/34"},
        {"collect --port %1 --addresses 251 --out %2 --lang en",
         "station 1/1 (address 251): reading archive record 1/1"},
        {"monitor --port %1 --out %2/m.mon --lang en", "copying samples, channel 1, "},
        {"program --port %1 --in %2/s.sta --no-backup --no-check --lang en", "programming 100 %"},
    };
    for (const Case& c : cases) {
        QByteArray screen;
        ASSERT_EQ(onTerminal(words(c.line), screen), 0) << c.line << "\n" << screen.toStdString();
        const QString outOnTerminal = out;
        EXPECT_TRUE(screen.contains(QByteArray("\r") + c.progress)) << c.line << "\n"
                                                                    << screen.toStdString();
        // Erased at the end, and before every other line: what follows the last erase on a
        // line is that line alone.
        const QByteArray last = screen.mid(screen.lastIndexOf('\n') + 1);
        EXPECT_TRUE(last.isEmpty() || last.endsWith("\r\033[K")) << c.line;
        for (const QByteArray& line : screen.split('\n')) {
            const QByteArray rest = line.mid(line.lastIndexOf("\033[K") + 1);
            EXPECT_FALSE(rest.contains(c.progress) && line.endsWith('\r'))
                << c.line << ": " << line.toStdString();
        }

        // A pipe gets the same lines without a trace of the progress.
        ASSERT_EQ(cli(words(c.line)), 0) << c.line;
        EXPECT_FALSE(err.contains(QLatin1Char('\r')) || err.contains(QLatin1Char('\033')))
            << c.line << "\n"
            << err.toStdString();
        EXPECT_EQ(out, outOnTerminal) << c.line;

        // -q: neither progress nor status texts; the results stay.
        screen.clear();
        ASSERT_EQ(onTerminal(words(c.line) << QStringLiteral("-q"), screen), 0) << c.line;
        EXPECT_FALSE(screen.contains("\033[K")) << c.line << "\n" << screen.toStdString();
        EXPECT_FALSE(out.contains(QStringLiteral("Initializing connection")) ||
                     out.contains(QString::fromUtf8("Inicializace spojení")))
            << c.line << "\n"
            << out.toStdString();
    }
    // The scan's stations and the archive's paths are results, -q or not.
    ASSERT_EQ(cli(words("scan --port %1 --from 251 --to 251 -q")), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("251\t"))) << out.toStdString();
    // -v adds the bus health.
    ASSERT_EQ(cli(words("info --port %1 -v --lang en")), 0);
    EXPECT_TRUE(err.contains(QStringLiteral("Address\tExchanges\t"))) << err.toStdString();
}

// --out - puts exactly the file's bytes on standard output, and the statuses, each once as a
// line, on standard error.
TEST_F(CliStreams, OutDashIsTheFileByteForByteAndStatusesComeOnce) {
    startSimulator({});
    ASSERT_EQ(cli(words("monitor --port %1 --out %2/m.mon --lang en")), 0) << err.toStdString();
    // The window's bare channel digits are no status line.
    EXPECT_FALSE(err.contains(QRegularExpression(QStringLiteral("(^|\n)\\d+\n"))));
    for (const char* line :
         {"read --port %1 --out %F --lang en", "messages --port %1 --out %F --lang en",
          "export %2/m.mon --out %F", "export %2/m.mon --out %F --csv"}) {
        const QString file = dir.filePath(QStringLiteral("file.out"));
        ASSERT_EQ(cli(words(line, file)), 0) << line << "\n" << err.toStdString();
        const QByteArray bytes = read(file);
        ASSERT_EQ(cli(words(line, QStringLiteral("-"))), 0) << line << "\n" << err.toStdString();
        EXPECT_FALSE(bytes.isEmpty()) << line;
        EXPECT_EQ(rawOut, bytes) << line;
        QFile::remove(file);
    }
    ASSERT_EQ(cli(words("read --port %1 --out - --lang en")), 0);
    QStringList lines = err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.removeDuplicates(), 0) << err.toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("Retrieving channel...Ch. 1")));
    EXPECT_EQ(lines.back(), QStringLiteral("Data loaded"));
    ASSERT_EQ(cli(words("info --port %1 --lang en")), 0);
    EXPECT_TRUE(out.startsWith(
        QStringLiteral("Initializing connection...\nRetrieving station info...OK\n")))
        << out.toStdString();
    EXPECT_EQ(cli(words("monitor --port %1 --out -")), 2);
    EXPECT_EQ(cli(words("messages --port %1 --out - --json")), 2);
}

// --addresses and --map read only those stations: COMM goes to no other address.
TEST_F(CliStreams, CollectAsksTheKnownAddressesOnly) {
    startSimulator({QStringLiteral("--address"), QStringLiteral("3"), QStringLiteral("--address"),
                    QStringLiteral("17"), QStringLiteral("--address"), QStringLiteral("42")});
    ASSERT_EQ(cli(words("collect --port %1 --addresses 42,17 --out %2 --trace --lang en")), 0)
        << err.toStdString();
    EXPECT_EQ(commAddresses(err), (std::set<int>{17, 42}));
    EXPECT_TRUE(out.contains(QRegularExpression(QStringLiteral("\n42\t\\d+\t"))))
        << out.toStdString();

    // The ends of the range are addresses like any other; nobody answers there.
    ASSERT_EQ(cli(words("collect --port %1 --addresses 1,251 --out %2 --trace")), 1);
    EXPECT_EQ(commAddresses(err), (std::set<int>{1, 251}));
    EXPECT_TRUE(out.contains(QRegularExpression(QStringLiteral("\n1\t-\t"))));

    const std::pair<const char*, const char*> refused[] = {
        {"0", "0"},    {"252", "252"}, {"x", "x"},       {"17,17", "17"},
        {"3,,17", ""}, {"+3", "+3"},   {"1000", "1000"}, {"", ""},
    };
    for (const auto& [list, bad] : refused) {
        EXPECT_EQ(cli(words("collect --port %1 --trace --addresses") << QString::fromLatin1(list)),
                  2)
            << list;
        EXPECT_TRUE(err.section(QLatin1Char('\n'), 0, 0)
                        .contains(QStringLiteral("\"%1\"").arg(QString::fromLatin1(bad))))
            << list << ": " << err.toStdString();
        EXPECT_TRUE(traced(err).isEmpty()) << list;
    }
    EXPECT_EQ(cli(words("collect --port %1 --addresses 3 --map %2/a.map")), 2);

    ASSERT_EQ(cli(words("scan --port %1 --from 17 --to 17 --map %2/a.map")), 0);
    ASSERT_EQ(cli(words("collect --port %1 --map %2/a.map --out %2 --trace")), 0)
        << err.toStdString();
    EXPECT_EQ(commAddresses(err), (std::set<int>{17}));
}

// A file that cannot be read or written is named, with the system's reason in the chosen
// language, once.
TEST_F(CliStreams, FileErrorsNameThePathAndTheReasonOnce) {
    startSimulator({});
    QFile plain(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("not a station file");
    plain.close();
    ASSERT_EQ(cli(words("read --port %1 --out %2/good.sta")), 0);
    struct Case {
        const char* line;
        const char* lang;
        const char* says;  // %2 the folder
        bool fullDisk;
    };
    const Case cases[] = {
        {"read --port %1 --out %2/plain/x.sta", "en",
         "The folder %2/plain cannot be created or written to: a file stands where a folder "
         "should be.",
         false},
        {"read --port %1 --out %2/plain/x.sta", "cs",
         "Složku %2/plain nelze vytvořit nebo do ní zapisovat: v cestě je soubor místo složky.",
         false},
        {"read --port %1 --out %2/big.sta", "en",
         "The file %2/big.sta cannot be written: file too large.", true},
        {"read --port %1 --out %2/big.sta", "cs",
         "Soubor %2/big.sta nelze uložit: soubor je příliš velký.", true},
        {"diff --in %2/missing.sta --in %2/good.sta", "en",
         "The file %2/missing.sta cannot be read: no such file or directory.", false},
        {"diff --in %2/good.sta --in %2/missing.sta", "cs",
         "Soubor %2/missing.sta nelze načíst: soubor nebo složka neexistuje.", false},
        {"diff --in %2/good.sta --in %2/plain", "en", "The file %2/plain could not be loaded.",
         false},
    };
    for (const Case& c : cases) {
        if (c.fullDisk) {
            // The disk is full after a few bytes (the signal is ignored, so the write fails).
            childSetup = [] {
                std::signal(SIGXFSZ, SIG_IGN);
                // Room for the port's lock file, not for the station file.
                const rlimit small{1024, 1024};
                ::setrlimit(RLIMIT_FSIZE, &small);
            };
        }
        const int rc =
            cli(words(c.line) << QStringLiteral("--lang") << QString::fromLatin1(c.lang));
        childSetup = nullptr;
        EXPECT_EQ(rc, 2) << c.line;
        const QString says = QString::fromUtf8(c.says).replace(QStringLiteral("%2"), dir.path());
        EXPECT_EQ((out + err).count(says), 1) << c.line << " " << c.lang << "\n"
                                              << out.toStdString() << err.toStdString();
    }
    if (geteuid() != 0) {
        const QString folder = dir.filePath(QStringLiteral("ro"));
        ASSERT_TRUE(QDir().mkpath(folder));
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EXPECT_EQ(cli(words("read --port %1 --out %2/ro/x.sta --lang en")), 2);
        EXPECT_EQ(err.count(folder + QStringLiteral(" cannot be created or written to: "
                                                    "permission denied.")),
                  1)
            << err.toStdString();
    }
}

}  // namespace
}  // namespace pelmo
