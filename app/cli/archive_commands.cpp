// pelmo-cli commands for measured data: archive and messages.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <vector>

#include "archives/archive_logic.h"
#include "archives/archive_transfer.h"
#include "archives/message_transfer.h"
#include "base/texts.h"
#include "cli/cli_session.h"
#include "cli/readings.h"
#include "files/program_folder.h"
#include "history/history_recorder.h"
#include "json/reading_json.h"
#include "link/communication.h"

namespace pelmo::cli {
namespace {

constexpr OptionSpec kArchiveOptions[] = {
    kPortOption,
    kAddressOption,
    {"position", 0, "P",
     "the record to read: 0..23 the months, 24 actual, 25 intermediate, 26..33 the days"},
    {"all", 0, nullptr, "every record, 0..33"},
    {"dir", 0, "DIR", "where the station folder goes (default: the program folder)"},
    kJsonOption,
    kLangOption,
    kTraceOption};
constexpr OptionSpec kMessagesOptions[] = {
    kPortOption,
    kAddressOption,
    {"out", 0, "FILE|-",
     "the export to write, - for standard output (default: Hlaseni.dat in the station folder)"},
    {"dir", 0, "DIR", "where the station folder goes (default: the program folder)"},
    kJsonOption,
    kLangOption,
    kTraceOption};

void later(std::function<void()> f) {
    QTimer::singleShot(0, QCoreApplication::instance(), std::move(f));
}

// Prints the archive window's status texts (not with --json: stdout carries the document)
// and hands each finished read to the command.
class ConsoleArchiveView final : public ArchiveView {
public:
    explicit ConsoleArchiveView(bool quiet) : quiet_(quiet) {}
    std::function<void()> recordDone;

    void archiveStatus(const QString& text) override {
        if (!quiet_) {
            printStatus(stdout, text);
        }
    }
    void sourceFile(const QString&) override {}
    void descriptionStarting() override {}
    void sequenceRunning(bool) override {}
    void gridChanged() override {}
    void recordRead(int) override {}
    void sequenceEnded(bool ok) override {
        if (!ok) {
            QCoreApplication::exit(kExitStation);
        } else if (recordDone) {
            later(recordDone);
        }
    }
    void closeRequested() override { QCoreApplication::exit(kExitStation); }

private:
    bool quiet_;
};

void printJson(const QJsonObject& doc) {
    std::fputs(jsonText(doc).constData(), stdout);
    std::fflush(stdout);
}

class ConsoleMessageView final : public MessageView {
public:
    explicit ConsoleMessageView(bool quiet) : quiet_(quiet) {}
    void messageStatus(const QString& text) override {
        if (!quiet_) {
            printStatus(stdout, text);
        }
    }
    void transferRunning(bool) override {}
    void tableFilled() override {}
    void transferEnded(bool ok) override {
        // Left to the event loop: the engine is still finishing its poll.
        const int rc = ok ? kExitOk : kExitStation;
        later([rc] { QCoreApplication::exit(rc); });
    }

private:
    bool quiet_;
};

}  // namespace

std::vector<int> archivePositionsToRead(bool all, int position) {
    // The description ends with the actual state, so it comes first.
    std::vector<int> wanted;
    if (all || position == kArchivePositionActual) {
        wanted.push_back(kArchivePositionActual);
    }
    for (int p = kArchivePositionFirst; p <= kArchivePositionLast; ++p) {
        if (p != kArchivePositionActual && (all || p == position)) {
            wanted.push_back(p);
        }
    }
    return wanted;
}

int readArchives(Session& session, const std::vector<int>& wanted, const QString& baseFolder,
                 bool quiet, QJsonArray* records) {
    ConsoleArchiveView view(quiet);
    ArchiveSession archive(session.port, session.program, view);
    archive.setBaseFolder(baseFolder);
    std::size_t next = 0;
    bool first = true;
    const auto progress = [&wanted](std::size_t read) {
        Progress::show(txt(kTextReadingArchiveRecord).arg(read + 1).arg(wanted.size()));
    };
    view.recordDone = [&] {
        // The description's own read of the actual state is saved only when asked for.
        if (!first || wanted.front() == kArchivePositionActual) {
            const QString path = archive.save();
            if (path.isEmpty()) {
                QCoreApplication::exit(kExitUsage);
                return;
            }
            printLine(quiet ? stderr : stdout, path);
            if (records) {
                records->append(archiveRecordJson(
                    historyKey(session.program.station), QDateTime::currentDateTime(),
                    isoStationTime(archive.state().station), archive.readRows(), path));
            }
            ++next;
        }
        first = false;
        if (next < wanted.size()) {
            progress(next);
            archive.startData(wanted[next]);
        } else {
            QCoreApplication::exit(kExitOk);
        }
    };
    progress(0);
    archive.startDescription();
    const int rc = session.run();
    Progress::show({});
    return rc;
}

int readMessages(Session& session, const QString& baseFolder, const QString& out, bool quiet,
                 QString& path, QJsonObject* document) {
    ConsoleMessageView view(quiet);
    MessageTransfer transfer(session.port, session.program, view);
    transfer.setBaseFolder(baseFolder);
    transfer.start();
    const int rc = session.run();
    if (rc != kExitOk) {
        return rc;
    }
    path = transfer.exportTo(out);
    if (path.isEmpty()) {
        return kExitUsage;
    }
    // With --out - the file itself is the output, not its temporary name.
    if (!outputOptions().stdoutIsFile) {
        printLine(quiet ? stderr : stdout, path);
    }
    if (document) {
        // The clock as READ_STATUS gave it.
        *document = messagesJson(historyKey(session.program.station), QDateTime::currentDateTime(),
                                 isoStationTime(session.program.archiveRecord.station),
                                 messageEntries(transfer.bytes()), path);
    }
    return kExitOk;
}

namespace {

int runArchive(const QStringList& args) {
    const CommandOptions options(args, kArchiveOptions);
    if (!options.ok()) {
        return usageError(options.error());
    }
    const bool all = options.has(QStringLiteral("all"));
    bool numberOk = false;
    const int position = options.value(QStringLiteral("position")).toInt(&numberOk);
    if (all == options.has(QStringLiteral("position"))) {
        return usageError(QStringLiteral("give either --position P or --all"));
    }
    if (!all &&
        (!numberOk || position < kArchivePositionFirst || position > kArchivePositionLast)) {
        return usageError(QStringLiteral("--position must be 0..33"));
    }
    const std::vector<int> wanted = archivePositionsToRead(all, position);
    const bool json = options.has(QStringLiteral("json"));

    Session session;
    if (!session.open(options)) {
        return usageError(session.error);
    }
    const QString folder = options.has(QStringLiteral("dir")) ? options.value(QStringLiteral("dir"))
                                                              : session.program.folder;
    if (!prepareFolder(folder)) {
        return kExitUsage;
    }
    QJsonArray records;
    const int rc = readArchives(session, wanted, folder, json, &records);
    // Interrupted, the document lists the records saved before the stop.
    if (rc != kExitOk && !session.interrupted()) {
        return rc;
    }
    if (json) {
        printJson({{QStringLiteral("schema"), QLatin1String(schema::kArchive)},
                   {QStringLiteral("station"), stationJson(historyKey(session.program.station))},
                   {QStringLiteral("records"), records}});
    }
    return kExitOk;
}

int runMessages(const QStringList& args) {
    const CommandOptions options(args, kMessagesOptions);
    if (!options.ok()) {
        return usageError(options.error());
    }
    if (options.has(QStringLiteral("out")) && options.has(QStringLiteral("dir"))) {
        return usageError(QStringLiteral("give --out FILE or --dir DIR, not both"));
    }
    const bool json = options.has(QStringLiteral("json"));
    Session session;
    if (!session.open(options)) {
        return usageError(session.error);
    }
    const QString folder = options.has(QStringLiteral("dir")) ? options.value(QStringLiteral("dir"))
                                                              : session.program.folder;
    if (json && options.value(QStringLiteral("out")) == QStringLiteral("-")) {
        return usageError(QStringLiteral("--json and --out - both want standard output"));
    }
    const OutputFile out(options.value(QStringLiteral("out")));
    if (!(out.path().isEmpty() ? prepareFolder(folder) : out.prepare())) {
        return kExitUsage;
    }
    QString path;
    QJsonObject document;
    const int rc = readMessages(session, folder, out.path(), json, path, &document);
    if (rc != kExitOk) {
        return rc;
    }
    if (out.toStdout()) {
        out.written();
    }
    if (json) {
        printJson(document);
    }
    return kExitOk;
}

}  // namespace

extern const Command kArchiveCommand{
    "archive",
    "archive --port DEVICE [--address N] (--position P | --all) [--dir DIR]\n"
    "                 [--json] [--lang cs|en] [--trace]",
    runArchive, kArchiveOptions, "reads archive records into the station folder"};
extern const Command kMessagesCommand{
    "messages",
    "messages --port DEVICE [--address N] [--out FILE|- | --dir DIR] [--json]\n"
    "                 [--lang cs|en] [--trace]",
    runMessages, kMessagesOptions, "reads the station's message log"};

}  // namespace pelmo::cli
