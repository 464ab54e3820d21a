#include "json/reading_json.h"

#include <QJsonDocument>

#include "archives/message_log.h"
#include "base/cp1250.h"
#include "base/texts.h"
#include "bus/hardware_info.h"
#include "files/station_file.h"
#include "json/json_values.h"
#include "operations/station_diff.h"

namespace pelmo {

namespace {

const QString kSchema = QStringLiteral("schema");

QJsonValue orNull(const QString& text) {
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

QJsonValue orNull(int number) {
    return number == 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(number);
}

// What every reading starts with: its shape, the station and when the PC read it.
QJsonObject reading(const char* shape, const StationKey& station, const QDateTime& readAt) {
    return {{kSchema, QLatin1String(shape)},
            {QStringLiteral("station"), stationJson(station)},
            {QStringLiteral("read_at"), isoTimeJson(readAt)}};
}

StationKey addressOnly(int address) {
    return {0, {}, address};
}

struct QuantityDef {
    const char* key;
    const char* unit;
    int label;  // operator text
};

QString unitText(const char* unit) {
    return QString::fromUtf8(unit);
}

// Single-precision values of the station, keyed as `defs` say.
template <std::size_t N>
QJsonObject quantities(const QuantityDef (&defs)[N], const double* values) {
    QJsonObject out;
    for (std::size_t i = 0; i < N; ++i) {
        out.insert(
            QLatin1String(defs[i].key),
            quantityJson(float32Json(values[i]), unitText(defs[i].unit), txt(defs[i].label)));
    }
    return out;
}

constexpr QuantityDef kCircuitRegisters[] = {{"temperature", "°C", 175}, {"pressure", "MPa", 176},
                                             {"enthalpy", "kJ/kg", 177}, {"heat_flow", "MW", 178},
                                             {"heat_dry", "GJ", 179},    {"heat_wet", "GJ", 180},
                                             {"mass_dry", "t", 181},     {"mass_wet", "t", 182}};
constexpr QuantityDef kCondensateRegisters[] = {
    {"temperature", "°C", 183}, {"heat", "GJ", 184}, {"mass", "t", 185}};
constexpr QuantityDef kFlyValues[] = {
    {"heat_dry", "GJ", 283},        {"heat_wet", "GJ", 284},        {"mass_dry", "t", 285},
    {"mass_wet", "t", 286},         {"time_dry", "s", 287},         {"time_wet", "s", 288},
    {"temperature_max", "°C", 289}, {"temperature_min", "°C", 290}, {"pressure_max", "MPa", 291},
    {"pressure_min", "MPa", 292}};

// A station time code; null for a time in 1980, which the station gives for "never".
QJsonValue timeCodeJson(std::uint32_t seconds) {
    StationCalendar c;
    calendarFromTimeCode(seconds, c);
    return c.year == 80 ? QJsonValue(QJsonValue::Null) : isoTimeJson(c);
}

// "Identification number:" in English -> "identification_number".
QString keyOf(const QString& caption) {
    QString key;
    for (const QChar ch : caption.toLower()) {
        if (ch.isLetterOrNumber() && ch.unicode() < 0x80) {
            key += ch;
        } else if (!key.isEmpty() && !key.endsWith(QLatin1Char('_'))) {
            key += QLatin1Char('_');
        }
    }
    while (key.endsWith(QLatin1Char('_'))) {
        key.chop(1);
    }
    return key;
}

// A configuration value: a number where the field holds one, else its text.
QJsonValue diffValue(const std::optional<double>& number, const QString& text) {
    if (!number) {
        return text;
    }
    // Reals of the configuration are singles on the wire; the table scale is a double.
    return static_cast<double>(static_cast<float>(*number)) == *number ? float32Json(*number)
                                                                       : doubleJson(*number);
}

QJsonObject sideJson(const DiffSide& side) {
    QJsonObject out{{QStringLiteral("source"), side.source}};
    if (side.source == QLatin1String("station")) {
        out.insert(QStringLiteral("address"), side.address);
    } else {
        out.insert(QStringLiteral("path"), side.path);
    }
    return out;
}

}  // namespace

QJsonObject stationJson(const StationKey& station) {
    return {{kSchema, QLatin1String(schema::kStation)},
            {QStringLiteral("serial"), orNull(station.serial)},
            {QStringLiteral("address"), orNull(station.address)},
            {QStringLiteral("name"), orNull(station.name)}};
}

QJsonObject archiveRecordJson(const StationKey& station, const QDateTime& readAt,
                              const QString& stationTime, const std::vector<ArchiveEntry>& rows,
                              const QString& file) {
    QJsonObject doc = reading(schema::kArchiveRecord, station, readAt);
    doc.insert(QStringLiteral("station_time"), isoTimeJson(stationTime));
    const bool any = !rows.empty();
    doc.insert(QStringLiteral("position"),
               any ? QJsonValue(rows.front().position) : QJsonValue(QJsonValue::Null));
    doc.insert(QStringLiteral("archive"),
               any ? QJsonValue(rows.front().archiveNumber) : QJsonValue(QJsonValue::Null));
    doc.insert(QStringLiteral("record_time"),
               isoTimeJson(any ? rows.front().recordTime : QString()));
    doc.insert(QStringLiteral("file"), orNull(file));
    QJsonArray values;
    for (const ArchiveEntry& e : rows) {
        QJsonObject q = quantityJson(float32Json(e.value), e.unit, e.label);
        q.insert(QStringLiteral("row"), e.row);
        values.append(q);
    }
    doc.insert(QStringLiteral("values"), values);
    return doc;
}

QJsonObject messagesJson(const StationKey& station, const QDateTime& readAt,
                         const QString& stationTime, const std::vector<MessageEntry>& messages,
                         const QString& file) {
    QJsonObject doc = reading(schema::kMessages, station, readAt);
    doc.insert(QStringLiteral("station_time"), isoTimeJson(stationTime));
    doc.insert(QStringLiteral("file"), orNull(file));
    QJsonArray list;
    for (const MessageEntry& m : messages) {
        list.append(
            QJsonObject{{QStringLiteral("row"), m.row},
                        {QStringLiteral("time"), isoTimeJson(m.time)},
                        {QStringLiteral("type"), m.type},
                        {QStringLiteral("text"), messageText(static_cast<std::uint8_t>(m.type))}});
    }
    doc.insert(QStringLiteral("messages"), list);
    return doc;
}

QJsonObject monitoringJson(const StationKey& station, const QDateTime& readAt,
                           const QString& stationTime, const QString& file,
                           const QString& summary) {
    QJsonObject doc = reading(schema::kMonitoring, station, readAt);
    doc.insert(QStringLiteral("station_time"), isoTimeJson(stationTime));
    doc.insert(QStringLiteral("file"), orNull(file));
    doc.insert(QStringLiteral("summary"), orNull(summary));
    return doc;
}

QJsonObject registersJson(const RegisterValues& values, const QDateTime& readAt) {
    QJsonObject doc = reading(schema::kRegisters, addressOnly(values.address), readAt);
    QJsonArray circuits;
    int number = 1;
    for (const auto* circuit : {&values.circuit1, &values.circuit2}) {
        QJsonObject c = quantities(kCircuitRegisters, circuit->data());
        c.insert(QStringLiteral("circuit"), number++);
        circuits.append(c);
    }
    doc.insert(QStringLiteral("circuits"), circuits);
    doc.insert(QStringLiteral("condensate"),
               quantities(kCondensateRegisters, values.condensate.data()));
    return doc;
}

QJsonObject maximumJson(const StationKey& station, const QDateTime& readAt,
                        const MaximumValues& values) {
    QJsonObject doc = reading(schema::kMaximum, station, readAt);
    QJsonArray circuits;
    const struct {
        double current;
        double maximum;
        std::uint32_t time;
    } rows[] = {{values.current1, values.maximum1, values.time1},
                {values.current2, values.maximum2, values.time2}};
    int number = 1;
    for (const auto& r : rows) {
        circuits.append(QJsonObject{
            {QStringLiteral("circuit"), number++},
            {QStringLiteral("current"),
             quantityJson(float32Json(r.current), QStringLiteral("GJ"), txt(kTextCurrentStatusGJ))},
            {QStringLiteral("maximum"),
             quantityJson(float32Json(r.maximum), QStringLiteral("GJ"), txt(kTextMaximumValueGJ))},
            {QStringLiteral("maximum_time"), timeCodeJson(r.time)}});
    }
    doc.insert(QStringLiteral("circuits"), circuits);
    return doc;
}

QJsonObject hardwareJson(const StationImage& image, const QDateTime& readAt) {
    const StationKey key{image.cmos.serial_number, fromCp1250(image.station.name),
                         image.station.net_address};
    QJsonObject doc = reading(schema::kHardware, key, readAt);
    doc.insert(QStringLiteral("memory_size"),
               quantityJson(image.station.memory_size, QStringLiteral("B"), txt(kTextBufferSize)));
    doc.insert(QStringLiteral("locked"), image.cmos.locked);
    doc.insert(QStringLiteral("sw_version"), fromCp1250(image.cmos.sw_version));
    QJsonArray inputs;
    int input = 1;
    for (std::uint8_t code : image.cmos.input_types) {
        inputs.append(QJsonObject{{QStringLiteral("input"), input++},
                                  {QStringLiteral("code"), code},
                                  {QStringLiteral("text"), inputCardText(code)}});
    }
    doc.insert(QStringLiteral("inputs"), inputs);
    QJsonArray prescalers;
    for (int i = 1; i <= 4; ++i) {
        const int exponent = image.cmos.prescaler(i);
        const bool divides = exponent >= 1 && exponent <= 15;
        prescalers.append(
            QJsonObject{{QStringLiteral("input"), i},
                        {QStringLiteral("exponent"), exponent},
                        {QStringLiteral("divider"),
                         divides ? QJsonValue(1 << (exponent - 1)) : QJsonValue(QJsonValue::Null)},
                        {QStringLiteral("text"), prescalerText(exponent)}});
    }
    doc.insert(QStringLiteral("frequency_inputs"), prescalers);
    return doc;
}

QJsonObject flyJson(const StationKey& station, const QDateTime& readAt, int circuit, int count,
                    const FlyValues& values) {
    QJsonObject doc = reading(schema::kFly, station, readAt);
    doc.insert(QStringLiteral("circuit"), circuit);
    doc.insert(QStringLiteral("count"), count);
    doc.insert(QStringLiteral("values"), quantities(kFlyValues, values.data()));
    const auto totals = flyTotals(values);
    // Sums in double precision; the enthalpy is kept in single precision.
    doc.insert(
        QStringLiteral("totals"),
        QJsonObject{
            {QStringLiteral("heat"),
             quantityJson(doubleJson(totals[0]), QStringLiteral("GJ"), txt(kTextDW))},
            {QStringLiteral("mass"),
             quantityJson(doubleJson(totals[1]), QStringLiteral("t"), txt(kTextDW))},
            {QStringLiteral("time"),
             quantityJson(doubleJson(totals[2]), QStringLiteral("s"), txt(kTextDW))},
            {QStringLiteral("enthalpy"),
             quantityJson(float32Json(totals[3]), QStringLiteral("GJ/t"), txt(kTextEnthalpy294))}});
    return doc;
}

QJsonObject diffJson(const StationImage& left, const StationImage& right, bool gas,
                     const DiffSide& leftSide, const DiffSide& rightSide) {
    const std::vector<FieldDifference> shown = compareConfigurations(left, right, gas);
    // The same comparison in English gives the keys; its order does not depend on the language.
    const Language chosen = language();
    setLanguage(Language::English);
    const std::vector<FieldDifference> english = compareConfigurations(left, right, gas);
    setLanguage(chosen);
    QJsonArray list;
    for (std::size_t i = 0; i < shown.size() && i < english.size(); ++i) {
        const FieldDifference& d = shown[i];
        list.append(QJsonObject{{QStringLiteral("record"), keyOf(english[i].record)},
                                {QStringLiteral("field"), keyOf(english[i].field)},
                                {QStringLiteral("record_label"), d.record},
                                {QStringLiteral("field_label"), d.field},
                                {QStringLiteral("left"), diffValue(d.leftNumber, d.left)},
                                {QStringLiteral("right"), diffValue(d.rightNumber, d.right)}});
    }
    return {{kSchema, QLatin1String(schema::kDiff)},
            {QStringLiteral("equal"), shown.empty()},
            {QStringLiteral("left"), sideJson(leftSide)},
            {QStringLiteral("right"), sideJson(rightSide)},
            {QStringLiteral("differences"), list}};
}

QJsonObject scanJson(const std::vector<TAddressList>& found, int from, int to,
                     const QDateTime& readAt) {
    QJsonArray stations;
    for (const TAddressList& e : found) {
        stations.append(stationJson({0, fromCp1250(e.name), e.address}));
    }
    return {{kSchema, QLatin1String(schema::kScan)},
            {QStringLiteral("read_at"), isoTimeJson(readAt)},
            {QStringLiteral("from"), from},
            {QStringLiteral("to"), to},
            {QStringLiteral("stations"), stations}};
}

QJsonObject storedReadingJson(HistoryDatabase& db, const StoredReading& r) {
    switch (r.kind) {
        case ReadingKind::Archive:
            return archiveRecordJson(r.station, r.readAt, r.stationTime, db.archiveRows(r.id), {});
        case ReadingKind::Messages:
            return messagesJson(r.station, r.readAt, r.stationTime, db.messages(r.id), {});
        case ReadingKind::Monitoring:
            break;
    }
    return monitoringJson(r.station, r.readAt, r.stationTime, {}, r.summary);
}

QByteArray jsonText(const QJsonObject& document) {
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

}  // namespace pelmo
