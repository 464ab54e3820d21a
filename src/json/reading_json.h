#pragma once

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <vector>

#include "bus/flying_measurement.h"
#include "bus/maximum_reader.h"
#include "bus/registers_reader.h"
#include "history/history_database.h"
#include "model/station_image.h"

namespace pelmo {

// The JSON documents of the readings, one shape per kind, shared by every command that prints
// one, by collect and by history. Each object names its shape and version in "schema"; keys
// are English and do not change with the language; a value goes with its unit as
// {"value": ..., "unit": ...} (plus "label", the operator's caption, where there is one);
// times are ISO 8601 with the local offset, null when the station's time is empty.
namespace schema {
inline constexpr char kStation[] = "pelmo.station/1";
inline constexpr char kArchiveRecord[] = "pelmo.archive-record/1";
inline constexpr char kArchive[] = "pelmo.archive/1";
inline constexpr char kMessages[] = "pelmo.messages/1";
inline constexpr char kMonitoring[] = "pelmo.monitoring/1";
inline constexpr char kRegisters[] = "pelmo.registers/1";
inline constexpr char kMaximum[] = "pelmo.maximum/1";
inline constexpr char kHardware[] = "pelmo.hardware/1";
inline constexpr char kFly[] = "pelmo.fly/1";
inline constexpr char kDiff[] = "pelmo.diff/1";
inline constexpr char kScan[] = "pelmo.scan/1";
inline constexpr char kCollect[] = "pelmo.collect/1";
inline constexpr char kHistory[] = "pelmo.history/1";
inline constexpr char kSteam[] = "pelmo.steam/1";
}  // namespace schema

// A station: serial number and name null where the reading did not learn them.
QJsonObject stationJson(const StationKey& station);

// One archive record: the rows as the history keeps them (all of one position). `file` is
// the archive file written, empty when none was (null).
QJsonObject archiveRecordJson(const StationKey& station, const QDateTime& readAt,
                              const QString& stationTime, const std::vector<ArchiveEntry>& rows,
                              const QString& file);
// The message log; the texts are the message types' in the current language.
QJsonObject messagesJson(const StationKey& station, const QDateTime& readAt,
                         const QString& stationTime, const std::vector<MessageEntry>& messages,
                         const QString& file);
// A monitoring recording: where it went and what the history notes of it.
QJsonObject monitoringJson(const StationKey& station, const QDateTime& readAt,
                           const QString& stationTime, const QString& file, const QString& summary);

QJsonObject registersJson(const RegisterValues& values, const QDateTime& readAt);
QJsonObject maximumJson(const StationKey& station, const QDateTime& readAt,
                        const MaximumValues& values);
QJsonObject hardwareJson(const StationImage& image, const QDateTime& readAt);
QJsonObject flyJson(const StationKey& station, const QDateTime& readAt, int circuit, int count,
                    const FlyValues& values);

// A side of a comparison: "station" (with its address) or "file" (with its path).
struct DiffSide {
    QString source;
    QString path;
    int address = 0;
};
// The configurations compared as the diff compares them; the keys are the English captions,
// the labels those of the current language.
QJsonObject diffJson(const StationImage& left, const StationImage& right, bool gas,
                     const DiffSide& leftSide, const DiffSide& rightSide);

QJsonObject scanJson(const std::vector<TAddressList>& found, int from, int to,
                     const QDateTime& readAt);

// A stored reading as its kind's shape, from the history's columns.
QJsonObject storedReadingJson(HistoryDatabase& db, const StoredReading& reading);

// The document as pelmo-cli prints it: indented, ending in a newline.
QByteArray jsonText(const QJsonObject& document);

}  // namespace pelmo
