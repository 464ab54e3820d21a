// pelmo-cli commands for the history of readings: collect (a whole bus) and history.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
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
#include "history/history_recorder.h"
#include "json/reading_json.h"
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
    QJsonArray readings;  // with --json
};

struct CollectPlan {
    std::vector<int> archivePositions;  // empty: no archives
    bool messages = false;
    bool monitoring = false;
    bool json = false;  // standard output carries one document; the rest goes to stderr
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
        printLine(plan.json ? stderr : stdout,
                  QStringLiteral("%1 %2: %3")
                      .arg(run.entry.address)
                      .arg(fromCp1250(run.entry.name), itemName(item)));
        int rc = kExitOk;
        QString path;
        QJsonArray records;
        QJsonObject document;
        switch (item) {
            case Item::Archives:
                rc = readArchives(session, plan.archivePositions, plan.out, plan.json,
                                  plan.json ? &records : nullptr);
                break;
            case Item::Messages:
                rc = readMessages(session, plan.out, {}, plan.json, path,
                                  plan.json ? &document : nullptr);
                break;
            case Item::Monitoring:
                rc = readMonitoring(session, {}, plan.out, plan.json ? &document : nullptr);
                break;
        }
        if (rc == kExitOk) {
            for (const QJsonValue& r : records) {
                run.readings.append(r);
            }
            if (!document.isEmpty()) {
                run.readings.append(document);
            }
        }
        if (image.cmos.serial_number != 0) {
            run.serial = image.cmos.serial_number;
        }
        (rc == kExitOk ? run.read : run.failed).push_back(item);
    }
}

QJsonArray itemsJson(const std::vector<Item>& items) {
    QJsonArray names;
    for (Item item : items) {
        if (!names.contains(itemName(item))) {
            names.append(itemName(item));
        }
    }
    return names;
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

int runCollect(const QStringList& args) {
    const CommandOptions options(
        args,
        {QStringLiteral("port"), QStringLiteral("from"), QStringLiteral("to"),
         QStringLiteral("archives"), QStringLiteral("out"), QStringLiteral("lang")},
        {QStringLiteral("messages"), QStringLiteral("monitoring"), QStringLiteral("trace"),
         QStringLiteral("json")});
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
    plan.json = options.has(QStringLiteral("json"));
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
        runs.push_back({e, 0, {}, {}, false, {}});
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

    bool anyFailed = false;
    if (plan.json) {
        QJsonArray stations;
        for (const StationRun& run : runs) {
            anyFailed = anyFailed || !run.failed.empty();
            stations.append(QJsonObject{
                {QStringLiteral("station"),
                 stationJson({run.serial, fromCp1250(run.entry.name), run.entry.address})},
                {QStringLiteral("read"), itemsJson(run.read)},
                {QStringLiteral("failed"), itemsJson(run.failed)},
                {QStringLiteral("retried"), run.retried},
                {QStringLiteral("readings"), run.readings}});
        }
        std::fputs(jsonText({{QStringLiteral("schema"), QLatin1String(schema::kCollect)},
                             {QStringLiteral("stations"), stations}})
                       .constData(),
                   stdout);
        return anyFailed ? kExitStation : kExitOk;
    }
    printLine(stdout, QStringList{txt(1207), txt(1205), txt(1206), txt(1225), txt(1226)}.join(
                          QLatin1Char('\t')));
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
    const CommandOptions options(args,
                                 {QStringLiteral("station"), QStringLiteral("kind"),
                                  QStringLiteral("since"), QStringLiteral("lang")},
                                 {QStringLiteral("csv"), QStringLiteral("json")});
    if (!options.ok()) {
        return usageError(options.error());
    }
    if (options.has(QStringLiteral("csv")) && options.has(QStringLiteral("json"))) {
        return usageError(QStringLiteral("give --csv or --json, not both"));
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
    if (options.has(QStringLiteral("json"))) {
        QJsonArray list;
        for (const StoredReading& r : readings) {
            list.append(storedReadingJson(db, r));
        }
        std::fputs(jsonText({{QStringLiteral("schema"), QLatin1String(schema::kHistory)},
                             {QStringLiteral("readings"), list}})
                       .constData(),
                   stdout);
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
    "collect --port DEVICE [--from A --to B] [--archives all|actual] [--messages]\n"
    "                 [--monitoring] [--out DIR] [--json] [--lang cs|en] [--trace]\n"
    "                 (default: --archives actual --messages; DIR: the program folder)",
    runCollect};
extern const Command kHistoryCommand{
    "history",
    "history [--station SERIAL] [--kind archive|messages|monitoring] [--since DATE]\n"
    "                 [--csv | --json]",
    runHistory};

}  // namespace pelmo::cli
