#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include "link/time_code.h"

namespace pelmo {

// A value the station sent as a single-precision real (held in a double): the shortest
// decimal that reads back as the same single, so 186.581329345703125 is written 186.58133.
// NaN, infinities and doubles beyond the single range are null.
QJsonValue float32Json(double value);
// A double as it is; NaN and infinities are null.
QJsonValue doubleJson(double value);

// ISO 8601 with the local offset ("2026-12-10T14:05:00+01:00"); null for an invalid time.
QJsonValue isoTimeJson(const QDateTime& time);
// A station moment read as local time; null for the empty (zero) time and an invalid date.
QJsonValue isoTimeJson(const StationCalendar& time);
// A local time stored without an offset ("2026-12-10T14:05:00"); null when empty or invalid.
QJsonValue isoTimeJson(const QString& localIso);

// A value beside its unit, with the operator's caption when there is one.
QJsonObject quantityJson(const QJsonValue& value, const QString& unit, const QString& label = {});

}  // namespace pelmo
