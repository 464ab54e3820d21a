#pragma once

// Checks a JSON document against the schema files under docs/schemas: the part of JSON Schema
// those files use (type, const, enum, properties, required, additionalProperties, items,
// minItems, maxItems, oneOf, $ref to a sibling file, format date-time).
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <climits>
#include <cmath>

namespace pelmo::test {

class JsonSchemas {
public:
    explicit JsonSchemas(const QString& folder) : folder_(folder) {}

    // What does not fit, one line per fault with its path; empty when the value fits.
    QStringList check(const QJsonValue& value, const QString& file) {
        QStringList faults;
        checkValue(value, load(file), QStringLiteral("$"), faults);
        return faults;
    }

private:
    QJsonObject load(const QString& file) {
        if (!cache_.contains(file)) {
            QFile f(QDir(folder_).filePath(file));
            cache_.insert(file, f.open(QIODevice::ReadOnly)
                                    ? QJsonDocument::fromJson(f.readAll()).object()
                                    : QJsonObject{{QStringLiteral("missing"), file}});
        }
        return cache_.value(file);
    }

    static bool hasType(const QJsonValue& v, const QString& type) {
        if (type == QLatin1String("integer")) {
            return v.isDouble() && std::floor(v.toDouble()) == v.toDouble();
        }
        return (type == QLatin1String("number") && v.isDouble()) ||
               (type == QLatin1String("string") && v.isString()) ||
               (type == QLatin1String("boolean") && v.isBool()) ||
               (type == QLatin1String("null") && v.isNull()) ||
               (type == QLatin1String("object") && v.isObject()) ||
               (type == QLatin1String("array") && v.isArray());
    }

    void checkValue(const QJsonValue& v, const QJsonObject& s, const QString& at,
                    QStringList& faults) {
        if (s.contains(QStringLiteral("missing"))) {
            faults << at + QStringLiteral(": no schema ") + s[QStringLiteral("missing")].toString();
            return;
        }
        if (s.contains(QStringLiteral("$ref"))) {
            checkValue(v, load(s[QStringLiteral("$ref")].toString()), at, faults);
            return;
        }
        if (s.contains(QStringLiteral("oneOf"))) {
            int fitting = 0;
            for (const QJsonValue& choice : s[QStringLiteral("oneOf")].toArray()) {
                QStringList ignored;
                checkValue(v, choice.toObject(), at, ignored);
                fitting += ignored.isEmpty() ? 1 : 0;
            }
            if (fitting != 1) {
                faults << at + QStringLiteral(": fits %1 of the choices").arg(fitting);
            }
            return;
        }
        const QJsonValue type = s[QStringLiteral("type")];
        QStringList types = type.isArray() ? QStringList() : QStringList{type.toString()};
        for (const QJsonValue& t : type.toArray()) {
            types << t.toString();
        }
        if (!type.isUndefined() && std::none_of(types.begin(), types.end(),
                                                [&](const QString& t) { return hasType(v, t); })) {
            faults << at + QStringLiteral(": not ") + types.join(QLatin1Char('|'));
            return;
        }
        if (s.contains(QStringLiteral("const")) && v != s[QStringLiteral("const")]) {
            faults << at + QStringLiteral(": not ") + s[QStringLiteral("const")].toString();
        }
        if (s.contains(QStringLiteral("enum")) &&
            !s[QStringLiteral("enum")].toArray().contains(v)) {
            faults << at + QStringLiteral(": not one of the values");
        }
        static const QRegularExpression iso(
            QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d$"));
        if (s[QStringLiteral("format")] == QLatin1String("date-time") && v.isString() &&
            !iso.match(v.toString()).hasMatch()) {
            faults << at + QStringLiteral(": not ISO 8601 with an offset: ") + v.toString();
        }
        if (v.isObject()) {
            const QJsonObject o = v.toObject();
            const QJsonObject props = s[QStringLiteral("properties")].toObject();
            for (const QJsonValue& key : s[QStringLiteral("required")].toArray()) {
                if (!o.contains(key.toString())) {
                    faults << at + QStringLiteral(": lacks ") + key.toString();
                }
            }
            for (auto it = o.begin(); it != o.end(); ++it) {
                if (props.contains(it.key())) {
                    checkValue(it.value(), props[it.key()].toObject(),
                               at + QLatin1Char('.') + it.key(), faults);
                } else if (!s[QStringLiteral("additionalProperties")].toBool(true)) {
                    faults << at + QStringLiteral(": unknown key ") + it.key();
                }
            }
        }
        if (v.isArray()) {
            const QJsonArray a = v.toArray();
            if (a.size() < s[QStringLiteral("minItems")].toInt(0) ||
                a.size() > s[QStringLiteral("maxItems")].toInt(INT_MAX)) {
                faults << at + QStringLiteral(": %1 items").arg(a.size());
            }
            for (qsizetype i = 0; i < a.size(); ++i) {
                checkValue(a[i], s[QStringLiteral("items")].toObject(),
                           at + QStringLiteral("[%1]").arg(i), faults);
            }
        }
    }

    QString folder_;
    QHash<QString, QJsonObject> cache_;
};

}  // namespace pelmo::test
