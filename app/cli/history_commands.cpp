// pelmo-cli commands for the history of readings: collect (a whole bus) and history.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <algorithm>
#include <vector>

#include "archives/archive_logic.h"
#include "base/cp1250.h"
#include "base/texts.h"
#include "bus/address_search.h"
#include "cli/bus_scan.h"
#include "cli/cli_session.h"
#include "cli/readings.h"
#include "files/program_folder.h"
#include "history/history_csv.h"
#include "history/history_database.h"
#include "link/communication.h"

namespace pelmo::cli {
namespace {

// ---- collect ----

enum class Item { Archives, Messages, Monitoring };

QString itemName(Item item) {
    switch (item) {
        case Item::Archives:
            return QStringLiteral("archive");
        case Item::Messages:
            return QStringLiteral("messages");
        case Item::Monitoring:
            break;
    }
    return QStringLiteral("monitoring");
}

struct StationRun {
    TAddressList entry;
    int serial = 0;
    std::vector<Item> read;
    std::vector<Item> failed;
    bool retried = false;
};

struct CollectPlan {
    std::vector<int> archivePositions;  // empty: no archives
    bool messages = false;
    bool monitoring = false;
    QString out;
};

// Reads `items` from one station; the station folder goes under plan.out.
void readStation(Session& session, const CollectPlan& plan, const std::vector<Item>& items,
                 StationRun& run) {
    run.failed.clear();
    for (Item item : items) {
        if (session.interrupted()) {
            // Not read: an interrupt stopped the sweep.
            run.failed.push_back(item);
            continue;
        }
        StationImage& image = station();
        resetNewStation(image);
        image.bus_address = run.entry.address;
        // The scan's name goes with the readings that do not read the station block.
        image.station.name = run.entry.name;
        image.station.net_address = static_cast<std::uint16_t>(run.entry.address);
        printLine(stdout, QStringLiteral("%1 %2: %3")
                              .arg(run.entry.address)
                              .arg(fromCp1250(run.entry.name), itemName(item)));
        int rc = kExitOk;
        QString path;
        switch (item) {
            case Item::Archives:
                rc = readArchives(session, plan.archivePositions, plan.out, false, nullptr);
                break;
            case Item::Messages:
                rc = readMessages(session, plan.out, {}, false, path);
                break;
            case Item::Monitoring:
                rc = readMonitoring(session, {}, plan.out);
                break;
        }
        if (image.cmos.serial_number != 0) {
            run.serial = image.cmos.serial_number;
        }
        (rc == kExitOk ? run.read : run.failed).push_back(item);
    }
}

QString itemList(const std::vector<Item>& items) {
    QStringList names;
    for (Item item : items) {
        if (!names.contains(itemName(item))) {
            names << itemName(item);
        }
    }
    return names.isEmpty() ? QStringLiteral("-") : names.join(QLatin1Char(','));
}

constexpr OptionSpec kCollectOptions[] = {
    kPortOption,
    {"from", 0, "A", "the first address probed, 1..251 (default 1)"},
    {"to", 0, "B", "the last address probed, 1..251 (default 250)"},
    {"addresses", 0, "LIST", "reads these addresses (3,17,42) without probing the others"},
    {"map", 0, "FILE.map", "reads the stations of a .map file without probing"},
    {"archives", 0, "all|actual", "the archive records read"},
    {"messages", 0, nullptr, "the message log"},
    {"monitoring", 0, nullptr, "the monitoring recording"},
    {"out", 0, "DIR", "where the station folders go (default: the program folder)"},
    kLangOption,
    kTraceOption};
constexpr OptionSpec kHistoryOptions[] = {
    {"station", 0, "SERIAL", "only this station's readings"},
    {"kind", 0, "archive|messages|monitoring", "only readings of this kind"},
    {"since", 0, "DATE", "only readings since YYYY-MM-DD or YYYY-MM-DDThh:mm:ss"},
    {"csv", 0, nullptr, "exports the readings as CSV, as the window does"},
    kJsonOption,
    kLangOption};

int runCollect(const QStringList& args) {
    const CommandOptions options(args, kCollectOptions);
    if (!options.ok()) {
        return usageError(options.error());
    }
    int first = 0;
    int last = 0;
    if (!readAddressRange(options, first, last)) {
        return kExitUsage;
    }
    CollectPlan plan;
    const QString archives = options.value(QStringLiteral("archives"));
    if (options.has(QStringLiteral("archives")) && archives != QStringLiteral("all") &&
        archives != QStringLiteral("actual")) {
        return usageError(QStringLiteral("--archives must be all or actual"));
    }
    plan.messages = options.has(QStringLiteral("messages"));
    plan.monitoring = options.has(QStringLiteral("monitoring"));
    const bool defaults =
        !options.has(QStringLiteral("archives")) && !plan.messages && !plan.monitoring;
    if (options.has(QStringLiteral("archives")) || defaults) {
        plan.archivePositions =
            archivePositionsToRead(archives == QStringLiteral("all"), kArchivePositionActual);
    }
    // Without a choice: the actual state and the message log, the quick readings.
    plan.messages = plan.messages || defaults;
    plan.out =
        options.has(QStringLiteral("out")) ? options.value(QStringLiteral("out")) : programFolder();
    std::vector<Item> items;
    if (!plan.archivePositions.empty()) {
        items.push_back(Item::Archives);
    }
    if (plan.messages) {
        items.push_back(Item::Messages);
    }
    if (plan.monitoring) {
        items.push_back(Item::Monitoring);
    }

    Session session;
    if (!session.open(options)) {
        return usageError(session.error);
    }
    if (!prepareFolder(plan.out)) {
        return kExitUsage;
    }
    std::vector<StationRun> runs;
    for (const TAddressList& e : scanBus(session, first, last)) {
        runs.push_back({e, 0, {}, {}, false});
    }
    if (runs.empty()) {
        printLine(stderr, txt(1228));
        return kExitStation;
    }

    // One failing station never stops the sweep; what failed is tried once more at the end.
    for (StationRun& run : runs) {
        readStation(session, plan, items, run);
    }
    for (StationRun& run : runs) {
        if (!run.failed.empty() && !session.interrupted()) {
            run.retried = true;
            const std::vector<Item> again = run.failed;
            readStation(session, plan, again, run);
        }
    }

    printLine(stdout, QStringList{txt(1207), txt(1205), txt(1206), txt(1225), txt(1226)}.join(
                          QLatin1Char('\t')));
    bool anyFailed = false;
    for (const StationRun& run : runs) {
        anyFailed = anyFailed || !run.failed.empty();
        QString failures = itemList(run.failed);
        if (run.retried && run.failed.empty()) {
            failures = txt(1227);
        }
        printLine(stdout,
                  QStringList{QString::number(run.entry.address),
                              run.serial ? QString::number(run.serial) : QStringLiteral("-"),
                              fromCp1250(run.entry.name), itemList(run.read), failures}
                      .join(QLatin1Char('\t')));
    }
    return anyFailed ? kExitStation : kExitOk;
}

// ---- history ----

int runHistory(const QStringList& args) {
    const CommandOptions options(args, kHistoryOptions);
    if (!options.ok()) {
        return usageError(options.error());
    }
    ReadingFilter filter;
    if (options.has(QStringLiteral("station"))) {
        bool ok = false;
        filter.serial = options.value(QStringLiteral("station")).toInt(&ok);
        if (!ok || filter.serial < 1 || filter.serial > 65535) {
            return usageError(QStringLiteral("--station must be a serial number 1..65535"));
        }
    }
    if (options.has(QStringLiteral("kind"))) {
        filter.kind = readingKindFromName(options.value(QStringLiteral("kind")));
        if (!filter.kind) {
            return usageError(QStringLiteral("--kind must be archive, messages or monitoring"));
        }
    }
    if (options.has(QStringLiteral("since"))) {
        const QString since = options.value(QStringLiteral("since"));
        filter.since = QDateTime::fromString(since, Qt::ISODate);
        if (!filter.since.isValid()) {
            filter.since = QDateTime(QDate::fromString(since, Qt::ISODate), QTime(0, 0));
        }
        if (!filter.since.isValid()) {
            return usageError(QStringLiteral("--since must be YYYY-MM-DD or YYYY-MM-DDThh:mm:ss"));
        }
    }
    Session session;
    if (!session.open(options, false)) {
        return usageError(session.error);
    }
    HistoryDatabase db(historyDatabasePath());
    if (!db.open()) {
        printLine(stderr, txt(1222).arg(db.error()));
        return kExitUsage;
    }
    const std::vector<StoredReading> readings = db.readings(filter);
    if (options.has(QStringLiteral("csv"))) {
        const QByteArray csv = historyCsv(db, readings);
        std::fwrite(csv.constData(), 1, static_cast<std::size_t>(csv.size()), stdout);
        std::fflush(stdout);
        return kExitOk;
    }
    for (const StoredReading& r : readings) {
        printLine(stdout,
                  QStringList{r.readAt.toString(Qt::ISODate), QString::number(r.station.serial),
                              r.station.name, readingKindName(r.kind), r.stationTime, r.summary}
                      .join(QLatin1Char('\t')));
    }
    return kExitOk;
}

}  // namespace

extern const Command kCollectCommand{
    "collect",
    "collect --port DEVICE [--from A --to B | --addresses LIST | --map FILE.map]\n"
    "                 [--archives all|actual] [--messages] [--monitoring] [--out DIR]\n"
    "                 [--lang cs|en] [--trace]\n"
    "                 (default: --archives actual --messages; DIR: the program folder)",
    runCollect, kCollectOptions, "reads every station on the bus into the history"};
extern const Command kHistoryCommand{
    "history",
    "history [--station SERIAL] [--kind archive|messages|monitoring] [--since DATE]\n"
    "                 [--csv | --json] [--lang cs|en]",
    runHistory, kHistoryOptions, "lists the stored readings, newest first"};

}  // namespace pelmo::cli
