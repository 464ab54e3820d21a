#include "archives/archive_logic.h"

#include <array>
#include <cstring>

#include "base/texts.h"

namespace pelmo {

namespace {

constexpr std::uint32_t kDay = 86400;

std::string trimTrailing(std::span<const std::uint8_t> bytes) {
    std::size_t n = bytes.size();
    while (n > 0 && (bytes[n - 1] == ' ' || bytes[n - 1] == 0)) {
        --n;
    }
    return std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
}

std::uint32_t u32le(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

bool endsWith(const std::string& s, const char* tail) {
    const std::size_t n = std::strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// Quantities each meter variant archives, as bits 1..15.
std::uint16_t variantMask(int variant) {
    auto bits = [](std::initializer_list<int> q) {
        std::uint16_t m = 0;
        for (int i : q) {
            m = static_cast<std::uint16_t>(m | (1u << i));
        }
        return m;
    };
    switch (variant) {
        case 0:
        case 2:
        case 5:
        case 8:
            return 0xFFFE;
        case 1:
            return bits({1, 2, 6, 7, 11, 12, 15});
        case 3:
            return bits({5, 10, 15});
        case 4:
            return bits({1, 2, 5, 6, 7, 10, 11, 12, 15});
        case 6:
            return bits({3, 5, 8, 10, 15});
        case 7:
            return bits({1, 2, 3, 5, 6, 7, 8, 9, 10, 15});
        default:
            return 0;
    }
}

QString twoDigits(int v) {
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

}  // namespace

int archiveNumberForPosition(int position, std::uint32_t stationSeconds) {
    if (position >= kArchivePositionFirst && position < kArchivePositionActual) {
        StationCalendar cal;
        calendarFromTimeCode(stationSeconds, cal);
        const ArchiveMonth m = archiveMonth(position, cal);
        return m.year % 2 == 1 ? m.month + 12 : m.month;
    }
    if (position == kArchivePositionActual) {
        return kArchiveActual;
    }
    if (position == kArchivePositionPartial) {
        return kArchivePartial;
    }
    if (position > kArchivePositionPartial && position <= kArchivePositionLast) {
        const std::uint32_t day = stationSeconds / kDay;
        const auto back = static_cast<std::uint32_t>(kArchivePositionLast - position + 1);
        return kArchiveFirstDay + static_cast<int>((day + back) % 8);
    }
    return -1;
}

QString positionCaption(int position, const StationCalendar& station) {
    if (position >= kArchivePositionFirst && position < kArchivePositionActual) {
        const ArchiveMonth m = archiveMonth(position, station);
        return txt(kTextPeriod) + twoDigits(m.month) + QLatin1Char('/') + twoDigits(m.year);
    }
    if (position == kArchivePositionActual) {
        return txt(kTextActualValues);
    }
    if (position == kArchivePositionPartial) {
        return txt(kTextPartialValues);
    }
    if (position > kArchivePositionPartial && position <= kArchivePositionLast) {
        return txt(kTextDay) + QString::number(position - kArchivePositionPartial);
    }
    return {};
}

bool quantityShown(int quantity, int variant, const std::string& label, bool gasVersion) {
    if (quantity < 1 || quantity > kArchiveQuantities ||
        (variantMask(variant) & (1u << quantity)) == 0) {
        return false;
    }
    return !(gasVersion &&
             (endsWith(label, "mokra") || endsWith(label, "sucha") || endsWith(label, "kond.")));
}

bool decodeArchiveDescription(std::span<const std::uint8_t> answer, std::string& label,
                              std::string& unit) {
    if (answer.size() < 27) {
        return false;
    }
    label = trimTrailing(answer.subspan(7, 16));
    unit = trimTrailing(answer.subspan(23, 4));
    return true;
}

bool decodeArchiveRecord(std::span<const std::uint8_t> answer, int archiveNumber,
                         ArchiveRecordState& state) {
    if (answer.size() < 5) {
        return false;
    }
    const std::size_t at = static_cast<std::size_t>(answer[4]) + 1;
    if (at + 4 > answer.size()) {
        return false;
    }
    const std::uint32_t stamp = u32le(answer, at);
    for (std::size_t i = 0; i < state.values.size(); ++i) {
        const std::size_t first = 5 + 4 * i;
        float v = 0.0f;
        if (first + 4 <= answer.size()) {
            const std::uint32_t raw = u32le(answer, first);
            std::memcpy(&v, &raw, sizeof v);
        }
        state.values[i] = static_cast<double>(v);
    }
    state.record_seconds = stamp;
    const bool daily = archiveNumber >= kArchiveFirstDay && archiveNumber <= kArchiveLastDay;
    // An empty daily record (stamp 0) stays "--" rather than wrapping to the year 2116.
    calendarFromTimeCode(daily && stamp > 0 ? stamp - 1 : stamp, state.record);
    return true;
}

}  // namespace pelmo
