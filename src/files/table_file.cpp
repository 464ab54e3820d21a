#include "files/table_file.h"

#include <QFileInfo>
#include <QtEndian>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "base/decimal_text.h"
#include "base/file_access.h"

namespace pelmo {

namespace {

bool fitsSingle(double v) {
    return std::isfinite(v) && std::fabs(v) <= static_cast<double>(FLT_MAX);
}

void putSingle(QByteArray& out, float v) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    char bytes[4];
    qToLittleEndian(bits, bytes);
    out.append(bytes, 4);
}

// Reads the single at `offset`; nothing past the end or for a value that is no number.
std::optional<float> singleAt(const QByteArray& bytes, qsizetype offset) {
    if (offset < 0 || offset + 4 > bytes.size()) {
        return std::nullopt;
    }
    const std::uint32_t bits = qFromLittleEndian<std::uint32_t>(bytes.constData() + offset);
    float v = 0.0f;
    std::memcpy(&v, &bits, sizeof v);
    if (!std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

}  // namespace

bool isLifFileName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && name.mid(dot + 1) == QStringLiteral("lif");
}

float dividerEntry(std::uint16_t divider) {
    return static_cast<float>(std::trunc(std::sqrt(static_cast<double>(divider))) + 1.0);
}

std::optional<std::uint16_t> dividerFromEntry(float entry) {
    const double d = std::trunc((static_cast<double>(entry) - 1.0) * (entry - 1.0));
    if (!(d >= 0.0) || d > 65535.0) {
        return std::nullopt;
    }
    return d == 0.0 ? 1 : static_cast<std::uint16_t>(d);
}

std::optional<QByteArray> encodeTableFile(double min, double max,
                                          const std::vector<TablePoint>& points,
                                          std::optional<std::uint16_t> divider) {
    if (!fitsSingle(min) || !fitsSingle(max) || points.size() > kTableFilePoints) {
        return std::nullopt;
    }
    QByteArray out;
    out.reserve(kLifFileSize);
    putSingle(out, static_cast<float>(min));
    putSingle(out, static_cast<float>(max));
    for (std::size_t i = 0; i < kTableFilePoints; ++i) {
        const TablePoint p = i < points.size() ? points[i] : TablePoint{};
        if (!fitsSingle(p.input) || !fitsSingle(p.value)) {
            return std::nullopt;
        }
        putSingle(out, static_cast<float>(p.input));
        putSingle(out, static_cast<float>(p.value));
    }
    if (divider) {
        putSingle(out, dividerEntry(*divider));
    }
    return out;
}

LoadedTable decodeTableFile(const QByteArray& bytes, bool lif) {
    LoadedTable t;
    const auto min = singleAt(bytes, 0);
    if (!min) {
        return t;
    }
    t.minText = formatDecimal(*min, 3);
    const auto max = singleAt(bytes, 4);
    if (!max) {
        return t;
    }
    t.maxText = formatDecimal(*max, 3);
    bool begun = false;
    for (int i = 0; i < kTableFilePoints; ++i) {
        const auto input = singleAt(bytes, 8 + 8 * i);
        const auto value = singleAt(bytes, 12 + 8 * i);
        // Inputs are converter counts: one too large for any count is damage, not a point.
        if (!input || !value || std::fabs(*input) >= 2147483648.0f) {
            return t;
        }
        const bool zero = *input == 0.0f && *value == 0.0f;
        if (!zero || !begun) {
            t.rows[static_cast<std::size_t>(i)] = {
                QString::number(static_cast<qint64>(std::trunc(*input))), formatDecimal(*value, 3)};
        }
        begun = begun || !zero;
    }
    if (lif) {
        const auto entry = singleAt(bytes, 8 + 8 * kTableFilePoints);
        if (!entry) {
            return t;
        }
        t.divider = dividerFromEntry(*entry);
        if (!t.divider) {
            return t;
        }
    }
    t.complete = true;
    return t;
}

std::optional<LoadedTable> loadTableFile(const QString& path, Prompts& prompts) {
    const auto bytes = readFileReporting(path, kLifFileSize, prompts);
    if (!bytes) {
        return std::nullopt;
    }
    return decodeTableFile(*bytes, isLifFileName(path));
}

TableSaveResult saveTableFile(const QString& path, double min, double max,
                              const std::vector<TablePoint>& points,
                              std::optional<std::uint16_t> divider, Prompts& prompts) {
    const auto bytes =
        encodeTableFile(min, max, points, isLifFileName(path) ? divider : std::nullopt);
    if (!bytes) {
        return TableSaveResult::Failed;
    }
    switch (writeFileAtomically(path, *bytes, prompts)) {
        case WriteResult::Ok:
            return TableSaveResult::Ok;
        case WriteResult::OpenFailed:
        case WriteResult::WriteFailed:
            return TableSaveResult::OpenFailed;
    }
    return TableSaveResult::Failed;
}

}  // namespace pelmo
