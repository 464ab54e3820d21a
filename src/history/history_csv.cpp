#include "history/history_csv.h"

#include <QStringList>

#include "base/file_access.h"

namespace pelmo {

namespace {

QString csvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) {
        return text;
    }
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void addLine(QByteArray& out, const QStringList& fields) {
    QStringList quoted;
    for (const QString& f : fields) {
        quoted << csvField(f);
    }
    out += quoted.join(QLatin1Char(',')).toUtf8();
    out += "\r\n";
}

}  // namespace

QByteArray historyCsv(HistoryDatabase& db, const std::vector<StoredReading>& readings) {
    QByteArray out;
    addLine(out, {QStringLiteral("serial"), QStringLiteral("name"), QStringLiteral("address"),
                  QStringLiteral("read_at"), QStringLiteral("kind"), QStringLiteral("station_time"),
                  QStringLiteral("item"), QStringLiteral("time"), QStringLiteral("label"),
                  QStringLiteral("value"), QStringLiteral("unit")});
    for (const StoredReading& r : readings) {
        const QStringList head = {QString::number(r.station.serial),
                                  r.station.name,
                                  QString::number(r.station.address),
                                  r.readAt.toString(Qt::ISODate),
                                  readingKindName(r.kind),
                                  r.stationTime};
        switch (r.kind) {
            case ReadingKind::Archive:
                for (const ArchiveEntry& e : db.archiveRows(r.id)) {
                    addLine(out,
                            head + QStringList{QString::number(e.position), e.recordTime, e.label,
                                               QString::number(e.value, 'g', 9), e.unit});
                }
                break;
            case ReadingKind::Messages:
                for (const MessageEntry& m : db.messages(r.id)) {
                    addLine(out, head + QStringList{QString::number(m.row), m.time, m.text,
                                                    QString::number(m.type), QString()});
                }
                break;
            case ReadingKind::Monitoring:
                addLine(out,
                        head + QStringList{QString(), QString(), r.summary, QString(), QString()});
                break;
        }
    }
    return out;
}

bool saveHistoryCsv(const QString& path, const QByteArray& bytes, Prompts& prompts) {
    return writeFileAtomically(path, bytes, prompts) == WriteResult::Ok;
}

}  // namespace pelmo
