#include "files/station_time_iso.h"

#include <QDateTime>

#include "link/time_code.h"

namespace pelmo {

QString isoStationTime(const StationCalendar& c) {
    if (c.year == 80 && c.month == 1 && c.day == 1 && c.hour == 0 && c.minute == 0 &&
        c.second == 0) {
        return {};
    }
    const int year = c.year >= 80 ? 1900 + c.year : 2000 + c.year;
    return QStringLiteral("%1-%2-%3T%4:%5:%6")
        .arg(year, 4, 10, QLatin1Char('0'))
        .arg(c.month, 2, 10, QLatin1Char('0'))
        .arg(c.day, 2, 10, QLatin1Char('0'))
        .arg(c.hour, 2, 10, QLatin1Char('0'))
        .arg(c.minute, 2, 10, QLatin1Char('0'))
        .arg(c.second, 2, 10, QLatin1Char('0'));
}

bool stationTimeFromIso(const QString& text, StationCalendar& out) {
    const QDateTime t = QDateTime::fromString(text, Qt::ISODate);
    if (!t.isValid() || t.date().year() < 1980 || t.date().year() > 2079) {
        return false;
    }
    out = {t.date().year() % 100, t.date().month(),  t.date().day(),
           t.time().hour(),       t.time().minute(), t.time().second()};
    return true;
}

}  // namespace pelmo
