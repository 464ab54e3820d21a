#include "history/history_window_logic.h"

#include "base/decimal_text.h"
#include "base/texts.h"
#include "history/history_recorder.h"

namespace pelmo {

QString readingKindCaption(ReadingKind kind) {
    switch (kind) {
        case ReadingKind::Archive:
            return txt(kTextArchive);
        case ReadingKind::Messages:
            return txt(kTextMessages);
        case ReadingKind::Monitoring:
            break;
    }
    return txt(kTextMonitoring);
}

QString historyTimeText(const QString& iso) {
    if (iso.isEmpty()) {
        return QStringLiteral("--");
    }
    QString text = iso.left(19);
    text.replace(QLatin1Char('T'), QLatin1Char(' '));
    return text;
}

QString readingContents(const StoredReading& reading) {
    return reading.kind == ReadingKind::Messages ? txt(kTextMessages1229).arg(reading.summary)
                                                 : reading.summary;
}

StationCalendar storedStationClock(const StoredReading& reading) {
    StationCalendar c;
    stationTimeFromIso(reading.stationTime, c);
    return c;
}

ArchiveFileTexts storedArchiveTexts(const StoredReading& reading,
                                    const std::vector<ArchiveEntry>& rows) {
    ArchiveFileTexts texts;
    StationCalendar record;
    if (!rows.empty()) {
        stationTimeFromIso(rows.front().recordTime, record);
    }
    const StationCalendar station = storedStationClock(reading);
    texts.recordTime = QString::fromStdString(timeText(record, TimeTextKind::Time));
    texts.recordDate = QString::fromStdString(timeText(record, TimeTextKind::Date));
    texts.stationTime = QString::fromStdString(timeText(station, TimeTextKind::Time));
    texts.stationDate = QString::fromStdString(timeText(station, TimeTextKind::Date));
    for (const ArchiveEntry& e : rows) {
        if (e.row >= 1 && e.row <= kArchiveQuantities) {
            texts.rows[static_cast<std::size_t>(e.row - 1)] = {e.label, formatDecimal(e.value, 5),
                                                               e.unit};
        }
    }
    return texts;
}

int storedArchivePosition(const std::vector<ArchiveEntry>& rows) {
    if (rows.empty() || rows.front().position < kArchivePositionFirst ||
        rows.front().position > kArchivePositionLast) {
        return kArchivePositionActual;
    }
    return rows.front().position;
}

}  // namespace pelmo
