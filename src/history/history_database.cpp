#include "history/history_database.h"

#include <QAtomicInteger>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QVariant>
#include <array>

namespace pelmo {

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");

// One step per schema version: step i takes the file from version i to i + 1.
const std::array<const char*, HistoryDatabase::kSchemaVersion> kMigrations = {
    R"(CREATE TABLE station (
           id INTEGER PRIMARY KEY,
           serial INTEGER NOT NULL UNIQUE,
           name TEXT NOT NULL,
           address INTEGER NOT NULL);
       CREATE TABLE reading (
           id INTEGER PRIMARY KEY,
           station_id INTEGER NOT NULL REFERENCES station(id),
           kind TEXT NOT NULL CHECK (kind IN ('archive', 'messages', 'monitoring')),
           read_at TEXT NOT NULL,
           station_time TEXT NOT NULL,
           summary TEXT NOT NULL,
           data BLOB);
       CREATE INDEX reading_by_station ON reading (station_id, read_at);
       CREATE TABLE archive_row (
           reading_id INTEGER NOT NULL REFERENCES reading(id) ON DELETE CASCADE,
           row INTEGER NOT NULL,
           position INTEGER NOT NULL,
           archive_number INTEGER NOT NULL,
           record_time TEXT NOT NULL,
           label TEXT NOT NULL,
           unit TEXT NOT NULL,
           value REAL NOT NULL,
           PRIMARY KEY (reading_id, row));
       CREATE TABLE message (
           reading_id INTEGER NOT NULL REFERENCES reading(id) ON DELETE CASCADE,
           row INTEGER NOT NULL,
           time TEXT NOT NULL,
           type INTEGER NOT NULL,
           text TEXT NOT NULL,
           PRIMARY KEY (reading_id, row));
       CREATE TABLE monitoring (
           reading_id INTEGER PRIMARY KEY REFERENCES reading(id) ON DELETE CASCADE,
           mon BLOB NOT NULL,
           con BLOB NOT NULL);)",
};

QString newConnectionName() {
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("pelmo-history-%1").arg(counter.fetchAndAddRelaxed(1));
}

StoredReading readingFromQuery(const QSqlQuery& q) {
    StoredReading r;
    r.id = q.value(0).toLongLong();
    r.station.serial = q.value(1).toInt();
    r.station.name = q.value(2).toString();
    r.station.address = q.value(3).toInt();
    r.kind = readingKindFromName(q.value(4).toString()).value_or(ReadingKind::Archive);
    r.readAt = QDateTime::fromString(q.value(5).toString(), kTimeFormat);
    r.stationTime = q.value(6).toString();
    r.summary = q.value(7).toString();
    return r;
}

const QString kReadingColumns = QStringLiteral(
    "SELECT r.id, s.serial, s.name, s.address, r.kind, r.read_at, r.station_time, r.summary "
    "FROM reading r JOIN station s ON s.id = r.station_id ");

}  // namespace

QString readingKindName(ReadingKind kind) {
    switch (kind) {
        case ReadingKind::Archive:
            return QStringLiteral("archive");
        case ReadingKind::Messages:
            return QStringLiteral("messages");
        case ReadingKind::Monitoring:
            break;
    }
    return QStringLiteral("monitoring");
}

std::optional<ReadingKind> readingKindFromName(const QString& name) {
    for (ReadingKind k : {ReadingKind::Archive, ReadingKind::Messages, ReadingKind::Monitoring}) {
        if (name == readingKindName(k)) {
            return k;
        }
    }
    return std::nullopt;
}

HistoryDatabase::HistoryDatabase(const QString& path)
    : path_(path), connection_(newConnectionName()) {}

HistoryDatabase::~HistoryDatabase() {
    if (db_.isValid()) {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection_);
    }
}

void HistoryDatabase::fail(const QString& what) {
    const QString detail = db_.isValid() ? db_.lastError().text() : QString();
    error_ = detail.trimmed().isEmpty() ? what : what + QStringLiteral(": ") + detail;
}

bool HistoryDatabase::exec(const QString& sql) {
    QSqlQuery q(db_);
    if (!q.exec(sql)) {
        error_ = sql.section(QLatin1Char(' '), 0, 1) + QStringLiteral(": ") + q.lastError().text();
        return false;
    }
    return true;
}

bool HistoryDatabase::open() {
    if (path_.isEmpty()) {
        error_ = QStringLiteral("no history database");
        return false;
    }
    QDir().mkpath(QFileInfo(path_).absolutePath());
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    if (!db_.isValid()) {
        fail(QStringLiteral("the SQLite driver is missing"));
        return false;
    }
    db_.setDatabaseName(path_);
    // The driver's own timeout covers the first statements, before the pragma below.
    db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!db_.open()) {
        fail(path_);
        return false;
    }
    if (!exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(kBusyTimeoutMs))) {
        return false;
    }
    // Checked before WAL changes the file's header: a file we do not know stays as it was.
    if (const int version = schemaVersion(); version < 0 || version > kSchemaVersion) {
        refuse(version);
        return false;
    }
    return enableWal() && exec(QStringLiteral("PRAGMA foreign_keys = ON")) && migrate();
}

bool HistoryDatabase::enableWal() {
    // SQLite answers a journal mode change that meets another connection with "locked"
    // at once, without waiting through the busy timeout: two programs opening a new file
    // together would otherwise fail. The mode stays in the file, so this waits only then.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QSqlQuery q(db_);
        if (q.exec(QStringLiteral("PRAGMA journal_mode = WAL")) && q.next() &&
            q.value(0).toString().compare(QStringLiteral("wal"), Qt::CaseInsensitive) == 0) {
            return true;
        }
        if (waited.elapsed() >= kBusyTimeoutMs) {
            error_ = QStringLiteral("PRAGMA journal_mode: ") + q.lastError().text();
            return false;
        }
        QThread::msleep(10);
    }
}

int HistoryDatabase::schemaVersion() {
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        return -1;
    }
    return q.value(0).toInt();
}

bool HistoryDatabase::migrate() {
    if (schemaVersion() == kSchemaVersion) {
        return true;
    }
    // The version is read again inside the write lock: another program may have migrated.
    if (!begin()) {
        return false;
    }
    int version = schemaVersion();
    if (version < 0 || version > kSchemaVersion) {
        rollback();
        refuse(version);
        return false;
    }
    for (; version < kSchemaVersion; ++version) {
        // The SQLite driver runs one statement per exec.
        const QStringList statements =
            QString::fromLatin1(kMigrations[static_cast<std::size_t>(version)])
                .split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (const QString& s : statements) {
            if (!s.trimmed().isEmpty() && !exec(s)) {
                rollback();
                return false;
            }
        }
        if (!exec(QStringLiteral("PRAGMA user_version = %1").arg(version + 1))) {
            rollback();
            return false;
        }
    }
    return commit();
}

void HistoryDatabase::refuse(int version) {
    error_ = version < 0 ? QStringLiteral("%1 is not a history database").arg(path_)
                         : QStringLiteral("%1 has schema %2, newer than this program's %3")
                               .arg(path_)
                               .arg(version)
                               .arg(kSchemaVersion);
}

bool HistoryDatabase::begin() {
    // IMMEDIATE takes the write lock at once, so two writers wait for each other in the
    // busy handler instead of failing on a lock upgrade.
    return exec(QStringLiteral("BEGIN IMMEDIATE"));
}

bool HistoryDatabase::commit() {
    if (exec(QStringLiteral("COMMIT"))) {
        return true;
    }
    const QString why = error_;
    rollback();
    error_ = why;
    return false;
}

void HistoryDatabase::rollback() {
    QSqlQuery q(db_);
    q.exec(QStringLiteral("ROLLBACK"));
}

void HistoryDatabase::rowWritten() {
    if (rowHook_) {
        rowHook_();
    }
}

bool HistoryDatabase::insert(QSqlQuery& q, std::initializer_list<QVariant> values) {
    for (const QVariant& v : values) {
        q.addBindValue(v);
    }
    if (!q.exec()) {
        error_ = q.lastError().text();
        rollback();
        return false;
    }
    rowWritten();
    return true;
}

qint64 HistoryDatabase::beginReading(const StationKey& station, ReadingKind kind,
                                     const QString& stationTime, const QString& summary,
                                     const QByteArray& data) {
    if (!db_.isOpen()) {
        error_ = QStringLiteral("the history database is not open");
        return 0;
    }
    if (!begin()) {
        return 0;
    }
    QSqlQuery q(db_);
    q.prepare(QStringLiteral(
        "INSERT INTO station (serial, name, address) VALUES (?, IFNULL(?, ''), ?) "
        "ON CONFLICT (serial) DO UPDATE SET name = IIF(excluded.name = '', name, excluded.name), "
        "address = excluded.address"));
    if (!insert(q, {station.serial, station.name, station.address})) {
        return 0;
    }
    q.prepare(QStringLiteral(
        "INSERT INTO reading (station_id, kind, read_at, station_time, summary, data) "
        "VALUES ((SELECT id FROM station WHERE serial = ?), ?, ?, IFNULL(?, ''), IFNULL(?, ''), "
        "?)"));
    if (!insert(q, {station.serial, readingKindName(kind),
                    QDateTime::currentDateTime().toString(kTimeFormat), stationTime, summary,
                    data.isNull() ? QVariant(QMetaType(QMetaType::QByteArray)) : QVariant(data)})) {
        return 0;
    }
    return q.lastInsertId().toLongLong();
}

qint64 HistoryDatabase::finish(qint64 reading) {
    return commit() ? reading : 0;
}

qint64 HistoryDatabase::storeArchive(const StationKey& station, const QString& stationTime,
                                     const QString& summary,
                                     const std::vector<ArchiveEntry>& rows) {
    const qint64 id = beginReading(station, ReadingKind::Archive, stationTime, summary, {});
    if (id == 0) {
        return 0;
    }
    QSqlQuery q(db_);
    q.prepare(QStringLiteral(
        "INSERT INTO archive_row (reading_id, row, position, archive_number, "
        "record_time, label, unit, value) VALUES (?, ?, ?, ?, IFNULL(?, ''), IFNULL(?, ''), "
        "IFNULL(?, ''), ?)"));
    for (const ArchiveEntry& e : rows) {
        if (!insert(q, {id, e.row, e.position, e.archiveNumber, e.recordTime, e.label, e.unit,
                        e.value})) {
            return 0;
        }
    }
    return finish(id);
}

qint64 HistoryDatabase::storeMessages(const StationKey& station, const QString& stationTime,
                                      const QByteArray& log,
                                      const std::vector<MessageEntry>& messages) {
    const qint64 id = beginReading(station, ReadingKind::Messages, stationTime,
                                   QString::number(messages.size()), log);
    if (id == 0) {
        return 0;
    }
    QSqlQuery q(db_);
    q.prepare(
        QStringLiteral("INSERT INTO message (reading_id, row, time, type, text) "
                       "VALUES (?, ?, IFNULL(?, ''), ?, IFNULL(?, ''))"));
    for (const MessageEntry& m : messages) {
        if (!insert(q, {id, m.row, m.time, m.type, m.text})) {
            return 0;
        }
    }
    return finish(id);
}

qint64 HistoryDatabase::storeMonitoring(const StationKey& station, const QString& stationTime,
                                        const MonitoringBytes& bytes) {
    const qint64 id = beginReading(station, ReadingKind::Monitoring, stationTime,
                                   QStringLiteral("%1 B").arg(bytes.mon.size()), {});
    if (id == 0) {
        return 0;
    }
    QSqlQuery q(db_);
    q.prepare(QStringLiteral("INSERT INTO monitoring (reading_id, mon, con) VALUES (?, ?, ?)"));
    if (!insert(q, {id, bytes.mon, bytes.con})) {
        return 0;
    }
    return finish(id);
}

std::vector<StoredStation> HistoryDatabase::stations() {
    std::vector<StoredStation> out;
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("SELECT s.id, s.serial, s.name, s.address, COUNT(r.id), "
                               "MAX(r.read_at) FROM station s LEFT JOIN reading r ON "
                               "r.station_id = s.id GROUP BY s.id ORDER BY s.serial"))) {
        error_ = q.lastError().text();
        return out;
    }
    while (q.next()) {
        StoredStation s;
        s.id = q.value(0).toLongLong();
        s.key = {q.value(1).toInt(), q.value(2).toString(), q.value(3).toInt()};
        s.readings = q.value(4).toInt();
        s.lastRead = QDateTime::fromString(q.value(5).toString(), kTimeFormat);
        out.push_back(s);
    }
    return out;
}

std::vector<StoredReading> HistoryDatabase::readings(const ReadingFilter& filter) {
    std::vector<StoredReading> out;
    QSqlQuery q(db_);
    q.prepare(kReadingColumns +
              QStringLiteral("WHERE (? = 0 OR s.serial = ?) AND (IFNULL(?, '') = '' OR r.kind = ?) "
                             "AND r.read_at >= IFNULL(?, '') ORDER BY r.read_at DESC, r.id DESC"));
    const QString kind = filter.kind ? readingKindName(*filter.kind) : QString();
    q.addBindValue(filter.serial);
    q.addBindValue(filter.serial);
    q.addBindValue(kind);
    q.addBindValue(kind);
    q.addBindValue(filter.since.isValid() ? filter.since.toString(kTimeFormat) : QString());
    if (!q.exec()) {
        error_ = q.lastError().text();
        return out;
    }
    while (q.next()) {
        out.push_back(readingFromQuery(q));
    }
    return out;
}

std::optional<StoredReading> HistoryDatabase::reading(qint64 id) {
    QSqlQuery q(db_);
    q.prepare(kReadingColumns + QStringLiteral("WHERE r.id = ?"));
    q.addBindValue(id);
    if (!q.exec() || !q.next()) {
        return std::nullopt;
    }
    return readingFromQuery(q);
}

std::vector<ArchiveEntry> HistoryDatabase::archiveRows(qint64 reading) {
    std::vector<ArchiveEntry> out;
    QSqlQuery q(db_);
    q.prepare(
        QStringLiteral("SELECT position, archive_number, record_time, row, label, unit, "
                       "value FROM archive_row WHERE reading_id = ? ORDER BY row"));
    q.addBindValue(reading);
    if (q.exec()) {
        while (q.next()) {
            out.push_back({q.value(0).toInt(), q.value(1).toInt(), q.value(2).toString(),
                           q.value(3).toInt(), q.value(4).toString(), q.value(5).toString(),
                           q.value(6).toDouble()});
        }
    }
    return out;
}

std::vector<MessageEntry> HistoryDatabase::messages(qint64 reading) {
    std::vector<MessageEntry> out;
    QSqlQuery q(db_);
    q.prepare(QStringLiteral(
        "SELECT row, time, type, text FROM message WHERE reading_id = ? ORDER BY row"));
    q.addBindValue(reading);
    if (q.exec()) {
        while (q.next()) {
            out.push_back({q.value(0).toInt(), q.value(1).toString(), q.value(2).toInt(),
                           q.value(3).toString()});
        }
    }
    return out;
}

QByteArray HistoryDatabase::messageLog(qint64 reading) {
    QSqlQuery q(db_);
    q.prepare(QStringLiteral("SELECT data FROM reading WHERE id = ?"));
    q.addBindValue(reading);
    return q.exec() && q.next() ? q.value(0).toByteArray() : QByteArray();
}

std::optional<MonitoringBytes> HistoryDatabase::monitoring(qint64 reading) {
    QSqlQuery q(db_);
    q.prepare(QStringLiteral("SELECT mon, con FROM monitoring WHERE reading_id = ?"));
    q.addBindValue(reading);
    if (!q.exec() || !q.next()) {
        return std::nullopt;
    }
    return MonitoringBytes{q.value(0).toByteArray(), q.value(1).toByteArray()};
}

QString defaultHistoryDatabasePath() {
    const QString fromEnvironment = qEnvironmentVariable("PELMO_HISTORY_DB");
    if (!fromEnvironment.isEmpty()) {
        return fromEnvironment;
    }
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("history.sqlite"));
}

}  // namespace pelmo
