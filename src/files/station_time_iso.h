#pragma once

#include <QString>

namespace pelmo {

struct StationCalendar;

// ISO 8601 text of a station moment; empty for the zero time code (year 80 shows "--").
QString isoStationTime(const StationCalendar& c);
// Back to the station's calendar; false for an empty or malformed text.
bool stationTimeFromIso(const QString& text, StationCalendar& out);

}  // namespace pelmo
