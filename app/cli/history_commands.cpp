// pelmo-cli commands for the history of readings: collect (a whole bus) and history.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <iterator>
#include <vector>

#include "archives/archive_logic.h"
#include "base/cp1250.h"
#include "base/texts.h"
#include "bus/address_map.h"
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
            // Never tried: an interrupt stopped the sweep, the station did not fail.
            break;
        }
        StationImage& image = session.program.station;
        resetNewStation(image);
        image.bus_address = run.entry.address;
        // The scan's name goes with the readings that do not read the station block.
        image.station.name = run.entry.name;
        image.station.net_address = static_cast<std::uint16_t>(run.entry.address);
        // A station that does not answer must not keep the serial of the one before.
        image.cmos.serial_number = 0;
        const QString name = fromCp1250(run.entry.name);
        printStatus(plan.json ? stderr : stdout,
                    QString::number(run.entry.address) +
                        (name.isEmpty() ? QString() : QLatin1Char(' ') + name) +
                        QStringLiteral(": ") + itemName(item));
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

// The stations at the known addresses only: each is asked for its name at its own address;
// one that does not answer keeps the name the map gave it and is marked `absent`.
std::vector<TAddressList> knownStations(Session& session, const std::vector<TAddressList>& known,
                                        std::vector<bool>& absent) {
    std::vector<TAddressList> stations;
    for (const TAddressList& k : known) {
        if (session.interrupted()) {
            break;
        }
        const std::vector<TAddressList> found = scanBus(session, k.address, k.address);
        stations.push_back(found.empty() ? k : found.front());
        absent.push_back(found.empty());
    }
    return stations;
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
    kJsonOption,
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
    const bool listed = options.has(QStringLiteral("addresses"));
    const bool mapped = options.has(QStringLiteral("map"));
    if ((listed || mapped) && (listed == mapped || options.has(QStringLiteral("from")) ||
                               options.has(QStringLiteral("to")))) {
        return usageError(
            QStringLiteral("give one of --from/--to, --addresses A,B,... or --map FILE"));
    }
    std::vector<TAddressList> known;
    if (listed) {
        QString bad;
        for (int a : parseBusAddressList(options.value(QStringLiteral("addresses")), bad)) {
            known.push_back({a, {}});
        }
        if (known.empty()) {
            return usageError(
                QStringLiteral("--addresses: \"%1\" is not an address 1..251 given once").arg(bad));
        }
    }
    int first = 0;
    int last = 0;
    if (!listed && !mapped && !readAddressRange(options, first, last)) {
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
    plan.out = options.has(QStringLiteral("out")) ? options.value(QStringLiteral("out"))
                                                  : session.program.folder;
    if (!session.open(options)) {
        return usageError(session.error);
    }
    if (mapped) {
        AddressEntries map{};
        if (loadAddressMap(options.value(QStringLiteral("map")), map, session.prompts) !=
            MapFileResult::Ok) {
            if (!session.prompts.errorShown()) {
                printLine(stderr,
                          txt(kTextTheFileCouldNot)
                              .arg(QDir::toNativeSeparators(options.value(QStringLiteral("map")))));
            }
            return kExitUsage;
        }
        std::copy_if(map.begin(), map.end(), std::back_inserter(known),
                     [](const TAddressList& e) { return e.address != 0; });
        if (known.empty()) {
            printLine(stderr, txt(kTextNoStationAnsweredOn));
            return kExitStation;
        }
    }
    if (!prepareFolder(plan.out)) {
        return kExitUsage;
    }
    std::vector<StationRun> runs;
    std::vector<bool> absent;
    for (const TAddressList& e :
         known.empty() ? scanBus(session, first, last) : knownStations(session, known, absent)) {
        runs.push_back({e, 0, {}, {}, false, {}});
    }
    if (runs.empty()) {
        printLine(stderr, txt(kTextNoStationAnsweredOn));
        return kExitStation;
    }

    // One failing station never stops the sweep; what failed is tried once more at the end.
    const auto context = [&runs](std::size_t i) {
        Progress::setContext(
            txt(kTextStationAddress).arg(i + 1).arg(runs.size()).arg(runs[i].entry.address));
    };
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (i < absent.size() && absent[i]) {
            // It did not answer its name: the one more try at the end is its reading.
            runs[i].failed = items;
            continue;
        }
        context(i);
        readStation(session, plan, items, runs[i]);
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
        StationRun& run = runs[i];
        if (!run.failed.empty() && !session.interrupted()) {
            context(i);
            run.retried = true;
            const std::vector<Item> again = run.failed;
            readStation(session, plan, again, run);
        }
    }
    Progress::setContext({});

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
    printLine(stdout, QStringList{txt(kTextAddress1207), txt(kTextSerialNumber1205),
                                  txt(kTextName1206), txt(kTextRead1225), txt(kTextFailed1226)}
                          .join(QLatin1Char('\t')));
    for (const StationRun& run : runs) {
        anyFailed = anyFailed || !run.failed.empty();
        QString failures = itemList(run.failed);
        if (run.retried && run.failed.empty()) {
            failures = txt(kTextNoneAfterARetry);
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
    HistoryDatabase db(session.program.historyDatabase);
    if (!db.open()) {
        printLine(stderr, txt(kTextTheHistoryCannotBe).arg(db.error()));
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
    "collect --port DEVICE [--from A --to B | --addresses A,B,... | --map FILE.map]\n"
    "                 [--archives all|actual] [--messages] [--monitoring] [--out DIR]\n"
    "                 [--json] [--lang cs|en] [--trace]\n"
    "                 (default: --archives actual --messages; DIR: the program folder)",
    runCollect, kCollectOptions, "reads every station on the bus into the history"};
extern const Command kHistoryCommand{
    "history",
    "history [--station SERIAL] [--kind archive|messages|monitoring] [--since DATE]\n"
    "                 [--csv | --json] [--lang cs|en]",
    runHistory, kHistoryOptions, "lists the stored readings, newest first"};

}  // namespace pelmo::cli
