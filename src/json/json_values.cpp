#include "json_values.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "history/history_recorder.h"

namespace pelmo {

QJsonValue float32Json(double value) {
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) {
        return QJsonValue(QJsonValue::Null);
    }
    const float single = static_cast<float>(value);
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, single);
    double shortest = 0.0;
    std::from_chars(text, written.ptr, shortest);
    // QJsonDocument writes a double in its shortest form, which for this double is the text.
    return shortest;
}

QJsonValue doubleJson(double value) {
    return std::isfinite(value) ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
}

QJsonValue isoTimeJson(const QDateTime& time) {
    if (!time.isValid()) {
        return QJsonValue(QJsonValue::Null);
    }
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           QLatin1Char(offset < 0 ? '-' : '+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QJsonValue isoTimeJson(const QString& localIso) {
    if (localIso.isEmpty()) {
        return QJsonValue(QJsonValue::Null);
    }
    QDateTime t = QDateTime::fromString(localIso, Qt::ISODate);
    if (t.isValid() && t.timeSpec() != Qt::LocalTime) {
        t = t.toLocalTime();
    }
    return isoTimeJson(t);
}

QJsonValue isoTimeJson(const StationCalendar& time) {
    // The ISO reader would take 24:00 as the next midnight; from a station it is garbage.
    if (!QTime::isValid(time.hour, time.minute, time.second)) {
        return QJsonValue(QJsonValue::Null);
    }
    return isoTimeJson(isoStationTime(time));
}

QJsonObject quantityJson(const QJsonValue& value, const QString& unit, const QString& label) {
    QJsonObject q{{QStringLiteral("value"), value}, {QStringLiteral("unit"), unit}};
    if (!label.isEmpty()) {
        q.insert(QStringLiteral("label"), label);
    }
    return q;
}

}  // namespace pelmo
