#include "files/monitoring_file.h"

#include <QFileInfo>
#include <span>

#include "base/file_access.h"
#include "link/byte_fields.h"

namespace pelmo {

namespace {

constexpr std::size_t kOffsetLength = 0;
constexpr std::size_t kOffsetStationTime = 4;
constexpr std::size_t kOffsetSecondWord = 8;
constexpr std::size_t kOffsetBlocks = 16;  // o_1..o_7
constexpr std::size_t kOffsetLengthAgain = 30;
constexpr std::size_t kOffsetCounts = 64;
constexpr std::size_t kCountEntry = 8;
constexpr std::uint8_t kCountMark = 0x22;
// A loaded recording's status total is D - 152; nothing computes with it.
constexpr int kTotalFromLength = 152;

std::uint16_t headerCount(std::size_t listLength) {
    return static_cast<std::uint16_t>(static_cast<int>(listLength) -
                                      static_cast<int>(kSampleListHeader));
}

}  // namespace

int MonitoringRecording::samples(int channel) const {
    const std::size_t n = list(channel).size();
    return n > kSampleListHeader ? static_cast<int>(n - kSampleListHeader) : 0;
}

void MonitoringRecording::clear() {
    for (auto& l : lists) {
        l.clear();
    }
    status = MonitoringStatus{};
}

std::size_t MonitoringRecording::dataLength() const {
    std::size_t d = kChannelCount;
    for (const auto& l : lists) {
        d += l.size();
    }
    return d;
}

bool encodeMonitoringFile(const MonitoringRecording& recording, QByteArray& out) {
    const std::size_t d = recording.dataLength();
    if (d > static_cast<std::size_t>(kMaxMonitoringData)) {
        return false;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kMonitoringFileHeader) + d);
    FieldWriter w(bytes);
    w.u16(kOffsetLength, static_cast<std::uint32_t>(d));
    w.u32(kOffsetStationTime, recording.status.station_time);
    w.u32(kOffsetSecondWord, recording.status.second_word);
    std::size_t offset = 0;
    for (int k = 1; k < kChannelCount; ++k) {
        offset += recording.list(k).size() + 1;
        w.u16(kOffsetBlocks + 2 * static_cast<std::size_t>(k - 1),
              static_cast<std::uint32_t>(offset));
    }
    w.u16(kOffsetLengthAgain, static_cast<std::uint32_t>(d));
    std::size_t at = static_cast<std::size_t>(kMonitoringFileHeader);
    for (int k = 1; k <= kChannelCount; ++k) {
        const auto& l = recording.list(k);
        const std::size_t entry = kOffsetCounts + kCountEntry * static_cast<std::size_t>(k - 1);
        w.u16(entry, headerCount(l.size()));
        w.u8(entry + 2, kCountMark);
        bytes[at++] = static_cast<std::uint8_t>(k - 1);
        w.bytes(at, l);
        at += l.size();
    }
    out = QByteArray(reinterpret_cast<const char*>(bytes.data()),
                     static_cast<qsizetype>(bytes.size()));
    return true;
}

bool decodeMonitoringFile(const QByteArray& file, MonitoringRecording& recording) {
    recording.clear();
    const auto bytes =
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(file.constData()),
                                      static_cast<std::size_t>(file.size()));
    if (bytes.size() < static_cast<std::size_t>(kMonitoringFileHeader)) {
        return false;
    }
    const FieldReader r(bytes);
    const std::size_t d = r.u16(kOffsetLength);
    if (d < kChannelCount || r.u16(kOffsetLengthAgain) != d ||
        bytes.size() != static_cast<std::size_t>(kMonitoringFileHeader) + d) {
        return false;
    }
    // Block k runs from starts[k - 1] to starts[k]; each holds at least its index byte.
    std::array<std::size_t, kChannelCount + 1> starts{};
    for (int k = 1; k < kChannelCount; ++k) {
        starts[static_cast<std::size_t>(k)] =
            r.u16(kOffsetBlocks + 2 * static_cast<std::size_t>(k - 1));
    }
    starts[kChannelCount] = d;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (starts[k + 1] <= starts[k]) {
            return false;
        }
    }
    const auto data = bytes.subspan(static_cast<std::size_t>(kMonitoringFileHeader));
    for (int k = 1; k <= kChannelCount; ++k) {
        const std::size_t from = starts[static_cast<std::size_t>(k - 1)];
        const std::size_t length = starts[static_cast<std::size_t>(k)] - from - 1;
        const std::size_t entry = kOffsetCounts + kCountEntry * static_cast<std::size_t>(k - 1);
        const std::uint16_t count = r.u16(entry);
        // A list is empty or holds at least its header, and its count says how many samples.
        if (data[from] != k - 1 || (length > 0 && length < kSampleListHeader) ||
            count != headerCount(length)) {
            return false;
        }
        recording.status.counts[static_cast<std::size_t>(k - 1)] = count;
        const auto list = data.subspan(from + 1, length);
        recording.list(k).assign(list.begin(), list.end());
    }
    recording.status.total = static_cast<std::int32_t>(d) - kTotalFromLength;
    recording.status.station_time = r.u32(kOffsetStationTime);
    recording.status.second_word = r.u32(kOffsetSecondWord);
    return true;
}

MonitoringFileResult loadMonitoringFile(const QString& path, MonitoringRecording& recording,
                                        Prompts& prompts) {
    // One byte more than the largest file, so that an oversized one is seen as corrupt.
    const auto bytes =
        readFileReporting(path, kMonitoringFileHeader + kMaxMonitoringData + 1, prompts);
    if (!bytes) {
        return MonitoringFileResult::OpenFailed;
    }
    return decodeMonitoringFile(*bytes, recording) ? MonitoringFileResult::Ok
                                                   : MonitoringFileResult::Corrupt;
}

QString companionStationFile(const QString& monitoringPath) {
    const QFileInfo info(monitoringPath);
    const QString name = info.fileName();
    const QString base = name.size() > 3 ? name.left(name.size() - 3) : QString();
    const QString companion = base + QStringLiteral("con");
    const QString dir = info.path();
    return monitoringPath.contains(QLatin1Char('/')) ? dir + QLatin1Char('/') + companion
                                                     : companion;
}

}  // namespace pelmo
