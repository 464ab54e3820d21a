// Every file the program writes, written where it cannot be: the save fails with its report
// and the file that was there stays as it was, with no temporary file left beside it.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <functional>

#include "bus/address_map.h"
#include "files/archive_file.h"
#include "files/message_file.h"
#include "files/monitoring_file.h"
#include "files/settings_ini.h"
#include "files/station_file.h"
#include "files/table_file.h"
#include "monitoring/live_values.h"
#include "monitoring/monitoring_pair.h"
#include "scripted_prompts.h"
#include "sim/default_station.h"

namespace pelmo {
namespace {

// How a save ended: written, refused with an error box, or refused with the write-failure
// result its callers turn into their box (text 147 and the like).
enum class Saved { Ok, BoxShown, WriteFailedReturned };

template <typename R>
Saved saved(R result, R ok, R writeFailed, const test::ScriptedPrompts& p) {
    if (result == ok) {
        return Saved::Ok;
    }
    if (result == writeFailed && p.shown.empty()) {
        return Saved::WriteFailedReturned;
    }
    return p.shown.empty() ? Saved::Ok : Saved::BoxShown;
}

StationImage& image() {
    static StationImage i = sim::defaultStation(251, 0x584ACE25u).image;
    return i;
}

MonitoringRecording recording() {
    MonitoringRecording r;
    r.list(1) = std::vector<std::uint8_t>(kSampleListHeader, 0);
    r.list(1).insert(r.list(1).end(), {100, 120, 140});
    r.status.counts[0] = 3;
    return r;
}

struct Writer {
    const char* name;
    const char* file;
    std::function<Saved(const QString& path, test::ScriptedPrompts& p)> save;
};

const std::vector<Writer>& writers() {
    static const std::vector<Writer> w = {
        {"station file", "x.sta",
         [](const QString& path, test::ScriptedPrompts& p) {
             return saved(saveStationFile(path, image(), {}, p), StationFileResult::Ok,
                          StationFileResult::WriteFailed, p);
         }},
        {"table file", "x.lin",
         [](const QString& path, test::ScriptedPrompts& p) {
             const std::vector<TablePoint> points = {{0, 0}, {100, 50}, {200, 150}};
             return saved(saveTableFile(path, 0, 200, points, std::nullopt, p), TableSaveResult::Ok,
                          TableSaveResult::Failed, p);
         }},
        {"settings.ini", "settings.ini",
         [](const QString& path, test::ScriptedPrompts&) {
             SettingsIni ini(path);
             ini.writeString(QStringLiteral("Settings"), QStringLiteral("PortName"),
                             QStringLiteral("/dev/ttyUSB0"));
             ini.writeInteger(QStringLiteral("Settings"), QStringLiteral("addr"), 251);
             return ini.flush() ? Saved::Ok : Saved::WriteFailedReturned;
         }},
        {"archive file", "2317.000/x.arc",
         [](const QString& path, test::ScriptedPrompts& p) {
             return saved(saveArchiveFile(path, QByteArray(300, 'a'), p), ArchiveFileResult::Ok,
                          ArchiveFileResult::WriteFailed, p);
         }},
        {"message export", "2317.000/Hlaseni.dat",
         [](const QString& path, test::ScriptedPrompts& p) {
             const std::vector<MessageRow> rows(5, MessageRow{"12:00:00", "01.03.25", "x", "y"});
             return saved(exportMessages(path, rows, p), MessageExportResult::Ok,
                          MessageExportResult::WriteFailed, p);
         }},
        {"monitoring pair", "x.mon",
         [](const QString& path, test::ScriptedPrompts& p) {
             return saved(saveMonitoringPair(path, image(), recording(), 0, p), PairResult::Ok,
                          PairResult::Ok, p);
         }},
        {"monitoring text export", "x.txt",
         [](const QString& path, test::ScriptedPrompts& p) {
             return saved(
                 exportMonitoring(path, image(), recording(), ExportFormat::Text, {}, 0, p),
                 PairResult::Ok, PairResult::Ok, p);
         }},
        {"monitoring CSV export", "x.csv",
         [](const QString& path, test::ScriptedPrompts& p) {
             return saved(exportMonitoring(path, image(), recording(), ExportFormat::Csv, {}, 0, p),
                          PairResult::Ok, PairResult::Ok, p);
         }},
        {"live CSV export", "live.csv",
         [](const QString& path, test::ScriptedPrompts& p) {
             const LiveRecords records(3, LiveRecord{{1, 2, 3, 4, 5, 6, 7, 8}, 1000});
             return exportLiveCsv(path, image(), 0, records, p)
                        ? Saved::Ok
                        : (p.shown.empty() ? Saved::Ok : Saved::BoxShown);
         }},
        {"address map", "x.map",
         [](const QString& path, test::ScriptedPrompts& p) {
             AddressEntries list{};
             list[0] = {5, "PARA1"};
             list[1] = {17, "KOND"};
             return saved(saveAddressMap(path, list, p), MapFileResult::Ok,
                          MapFileResult::WriteFailed, p);
         }},
    };
    return w;
}

// Disk full: files may not grow past a few bytes while the save runs (the signal that limit
// raises is ignored, so the write fails with EFBIG instead). Works for root too.
class DiskFull {
public:
    explicit DiskFull(rlim_t room = 8) {
        getrlimit(RLIMIT_FSIZE, &old_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old_;
        small.rlim_cur = room;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~DiskFull() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit old_{};
    void (*previous_)(int) = nullptr;
};

enum class Failure { DiskFull, ReadOnlyFolder, ReadOnlyFilesystem };

class SafeSaves : public ::testing::TestWithParam<std::tuple<int, Failure>> {};

TEST_P(SafeSaves, AFailedSaveReportsAndKeepsTheOldFile) {
    const Writer& w = writers()[static_cast<std::size_t>(std::get<0>(GetParam()))];
    const Failure failure = std::get<1>(GetParam());
    QTemporaryDir dir;
    QString path = dir.filePath(QString::fromLatin1(w.file));
    const QString folder = QFileInfo(path).absolutePath();
    ASSERT_TRUE(QDir().mkpath(folder));
    if (failure == Failure::ReadOnlyFilesystem) {
        // Nothing can be created under /proc, not even by root; the file there stays as is.
        path = QStringLiteral("/proc/version");
    } else {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old\n");
    }
    QFile target(path);
    ASSERT_TRUE(target.open(QIODevice::ReadOnly));
    const QByteArray before = target.readAll();
    target.close();
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden);

    test::ScriptedPrompts prompts;
    Saved result = Saved::Ok;
    if (failure == Failure::DiskFull) {
        DiskFull full;
        result = w.save(path, prompts);
    } else if (failure == Failure::ReadOnlyFolder) {
        if (geteuid() == 0) {
            GTEST_SKIP() << "root writes into a folder whatever its mode; /proc covers this";
        }
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        result = w.save(path, prompts);
        QFile::setPermissions(
            folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    } else {
        result = w.save(path, prompts);
    }

    EXPECT_NE(result, Saved::Ok);
    if (std::string(w.name) != "settings.ini") {
        // One file error box, naming the file that failed and why.
        ASSERT_EQ(prompts.shown.size(), 1u) << w.name;
        const QString& box = prompts.shown[0].text;
        EXPECT_TRUE(box.startsWith(QStringLiteral("Soubor ") + QDir::toNativeSeparators(path) +
                                   QStringLiteral(" nelze uložit: ")))
            << w.name << ": " << box.toStdString();
        const char* reason = failure == Failure::DiskFull         ? "soubor je příliš velký"
                             : failure == Failure::ReadOnlyFolder ? "přístup odepřen"
                                                                  : "";
        EXPECT_TRUE(box.endsWith(QString::fromUtf8(reason) + QLatin1Char('.')))
            << w.name << ": " << box.toStdString();
    }
    ASSERT_TRUE(target.open(QIODevice::ReadOnly));
    EXPECT_EQ(target.readAll(), before);
    if (failure != Failure::ReadOnlyFilesystem) {
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden), entries);
    }
}

TEST(SafeSaves, EveryWriterSavesWhereItCan) {
    for (const Writer& w : writers()) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QString::fromLatin1(w.file));
        QDir().mkpath(QFileInfo(path).absolutePath());
        test::ScriptedPrompts prompts;
        EXPECT_EQ(w.save(path, prompts), Saved::Ok) << w.name;
        EXPECT_GT(QFileInfo(path).size(), 8) << w.name;  // more than the disk-full limit
    }
}

// Room for the recording but not for the station file beside it: the recording must not be
// replaced alone, or it would be read later with the old station's channels.
TEST(SafeSaves, AMonitoringPairIsReplacedWholeOrNotAtAll) {
    QTemporaryDir dir;
    const QString mon = dir.filePath(QStringLiteral("x.mon"));
    const QString con = dir.filePath(QStringLiteral("x.con"));
    for (const QString& path : {mon, con}) {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old\n");
    }
    test::ScriptedPrompts prompts;
    {
        DiskFull full(1024);
        EXPECT_EQ(saveMonitoringPair(mon, image(), recording(), 0, prompts), PairResult::Corrupt);
    }
    for (const QString& path : {mon, con}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), "old\n") << path.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

std::string saveName(const ::testing::TestParamInfo<std::tuple<int, Failure>>& info) {
    static const char* const failures[] = {"DiskFull", "ReadOnlyFolder", "ReadOnlyFilesystem"};
    std::string n = writers()[static_cast<std::size_t>(std::get<0>(info.param))].name;
    for (char& c : n) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    return n + "_" + failures[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(EveryWriter, SafeSaves,
                         ::testing::Combine(::testing::Range(0, static_cast<int>(writers().size())),
                                            ::testing::Values(Failure::DiskFull,
                                                              Failure::ReadOnlyFolder,
                                                              Failure::ReadOnlyFilesystem)),
                         saveName);

}  // namespace
}  // namespace pelmo
