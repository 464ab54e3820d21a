// pelmo-cli commands for the station configuration: read, program and lock.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "base/texts.h"
#include "cli/cli_session.h"
#include "cli/console_read_view.h"
#include "files/program_folder.h"
#include "files/program_settings.h"
#include "files/station_file.h"
#include "link/communication.h"
#include "operations/station_backup.h"
#include "operations/station_checks.h"
#include "operations/station_locker.h"
#include "operations/station_programmer.h"
#include "operations/station_reader.h"

namespace pelmo::cli {
namespace {

constexpr OptionSpec kReadOptions[] = {
    kPortOption,
    kAddressOption,
    {"out", 0, "FILE|-", "the station file to write, - for standard output"},
    kLangOption,
    kTraceOption};
constexpr OptionSpec kProgramOptions[] = {
    kPortOption,
    kAddressOption,
    {"in", 0, "FILE.sta", "the station file to program"},
    {"no-check", 0, nullptr, "no read-back verification of the programmed blocks"},
    {"restore-cmos", 0, "yes|no", "the answer to whether the station's CMOS data are written back"},
    {"no-backup", 0, nullptr, "no backup of the station before the erase"},
    {"dir", 0, "DIR", "where the backup goes (default: the program folder)"},
    kLangOption,
    kTraceOption};
constexpr OptionSpec kLockOptions[] = {
    kPortOption,
    kAddressOption,
    {"yes", 0, nullptr, "lock it: locking cannot be undone, nothing is sent without it"},
    kLangOption,
    kTraceOption};

int runRead(const QStringList& args) {
    const CommandOptions options(args, kReadOptions);
    if (!options.ok() || !options.has(QStringLiteral("out"))) {
        return usageError(options.ok() ? QStringLiteral("--out FILE is required")
                                       : options.error());
    }
    Session session;
    if (!session.open(options)) {
        return usageError(session.error);
    }
    const OutputFile out(options.value(QStringLiteral("out")));
    if (!out.prepare()) {
        return kExitUsage;
    }
    ConsoleReadView view(stdout);
    StationReader reader(session.port, session.program.link, session.prompts, view);
    reader.start();
    const int rc = session.run();
    if (rc != kExitOk || session.prompts.errorShown()) {
        return kExitStation;
    }

    StationImage& image = session.program.station;
    StationBoxes boxes = boxesFromImage(image);
    if (!checkStationDefinition(boxes, image, session.prompts)) {
        return kExitStation;
    }
    storeBoxes(boxes, image);
    const StationFileOptions fileOptions{session.program.settings.isGasVersion()};
    if (saveStationFile(out.path(), image, fileOptions, session.prompts) != StationFileResult::Ok) {
        return kExitUsage;  // the file error has been printed
    }
    out.written();
    return kExitOk;
}

// Prints the backup read's status and ends the event loop with its outcome.
class ConsoleBackupView final : public BackupView {
public:
    void backupStatus(const QString& text) override { printStatus(stdout, text); }
    void backupEnded(bool ok) override { QCoreApplication::exit(ok ? kExitOk : kExitStation); }
};

// Prints the programming run's status texts as they change and ends the event loop.
class ConsoleProgrammingView final : public ProgrammingView {
public:
    void programmingStatus(const QString& text) override { printStatus(stdout, text); }
    void gauge(int position) override {
        Progress::show(
            txt(kTextProgramming).arg(position * 100 / StationProgrammer::kGaugeMaximum));
    }
    void phaseDone(Phase) override {}
    void transferCaption(const QString&) override {}
    void restartDots() override {}
    void clearTrafficLog() override {}
    void programmingEnded(Ending ending) override {
        QCoreApplication::exit(ending == Ending::Finished ? kExitOk : kExitStation);
    }
};

int runProgram(const QStringList& args) {
    const CommandOptions options(args, kProgramOptions);
    const QString restore = options.value(QStringLiteral("restore-cmos"));
    if (!options.ok() || !options.has(QStringLiteral("in")) ||
        (options.has(QStringLiteral("restore-cmos")) && restore != QStringLiteral("yes") &&
         restore != QStringLiteral("no"))) {
        return usageError(options.ok() ? QStringLiteral("--in FILE and --restore-cmos yes|no")
                                       : options.error());
    }
    Session session;
    if (!session.open(options)) {
        return usageError(session.error);
    }
    const QString backupFolder = options.has(QStringLiteral("dir"))
                                     ? options.value(QStringLiteral("dir"))
                                     : session.program.folder;
    if (!options.has(QStringLiteral("no-backup")) && !prepareFolder(backupFolder)) {
        return kExitUsage;
    }
    StationImage& image = session.program.station;
    if (!loadStationInto(options.value(QStringLiteral("in")), image, session)) {
        return kExitUsage;
    }
    StationBoxes boxes = boxesFromImage(image);
    if (!checkStationDefinition(boxes, image, session.prompts)) {
        return kExitUsage;
    }
    storeBoxes(boxes, image);

    // The station's own configuration is saved before the run erases it.
    QString backupFile;
    if (!options.has(QStringLiteral("no-backup"))) {
        StationBackup::Options backup;
        backup.baseFolder = backupFolder;
        backup.gasVersion = session.program.settings.isGasVersion();
        ConsoleBackupView backupView;
        StationBackup reader(session.port, session.program.link, session.prompts, backupView,
                             backup);
        reader.start(image);
        if (session.run() != kExitOk) {
            // Programming does not start without a backup unless asked to.
            if (!session.interrupted()) {
                printLine(stderr, txt(kTextProgrammingDidNotStart));
            }
            return kExitStation;
        }
        backupFile = reader.file();
    }

    session.prompts.setAnswer(restore == QStringLiteral("yes"));
    StationProgrammer::Options run;
    run.checking = session.program.settings.checking && !options.has(QStringLiteral("no-check"));
    run.recordState = &session.program.archiveRecord;
    run.programDir = QCoreApplication::applicationDirPath();
    ConsoleProgrammingView view;
    StationProgrammer programmer(session.port, session.program.link, session.prompts, view, run);
    programmer.start();
    const int rc = session.run();
    Progress::show({});
    // After a run of failures the backup to go back to is the working station's, kept.
    const QString goBackTo = StationBackup::programmingEnded(
        backupFolder, image.cmos.serial_number, backupFile,
        StationBackup::runEnd(rc == kExitOk, programmer.eraseSent()));
    if (rc != kExitOk && programmer.eraseSent()) {
        printLine(stderr, txt(kTextProgrammingDidNotFinish));
        if (!goBackTo.isEmpty()) {
            const QString file = QFileInfo(goBackTo).absoluteFilePath();
            printLine(
                stderr,
                txt(kTextTheStationsPreviousConfiguration).arg(QDir::toNativeSeparators(file)));
            // A line to paste into a shell anywhere, to the station where it answers now.
            QStringList line{QCoreApplication::applicationFilePath(),
                             QStringLiteral("program"),
                             QStringLiteral("--port"),
                             options.value(QStringLiteral("port")),
                             QStringLiteral("--address"),
                             QString::number(programmer.answeringAddress()),
                             QStringLiteral("--in"),
                             file,
                             QStringLiteral("--no-backup")};
            for (const char* kept : {"dir", "lang"}) {
                const QString name = QLatin1String(kept);
                if (options.has(name)) {
                    const QString value = options.value(name);
                    line << QStringLiteral("--") + name
                         << (name == QStringLiteral("dir") ? QFileInfo(value).absoluteFilePath()
                                                           : value);
                }
            }
            printLine(stderr, QStringLiteral("  ") + shellCommand(line));
        }
    }
    return rc == kExitOk ? kExitOk : kExitStation;
}

class ConsoleLockView final : public LockView {
public:
    void lockStatus(const QString& text) override { printStatus(stdout, text); }
    void stationIdentified() override {}
    void lockEnded(Ending ending) override {
        QCoreApplication::exit(ending == Ending::Locked ? kExitOk : kExitStation);
    }
};

int runLock(const QStringList& args) {
    const CommandOptions options(args, kLockOptions);
    if (!options.ok() || !options.has(QStringLiteral("yes"))) {
        // Locking cannot be undone: nothing is sent without an explicit --yes.
        return usageError(options.ok() ? QStringLiteral("locking needs --yes") : options.error());
    }
    Session session;
    if (!session.open(options)) {
        return usageError(session.error);
    }
    session.prompts.setAnswer(true);
    ConsoleLockView view;
    StationLocker locker(session.port, session.program.link, session.prompts, view);
    locker.start();
    const int rc = session.run();
    return rc;
}

}  // namespace

extern const Command kReadCommand{
    "read", "read --port DEVICE [--address N] --out FILE|- [--lang cs|en] [--trace]", runRead,
    kReadOptions, "reads the station's configuration into a station file"};
extern const Command kProgramCommand{
    "program",
    "program --port DEVICE [--address N] --in FILE.sta [--no-check]\n"
    "                 [--restore-cmos yes|no] [--no-backup] [--dir DIR] [--lang cs|en] [--trace]",
    runProgram, kProgramOptions,
    "saves a backup of the station, then programs a station file into it"};
extern const Command kLockCommand{"lock",
                                  "lock --port DEVICE [--address N] --yes [--lang cs|en] [--trace]",
                                  runLock, kLockOptions, "locks the station against programming"};

}  // namespace pelmo::cli
