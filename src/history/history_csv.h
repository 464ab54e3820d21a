#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "history/history_database.h"

namespace pelmo {

class Prompts;

// The CSV export of stored readings, shared by the history window and pelmo-cli: UTF-8, a
// header row, one line per archive row, per message and per monitoring recording, ISO 8601
// times and decimal points.
//   serial,name,address,read_at,kind,station_time,item,time,label,value,unit
// item is the archive's scroll-bar position, the message's row or empty; label and value are
// the quantity and its value, the message text and its type, or the recording's summary.
QByteArray historyCsv(HistoryDatabase& db, const std::vector<StoredReading>& readings);

// Writes it through a temporary file; false after the file error box.
bool saveHistoryCsv(const QString& path, const QByteArray& bytes, Prompts& prompts);

}  // namespace pelmo
