#include "files/archive_file.h"

#include <QFileInfo>

#include "base/cp1250.h"
#include "base/file_access.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "files/program_folder.h"

namespace pelmo {

namespace {

constexpr char kTrailer[] = {0x09, 0x05, 0x08};
constexpr int kLabelWidth = 16;
constexpr int kValueWidth = 12;
// Archive files are a few hundred bytes; anything past this is not an archive file.
constexpr qint64 kMaxArchiveFile = 64 * 1024;

QByteArray fixed(const QString& text, int width) {
    QByteArray b = QByteArray::fromStdString(toCp1250(text)).left(width);
    return b + QByteArray(width - b.size(), ' ');
}

QString trimmed(const QByteArray& bytes) {
    qsizetype n = bytes.size();
    while (n > 0 && (bytes[n - 1] == ' ' || bytes[n - 1] == '\0')) {
        --n;
    }
    return fromCp1250(bytes.left(n).toStdString());
}

QString twoDigits(int v) {
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

}  // namespace

void setStationClock(ArchiveRecordState& state, std::uint32_t seconds) {
    state.station_seconds = seconds;
    calendarFromTimeCode(seconds, state.station);
}

ArchiveMonth archiveMonth(int position, const StationCalendar& station) {
    int month = station.month + (position - kArchivePositionActual);
    int year = station.year;
    while (month < 1) {
        month += 12;
        --year;
    }
    while (month > 12) {
        month -= 12;
        ++year;
    }
    // Two-digit years wrap: a year before 00 is 99.
    return {month, (year % 100 + 100) % 100};
}

QString archiveFileName(int position, const StationCalendar& station) {
    if (position >= kArchivePositionFirst && position < kArchivePositionActual) {
        const ArchiveMonth m = archiveMonth(position, station);
        return QStringLiteral("O_") + twoDigits(m.month) + QStringLiteral("_20") +
               twoDigits(m.year) + QStringLiteral(".dat");
    }
    if (position == kArchivePositionActual) {
        return QStringLiteral("Aktualn.dat");
    }
    if (position == kArchivePositionPartial) {
        return QStringLiteral("Mezista.dat");
    }
    if (position > kArchivePositionPartial && position <= kArchivePositionLast) {
        return QStringLiteral("Den_-") + QString::number(position - kArchivePositionPartial) +
               QStringLiteral(".dat");
    }
    return {};
}

QByteArray encodeArchiveFile(const ArchiveRecordState& state, const ArchiveRows& rows) {
    const QByteArray gap(13, ' ');
    const QByteArray crlf("\r\n");
    QByteArray out;
    out += QByteArray::fromStdString(timeText(state.record, TimeTextKind::Time)) + gap;
    out += QByteArray::fromStdString(timeText(state.record, TimeTextKind::Date)) + crlf;
    out += QByteArray::fromStdString(timeText(state.station, TimeTextKind::Time)) + gap;
    out += QByteArray::fromStdString(timeText(state.station, TimeTextKind::Date)) + crlf;
    for (const ArchiveRow& row : rows) {
        if (row.label.isEmpty()) {
            break;
        }
        QString value = row.value;
        value.replace(QLatin1Char(','), QLatin1Char('.'));
        out += fixed(row.label, kLabelWidth) + fixed(value, kValueWidth);
        out += QByteArray::fromStdString(toCp1250(row.unit)) + crlf;
    }
    out.append(kTrailer, sizeof kTrailer);
    return out;
}

ArchiveFileTexts decodeArchiveFile(const QByteArray& bytes) {
    std::array<QByteArray, 4> times;
    struct RawRow {
        QByteArray label, value, unit;
    };
    std::array<RawRow, kArchiveQuantities> raw;
    std::size_t row = 0;
    int pos = 1;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        RawRow* r = row < raw.size() ? &raw[row] : nullptr;
        if (pos >= 1 && pos <= 8) {
            times[0] += c;
        } else if (pos >= 22 && pos <= 29) {
            times[1] += c;
        } else if (pos >= 32 && pos <= 39) {
            times[2] += c;
        } else if (pos >= 53 && pos <= 60) {
            times[3] += c;
        } else if (pos >= 63 && pos <= 78) {
            if (b >= 32 && r) {
                r->label += c;
            }
        } else if (pos >= 79 && pos <= 90) {
            if (r) {
                r->value += c == '.' ? ',' : c;
            }
        } else if (pos >= 91 && pos <= 98) {
            if (c == '\r') {
                // The LF that follows counts as 62, the next row starts at 63.
                pos = 61;
                ++row;
            } else if (r) {
                r->unit += c;
            }
        }
        ++pos;
    }
    ArchiveFileTexts out;
    out.recordTime = trimmed(times[0]);
    out.recordDate = trimmed(times[1]);
    out.stationTime = trimmed(times[2]);
    out.stationDate = trimmed(times[3]);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        out.rows[i] = {trimmed(raw[i].label), trimmed(raw[i].value), trimmed(raw[i].unit)};
    }
    return out;
}

ArchiveFileResult saveArchiveFile(const QString& path, const QByteArray& bytes, Prompts& prompts) {
    makeStationFolder(QFileInfo(path).absolutePath());
    switch (writeFileAtomically(path, bytes, prompts)) {
        case WriteResult::Ok:
            return ArchiveFileResult::Ok;
        case WriteResult::OpenFailed:
            return ArchiveFileResult::OpenFailed;
        case WriteResult::WriteFailed:
            break;
    }
    return ArchiveFileResult::WriteFailed;
}

ArchiveFileResult loadArchiveFile(const QString& path, Prompts& prompts, ArchiveFileTexts& out) {
    if (!QFileInfo::exists(path)) {
        prompts.information(txt(kTextArchiveFileNotFound));
        return ArchiveFileResult::NotFound;
    }
    const auto bytes = readFileReporting(path, kMaxArchiveFile, prompts);
    if (!bytes) {
        return ArchiveFileResult::OpenFailed;
    }
    out = decodeArchiveFile(*bytes);
    return ArchiveFileResult::Ok;
}

}  // namespace pelmo
