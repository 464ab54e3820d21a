#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

#include "context/reading_observer.h"

class QSqlQuery;

namespace pelmo {

// What the history keeps of each reading.
enum class ReadingKind { Archive, Messages, Monitoring };

// Stored kind names ("archive", "messages", "monitoring"), also the CLI's --kind words.
QString readingKindName(ReadingKind kind);
std::optional<ReadingKind> readingKindFromName(const QString& name);

struct StationKey {
    int serial = 0;
    QString name;
    int address = 0;
};

struct StoredStation {
    qint64 id = 0;
    StationKey key;
    int readings = 0;
    QDateTime lastRead;  // local time of the newest reading
};

struct StoredReading {
    qint64 id = 0;
    StationKey station;
    ReadingKind kind = ReadingKind::Archive;
    QDateTime readAt;     // PC time of the reading (local)
    QString stationTime;  // station clock, ISO 8601, empty when unknown
    QString summary;      // a short language-neutral note (the archive file name, counts)
};

struct MessageEntry {
    int row = 0;
    QString time;  // ISO 8601
    int type = 0;
    QString text;  // in the language of the reading
    bool operator==(const MessageEntry&) const = default;
};

struct MonitoringBytes {
    QByteArray mon;
    QByteArray con;
};

struct ReadingFilter {
    int serial = 0;  // 0: every station
    std::optional<ReadingKind> kind;
    QDateTime since;  // invalid: from the start
};

// The local history of readings: an SQLite file opened in WAL mode with a busy timeout, so
// several programs may write at once. The schema is created and brought up to date on open
// (PRAGMA user_version). Every store is one transaction: a crash part-way leaves what was
// committed before it intact and nothing of the interrupted store.
class HistoryDatabase {
public:
    static constexpr int kSchemaVersion = 1;
    static constexpr int kBusyTimeoutMs = 10000;

    explicit HistoryDatabase(const QString& path);
    ~HistoryDatabase();
    HistoryDatabase(const HistoryDatabase&) = delete;
    HistoryDatabase& operator=(const HistoryDatabase&) = delete;

    // Opens the file (creating its folder) and creates or migrates the schema. A file of a
    // newer schema than this program knows is refused untouched.
    bool open();
    QString error() const { return error_; }
    int schemaVersion();

    // Each returns the new reading's id, or 0 with error() set and nothing stored.
    qint64 storeArchive(const StationKey& station, const QString& stationTime,
                        const QString& summary, const std::vector<ArchiveEntry>& rows);
    qint64 storeMessages(const StationKey& station, const QString& stationTime,
                         const QByteArray& log, const std::vector<MessageEntry>& messages);
    qint64 storeMonitoring(const StationKey& station, const QString& stationTime,
                           const MonitoringBytes& bytes);

    std::vector<StoredStation> stations();
    // Newest first.
    std::vector<StoredReading> readings(const ReadingFilter& filter);
    std::optional<StoredReading> reading(qint64 id);
    std::vector<ArchiveEntry> archiveRows(qint64 reading);
    std::vector<MessageEntry> messages(qint64 reading);
    QByteArray messageLog(qint64 reading);
    std::optional<MonitoringBytes> monitoring(qint64 reading);

    // Called after every row written inside a store's transaction; tests stop the process
    // there to prove that an interrupted store leaves the file consistent.
    void setRowHook(std::function<void()> hook) { rowHook_ = std::move(hook); }

private:
    bool migrate();
    void refuse(int version);
    bool exec(const QString& sql);
    bool begin();
    bool commit();
    void rollback();
    qint64 beginReading(const StationKey& station, ReadingKind kind, const QString& stationTime,
                        const QString& summary, const QByteArray& data);
    qint64 finish(qint64 reading);
    void fail(const QString& what);
    void rowWritten();
    // Runs the prepared insert with `values`; a failure ends the store's transaction.
    bool insert(QSqlQuery& q, std::initializer_list<QVariant> values);
    // Switches the file to write-ahead logging, waiting out a concurrent opening.
    bool enableWal();

    QString path_;
    QString connection_;
    QSqlDatabase db_;
    QString error_;
    std::function<void()> rowHook_;
};

// Where the programs keep their history: $PELMO_HISTORY_DB when set, else history.sqlite in
// the per-user data folder (shared by pelmo and pelmo-cli).
QString defaultHistoryDatabasePath();

}  // namespace pelmo
